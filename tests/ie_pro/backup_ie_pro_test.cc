// backup_ie_pro: the backup path, and the restore of a backup set into the
// Favorites folder with its progress and failure rules.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::Exists;
using test::ListTree;
using test::LogCapture;
using test::ReadBytes;
using test::ScopedEnv;
using test::TempDir;
using test::WriteBytes;

const MS_CHAR* Ms(const std::u16string& text) {
  return reinterpret_cast<const MS_CHAR*>(text.c_str());
}

class IeProTest : public ::testing::Test {
 protected:
  bool Run(bool is_backup, bool into_backup_set = true,
           const std::u16string* favorites = nullptr) {
    return backup_ie_pro(favorites ? Ms(*favorites) : nullptr, Ms(root_),
                         into_backup_set, false, &never_, is_backup, 1, 2, 3,
                         4, &progress_);
  }
  TempDir dir_;
  ScopedEnv favorites_env_{"MARKSAFE_FAVORITES", dir_.sub("Favorites")};
  ScopedEnv program_files_{"MARKSAFE_PROGRAM_FILES", dir_.sub("PF")};
  std::u16string root_ = dir_.u16("usb");
  const volatile uint8_t never_ = 0;
  int32_t progress_ = 10;

  void SetUp() override {
    WriteBytes(dir_.sub("PF/Internet Explorer/iexplore.exe"), "");
    test::MakeDirs(dir_.sub("Favorites"));
    test::MakeDirs(dir_.sub("usb"));
  }
};

TEST_F(IeProTest, RestoreOfFavoritesOnlyAddsExactlyTwo) {
  WriteBytes(dir_.sub("usb/Bookmarks/Favorites/a.url"), "a");
  WriteBytes(dir_.sub("usb/Bookmarks/Favorites/sub/b.url"), "b");
  WriteBytes(dir_.sub("usb/Bookmarks/Favorites/skip.txt"), "t");
  ASSERT_TRUE(Run(/*is_backup=*/false));
  EXPECT_EQ(progress_, 12);
  EXPECT_EQ(ListTree(dir_.sub("Favorites")),
            (std::vector<std::string>{"a.url", "sub/", "sub/b.url"}));
}

TEST_F(IeProTest, ImportedFromIeIsNeverRestored) {
  WriteBytes(dir_.sub("usb/Bookmarks/Favorites/Imported from IE/x.url"), "x");
  WriteBytes(dir_.sub("usb/Bookmarks/Favorites/f/imported from ie/y.url"), "y");
  WriteBytes(dir_.sub("usb/Bookmarks/Favorites/f/z.url"), "z");
  ASSERT_TRUE(Run(false));
  EXPECT_EQ(ListTree(dir_.sub("Favorites")),
            (std::vector<std::string>{"f/", "f/z.url"}));
}

TEST_F(IeProTest, MarkersAreNotCopiedAndHidingSucceeds) {
  WriteBytes(dir_.sub("usb/Bookmarks/Favorites/.Quillbay/x.url"), "x");
  WriteBytes(dir_.sub("Favorites/.Quillbay/state"), "host data");
  WriteBytes(dir_.sub("Favorites/d/.quillbay"), "file marker");
  ASSERT_TRUE(Run(false));
  EXPECT_EQ(ListTree(dir_.sub("Favorites")),
            (std::vector<std::string>{".Quillbay/", ".Quillbay/state", "d/",
                                      "d/.quillbay"}));
  EXPECT_EQ(ReadBytes(dir_.sub("Favorites/.Quillbay/state")), "host data");
}

TEST_F(IeProTest, NullProgressChangesNothing) {
  WriteBytes(dir_.sub("usb/Bookmarks/Favorites/a.url"), "a");
  EXPECT_FALSE(backup_ie_pro(nullptr, Ms(root_), true, false, &never_, false,
                             0, 0, 0, 0, nullptr));
  EXPECT_TRUE(ListTree(dir_.sub("Favorites")).empty());
}

TEST_F(IeProTest, EarlyFailuresAddTwo) {
  EXPECT_FALSE(backup_ie_pro(nullptr, nullptr, true, false, &never_, false, 0,
                             0, 0, 0, &progress_));
  EXPECT_EQ(progress_, 12);
  root_ = dir_.u16("missing");
  EXPECT_FALSE(Run(false));
  EXPECT_EQ(progress_, 14);
  EXPECT_FALSE(Exists(dir_.sub("missing")));
  root_ = dir_.u16("usb");
  ScopedEnv no_ie("MARKSAFE_PROGRAM_FILES", dir_.sub("nowhere"));
  EXPECT_FALSE(Run(false));
  EXPECT_EQ(progress_, 16);
  EXPECT_FALSE(backup_ie_pro(nullptr, Ms(root_), true, false, nullptr, false,
                             0, 0, 0, 0, &progress_));
  EXPECT_EQ(progress_, 18);
}

TEST_F(IeProTest, UncreatableBackupFolderFailsWithoutProgress) {
  WriteBytes(dir_.sub("usb/Bookmarks"), "a file");
  LogCapture log;
  EXPECT_FALSE(Run(false));
  EXPECT_EQ(progress_, 10);
  EXPECT_TRUE(log.Contains("Backup_ie_pro: CreateDirectory2 "));
}

TEST_F(IeProTest, ProgressWrapsInsteadOfOverflowing) {
  progress_ = INT32_MAX;
  EXPECT_FALSE(backup_ie_pro(nullptr, nullptr, true, false, &never_, false, 0,
                             0, 0, 0, &progress_));
  EXPECT_EQ(progress_, INT32_MIN + 1);
}

TEST_F(IeProTest, BackupLeavesProgressAlone) {
  WriteBytes(dir_.sub("Favorites/a.url"), "a");
  WriteBytes(dir_.sub("Favorites/Imported from IE/b.url"), "b");
  LogCapture log;
  ASSERT_TRUE(Run(/*is_backup=*/true));
  EXPECT_EQ(progress_, 10);
  EXPECT_EQ(ListTree(dir_.sub("usb/Bookmarks/Favorites")),
            (std::vector<std::string>{"Imported from IE/",
                                      "Imported from IE/b.url", "a.url"}));
  EXPECT_TRUE(log.Contains("Backup_ie_pro: sourcePath="));
  // Again without overwrite: the copy fails and says so.
  EXPECT_FALSE(Run(true));
  EXPECT_TRUE(log.Contains("[DllExport] [backup_ie_pro] backup IE fav. fail: 80"));
}

TEST_F(IeProTest, PlainBackupFolderStillFindsTheOtherPartsUnderIt) {
  // Without into_backup_set the path is the Favorites backup itself; the
  // Firefox and Chrome parts are looked for below it as below a root.
  WriteBytes(dir_.sub("usb/a.url"), "a");
  const std::u16string favorites = dir_.u16("Favorites");
  ASSERT_TRUE(Run(false, /*into_backup_set=*/false, &favorites));
  EXPECT_EQ(ListTree(dir_.sub("Favorites")),
            (std::vector<std::string>{"a.url"}));
  EXPECT_EQ(progress_, 12);
}

TEST_F(IeProTest, FailedFavoritesCopyStillRunsTheOtherStepsAndReports) {
  WriteBytes(dir_.sub("usb/Bookmarks/Favorites/a.url"), "from backup");
  WriteBytes(dir_.sub("Favorites/a.url"), "existing");
  // A Firefox part without its position file cannot be restored.
  test::MakeDirs(dir_.sub("usb/Bookmarks/Firefox"));
  LogCapture log;
  EXPECT_FALSE(Run(false));
  EXPECT_EQ(progress_, 12);
  EXPECT_EQ(ReadBytes(dir_.sub("Favorites/a.url")), "existing");
  EXPECT_TRUE(log.Contains("[DllExport] [backup_ie_pro] import IE backup fail: 80 ,sourcePath="));
  EXPECT_TRUE(log.Contains("[DllExport] [backup_ie_pro] import firefox backup to IE fav. fail:"));
  EXPECT_TRUE(log.Contains("[DllExport] [backup_ie_pro] ie_fav path:"));
}

}  // namespace
}  // namespace marksafe

namespace marksafe {
namespace {

void WriteShortcut(const std::string& path, const std::string& url) {
  test::WriteBytes(path, "[InternetShortcut]\r\nURL=" + url + "\r\n");
}

TEST_F(IeProTest, RestoreFoldsFirefoxAndChromePartsIntoFavorites) {
  WriteShortcut(dir_.sub("usb/Bookmarks/Favorites/ie.url"), "http://ie/");
  WriteBytes(dir_.sub("usb/Bookmarks/Firefox/pos.ini"),
             "[Menu]\r\nMain=Bookmarks Menu\r\nOthers=Unsorted Bookmarks\r\n");
  WriteShortcut(dir_.sub("usb/Bookmarks/Firefox/Bookmarks Menu/m.url"),
                "http://m/");
  WriteShortcut(dir_.sub("usb/Bookmarks/Firefox/Unsorted Bookmarks/u.url"),
                "http://u/");
  WriteBytes(dir_.sub("usb/Bookmarks/Chrome/chrome_pos.ini"),
             "[Chrome_menu]\r\nBar=Bookmarks bar\r\nother=Other bookmarks\r\n");
  WriteShortcut(dir_.sub("usb/Bookmarks/Chrome/Bookmarks bar/b.url"),
                "http://b/");
  WriteShortcut(dir_.sub("usb/Bookmarks/Chrome/Other bookmarks/o.url"),
                "http://o/");
  ASSERT_TRUE(Run(false));
  EXPECT_EQ(progress_, 12);
  EXPECT_EQ(ListTree(dir_.sub("Favorites")),
            (std::vector<std::string>{
                "Imported from Firefox/", "Imported from Firefox/Bookmarks Menu/",
                "Imported from Firefox/Bookmarks Menu/m.url",
                "Imported from Firefox/Unsorted Bookmarks/",
                "Imported from Firefox/Unsorted Bookmarks/u.url",
                "Imported from chrome/", "Imported from chrome/Bookmarks bar/",
                "Imported from chrome/Bookmarks bar/b.url",
                "Imported from chrome/Other bookmarks/",
                "Imported from chrome/Other bookmarks/o.url", "ie.url"}));
}

}  // namespace
}  // namespace marksafe
