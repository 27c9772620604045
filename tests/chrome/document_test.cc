// The Chrome document: ids, the checksum, loading, saving, and the text of a
// saved file (StyledWriter's layout byte for byte, names below the roots
// encoded as Chrome spells them, strings that read back as they were). That
// Chromium takes new nodes (guids, dates) as they are written is checked
// against Chromium itself (posix/chromium_interop_test.cc).
#include <random>
#include <regex>

#include "chrome/chrome_checksum.h"
#include "chrome/document_writer.h"
#include "chrome_test_util.h"

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

TEST(ChromeDocument, ChecksumAsChromiumComputesIt) {
  // A fresh profile's file, and its rewrite after adding a bookmark "Café".
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
  document = Doc(Fixture("bookmarks-today.json"));
  ASSERT_TRUE(chrome::save_chrome_file(document, U16(file)));
  EXPECT_EQ(chrome::ChromeFileText(document), ReadBytes(file));
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

TEST(ChromeDocumentText, GoldenText) {
  // Names below the roots are encoded (not the roots' own, nor URLs), with
  // quotes and control characters escaped; a blank line at the end.
  const Json::Value document = Doc(R"({"roots": {
      "bookmark_bar": {"type": "folder", "name": "Barr\u00e9", "children": [
        {"type": "folder", "name": "C:\\x", "children": [
          {"name": "say \"hi\"\t\u0001\ud83d\ude00",
           "url": "http://a/\"b\u0000\u001f\u00e9"}]}]},
      "other": {"type": "folder", "children": [{"name": "\u00e9"}]}},
    "short": [1, 2.5, "x", true, null, {}, []]})");
  const std::string expected = R"({
   "roots" : {
      "bookmark_bar" : {
         "children" : [
            {
               "children" : [
                  {
                     "name" : "say \"hi\"\t\u0001\uD83D\uDE00",
                     "url" : "http://a/\"b\u0000\u001Fé"
                  }
               ],
               "name" : "C:\\x",
               "type" : "folder"
            }
         ],
         "name" : "Barré",
         "type" : "folder"
      },
      "other" : {
         "children" : [
            {
               "name" : "\u00E9"
            }
         ],
         "type" : "folder"
      }
   },
   "short" : [ 1, 2.5, "x", true, null, {}, [] ]
}

)";
  EXPECT_EQ(
      std::regex_replace(expected, std::regex("\n"), platform::TextLineEnd()),
      chrome::ChromeFileText(document));
}

TEST(ChromeDocumentText, LayoutEqualsJsonCppStyledWriter) {
  // For ASCII strings the quoting agrees with JsonCpp's, so the whole text
  // is StyledWriter's: nested containers, short arrays on one line, arrays
  // of 73 columns too, of 74 one value a line.
  Json::Value value = Doc(R"({"a": [[1, [2, {}]], {"k": [[], "q\"\\/"]},
      [-3, 0.5, 1e300]], "b": [true, false, null, "x", -7], "e": {},
      "f": [], "g": {"h": {"i": [{}]}}})");
  for (const int last : {19, 20}) {
    value[std::to_string(last)] =
        Doc("[\"" + std::string(20, 'a') + "\", \"" + std::string(20, 'b') +
            "\", \"" + std::string(last, 'c') + "\"]");
  }
  EXPECT_EQ(Json::StyledWriter().write(value),
            chrome::WriteDocumentText(value, chrome::EncodedNameSet()));
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
