// The text of a saved Chrome file: StyledWriter's layout byte for byte,
// names below the roots encoded as Chrome spells them, and strings that read
// back as they were.
#include <random>
#include <sstream>

#include "chrome/document_writer.h"
#include "chrome_test_util.h"

namespace marksafe {
namespace test {
namespace {

// The text with each "\n" turned into the line end of the system's text
// files, as the Chrome file is written.
std::string WithLineEnds(const std::string& text) {
  std::string out;
  for (const char c : text) {
    out += c == '\n' ? platform::TextLineEnd() : std::string(1, c);
  }
  return out;
}

TEST(ChromeDocumentText, GoldenText) {
  // Names below the roots are encoded (not the roots' own, nor URLs), with
  // their quotes and control characters escaped; a blank line at the end.
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
                     "url" : "http://a/\"b\u0000\u001F)"
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
  // must be StyledWriter's, byte for byte: containers in containers, short
  // arrays on one line, arrays of 73 columns too, of 74 one value a line.
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
  // Pieces that need escapes or encoding (outside the BMP too), and NUL.
  std::vector<std::string> pieces = {std::string(1, '\0')};
  std::istringstream split(
      "a|\\|\"|\t|\n|\x01|\x1f|/|\\u| |\xC3\xA9|\xE2\x82\xAC|\xF0\x9F\x98\x80");
  for (std::string piece; std::getline(split, piece, '|');) {
    pieces.push_back(piece);
  }
  std::mt19937 random(11);
  auto text = [&] {
    std::string out;
    for (int n = random() % 12; n > 0; --n) {
      out += pieces[random() % pieces.size()];
    }
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
