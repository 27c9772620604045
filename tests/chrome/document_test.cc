// The Chrome document: ids, the checksum, loading, saving, and strings that
// read back as they were saved. That Chromium takes the file as written is
// checked against Chromium itself (posix/chromium_interop_test.cc).
#include <cctype>
#include <random>

#include "chrome_test_util.h"
#include "stores/chrome/chrome_checksum.h"

namespace marksafe {
namespace test {
namespace {

TEST(ChromeDocument, NewIdsAreAboveEveryIdOfAnySize) {
  const std::string bar = R"({"roots": {"bookmark_bar": {"type": "folder",
      "id": "1", "children": [{"type": "url", "id": "-40"}]}, "other": )";
  const std::pair<std::string, std::string> kCases[] = {
      {ChromeText(FolderJson(10, "F", UrlJson(57, "a", "u")),
                  UrlJson(12, "b", "v")),
       "58"},
      // Blanks, a sign and trailing text around the digits; never below 3;
      // every root counts, a number too; nodes of any shape count.
      {bar + R"({"type": "folder", "id": " +12x"}}})", "13"},
      {bar + R"({"type": "folder", "id": "abc"}}})", "3"},
      {bar + R"({"type": "folder"}, "synced": {"type": "folder", "id": 900}}})",
       "901"},
      {bar + R"({"type": "x", "children": [{"id": "0077"}]}}})", "78"},
      // 2^63 and far beyond: counted on, never wrapped or cut.
      {bar + R"({"type": "folder", "id": 9223372036854775808}}})",
       "9223372036854775809"},
      {bar + R"({"type": "folder", "id": "99999999999999999999"}}})",
       "100000000000000000000"},
  };
  for (const auto& [text, next] : kCases) {
    chrome::IdAllocator ids(Doc(text));
    EXPECT_EQ(next, ids.Next()) << text;
  }
  chrome::IdAllocator ids(Doc(R"({"roots": {"other": {"id": "1999"}}})"));
  EXPECT_EQ("2000", ids.Next());
  EXPECT_EQ("2001", ids.Next());
}

TEST(ChromeDocument, NewGuidsAreRandomVersion4Uuids) {
  std::string a, b;
  ASSERT_TRUE(chrome::NewGuid(&a));
  ASSERT_TRUE(chrome::NewGuid(&b));
  EXPECT_NE(a, b);
  ASSERT_EQ(a.size(), 36u);
  for (size_t i = 0; i < a.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    EXPECT_EQ(a[i] == '-', dash) << a;
    if (!dash) {
      EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(a[i]))) << a;
    }
  }
  EXPECT_EQ(a[14], '4') << a;
  EXPECT_NE(std::string("89ab").find(a[19]), std::string::npos) << a;
}

TEST(ChromeDocument, ChecksumAsChromiumComputesIt) {
  // A fresh profile's file, and its rewrite after adding a bookmark "Café".
  for (const char* name :
       {"bookmarks-today.json", "bookmarks-rewritten-by-chromium.json"}) {
    const Json::Value fixture = Doc(DataFile(std::string("chrome/") + name));
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
  document = Doc(DataFile("chrome/bookmarks-today.json"));
  ASSERT_TRUE(chrome::save_chrome_file(document, U16(file)).ok());
  EXPECT_EQ(chrome::ChromeFileText(document), ReadBytes(file));
  EXPECT_EQ(document, LoadChrome(file));
  // A failed save leaves nothing behind; a good one nothing beside the file.
  EXPECT_FALSE(
      chrome::save_chrome_file(document, dir.u16("none/Bookmarks")).ok());
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

TEST(ChromeDocumentText, EveryStringReadsBackAfterSave) {
  // Pieces that need escapes or encoding (outside the BMP too), and NUL.
  std::string pieces[] = {
      "",     "a", "\\",  "\"", "\t",       "\n",           "\x01",
      "\x1f", "/", "\\u", " ",  "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  pieces[0].push_back('\0');
  std::mt19937 random(11);
  auto text = [&] {
    std::string out;
    for (int n = random() % 12; n > 0; --n) out += pieces[random() % 14];
    return out;
  };
  for (int round = 0; round < 100; ++round) {
    Json::Value document =
        Doc(ChromeText(FolderJson(7, "", UrlJson(8, "", "")), ""));
    Json::Value& folder = document["roots"]["bookmark_bar"]["children"][0];
    folder["name"] = text();
    folder["children"][0]["name"] = text();
    folder["children"][0]["url"] = text();
    document["roots"]["bookmark_bar"]["name"] = text();
    document[text()] = text();
    Json::Value read_back;
    ASSERT_TRUE(chrome::ParseDocumentText(chrome::ChromeFileText(document),
                                          &read_back));
    ASSERT_EQ(document, read_back) << "round " << round;
  }
}

}  // namespace
}  // namespace test
}  // namespace marksafe
