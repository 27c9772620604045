#include "chrome_test_util.h"

#include "chrome/chrome_document.h"
#include "chrome/document_reader.h"
#include "platform/platform.h"

namespace marksafe {
namespace test {

Json::Value Doc(const std::string& text) {
  Json::Value document;
  EXPECT_TRUE(chrome::ParseDocumentText(text, &document)) << text;
  return document;
}

std::string ChromeText(const std::string& bar_children,
                       const std::string& other_children) {
  return R"({"checksum": "0", "roots": {"bookmark_bar": {"children": [)" +
         bar_children + R"(], "date_added": "1", "date_modified": "0",
      "id": "1", "name": "Bookmarks bar", "type": "folder"},
    "other": {"children": [)" +
         other_children + R"(], "date_added": "1", "date_modified": "0",
      "id": "2", "name": "Other bookmarks", "type": "folder"},
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
  EXPECT_TRUE(chrome::load_chrome_file(U16(path).c_str(), &document)) << path;
  return document;
}

const Json::Value& RootChildren(const Json::Value& document,
                                const std::string& root) {
  return document["roots"][root]["children"];
}

Lines Summary(const Json::Value& children) {
  Lines out;
  for (const Json::Value& child : children) {
    out.push_back(child["id"].asString() + " " + child["name"].asString() +
                  (child.isMember("url") ? " " + child["url"].asString() : ""));
  }
  return out;
}

std::string Fixture(const std::string& name) {
  const std::string here = __FILE__;
  return ReadBytes(here.substr(0, here.rfind('/')) + "/../data/chrome/" + name);
}

std::string ShortcutValue(const std::string& file, const std::string& key) {
  return U8(platform::GetProfileString(u"InternetShortcut", U16(key), u"", 4096,
                                       U16(file)));
}

void WriteUrlFile(const std::string& file, const std::string& url,
                  const std::string& title) {
  std::string text = "[InternetShortcut]\r\nURL=" + url + "\r\n";
  if (!title.empty()) text += "Title=" + title + "\r\n";
  WriteBytes(file, "\xFF\xFE" + Utf16le(U16(text)));
}

int32_t ChromeFileTest::Import(const char16_t* name) const {
  return import_folder_2_chrome_bar(Ms(U16(chrome_)), Ms(dir_.u16("src")),
                                    name == nullptr ? nullptr : Ms(name));
}

}  // namespace test
}  // namespace marksafe
