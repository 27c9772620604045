// Chrome to backup: export_chrome_2_folder and backup_chrome (their
// arguments, damaged files, the part replaced whole), the sizes and the
// temporary copy. Whole round trips are in tests/roundtrip.
#include <cstdio>
#include <filesystem>

#include "chrome_test_util.h"
#include "context/job.h"
#include "model/report.h"
#include "support/browser_home.h"
#include "support/faulty_env.h"

namespace marksafe {
namespace test {
namespace {

class ChromeBackup : public ChromeFileTest {
 protected:
  void SetUp() override {
    Json::Value document = Doc(ChromeText(UrlJson(11, "a", "https://a/"),
                                          UrlJson(30, "o", "http://o/")));
    document["roots"]["synced"]["children"].append(
        Doc(UrlJson(40, "phone", "https://m.example/")));
    WriteBytes(source_, Json::StyledWriter().write(document));
    WriteBytes(chrome_, ChromeText("", ""));
    MakeDirs(dir_.sub("root"));
  }
  std::string source_ = dir_.sub("source/Bookmarks");
};

TEST_F(ChromeBackup, ArgumentsAndDamagedFiles) {
  EXPECT_EQ(3, export_chrome_2_folder(Ms(U16(chrome_)), nullptr));
  EXPECT_EQ(2, export_chrome_2_folder(Ms(dir_.u16("none/Bookmarks")),
                                      Ms(dir_.u16("root"))));
  for (const char* text : {"not json", "{}"}) {
    WriteBytes(chrome_, text);
    EXPECT_EQ(87, export_chrome_2_folder(Ms(U16(chrome_)), Ms(dir_.u16("root"))));
  }
  EXPECT_EQ(Lines(), ListTree(dir_.sub("root")));
  // A node of the wrong shape is left out and reported as lost (the
  // reader's cases are tree_test's); the rest is written.
  WriteBytes(chrome_, R"({"roots": {"other": {"type": "folder"}, "bookmark_bar":
      {"type": "folder", "children": [3, {"type": "url", "name": "good",
        "url": "http://g/"}]}}})");
  EXPECT_EQ(0, export_chrome_2_folder(Ms(U16(chrome_)), Ms(dir_.u16("root"))));
  EXPECT_TRUE(context::LastReport().AnythingLost());
  EXPECT_TRUE(Exists(dir_.sub("root/Bookmarks bar/good.url")));
}

TEST_F(ChromeBackup, IntoTheBackupSet) {
  const std::u16string chrome = U16(source_);
  EXPECT_EQ(3, backup_chrome(Ms(chrome), nullptr, true));
  EXPECT_EQ(3, backup_chrome(Ms(chrome), Ms(dir_.u16("missing")), true));
  EXPECT_FALSE(Exists(dir_.sub("missing")));
  // A root given with a trailing separator.
  EXPECT_EQ(0, backup_chrome(Ms(chrome), Ms(dir_.u16("root") + u"\\"), true));
  EXPECT_EQ("http://o/", ShortcutValue(dir_.sub("root/Bookmarks/Chrome/"
                                                "Other bookmarks/o.url"),
                                       "URL"));
  // A root that leaves no room for the sub-path is refused, not cut.
  const std::string deep =
      dir_.sub(std::string(100, 'd') + "/" +
               std::string(250 - dir_.path().size() - 102, 'e'));
  MakeDirs(deep);
  EXPECT_EQ(3, backup_chrome(Ms(chrome), Ms(U16(deep)), true));
  EXPECT_FALSE(Exists(deep + "/Bookmarks"));
}

class ChromeMisc : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!home_.unusable().empty()) GTEST_SKIP() << home_.unusable();
    WriteBytes(chrome_, ChromeText(UrlJson(4, "a", "http://a/") +
                                       R"(, {"type": "separator"}, )" +
                                       FolderJson(5, "Imported from IE",
                                                  UrlJson(6, "i", "http://i/")),
                                   UrlJson(7, "o", "http://o/")));
  }
  int32_t BackUp() {
    MakeDirs(dir_.sub("root"));
    return backup_chrome(nullptr, Ms(dir_.u16("root")), true);
  }
  TempDir dir_;
  BrowserHome home_;
  std::string chrome_ = home_.ChromeBookmarks();
};

TEST_F(ChromeMisc, SizesOfTheLiveFileAndOfABackup) {
  uint64_t size = 0;
  int32_t folders = 10;
  int32_t links = 10;
  EXPECT_EQ(87, get_chrome_size(nullptr, nullptr, &folders, &links));
  EXPECT_EQ(87, get_chrome_bk_size(nullptr, false, &size, &folders, nullptr));
  // Counts are added to what the caller passes in: the three roots and
  // the folder, three links; the separator is neither.
  EXPECT_EQ(0, get_chrome_size(nullptr, &size, &folders, &links));
  EXPECT_EQ(ReadBytes(chrome_).size(), size);
  EXPECT_EQ(std::make_pair(10 + 4, 10 + 3), std::make_pair(folders, links));
  // A file that is no Chrome bookmarks file fails both size calls and
  // leaves the counts alone: it must not read as an empty browser.
  const std::string original = ReadBytes(chrome_);
  const std::string deep = std::string(5000, '[') + std::string(5000, ']');
  for (const std::string& text :
       {std::string("not json"), std::string("{}"), std::string("[]"), deep,
        std::string(R"({"roots": []})"),
        std::string(R"({"roots": {"bookmark_bar": [],
                                  "other": {"type": "folder"}}})"),
        std::string(R"({"roots": {"bookmark_bar": {"type": "folder"},
                                  "other": {"type": "folder"}, "synced": 3}})"),
        std::string(R"({"roots": {"other": {"type": "folder"}}})")}) {
    WriteBytes(dir_.sub("x/Bookmarks"), text);
    WriteBytes(chrome_, text);
    folders = links = 5;
    EXPECT_EQ(87, get_chrome_size(Ms(dir_.u16("x/Bookmarks")), &size, &folders,
                                  &links))
        << text.substr(0, 40);
    EXPECT_EQ(87, get_chrome_bk_size(nullptr, false, &size, &folders, &links))
        << text.substr(0, 40);
    EXPECT_EQ(std::make_pair(5, 5), std::make_pair(folders, links));
  }
  WriteBytes(chrome_, original);
  // A short path names a file as well as a long one.
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_.sub("x"));
  WriteBytes("B", original);
  folders = links = 0;
  EXPECT_EQ(0, get_chrome_size(Ms(u"B"), &size, &folders, &links));
  EXPECT_EQ(std::make_pair(4, 3), std::make_pair(folders, links));
  std::filesystem::current_path(cwd);
  ASSERT_EQ(0, BackUp());
  folders = links = 0;
  EXPECT_EQ(0, get_chrome_bk_size(Ms(dir_.u16("root")), true, &size, &folders,
                                  &links));
  // The folders of the backup's tree: three roots and the folder.
  EXPECT_EQ(std::make_pair(4, 3), std::make_pair(folders, links));
  // A backup counts what its restore would bring back: a file without a
  // URL in the part is no link.
  WriteBytes(dir_.sub("root/Bookmarks/Chrome/Bookmarks bar/no url.url"),
             "[InternetShortcut]\r\n");
  EXPECT_EQ(0, get_chrome_bk_size(Ms(dir_.u16("root")), true, &size, &folders,
                                  &links));
  EXPECT_EQ(std::make_pair(4, 3), std::make_pair(folders, links));
  EXPECT_EQ(87, get_chrome_bk_size(Ms(dir_.u16("none")), true, &size, &folders,
                                   &links));
  std::remove(chrome_.c_str());
  EXPECT_EQ(2, get_chrome_size(nullptr, &size, &folders, &links));
  EXPECT_EQ(2, get_chrome_bk_size(nullptr, false, &size, &folders, &links));
}

TEST_F(ChromeMisc, TemporaryCopyWithAndWithoutAnEarlierOne) {
  EXPECT_EQ(0, mk_chrome_temp_file(nullptr));
  EXPECT_EQ(ReadBytes(chrome_), ReadBytes(chrome_ + "~"));
  WriteBytes(chrome_ + "~", "old");
  {
    // A copy that fails (a full disk) leaves the earlier one.
    test::ScopedFaultyEnv env;
    env->FailNth(test::FaultOp::kWrite, 1, 112);
    EXPECT_EQ(87, mk_chrome_temp_file(Ms(U16(chrome_))));
    EXPECT_EQ("old", ReadBytes(chrome_ + "~"));
  }
  EXPECT_EQ(0, mk_chrome_temp_file(Ms(U16(chrome_))));
  EXPECT_EQ(ReadBytes(chrome_), ReadBytes(chrome_ + "~"));
  // An earlier copy that cannot be replaced (here a folder) is a failure.
  std::remove((chrome_ + "~").c_str());
  MakeDirs(chrome_ + "~/keep");
  EXPECT_EQ(87, mk_chrome_temp_file(Ms(U16(chrome_))));
  std::remove(chrome_.c_str());
  EXPECT_EQ(2, mk_chrome_temp_file(nullptr));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
