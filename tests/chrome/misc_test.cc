// Measuring, the temporary copy, and a Chrome backup copied into the
// Favorites folder, with Chrome's file where the locator finds it.
#include <cstdio>

#include "chrome_test_util.h"
#include "support/browser_home.h"

namespace marksafe {
namespace test {
namespace {

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
  // Counts are added to what the caller passes in; separators are neither.
  EXPECT_EQ(0, get_chrome_size(nullptr, &size, &folders, &links));
  EXPECT_EQ(ReadBytes(chrome_).size(), size);
  EXPECT_EQ(10 + 3, folders);
  EXPECT_EQ(10 + 3, links);
  WriteBytes(dir_.sub("x/Bookmarks"), "{}");
  EXPECT_EQ(
      0, get_chrome_size(Ms(dir_.u16("x/Bookmarks")), &size, &folders, &links));
  EXPECT_EQ(2u, size);
  ASSERT_EQ(0, BackUp());
  folders = links = 0;
  EXPECT_EQ(0, get_chrome_bk_size(Ms(dir_.u16("root")), true, &size, &folders,
                                  &links));
  EXPECT_EQ(3, folders);  // the tree's folders below the backup folder
  EXPECT_EQ(3, links);
  EXPECT_EQ(87, get_chrome_bk_size(Ms(dir_.u16("none")), true, &size, &folders,
                                   &links));
  WriteBytes(chrome_, R"({"roots": {"bookmark_bar": {"type": "folder"},
      "other": 1}})");
  EXPECT_EQ(87, get_chrome_bk_size(nullptr, false, &size, &folders, &links));
  std::remove(chrome_.c_str());
  EXPECT_EQ(2, get_chrome_size(nullptr, &size, &folders, &links));
  EXPECT_EQ(2, get_chrome_bk_size(nullptr, false, &size, &folders, &links));
}

TEST_F(ChromeMisc, TemporaryCopyWithAndWithoutAnEarlierOne) {
  EXPECT_EQ(0, mk_chrome_temp_file(nullptr));
  EXPECT_EQ(ReadBytes(chrome_), ReadBytes(chrome_ + "~"));
  WriteBytes(chrome_ + "~", "old");
  EXPECT_EQ(0, mk_chrome_temp_file(Ms(U16(chrome_))));
  EXPECT_EQ(ReadBytes(chrome_), ReadBytes(chrome_ + "~"));
  // An earlier copy that cannot be deleted (here a folder) is a failure.
  std::remove((chrome_ + "~").c_str());
  MakeDirs(chrome_ + "~/keep");
  EXPECT_EQ(87, mk_chrome_temp_file(Ms(U16(chrome_))));
  std::remove(chrome_.c_str());
  EXPECT_EQ(2, mk_chrome_temp_file(nullptr));
}

TEST_F(ChromeMisc, BackupCopiedIntoFavorites) {
  ASSERT_EQ(0, BackUp());
  MakeDirs(dir_.sub("Favorites"));
  EXPECT_EQ(87,
            import_chrome_bk_2_ie(nullptr, true, Ms(dir_.u16("Favorites"))));
  EXPECT_EQ(0, import_chrome_bk_2_ie(Ms(dir_.u16("root")), true,
                                     Ms(dir_.u16("Favorites"))));
  // The folder "Imported from IE" is not copied back into IE.
  const Lines imported = {"Imported from chrome/",
                          "Imported from chrome/Bookmarks bar/",
                          "Imported from chrome/Bookmarks bar/a.url",
                          "Imported from chrome/Other bookmarks/",
                          "Imported from chrome/Other bookmarks/o.url"};
  EXPECT_EQ(imported, ListTree(dir_.sub("Favorites")));
  // The located Favorites folder needs Internet Explorer.
  home_.SetIeInstalled(false);
  EXPECT_EQ(3, import_chrome_bk_2_ie(Ms(dir_.u16("root")), true, nullptr));
  home_.SetIeInstalled(true);
  EXPECT_EQ(0, import_chrome_bk_2_ie(Ms(dir_.u16("root")), true, nullptr));
  EXPECT_EQ(imported, ListTree(home_.favorites()));
}

TEST_F(ChromeMisc, BackupWithoutOrWithBadPositionFile) {
  const std::string backup = dir_.sub("bk");
  WriteUrlFile(backup + "/Sub/s.url", "http://s/");
  EXPECT_EQ(0, import_chrome_bk_2_ie(Ms(U16(backup)), false,
                                     Ms(dir_.u16("Favorites"))));
  EXPECT_EQ(Lines({"Imported from chrome/", "Imported from chrome/Sub/",
                   "Imported from chrome/Sub/s.url"}),
            ListTree(dir_.sub("Favorites")));
  // Values that climb out of either folder copy nothing anywhere.
  WriteBytes(backup + "/chrome_pos.ini",
             "[Chrome_menu]\r\nBar=..\\..\\x\r\nother=/tmp\r\n");
  LogCapture log;
  EXPECT_EQ(87,
            import_chrome_bk_2_ie(Ms(U16(backup)), false, Ms(dir_.u16("in"))));
  EXPECT_TRUE(log.Contains("copy_folder[M] fail"));
  EXPECT_TRUE(log.Contains("copy_folder[O] fail"));
  EXPECT_EQ(Lines({"Imported from chrome/"}), ListTree(dir_.sub("in")));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
