// Helpers of the Chrome tests: documents from JSON text, Chrome files in a
// temporary folder, and Internet Shortcut files read back.
#ifndef MARKSAFE_TESTS_CHROME_CHROME_TEST_UTIL_H_
#define MARKSAFE_TESTS_CHROME_CHROME_TEST_UTIL_H_

#include <json/json.h>

#include <string>

namespace marksafe {
namespace test {

// Parses JSON text (the test fails on bad text).
Json::Value Doc(const std::string& text);

// A document with the three roots of today's Chrome: bookmark_bar (id 1)
// holding bar_children, other (id 2) holding other_children, synced (id 3).
std::string ChromeText(const std::string& bar_children,
                       const std::string& other_children);

// A url / folder node as JSON text.
std::string UrlJson(int id, const std::string& name, const std::string& url);
std::string FolderJson(int id, const std::string& name,
                       const std::string& children);

// Loads a Chrome file through the document reader (the test fails when it
// does not load).
Json::Value LoadChrome(const std::string& path);

// The children of roots.<root>.
const Json::Value& RootChildren(const Json::Value& document,
                                const std::string& root);

// Key of section InternetShortcut of a .url file.
std::string ShortcutValue(const std::string& file, const std::string& key);

// Writes an Internet Shortcut file with the URL key and (when not empty) a
// Title key, as UTF-16LE text.
void WriteShortcut(const std::string& file, const std::string& url,
                   const std::string& title = std::string());

// The same with the URL key alone, in one write (for many files).
void WriteUrlFile(const std::string& file, const std::string& url);

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_CHROME_CHROME_TEST_UTIL_H_
