// Interchange folder to Chrome: import onto the bookmark bar and the
// imports of IE and Firefox backups.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "chrome_test_util.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

using Lines = std::vector<std::string>;

class ChromeImport : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(chrome_, ChromeText(FolderJson(10, "F", UrlJson(40, "x", "X")),
                                   UrlJson(12, "o", "O")));
  }
  int32_t Import(const char16_t* name) {
    return import_folder_2_chrome_bar(Ms(U16(chrome_)), Ms(dir_.u16("src")),
                                      name == nullptr ? nullptr : Ms(name));
  }
  Json::Value Bar() {
    return RootChildren(LoadChrome(chrome_), "bookmark_bar");
  }

  TempDir dir_;
  std::string chrome_ = dir_.sub("Default/Bookmarks");
};

// "id name [url]" of each child.
Lines Summary(const Json::Value& children) {
  Lines out;
  for (const Json::Value& child : children) {
    out.push_back(child["id"].asString() + " " + child["name"].asString() +
                  (child.isMember("url") ? " " + child["url"].asString() : ""));
  }
  return out;
}

TEST_F(ChromeImport, IdsInListingOrderAndMergeByNameAndUrl) {
  WriteShortcut(dir_.sub("src/a.url"), "http://u1/");
  WriteShortcut(dir_.sub("src/S/b.url"), "http://u2/");
  ASSERT_EQ(0, Import(u"N"));
  const Json::Value n = Bar()[1];
  EXPECT_EQ("41 N", Summary(Bar())[1]);
  EXPECT_EQ(Lines({"42 a http://u1/", "43 S"}), Summary(n["children"]));
  EXPECT_EQ(Lines({"44 b http://u2/"}), Summary(n["children"][1]["children"]));
  // Again, with a URL differing only in ASCII case: nothing is added.
  WriteShortcut(dir_.sub("src/c.url"), "HTTP://U1/");
  const std::string before = ReadBytes(chrome_);
  ASSERT_EQ(0, Import(u"N"));
  EXPECT_EQ(Doc(before), LoadChrome(chrome_));
  // Folder names match exactly: n is another folder.
  ASSERT_EQ(0, Import(u"n"));
  EXPECT_EQ(Lines({"10 F", "41 N", "45 n"}), Summary(Bar()));
}

TEST_F(ChromeImport, NamesTitlesAndSkippedEntries) {
  WriteShortcut(dir_.sub("src/t.url"), "http://t/", "Docs.url");
  WriteShortcut(dir_.sub("src/Docs.url"), "http://d/");
  WriteShortcut(dir_.sub("src/Read me.URL"), "http://r/");
  WriteShortcut(dir_.sub("src/short.url"), "http://s/", "ab");
  WriteShortcut(dir_.sub("src/a.url.bak"), "http://bak/");
  WriteShortcut(dir_.sub("src/q.url"), "http://a/\"b\\c",
                "say \"hi\"\tC:\\x \xF0\x9F\x98\x80.url");
  for (const char* skipped :
       {".Quillbay", ".QUILLBAY", "imported from chrome"}) {
    WriteShortcut(dir_.sub("src/") + skipped + "/m.url", "http://m/");
  }
  ASSERT_EQ(0, Import(u"N"));
  EXPECT_EQ(
      Lines({"42 Docs http://d/",
             "43 say \"hi\"\tC:\\x \xF0\x9F\x98\x80 http://a/%22b/c",
             "44 Read me http://r/", "45 ab http://s/", "46 Docs http://t/"}),
      Summary(Bar()[1]["children"]));
}

TEST_F(ChromeImport, ArgumentsBackupsAndUntouchedFiles) {
  MakeDirs(dir_.sub("src"));
  const std::string before = ReadBytes(chrome_);
  EXPECT_EQ(3, import_folder_2_chrome_bar(Ms(U16(chrome_)), nullptr, Ms(u"N")));
  EXPECT_EQ(87, Import(nullptr));
  EXPECT_EQ(87, import_folder_2_chrome_bar(Ms(dir_.u16("none/Bookmarks")),
                                           Ms(dir_.u16("src")), Ms(u"N")));
  EXPECT_EQ(87, import_ie_2_chrome(Ms(U16(chrome_)), Ms(dir_.u16("src")), false,
                                   Ms(u"N"), "x", nullptr));
  EXPECT_EQ(before, ReadBytes(chrome_));
  // Backups go under their default names.
  WriteShortcut(dir_.sub("root/Bookmarks/Favorites/f.url"), "http://f/");
  WriteShortcut(dir_.sub("root/Bookmarks/Firefox/Menu/g.url"), "http://g/");
  EXPECT_EQ(0, import_ie_2_chrome(Ms(U16(chrome_)), Ms(dir_.u16("root")), true,
                                  nullptr, "x", "y"));
  EXPECT_EQ(0, import_firefox_2_chrome(Ms(U16(chrome_)), Ms(dir_.u16("root")),
                                       true, nullptr));
  EXPECT_EQ(3, import_firefox_2_chrome(Ms(U16(chrome_)), Ms(dir_.u16("src")),
                                       true, nullptr));
  EXPECT_EQ(Lines({"10 F", "41 Imported from IE", "43 Imported from Firefox"}),
            Summary(Bar()));
  // A bar whose children are not an array, or no document at all: 87, and
  // the file is not rewritten.
  for (const std::string& text :
       {std::string("[1, 2]"), std::string(R"({"roots": {"bookmark_bar":
           {"type": "folder", "children": {"a": 1}}, "other": {}}})")}) {
    WriteBytes(chrome_, text);
    WriteShortcut(dir_.sub("src/a.url"), "http://a/");
    EXPECT_EQ(87, Import(u""));
    EXPECT_EQ(text, ReadBytes(chrome_));
  }
}

TEST_F(ChromeImport, FailedSaveIsReported) {
  WriteShortcut(dir_.sub("src/a.url"), "http://a/");
  const std::string folder = dir_.sub("Default");
  // Permissions stop a normal user; root needs the immutable attribute.
  std::string command =
      "chmod 555 '" + folder + "'; chattr +i '" + folder + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) {
  }
  const bool locked = !platform::WriteFile(U16(folder + "/probe"), "x");
  if (locked) {
    const std::string before = ReadBytes(chrome_);
    EXPECT_EQ(87, Import(u"N"));
    EXPECT_EQ(before, ReadBytes(chrome_));
  }
  command =
      "chattr -i '" + folder + "' 2>/dev/null; chmod 755 '" + folder + "'";
  if (std::system(command.c_str()) != 0) {
  }
  if (!locked) GTEST_SKIP() << "cannot make a folder unwritable here";
}

TEST_F(ChromeImport, LookUpsSeeBookmarksAddedEarlierInTheCall) {
  // 1,400 files in 7 folders; every third repeats, in other case, the URL of
  // the file seven before it, which went into the same folder earlier.
  constexpr int kFiles = 1400;
  std::set<int> distinct;
  for (int i = 0; i < kFiles; ++i) {
    const int k = i % 3 == 2 ? i - 7 : i;
    distinct.insert(k * 7 + i % 7);
    WriteBytes(dir_.sub("src/s" + std::to_string(i % 7) + "/" +
                        std::to_string(i) + ".url"),
               "[InternetShortcut]\r\nURL=" +
                   std::string(i % 3 == 2 ? "HTTP://E.COM/" : "http://e.com/") +
                   std::to_string(k) + "\r\n");
  }
  ASSERT_EQ(0, Import(u"N"));
  std::set<std::string> ids;
  const Json::Value bar = Bar();
  for (const Json::Value& folder : bar[1]["children"]) {
    for (const Json::Value& link : folder["children"]) {
      ids.insert(link["id"].asString());
    }
  }
  EXPECT_EQ(distinct.size(), ids.size());
}

}  // namespace
}  // namespace test
}  // namespace marksafe
