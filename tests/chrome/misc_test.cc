// Counting and measuring, the temporary copy, and a Chrome backup copied
// into the Favorites folder.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdio>
#include <string>
#include <vector>

#include "chrome/chrome_misc.h"
#include "chrome_test_util.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "support/browser_home.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

using Tree = std::vector<std::string>;

TEST(ChromeCount, RootsFoldersAndLinksAreAddedToTheCounts) {
  int32_t folders = 0;
  int32_t links = 0;
  EXPECT_TRUE(
      chrome::count_chrome_nodes(Doc(ChromeText("", "")), &folders, &links));
  EXPECT_EQ(2, folders);
  EXPECT_EQ(0, links);
  folders = 5;
  const Json::Value example = Doc(ChromeText(
      UrlJson(4, "a", "u") + R"(, {"type": "separator"})",
      FolderJson(5, "F", UrlJson(6, "b", "v") + "," + UrlJson(7, "c", "w"))));
  EXPECT_TRUE(chrome::count_chrome_nodes(example, &folders, &links));
  EXPECT_EQ(5 + 3, folders);
  EXPECT_EQ(3, links);
  EXPECT_FALSE(chrome::count_chrome_nodes(Doc("{}"), &folders, &links));
  EXPECT_FALSE(chrome::count_chrome_nodes(
      Doc(R"({"roots": {"bookmark_bar": {"type": "folder"}, "other": 1}})"),
      &folders, &links));
}

class ChromeMisc : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!home_.unusable().empty()) GTEST_SKIP() << home_.unusable();
    WriteBytes(chrome_, ChromeText(UrlJson(4, "a", "http://a/") + "," +
                                       FolderJson(5, "Imported from IE",
                                                  UrlJson(6, "i", "http://i/")),
                                   UrlJson(7, "o", "http://o/")));
  }
  TempDir dir_;
  BrowserHome home_;
  // Where the locator finds it.
  std::string chrome_ = home_.ChromeBookmarks();
};

TEST_F(ChromeMisc, SizesOfTheLiveFileAndOfABackup) {
  uint64_t size = 0;
  int32_t folders = 10;
  int32_t links = 10;
  EXPECT_EQ(87, get_chrome_size(nullptr, nullptr, &folders, &links));
  EXPECT_EQ(87, get_chrome_bk_size(nullptr, false, &size, &folders, nullptr));
  EXPECT_EQ(0, get_chrome_size(nullptr, &size, &folders, &links));
  EXPECT_EQ(ReadBytes(chrome_).size(), size);
  EXPECT_EQ(10 + 3, folders);
  EXPECT_EQ(10 + 3, links);
  WriteBytes(dir_.sub("x/Bookmarks"), "{}");
  EXPECT_EQ(
      0, get_chrome_size(Ms(dir_.u16("x/Bookmarks")), &size, &folders, &links));
  EXPECT_EQ(2u, size);
  MakeDirs(dir_.sub("root"));
  ASSERT_EQ(0, backup_chrome(nullptr, Ms(dir_.u16("root")), true));
  EXPECT_EQ(0, get_chrome_bk_size(Ms(dir_.u16("root")), true, &size, &folders,
                                  &links));
  EXPECT_EQ(3, folders);  // the tree's folders below the backup folder
  EXPECT_EQ(3, links);
  EXPECT_EQ(87, get_chrome_bk_size(Ms(dir_.u16("none")), true, &size, &folders,
                                   &links));
  WriteBytes(chrome_, "{}");
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
  MakeDirs(dir_.sub("root"));
  ASSERT_EQ(0, backup_chrome(nullptr, Ms(dir_.u16("root")), true));
  MakeDirs(dir_.sub("Favorites"));
  EXPECT_EQ(87,
            import_chrome_bk_2_ie(nullptr, true, Ms(dir_.u16("Favorites"))));
  EXPECT_EQ(0, import_chrome_bk_2_ie(Ms(dir_.u16("root")), true,
                                     Ms(dir_.u16("Favorites"))));
  const Tree imported = {"Imported from chrome/",
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
  WriteShortcut(backup + "/Sub/s.url", "http://s/");
  MakeDirs(dir_.sub("Favorites"));
  EXPECT_EQ(0, import_chrome_bk_2_ie(Ms(U16(backup)), false,
                                     Ms(dir_.u16("Favorites"))));
  EXPECT_EQ(Tree({"Imported from chrome/", "Imported from chrome/Sub/",
                  "Imported from chrome/Sub/s.url"}),
            ListTree(dir_.sub("Favorites")));
  // Values that climb out of either folder copy nothing anywhere.
  const std::u16string pos = U16(backup + "/chrome_pos.ini");
  ASSERT_TRUE(
      platform::WriteProfileString(u"Chrome_menu", u"Bar", u"..\\..\\x", pos));
  ASSERT_TRUE(
      platform::WriteProfileString(u"Chrome_menu", u"other", u"/tmp", pos));
  LogCapture log;
  EXPECT_EQ(87,
            import_chrome_bk_2_ie(Ms(U16(backup)), false, Ms(dir_.u16("in"))));
  EXPECT_TRUE(log.Contains("copy_folder[M] fail"));
  EXPECT_TRUE(log.Contains("copy_folder[O] fail"));
  EXPECT_EQ(Tree({"Imported from chrome/"}), ListTree(dir_.sub("in")));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
