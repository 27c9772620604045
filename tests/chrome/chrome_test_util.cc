#include "chrome_test_util.h"

#include <gtest/gtest.h>

#include "chrome/chrome_document.h"
#include "chrome/document_reader.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {

Json::Value Doc(const std::string& text) {
  Json::Value document;
  EXPECT_TRUE(chrome::ParseDocumentText(text, &document)) << text;
  return document;
}

std::string ChromeText(const std::string& bar_children,
                       const std::string& other_children) {
  return R"({"checksum": "0", "roots": {
    "bookmark_bar": {"children": [)" +
         bar_children +
         R"(], "date_added": "1", "date_modified": "0", "id": "1",
      "name": "Bookmarks bar", "type": "folder"},
    "other": {"children": [)" +
         other_children +
         R"(], "date_added": "1", "date_modified": "0", "id": "2",
      "name": "Other bookmarks", "type": "folder"},
    "synced": {"children": [], "date_added": "1", "date_modified": "0",
      "id": "3", "name": "Mobile bookmarks", "type": "folder"}},
    "version": 1})";
}

std::string UrlJson(int id, const std::string& name, const std::string& url) {
  return R"({"date_added": "0", "id": ")" + std::to_string(id) +
         R"(", "name": ")" + name + R"(", "type": "url", "url": ")" + url +
         R"("})";
}

std::string FolderJson(int id, const std::string& name,
                       const std::string& children) {
  return R"({"children": [)" + children + R"(], "date_added": "0", "id": ")" +
         std::to_string(id) + R"(", "name": ")" + name +
         R"(", "type": "folder"})";
}

Json::Value LoadChrome(const std::string& path) {
  Json::Value document;
  const std::u16string wide = U16(path);
  EXPECT_TRUE(chrome::load_chrome_file(wide.c_str(), &document)) << path;
  return document;
}

const Json::Value& RootChildren(const Json::Value& document,
                                const std::string& root) {
  return document["roots"][root]["children"];
}

std::string ShortcutValue(const std::string& file, const std::string& key) {
  return U8(platform::GetProfileString(u"InternetShortcut", U16(key), u"", 4096,
                                       U16(file)));
}

void WriteShortcut(const std::string& file, const std::string& url,
                   const std::string& title) {
  MakeDirs(file.substr(0, file.rfind('/')));
  // UTF-16LE, so that every character reads back as written.
  ASSERT_TRUE(platform::WriteFile(U16(file), std::string("\xFF\xFE", 2)));
  ASSERT_TRUE(platform::WriteProfileString(u"InternetShortcut", u"URL",
                                           U16(url), U16(file)));
  if (!title.empty()) {
    ASSERT_TRUE(platform::WriteProfileString(u"InternetShortcut", u"Title",
                                             U16(title), U16(file)));
  }
}

void WriteUrlFile(const std::string& file, const std::string& url) {
  MakeDirs(file.substr(0, file.rfind('/')));
  std::string bytes("\xFF\xFE", 2);
  for (const char16_t unit : U16("[InternetShortcut]\r\nURL=" + url + "\r\n")) {
    bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  }
  ASSERT_TRUE(platform::WriteFile(U16(file), bytes));
}

}  // namespace test
}  // namespace marksafe
