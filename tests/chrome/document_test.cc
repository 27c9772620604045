// The Chrome document: new nodes, ids, loading and saving.
#include <gtest/gtest.h>
#include <json/json.h>
#include <unistd.h>

#include <cstdio>
#include <regex>
#include <string>

#include "chrome/chrome_document.h"
#include "chrome_test_util.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

// Drops the guid of a new node after checking its form: version-4 UUID in
// lower-case hex.
std::string TakeGuid(Json::Value* node) {
  const std::string guid = (*node)["guid"].asString();
  EXPECT_TRUE(std::regex_match(
      guid, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-"
                       "[0-9a-f]{12}")))
      << guid;
  node->removeMember("guid");
  return guid;
}

TEST(ChromeNodes, FixedMembersGuidsAndNoInjection) {
  Json::Value url;
  chrome::make_url_node("7", "A", "B", &url);
  const std::string first_guid = TakeGuid(&url);
  EXPECT_EQ(Doc(R"({"date_added": "0", "date_last_used": "0", "id": "7",
                    "name": "A", "type": "url", "url": "B"})"),
            url);
  Json::Value folder;
  chrome::make_folder_node("9", "F", &folder);
  EXPECT_NE(first_guid, TakeGuid(&folder));
  EXPECT_EQ(Doc(R"({"children": [], "date_added": "12915246468212928",
                    "date_last_used": "0",
                    "date_modified": "12915248079990011", "id": "9",
                    "name": "F", "type": "folder"})"),
            folder);
  const std::string name = "x\", \"type\": \"folder";
  const std::string address = "http://a/\\t\\q\"}";
  chrome::make_url_node("7", name, address, &url);
  EXPECT_EQ(7u, url.size());
  EXPECT_EQ(name, url["name"].asString());
  EXPECT_EQ(address, url["url"].asString());
}

int64_t NextId(const std::string& text) {
  chrome::IdCounter counter = 0;
  EXPECT_TRUE(chrome::next_node_id(Doc(text), &counter)) << text;
  return counter;
}

TEST(ChromeIds, OneAboveTheLargestInEveryRoot) {
  EXPECT_EQ(58, NextId(ChromeText(FolderJson(10, "F", UrlJson(57, "a", "u")),
                                  UrlJson(12, "b", "v"))));
  EXPECT_EQ(3, NextId(R"({"roots": {
      "bookmark_bar": {"type": "folder", "id": "1", "children": []},
      "other": {"type": "folder", "id": "2", "children": []}}})"));
  EXPECT_EQ(3, NextId(R"({"roots": {"bookmark_bar": {"type": "folder", "id":
      "abc"}, "other": {"type": "folder", "id": "abc"}}})"));
  // synced, as today's Chrome writes it, counts as well.
  Json::Value document = Doc(ChromeText(UrlJson(5, "a", "u"), ""));
  document["roots"]["synced"]["children"].append(Doc(UrlJson(900, "s", "u")));
  chrome::IdCounter counter = 0;
  EXPECT_TRUE(chrome::next_node_id(document, &counter));
  EXPECT_EQ(901, counter);
  EXPECT_FALSE(chrome::next_node_id(Doc(R"({"roots": []})"), &counter));
  EXPECT_EQ(INT64_MAX, chrome::IdValue(Json::Value("99999999999999999999999")));
  EXPECT_EQ(12, chrome::IdValue(Json::Value(" 12x")));
}

TEST(ChromeLoadAndSave, PathsContentAndFailures) {
  // Eight characters are refused even when the file exists; nine are tried.
  const std::string eight = "/tmp/mc" + std::to_string(getpid() % 10);
  WriteBytes(eight, "{}");
  WriteBytes(eight + "9", "{}");
  Json::Value document;
  EXPECT_FALSE(chrome::load_chrome_file(U16(eight).c_str(), &document));
  EXPECT_TRUE(chrome::load_chrome_file(U16(eight + "9").c_str(), &document));
  EXPECT_TRUE(document.isObject() && document.empty());
  std::remove(eight.c_str());
  std::remove((eight + "9").c_str());

  TempDir dir;
  const std::string file = dir.sub("Default/Bookmarks");
  WriteBytes(file, "{\"roots\": ");
  EXPECT_FALSE(chrome::load_chrome_file(U16(file).c_str(), &document));
  EXPECT_TRUE(document.isNull());  // nothing half-read is left
  // Saving twice writes the same text (names are not encoded twice), and
  // leaves nothing beside the file.
  document = Doc(ChromeText(UrlJson(4, "C:\\\\x \\u00e9", "u"), ""));
  ASSERT_TRUE(chrome::save_chrome_file(document, U16(file)));
  const std::string first = ReadBytes(file);
  ASSERT_TRUE(chrome::save_chrome_file(document, U16(file)));
  EXPECT_EQ(first, ReadBytes(file));
  EXPECT_EQ(document, LoadChrome(file));
  EXPECT_FALSE(chrome::save_chrome_file(document, dir.u16("none/Bookmarks")));
  EXPECT_EQ(std::vector<std::string>({"Default/", "Default/Bookmarks"}),
            ListTree(dir.path()));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
