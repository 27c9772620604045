// Helpers of the Chrome tests: documents from JSON text, Chrome files in a
// temporary folder, and Internet Shortcut files.
#ifndef MARKSAFE_TESTS_CHROME_CHROME_TEST_UTIL_H_
#define MARKSAFE_TESTS_CHROME_CHROME_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <json/json.h>

#include <string>
#include <vector>

#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/document_reader.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {

using Lines = std::vector<std::string>;

// Parses JSON text (the test fails on bad text).
inline Json::Value Doc(const std::string& text) {
  Json::Value document;
  EXPECT_TRUE(chrome::ParseDocumentText(text, &document)) << text;
  return document;
}

// Today's three roots: bookmark_bar (id 1), other (id 2), synced (id 3).
inline std::string ChromeText(const std::string& bar,
                              const std::string& other) {
  return R"({"checksum": "0", "version": 1, "roots": {
    "bookmark_bar": {"id": "1", "name": "Bookmarks bar", "type": "folder",
      "date_added": "1", "date_modified": "0", "children": [)" +
         bar + R"(]},
    "other": {"id": "2", "name": "Other bookmarks", "type": "folder",
      "date_added": "1", "date_modified": "0", "children": [)" +
         other + R"(]},
    "synced": {"id": "3", "name": "Mobile bookmarks", "type": "folder",
      "date_added": "1", "date_modified": "0", "children": []}}})";
}

inline std::string Node(int id, const std::string& name,
                        const std::string& rest) {
  return R"({"date_added": "0", "id": ")" + std::to_string(id) +
         R"(", "name": ")" + name + "\", " + rest + "}";
}
inline std::string UrlJson(int id, const std::string& name,
                           const std::string& url) {
  return Node(id, name, R"("type": "url", "url": ")" + url + "\"");
}
inline std::string FolderJson(int id, const std::string& name,
                              const std::string& children) {
  return Node(id, name, R"("type": "folder", "children": [)" + children + "]");
}

// Loads a Chrome file through the document reader (the test fails when it
// does not load).
inline Json::Value LoadChrome(const std::string& path) {
  Json::Value document;
  EXPECT_TRUE(chrome::load_chrome_file(U16(path).c_str(), &document)) << path;
  return document;
}

// "id name [url]" of each child of a folder or of roots.<root>.
inline Lines Summary(const Json::Value& children) {
  Lines out;
  for (const Json::Value& child : children) {
    out.push_back(child["id"].asString() + " " + child["name"].asString() +
                  (child.isMember("url") ? " " + child["url"].asString() : ""));
  }
  return out;
}
inline Lines Summary(const std::string& file, const char* root) {
  return Summary(LoadChrome(file)["roots"][root]["children"]);
}

// A key of an Internet Shortcut file.
inline std::string ShortcutValue(const std::string& file,
                                 const std::string& key) {
  return U8(platform::GetProfileString(u"InternetShortcut", U16(key), u"", 4096,
                                       U16(file)));
}

// A Chrome file in a temporary folder, and imports of dir_/src into it.
class ChromeFileTest : public ::testing::Test {
 protected:
  int32_t Import(const char16_t* name) const {
    return import_folder_2_chrome_bar(Ms(U16(chrome_)), Ms(dir_.u16("src")),
                                      name == nullptr ? nullptr : Ms(name));
  }
  TempDir dir_;
  std::string chrome_ = dir_.sub("Default/Bookmarks");
};

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_CHROME_CHROME_TEST_UTIL_H_
