// Counting and measuring, the temporary copy, and a Chrome backup copied
// into the Favorites folder.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdio>
#include <string>
#include <vector>

#include "chrome/chrome_misc.h"
#include "chrome_test_util.h"
#include "platform/platform.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

using Tree = std::vector<std::string>;

TEST(ChromeCount, RootsFoldersAndLinksAreAddedToTheCounts) {
  int32_t folders = 0;
  int32_t links = 0;
  EXPECT_TRUE(chrome::count_chrome_nodes(Doc(ChromeText("", "")), &folders, &links));
  EXPECT_EQ(2, folders);
  EXPECT_EQ(0, links);
  folders = 5;
  links = 1;
  const Json::Value example = Doc(ChromeText(
      UrlJson(4, "a", "u") + R"(, {"type": "separator"})",
      FolderJson(5, "F", UrlJson(6, "b", "v") + "," + UrlJson(7, "c", "w"))));
  EXPECT_TRUE(chrome::count_chrome_nodes(example, &folders, &links));
  EXPECT_EQ(5 + 3, folders);
  EXPECT_EQ(1 + 3, links);
  // Nodes of the synced root are not counted; a broken root fails.
  folders = links = 0;
  EXPECT_FALSE(chrome::count_chrome_nodes(Doc("{}"), &folders, &links));
  EXPECT_FALSE(chrome::count_chrome_nodes(Json::Value(), &folders, &links));
  EXPECT_FALSE(chrome::count_chrome_nodes(
      Doc(R"({"roots": {"bookmark_bar": {"type": "folder"}, "other": 1}})"),
      &folders, &links));
  EXPECT_EQ(1, folders);
}

class ChromeMeasure : public ::testing::Test {
 protected:
  void SetUp() override {
    chrome_ = LocatedChromeFile(dir_.path());
    WriteBytes(chrome_, ChromeText(UrlJson(4, "a", "u"), ""));
  }
  TempDir dir_;
  ScopedEnv appdata_{"MARKSAFE_APPDATA", dir_.sub("AppData/Roaming")};
  ScopedEnv os_{"MARKSAFE_OS_MAJOR", "10"};
  std::string chrome_;
};

TEST_F(ChromeMeasure, SizeOfTheLiveFile) {
  uint64_t size = 0;
  int32_t folders = 10;
  int32_t links = 10;
  EXPECT_EQ(87, get_chrome_size(nullptr, nullptr, &folders, &links));
  EXPECT_EQ(87, get_chrome_bk_size(nullptr, false, &size, &folders, nullptr));
  EXPECT_EQ(0, get_chrome_size(nullptr, &size, &folders, &links));
  EXPECT_EQ(ReadBytes(chrome_).size(), size);
  EXPECT_EQ(12, folders);
  EXPECT_EQ(11, links);
  // A given file is measured, not the one the locator finds.
  const std::string other = dir_.sub("x/Bookmarks");
  WriteBytes(other, "{}");
  folders = links = 0;
  EXPECT_EQ(0, get_chrome_size(U16(other).c_str(), &size, &folders, &links));
  EXPECT_EQ(2u, size);
  EXPECT_EQ(0, folders);
  EXPECT_EQ(2, get_chrome_size(U16(dir_.sub("x/none")).c_str(), &size, &folders,
                               &links));
  folders = links = 0;
  EXPECT_EQ(0, get_chrome_bk_size(nullptr, false, &size, &folders, &links));
  EXPECT_EQ(2, folders);
  EXPECT_EQ(1, links);
  WriteBytes(chrome_, "{}");
  EXPECT_EQ(87, get_chrome_bk_size(nullptr, false, &size, &folders, &links));
  std::remove(chrome_.c_str());
  EXPECT_EQ(2, get_chrome_size(nullptr, &size, &folders, &links));
  EXPECT_EQ(2, get_chrome_bk_size(nullptr, false, &size, &folders, &links));
}

TEST_F(ChromeMeasure, SizeOfABackupFolder) {
  MakeDirs(dir_.sub("root"));
  ASSERT_EQ(0, backup_chrome(nullptr, U16(dir_.sub("root")).c_str(), true));
  uint64_t size = 0;
  int32_t folders = 7;
  int32_t links = 7;
  EXPECT_EQ(0, get_chrome_bk_size(U16(dir_.sub("root")).c_str(), true, &size,
                                  &folders, &links));
  EXPECT_EQ(2, folders);
  EXPECT_EQ(1, links);
  EXPECT_EQ(ReadBytes(dir_.sub("root/Bookmarks/Chrome/Bookmarks bar/a.url")).size(),
            size);
  EXPECT_EQ(87, get_chrome_bk_size(U16(dir_.sub("none")).c_str(), true, &size,
                                   &folders, &links));
}

TEST_F(ChromeMeasure, TemporaryCopyWithAndWithoutAnEarlierOne) {
  EXPECT_EQ(0, mk_chrome_temp_file(nullptr));
  EXPECT_EQ(ReadBytes(chrome_), ReadBytes(chrome_ + "~"));
  WriteBytes(chrome_ + "~", "old");
  EXPECT_EQ(0, mk_chrome_temp_file(U16(chrome_).c_str()));
  EXPECT_EQ(ReadBytes(chrome_), ReadBytes(chrome_ + "~"));
  // An earlier "copy" that cannot be deleted (a folder) is a failure.
  std::remove((chrome_ + "~").c_str());
  MakeDirs(chrome_ + "~/keep");
  EXPECT_EQ(87, mk_chrome_temp_file(U16(chrome_).c_str()));
  EXPECT_TRUE(IsDir(chrome_ + "~/keep"));
  ScopedEnv elsewhere("MARKSAFE_APPDATA", dir_.sub("nowhere/Roaming"));
  EXPECT_EQ(2, mk_chrome_temp_file(nullptr));
}

TEST_F(ChromeMeasure, BackupCopiedIntoFavorites) {
  WriteBytes(chrome_, ChromeText(UrlJson(4, "a", "http://a/") + "," +
                                     FolderJson(5, "Imported from IE",
                                                UrlJson(6, "i", "http://i/")),
                                 UrlJson(7, "o", "http://o/")));
  MakeDirs(dir_.sub("root"));
  ASSERT_EQ(0, backup_chrome(nullptr, U16(dir_.sub("root")).c_str(), true));
  MakeDirs(dir_.sub("Favorites"));
  EXPECT_EQ(87, import_chrome_bk_2_ie(nullptr, true, U16(dir_.sub("Favorites")).c_str()));
  EXPECT_EQ(0, import_chrome_bk_2_ie(U16(dir_.sub("root")).c_str(), true,
                                     U16(dir_.sub("Favorites")).c_str()));
  EXPECT_EQ(Tree({"Imported from chrome/", "Imported from chrome/Bookmarks bar/",
                  "Imported from chrome/Bookmarks bar/a.url",
                  "Imported from chrome/Other bookmarks/",
                  "Imported from chrome/Other bookmarks/o.url"}),
            ListTree(dir_.sub("Favorites")));
  // The Favorites folder from the locator, which fails without Internet
  // Explorer.
  ScopedEnv favorites("MARKSAFE_FAVORITES", dir_.sub("Favorites"));
  ScopedEnv program_files("MARKSAFE_PROGRAM_FILES", dir_.sub("Programs"));
  EXPECT_EQ(3, import_chrome_bk_2_ie(U16(dir_.sub("root")).c_str(), true, nullptr));
  WriteBytes(dir_.sub("Programs/Internet Explorer/iexplore.exe"), "");
  EXPECT_EQ(0, import_chrome_bk_2_ie(U16(dir_.sub("root")).c_str(), true, nullptr));
}

TEST_F(ChromeMeasure, BackupWithoutOrWithBadPositionFile) {
  const std::string backup = dir_.sub("bk");
  WriteShortcut(backup + "/Sub/s.url", "http://s/");
  WriteShortcut(backup + "/t.url", "http://t/");
  MakeDirs(dir_.sub("Favorites"));
  EXPECT_EQ(0, import_chrome_bk_2_ie(U16(backup).c_str(), false,
                                     U16(dir_.sub("Favorites")).c_str()));
  EXPECT_EQ(Tree({"Imported from chrome/", "Imported from chrome/Sub/",
                  "Imported from chrome/Sub/s.url", "Imported from chrome/t.url"}),
            ListTree(dir_.sub("Favorites")));
  // Values that climb out of either folder copy nothing anywhere.
  ASSERT_TRUE(platform::WriteProfileString(u"Chrome_menu", u"Bar", u"..\\..\\x",
                                           U16(backup + "/chrome_pos.ini")));
  ASSERT_TRUE(platform::WriteProfileString(u"Chrome_menu", u"other", u"/tmp",
                                           U16(backup + "/chrome_pos.ini")));
  LogCapture log;
  EXPECT_EQ(87, import_chrome_bk_2_ie(U16(backup).c_str(), false,
                                      U16(dir_.sub("Favorites/in")).c_str()));
  EXPECT_TRUE(log.Contains("copy_folder[M] fail"));
  EXPECT_TRUE(log.Contains("copy_folder[O] fail"));
  EXPECT_EQ(Tree({"Imported from chrome/", "Imported from chrome/Sub/",
                  "Imported from chrome/Sub/s.url", "Imported from chrome/t.url",
                  "in/", "in/Imported from chrome/"}),
            ListTree(dir_.sub("Favorites")));
  EXPECT_FALSE(Exists(dir_.sub("x")));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
