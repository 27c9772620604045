// Helpers of the Chrome tests: documents from JSON text, Chrome files in a
// temporary folder, and Internet Shortcut files.
#ifndef MARKSAFE_TESTS_CHROME_CHROME_TEST_UTIL_H_
#define MARKSAFE_TESTS_CHROME_CHROME_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <json/json.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace marksafe {
namespace test {

using Lines = std::vector<std::string>;

// Parses JSON text (the test fails on bad text).
Json::Value Doc(const std::string& text);

// Today's three roots: bookmark_bar (id 1), other (id 2), synced (id 3).
std::string ChromeText(const std::string& bar_children,
                       const std::string& other_children);
std::string UrlJson(int id, const std::string& name, const std::string& url);
std::string FolderJson(int id, const std::string& name,
                       const std::string& children);

// Loads a Chrome file through the document reader (the test fails when it
// does not load).
Json::Value LoadChrome(const std::string& path);
const Json::Value& RootChildren(const Json::Value& document,
                                const std::string& root);
// "id name [url]" of each child.
Lines Summary(const Json::Value& children);

// A file of tests/data/chrome (written by Chromium itself).
std::string Fixture(const std::string& name);

// Internet Shortcut files: a key of one, and a new one (UTF-16LE, so that
// every character reads back) with URL and, when not empty, Title.
std::string ShortcutValue(const std::string& file, const std::string& key);
void WriteUrlFile(const std::string& file, const std::string& url,
                  const std::string& title = std::string());

// A Chrome file in a temporary folder, and imports of dir_/src into it.
class ChromeFileTest : public ::testing::Test {
 protected:
  int32_t Import(const char16_t* name) const;
  TempDir dir_;
  std::string chrome_ = dir_.sub("Default/Bookmarks");
};

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_CHROME_CHROME_TEST_UTIL_H_
