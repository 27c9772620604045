// The Chrome document: new nodes, ids, loading and saving.
#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "chrome/chrome_document.h"
#include "chrome_test_util.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

TEST(ChromeNodes, UrlAndFolderNodesHaveTheFixedMembers) {
  Json::Value url;
  chrome::make_url_node("7", "A", "B", &url);
  EXPECT_EQ(Doc(R"({"date_added": "0", "id": "7", "name": "A",
                    "type": "url", "url": "B"})"),
            url);
  Json::Value folder;
  chrome::make_folder_node("9", "F", &folder);
  EXPECT_EQ(Doc(R"({"children": [], "date_added": "12915246468212928",
                    "date_modified": "12915248079990011", "id": "9",
                    "name": "F", "type": "folder"})"),
            folder);
}

TEST(ChromeNodes, QuotesAndBackslashesCannotInjectMembers) {
  Json::Value url;
  const std::string name = "x\", \"type\": \"folder";
  const std::string address = "http://a/\\t\\q\"}";
  chrome::make_url_node("7", name, address, &url);
  EXPECT_EQ(5u, url.size());
  EXPECT_EQ(name, url["name"].asString());
  EXPECT_EQ(address, url["url"].asString());
  EXPECT_EQ("url", url["type"].asString());
}

int64_t NextId(const std::string& text) {
  chrome::IdCounter counter = 0;
  EXPECT_TRUE(chrome::next_node_id(Doc(text), &counter)) << text;
  return counter;
}

TEST(ChromeIds, NextIdIsOneAboveTheLargestInEveryRoot) {
  EXPECT_EQ(58, NextId(ChromeText(
                    FolderJson(10, "F", UrlJson(57, "a", "u")),
                    UrlJson(12, "b", "v"))));
  // Only the roots' own ids 1 and 2 (and synced's 3).
  EXPECT_EQ(4, NextId(ChromeText("", "")));
  EXPECT_EQ(3, NextId(R"({"roots": {
      "bookmark_bar": {"type": "folder", "id": "1", "children": []},
      "other": {"type": "folder", "id": "2", "children": []}}})"));
  // "abc" counts as 0, "12x" as 12; the counter never starts below 3.
  EXPECT_EQ(3, NextId(R"({"roots": {
      "bookmark_bar": {"type": "folder", "id": "abc"},
      "other": {"type": "folder", "id": "abc"}}})"));
  EXPECT_EQ(13, NextId(R"({"roots": {
      "bookmark_bar": {"type": "folder", "id": "12x"},
      "other": {"type": "folder", "id": "1"}}})"));
  // A third root with a high id counts as well.
  Json::Value document = Doc(ChromeText(UrlJson(5, "a", "u"), ""));
  document["roots"]["synced"]["children"].append(Doc(UrlJson(900, "s", "u")));
  chrome::IdCounter counter = 0;
  EXPECT_TRUE(chrome::next_node_id(document, &counter));
  EXPECT_EQ(901, counter);
}

TEST(ChromeIds, BrokenRootsAndHugeIds) {
  chrome::IdCounter counter = 0;
  EXPECT_FALSE(chrome::next_node_id(Doc("{}"), &counter));
  EXPECT_FALSE(chrome::next_node_id(Doc(R"({"roots": []})"), &counter));
  EXPECT_FALSE(chrome::next_node_id(
      Doc(R"({"roots": {"bookmark_bar": {"type": "folder", "id": "1"},
                        "other": 5}})"),
      &counter));
  EXPECT_EQ(3, counter);  // "other" not a folder: the counter still moves on
  EXPECT_FALSE(chrome::next_node_id(Doc(ChromeText("", "")), nullptr));
  // Ids beyond 64 bits saturate instead of overflowing.
  EXPECT_EQ(INT64_MAX, chrome::IdValue(Json::Value("99999999999999999999999")));
  EXPECT_EQ(-5, chrome::IdValue(Json::Value(" -5")));
  EXPECT_EQ(0, chrome::IdValue(Json::Value(Json::arrayValue)));
}

TEST(ChromeLoad, PathLengthAndContent) {
  // Eight characters are refused even when the file exists; nine are tried.
  const std::string eight = "/tmp/mc" + std::to_string(getpid() % 10);
  const std::string nine = eight + "9";
  WriteBytes(eight, "{}");
  WriteBytes(nine, "{}");
  Json::Value document(Json::arrayValue);
  EXPECT_FALSE(chrome::load_chrome_file(U16(eight).c_str(), &document));
  EXPECT_TRUE(chrome::load_chrome_file(U16(nine).c_str(), &document));
  EXPECT_TRUE(document.isObject());
  EXPECT_TRUE(document.empty());
  std::remove(eight.c_str());
  std::remove(nine.c_str());

  TempDir dir;
  const std::string file = dir.sub("Bookmarks");
  WriteBytes(file, "{\"roots\": ");
  EXPECT_FALSE(chrome::load_chrome_file(U16(file).c_str(), &document));
  EXPECT_TRUE(document.isNull());  // nothing half-read is left
  EXPECT_FALSE(chrome::load_chrome_file(U16(dir.sub("none")).c_str(),
                                        &document));
  const std::u16string too_long = dir.u16("/" + std::string(300, 'a'));
  EXPECT_FALSE(chrome::load_chrome_file(too_long.c_str(), &document));
}

TEST(ChromeSave, ReplacesTheFileWholeAndReportsFailure) {
  TempDir dir;
  const std::string file = dir.sub("Default/Bookmarks");
  WriteBytes(file, ChromeText("", ""));
  const Json::Value document = LoadChrome(file);
  EXPECT_FALSE(chrome::save_chrome_file(document, u"ab"));
  // A folder that does not exist: the save fails and says so.
  EXPECT_FALSE(chrome::save_chrome_file(document, dir.u16("none/Bookmarks")));
  EXPECT_TRUE(chrome::save_chrome_file(document, U16(file)));
  // Saving twice writes the same text: the names are not encoded twice.
  Json::Value named = Doc(ChromeText(UrlJson(4, "C:\\\\x \\u00e9", "u"), ""));
  ASSERT_TRUE(chrome::save_chrome_file(named, U16(file)));
  const std::string first = ReadBytes(file);
  ASSERT_TRUE(chrome::save_chrome_file(named, U16(file)));
  EXPECT_EQ(first, ReadBytes(file));
  EXPECT_EQ(named, LoadChrome(file));
  EXPECT_EQ(std::vector<std::string>({"Default/", "Default/Bookmarks"}),
            ListTree(dir.path()));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
