// A Chrome file is untrusted: one that does not parse (or nests deeper
// than the JSON reader goes) is refused before anything is written, with
// the file and the reason named; ids of any size or form never lead to a
// colliding or wrapped new id.
#include <string>

#include "chrome/chrome_document.h"
#include "chrome/document_reader.h"
#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(HostileChromeFile, UnreadableFilesAreRefusedNamingFileAndReason) {
  TempDir dir;
  WriteBytes(dir.sub("import/a.url"),
             "[InternetShortcut]\r\nURL=https://new.example/\r\n");
  const std::string broken = "{\n \"roots\": {\n  \"bookmark_bar\": {,\n";
  const std::string deep = "{\"roots\":" + std::string(100000, '[') +
                           std::string(100000, ']') + "}";
  struct Case {
    std::string bytes;
    std::string reason;
  };
  for (const Case& c : {Case{broken, "line 3"},
                        Case{deep, "deeper than the JSON reader"}}) {
    WriteBytes(dir.sub("Bookmarks"), c.bytes);
    EXPECT_NE(import_folder_2_chrome_bar(test::Ms(dir.u16("Bookmarks")),
                                         test::Ms(dir.u16("import")),
                                         test::Ms(u"Imported")),
              0);
    EXPECT_EQ(ReadBytes(dir.sub("Bookmarks")), c.bytes);  // untouched
    const std::string report = marksafe_last_report();
    EXPECT_NE(report.find("Bookmarks"), std::string::npos) << report;
    EXPECT_NE(report.find(c.reason), std::string::npos) << report;
  }
}

TEST(HostileChromeFile, NewIdsNeverCollideOrWrap) {
  struct Case {
    const char* id;
    const char* next;
  };
  for (const Case& c :
       {Case{"9223372036854775807", "9223372036854775808"},
        Case{"18446744073709551615", "18446744073709551616"},
        Case{"99999999999999999999999999", "100000000000000000000000000"},
        Case{"not a number", "3"}, Case{"-5", "3"}}) {
    Json::Value document;
    const std::string text =
        std::string("{\"roots\":{\"bookmark_bar\":{\"type\":\"folder\","
                    "\"name\":\"b\",\"id\":\"1\",\"children\":[{\"type\":"
                    "\"url\",\"name\":\"x\",\"url\":\"https://x/\",\"id\":\"") +
        c.id + "\"}]}}}";
    ASSERT_TRUE(chrome::ParseDocumentText(text, &document)) << c.id;
    chrome::IdAllocator ids(document);
    EXPECT_EQ(ids.Next(), c.next) << c.id;
  }
}

}  // namespace
}  // namespace marksafe
