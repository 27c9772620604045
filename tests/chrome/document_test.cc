// The Chrome document: new nodes, ids, the checksum, loading, saving and
// reading its text.
#include <regex>

#include "chrome/chrome_checksum.h"
#include "chrome_test_util.h"

namespace marksafe {
namespace test {
namespace {

TEST(ChromeDocument, NewNodesHaveFixedMembersAndFreshGuids) {
  Json::Value url;
  Json::Value folder;
  // A name or URL holding quotes stays one string: no member is injected.
  chrome::make_url_node("7", "x\", \"type\": \"folder", "http://a/\\q\"}",
                        &url);
  chrome::make_folder_node("9", "F", &folder);
  const std::string guid = url["guid"].asString();
  EXPECT_TRUE(std::regex_match(
      guid, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-"
                       "[0-9a-f]{12}")))
      << guid;
  EXPECT_NE(guid, folder["guid"].asString());
  url.removeMember("guid");
  folder.removeMember("guid");
  EXPECT_EQ(Doc(R"({"date_added": "0", "date_last_used": "0", "id": "7",
      "name": "x\", \"type\": \"folder", "type": "url",
      "url": "http://a/\\q\"}"})"),
            url);
  EXPECT_EQ(Doc(R"({"children": [], "date_added": "12915246468212928",
      "date_last_used": "0", "date_modified": "12915248079990011", "id": "9",
      "name": "F", "type": "folder"})"),
            folder);
}

TEST(ChromeDocument, NextIdIsOneAboveTheLargestInEveryRoot) {
  const std::string bar = R"({"roots": {"bookmark_bar": {"type": "folder",
      "id": "1", "children": [{"type": "url", "id": "-40"}]}, )";
  const std::pair<std::string, int64_t> kCases[] = {
      {ChromeText(FolderJson(10, "F", UrlJson(57, "a", "u")),
                  UrlJson(12, "b", "v")),
       58},
      // Blanks, a sign and trailing text around the digits; never below 3.
      {bar + R"("other": {"type": "folder", "id": " +12x"}}})", 13},
      {bar + R"("other": {"type": "folder", "id": "abc"}}})", 3},
      // Ids are unique in the whole file: synced counts, as a number too.
      {bar + R"("other": {"type": "folder"}, "synced": {"type": "folder",
          "id": 900}}})",
       901},
      // Saturates instead of overflowing.
      {bar + R"("other": {"type": "folder", "id": "99999999999999999999"}}})",
       INT64_MAX},
  };
  for (const auto& [text, next] : kCases) {
    chrome::IdCounter counter = 0;
    EXPECT_TRUE(chrome::next_node_id(Doc(text), &counter)) << text;
    EXPECT_EQ(next, counter) << text;
  }
  chrome::IdCounter counter = 0;
  EXPECT_FALSE(chrome::next_node_id(Doc(R"({"roots": []})"), &counter));
}

TEST(ChromeDocument, ChecksumAsChromiumComputesIt) {
  // A fresh profile's file, and its rewrite after a bookmark named Caf\u00e9
  // was added by hand.
  for (const char* name :
       {"bookmarks-today.json", "bookmarks-rewritten-by-chromium.json"}) {
    const Json::Value fixture = Doc(Fixture(name));
    EXPECT_EQ(fixture["checksum"].asString(), chrome::TreeChecksum(fixture));
  }
}

TEST(ChromeDocument, LoadAndSave) {
  Json::Value document;
  TempDir dir;
  const std::string file = dir.sub("Default/Bookmarks");
  WriteBytes(file, "{\"roots\": ");
  EXPECT_FALSE(chrome::load_chrome_file(U16(file).c_str(), &document));
  EXPECT_TRUE(document.isNull());  // nothing half-read is left
  document = Doc(ChromeText(UrlJson(4, "C:\\\\x \\u00e9", "u"), ""));
  ASSERT_TRUE(chrome::save_chrome_file(document, U16(file)));
  EXPECT_EQ(document, LoadChrome(file));
  // A failed save leaves nothing behind; a good one nothing beside the file.
  EXPECT_FALSE(chrome::save_chrome_file(document, dir.u16("none/Bookmarks")));
  EXPECT_EQ(Lines({"Default/", "Default/Bookmarks"}), ListTree(dir.path()));
}

TEST(ChromeDocument, ReaderKeepsBackslashBeforeHighByteInStringsOnly) {
  Json::Value value;
  ASSERT_TRUE(
      chrome::ParseDocumentText("[\"a\\\xC3\xA9\", \"b\\tc\"]", &value));
  EXPECT_EQ(Json::Value("a\\\xC3\xA9"), value[0]);
  EXPECT_EQ(Json::Value("b\tc"), value[1]);
  EXPECT_FALSE(chrome::ParseDocumentText("[\"a\\q\"]", &value));
  EXPECT_TRUE(value.isNull());
  // A quote in a comment opens no string, "//" in a string no comment, and
  // an escaped quote does not end the string.
  ASSERT_TRUE(chrome::ParseDocumentText(
      "// say \"\n{\"a\" : \"x//\\\"\\\xC3\xA9\" /* \\\xC3\xA9 \" */}",
      &value));
  EXPECT_EQ(Json::Value("x//\"\\\xC3\xA9"), value["a"]);
  // Nesting too deep for JsonCpp fails instead of throwing.
  EXPECT_FALSE(chrome::ParseDocumentText(
      std::string(5000, '[') + std::string(5000, ']'), &value));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
