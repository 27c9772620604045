// The text of a saved Chrome file: layout, quoting, encoded names, and
// strings that read back as they were.
#include <gtest/gtest.h>
#include <json/json.h>

#include <random>
#include <string>

#include "chrome/chrome_document.h"
#include "chrome/document_reader.h"
#include "chrome/document_writer.h"
#include "chrome_test_util.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

// The text with each "\n" turned into the line end of the system's text
// files, as the Chrome file is written.
std::string WithLineEnds(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += platform::TextLineEnd();
    } else {
      out += c;
    }
  }
  return out;
}

TEST(ChromeDocumentText, GoldenLayoutWithEncodedNames) {
  const Json::Value document = Doc(R"({"version": 1, "meta": {},
    "short": [1, 2.5, "x", true, null, {}, []],
    "long": ["aaaaaaaaaaaaaaaaaaaa", "bbbbbbbbbbbbbbbbbbbb",
             "cccccccccccccccccccc"],
    "edge73": ["aaaaaaaaaaaaaaaaaaaa", "bbbbbbbbbbbbbbbbbbbb",
               "ccccccccccccccccccc"],
    "roots": {
      "bookmark_bar": {"type": "folder", "name": "Barr\u00e9", "id": "1",
        "children": [
          {"type": "url", "name": "\u00e9", "id": "4", "url": "C:\\x"},
          {"type": "folder", "name": "C:\\x", "id": "5", "children": [],
           "date_added": "0"}]},
      "other": {"type": "folder", "name": "Other", "id": "2",
                "children": []}}})");
  const std::string expected =
      "{\n"
      "   \"edge73\" : [ \"aaaaaaaaaaaaaaaaaaaa\", \"bbbbbbbbbbbbbbbbbbbb\", "
      "\"ccccccccccccccccccc\" ],\n"
      "   \"long\" : [\n"
      "      \"aaaaaaaaaaaaaaaaaaaa\",\n"
      "      \"bbbbbbbbbbbbbbbbbbbb\",\n"
      "      \"cccccccccccccccccccc\"\n"
      "   ],\n"
      "   \"meta\" : {},\n"
      "   \"roots\" : {\n"
      "      \"bookmark_bar\" : {\n"
      "         \"children\" : [\n"
      "            {\n"
      "               \"id\" : \"4\",\n"
      "               \"name\" : \"\\u00E9\",\n"
      "               \"type\" : \"url\",\n"
      "               \"url\" : \"C:\\\\x\"\n"
      "            },\n"
      "            {\n"
      "               \"children\" : [],\n"
      "               \"date_added\" : \"0\",\n"
      "               \"id\" : \"5\",\n"
      "               \"name\" : \"C:\\\\x\",\n"
      "               \"type\" : \"folder\"\n"
      "            }\n"
      "         ],\n"
      "         \"id\" : \"1\",\n"
      "         \"name\" : \"Barr\xC3\xA9\",\n"
      "         \"type\" : \"folder\"\n"
      "      },\n"
      "      \"other\" : {\n"
      "         \"children\" : [],\n"
      "         \"id\" : \"2\",\n"
      "         \"name\" : \"Other\",\n"
      "         \"type\" : \"folder\"\n"
      "      }\n"
      "   },\n"
      "   \"short\" : [ 1, 2.5, \"x\", true, null, {}, [] ],\n"
      "   \"version\" : 1\n"
      "}\n"
      "\n";
  EXPECT_EQ(WithLineEnds(expected), chrome::ChromeFileText(document));
}

TEST(ChromeDocumentText, QuotingOfNamesAndOtherStrings) {
  const std::string text = chrome::ChromeFileText(
      Doc(ChromeText(UrlJson(4, "say \\\"hi\\\"\\t\\u0001\\ud83d\\ude00",
                             "http://a/\\\"b\\u001f"),
                     "")));
  EXPECT_NE(std::string::npos,
            text.find("\"name\" : \"say \\\"hi\\\"\\t\\u0001\\uD83D\\uDE00\""));
  EXPECT_NE(std::string::npos,
            text.find("\"url\" : \"http://a/\\\"b\\u001F\""));
}

TEST(ChromeDocumentText, LayoutEqualsJsonCppStyledWriter) {
  // For ASCII strings the quoting rules agree with JsonCpp's, so the whole
  // text must be StyledWriter's, byte for byte.
  std::mt19937 random(7);
  auto pick = [&](int n) { return static_cast<int>(random() % n); };
  std::function<Json::Value(int)> make = [&](int depth) -> Json::Value {
    const int kind = depth > 3 ? pick(5) : pick(8);
    switch (kind) {
      case 0:
        return Json::Value(pick(2000) - 1000);
      case 1:
        return Json::Value(pick(1000) / 8.0);
      case 2:
        return Json::Value(pick(2) == 0);
      case 3:
        return Json::Value();
      case 4: {
        std::string text;
        const int length = pick(30);
        for (int i = 0; i < length; ++i) {
          text += static_cast<char>(0x20 + pick(95));
        }
        return Json::Value(text);
      }
      case 5:
      case 6: {
        Json::Value array(Json::arrayValue);
        const int size = pick(pick(2) == 0 ? 4 : 30);
        for (int i = 0; i < size; ++i) array.append(make(depth + 1));
        return array;
      }
      default: {
        Json::Value object(Json::objectValue);
        const int size = pick(6);
        for (int i = 0; i < size; ++i) {
          object["k" + std::to_string(pick(100))] = make(depth + 1);
        }
        return object;
      }
    }
  };
  for (int round = 0; round < 300; ++round) {
    const Json::Value value = make(0);
    Json::StyledWriter styled;
    ASSERT_EQ(styled.write(value),
              chrome::WriteDocumentText(value, chrome::EncodedNameSet()))
        << "round " << round;
  }
}

TEST(ChromeDocumentText, EveryStringReadsBackAfterSave) {
  std::mt19937 random(11);
  const char* pieces[] = {"a",
                          "\\",
                          "\"",
                          "\t",
                          "\n",
                          "\x01",
                          "\x1f",
                          "/",
                          "\xC3\xA9",
                          "\xE2\x82\xAC",
                          "\xF0\x9F\x98\x80",
                          "\\u",
                          "C:\\x",
                          "(NUL)",
                          " "};
  auto random_text = [&] {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) {
      const size_t piece = random() % 15;
      text += piece == 13 ? std::string("\0", 1) : std::string(pieces[piece]);
    }
    return text;
  };
  for (int round = 0; round < 100; ++round) {
    Json::Value document = Doc(ChromeText("", ""));
    Json::Value& bar = document["roots"]["bookmark_bar"]["children"];
    Json::Value folder;
    chrome::make_folder_node("7", random_text(), &folder);
    Json::Value url;
    chrome::make_url_node("8", random_text(), random_text(), &url);
    folder["children"].append(url);
    bar.append(folder);
    document["roots"]["synced"]["name"] = random_text();
    document["roots"]["bookmark_bar"]["name"] = random_text();
    document[random_text()] = random_text();
    Json::Value read_back;
    ASSERT_TRUE(chrome::ParseDocumentText(chrome::ChromeFileText(document),
                                          &read_back));
    ASSERT_EQ(document, read_back) << "round " << round;
  }
}

TEST(ChromeDocumentText, FixtureOfTodaysChromeRoundTrips) {
  // A Bookmarks file as Chromium 156 wrote it.
  std::string fixture = __FILE__;
  fixture = fixture.substr(0, fixture.rfind('/')) +
            "/../data/chrome/bookmarks-today.json";
  ASSERT_TRUE(Exists(fixture)) << fixture;
  TempDir dir;
  const std::string file = dir.sub("Default/Bookmarks");
  WriteBytes(file, ReadBytes(fixture));
  const Json::Value document = LoadChrome(file);
  ASSERT_TRUE(chrome::save_chrome_file(document, U16(file)));
  const std::string saved = ReadBytes(file);
  Json::StyledWriter styled;
  EXPECT_EQ(WithLineEnds(styled.write(document) + "\n"), saved);
  const Json::Value again = LoadChrome(file);
  EXPECT_EQ(document, again);
  EXPECT_EQ("3", again["roots"]["synced"]["id"].asString());
  EXPECT_EQ("", again["roots"]["bookmark_bar"]["children"][0]["meta_info"]
                     ["power_bookmark_meta"]
                         .asString());
}

TEST(ChromeDocumentReader, BackslashBeforeHighByteIsKeptInStringsOnly) {
  Json::Value value;
  ASSERT_TRUE(
      chrome::ParseDocumentText("[\"a\\\xC3\xA9\", \"b\\tc\"]", &value));
  EXPECT_EQ("a\\\xC3\xA9", value[0].asString());
  EXPECT_EQ("b\tc", value[1].asString());
  EXPECT_FALSE(chrome::ParseDocumentText("[\"a\\q\"]", &value));
  EXPECT_TRUE(value.isNull());
  // A quote in a comment opens no string, "//" in a string no comment, and
  // an escaped quote does not end the string.
  ASSERT_TRUE(chrome::ParseDocumentText(
      "// say \"\n{\"a\" : \"x//\\\"\\\xC3\xA9\" /* \\\xC3\xA9 \" */}",
      &value));
  EXPECT_EQ("x//\"\\\xC3\xA9", value["a"].asString());
  EXPECT_FALSE(chrome::ParseDocumentText(
      std::string(5000, '[') + std::string(5000, ']'), &value));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
