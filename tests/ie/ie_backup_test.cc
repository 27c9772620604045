// get_ie_favorites_size and backup_ie through the exports, on given paths.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ListTree;
using test::LogCapture;
using test::Ms;
using test::TempDir;
using test::WriteBytes;

class IeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(dir_.sub("Favorites/Links/a.url"), "[InternetShortcut]\r\n");
    WriteBytes(dir_.sub("Favorites/News.url"), "[InternetShortcut]\r\nURL=n");
    WriteBytes(dir_.sub("Favorites/desktop.ini"), "not a shortcut");
    WriteBytes(dir_.sub("Favorites/Deep/er/b.URL"), "b");
    WriteBytes(dir_.sub("Favorites/.Quillbay/m.url"), "m");
  }
  TempDir dir_;
  const std::u16string favorites_ = dir_.u16("Favorites");
  const volatile uint8_t never_ = 0;
};

const std::vector<std::string> kBackedUp = {
    "Deep/", "Deep/er/", "Deep/er/b.URL", "Links/", "Links/a.url", "News.url"};

TEST_F(IeTest, BackupIntoBackupSetCreatesFoldersAndCopiesOnlyShortcuts) {
  LogCapture log;
  const std::u16string root = dir_.u16("usb");
  ASSERT_TRUE(backup_ie(Ms(favorites_), Ms(root), true, false, &never_));
  EXPECT_EQ(ListTree(dir_.sub("usb/Bookmarks/Favorites")), kBackedUp);
  EXPECT_TRUE(log.Contains("Backup_ie: ie_def_path="));

  // The measurement of the backup agrees with the copy.
  uint64_t size = 0;
  int32_t folders = -1;
  int32_t links = -1;
  ASSERT_TRUE(
      get_ie_favorites_size(Ms(root + u"\\"), true, &size, &folders, &links));
  EXPECT_EQ(folders, 3);
  EXPECT_EQ(links, 3);
  EXPECT_EQ(size, 20u + 25u + 1u);
}

TEST_F(IeTest, PlainDestinationOverwriteAndNullArguments) {
  const std::u16string dest = dir_.u16("plain/dest");
  ASSERT_TRUE(backup_ie(Ms(favorites_), Ms(dest), false, false, &never_));
  EXPECT_EQ(ListTree(dir_.sub("plain/dest")), kBackedUp);
  EXPECT_FALSE(backup_ie(Ms(favorites_), Ms(dest), false, false, &never_));
  EXPECT_TRUE(backup_ie(Ms(favorites_), Ms(dest), false, true, &never_));
  const std::u16string root = dir_.u16("usb");
  EXPECT_FALSE(backup_ie(Ms(favorites_), nullptr, true, false, &never_));
  EXPECT_FALSE(backup_ie(Ms(favorites_), Ms(root), true, false, nullptr));
  EXPECT_FALSE(test::Exists(dir_.sub("usb")));
}

TEST_F(IeTest, UncreatableBookmarksFolderLogsThroughTheFixedFormatter) {
  WriteBytes(dir_.sub("blocker"), "a file where a folder is needed");
  const std::u16string root = dir_.u16("blocker/" + std::string(600, 'r'));
  LogCapture log;
  EXPECT_FALSE(backup_ie(Ms(favorites_), Ms(root), true, false, &never_));
  ASSERT_FALSE(log.lines().empty());
  EXPECT_EQ(log.lines().back().size(), 511u);
  EXPECT_TRUE(log.Contains("[backup_ie] Create directory: "));
}

TEST_F(IeTest, SizeCountsEveryFolderAndRefusesShortOrMissingPaths) {
  uint64_t size = 77;
  int32_t folders = 0;
  int32_t links = 0;
  ASSERT_TRUE(
      get_ie_favorites_size(Ms(favorites_), false, &size, &folders, &links));
  EXPECT_EQ(folders, 4);  // Links, Deep, Deep/er and .Quillbay
  EXPECT_EQ(links, 4);

  size = 77;
  EXPECT_FALSE(
      get_ie_favorites_size(Ms(u"C:\\ab"), false, &size, nullptr, nullptr));
  EXPECT_FALSE(get_ie_favorites_size(Ms(dir_.u16("missing")), false, &size,
                                     &folders, &links));
  EXPECT_EQ(size, 77u);
  EXPECT_EQ(folders, 0);
  EXPECT_FALSE(
      get_ie_favorites_size(Ms(favorites_), false, nullptr, nullptr, nullptr));
}

}  // namespace
}  // namespace marksafe
