// The text of a saved Chrome file: StyledWriter's layout byte for byte,
// names below the roots encoded as Chrome spells them, and strings that read
// back as they were.
#include <functional>
#include <random>

#include "chrome/chrome_document.h"
#include "chrome/document_reader.h"
#include "chrome/document_writer.h"
#include "chrome_test_util.h"
#include "platform/platform.h"

namespace marksafe {
namespace test {
namespace {

// The text with each "\n" turned into the line end of the system's text
// files, as the Chrome file is written.
std::string WithLineEnds(const std::string& text) {
  std::string out;
  for (const char c : text)
    out += c == '\n' ? platform::TextLineEnd() : std::string(1, c);
  return out;
}

TEST(ChromeDocumentText, GoldenText) {
  // Arrays of 73 and 74 columns; names below the roots encoded (not the
  // roots' own, nor URLs), their quotes and control characters escaped.
  const Json::Value document =
      Doc(R"({"short": [1, 2.5, "x", true, null, {}, []],
    "edge73": ["aaaaaaaaaaaaaaaaaaaa", "bbbbbbbbbbbbbbbbbbbb",
               "ccccccccccccccccccc"],
    "long": ["aaaaaaaaaaaaaaaaaaaa", "bbbbbbbbbbbbbbbbbbbb",
             "cccccccccccccccccccc"],
    "roots": {
      "bookmark_bar": {"type": "folder", "name": "Barr\u00e9", "children": [
        {"type": "folder", "name": "C:\\x", "children": [
          {"name": "say \"hi\"\t\u0001\ud83d\ude00",
           "url": "http://a/\"b\u001f\u00e9"}]}]},
      "other": {"type": "folder", "children": [{"name": "\u00e9"}]}}})");
  const std::string expected = R"({
   "edge73" : [ "aaaaaaaaaaaaaaaaaaaa", "bbbbbbbbbbbbbbbbbbbb", "ccccccccccccccccccc" ],
   "long" : [
      "aaaaaaaaaaaaaaaaaaaa",
      "bbbbbbbbbbbbbbbbbbbb",
      "cccccccccccccccccccc"
   ],
   "roots" : {
      "bookmark_bar" : {
         "children" : [
            {
               "children" : [
                  {
                     "name" : "say \"hi\"\t\u0001\uD83D\uDE00",
                     "url" : "http://a/\"b\u001F)"
                               "\xC3\xA9"
                               R"("
                  }
               ],
               "name" : "C:\\x",
               "type" : "folder"
            }
         ],
         "name" : "Barr)"
                               "\xC3\xA9"
                               R"(",
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
  EXPECT_EQ(WithLineEnds(expected), chrome::ChromeFileText(document));
}

TEST(ChromeDocumentText, LayoutEqualsJsonCppStyledWriter) {
  // For ASCII strings the quoting agrees with JsonCpp's, so the whole text
  // must be StyledWriter's, byte for byte.
  std::mt19937 random(7);
  auto pick = [&](int n) { return static_cast<int>(random() % n); };
  std::function<Json::Value(int)> make = [&](int depth) {
    Json::Value value;
    switch (pick(depth > 3 ? 5 : 8)) {
      case 0:
        return Json::Value(pick(2000) - 1000);
      case 1:
        return Json::Value(pick(1000) / 8.0);
      case 2:
        return Json::Value(pick(2) == 0);
      case 3:
        return value;
      case 4: {
        std::string text(pick(30), ' ');
        for (char& c : text) c = static_cast<char>(0x20 + pick(95));
        return Json::Value(text);
      }
      case 5:
      case 6:
        value = Json::Value(Json::arrayValue);
        for (int n = pick(pick(2) == 0 ? 4 : 30); n > 0; --n) {
          value.append(make(depth + 1));
        }
        return value;
      default:
        value = Json::Value(Json::objectValue);
        for (int n = pick(6); n > 0; --n) {
          value["k" + std::to_string(pick(100))] = make(depth + 1);
        }
        return value;
    }
  };
  for (int round = 0; round < 300; ++round) {
    const Json::Value value = make(0);
    ASSERT_EQ(Json::StyledWriter().write(value),
              chrome::WriteDocumentText(value, chrome::EncodedNameSet()))
        << "round " << round;
  }
}

TEST(ChromeDocumentText, FileOfTodaysChromeIsWrittenAsStyledWriterDoes) {
  TempDir dir;
  const std::string file = dir.sub("Default/Bookmarks");
  WriteBytes(file, Fixture("bookmarks-today.json"));
  const Json::Value document = LoadChrome(file);
  ASSERT_TRUE(chrome::save_chrome_file(document, U16(file)));
  EXPECT_EQ(WithLineEnds(Json::StyledWriter().write(document) + "\n"),
            ReadBytes(file));
  EXPECT_EQ(document, LoadChrome(file));
}

TEST(ChromeDocumentText, EveryStringReadsBackAfterSave) {
  const std::string pieces[] = {"a",
                                "\\",
                                "\"",
                                "\t",
                                "\n",
                                "\x01",
                                "\x1f",
                                "/",
                                "\xC3\xA9",
                                "\xE2\x82\xAC",
                                "\\u",
                                " ",
                                "\xF0\x9F\x98\x80",
                                std::string("\0", 1)};
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
