// get_ie_favorites_size and backup_ie through the exports.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ListTree;
using test::LogCapture;
using test::ScopedEnv;
using test::TempDir;
using test::WriteBytes;

const MS_CHAR* Ms(const std::u16string& text) {
  return reinterpret_cast<const MS_CHAR*>(text.c_str());
}

class IeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(dir_.sub("Favorites/Links/a.url"), "[InternetShortcut]\r\n");
    WriteBytes(dir_.sub("Favorites/News.url"), "[InternetShortcut]\r\nURL=n");
    WriteBytes(dir_.sub("Favorites/desktop.ini"), "not a shortcut");
    WriteBytes(dir_.sub("Favorites/Deep/er/b.URL"), "b");
    WriteBytes(dir_.sub("Favorites/.Quillbay/m.url"), "m");
  }
  void InstallIe() {
    WriteBytes(dir_.sub("PF/Internet Explorer/iexplore.exe"), "");
  }
  TempDir dir_;
  ScopedEnv favorites_{"MARKSAFE_FAVORITES", dir_.sub("Favorites")};
  ScopedEnv program_files_{"MARKSAFE_PROGRAM_FILES", dir_.sub("PF")};
  const volatile uint8_t never_ = 0;
};

const std::vector<std::string> kBackedUp = {
    "Deep/", "Deep/er/", "Deep/er/b.URL", "Links/", "Links/a.url", "News.url"};

TEST_F(IeTest, BackupIntoBackupSetCreatesFoldersAndCopiesOnlyShortcuts) {
  InstallIe();
  LogCapture log;
  const std::u16string root = dir_.u16("usb");
  ASSERT_TRUE(backup_ie(nullptr, Ms(root), true, false, &never_));
  EXPECT_EQ(ListTree(dir_.sub("usb/Bookmarks/Favorites")), kBackedUp);
  EXPECT_TRUE(log.Contains("Backup_ie: ie_def_path=(null), backup_path="));
  EXPECT_TRUE(log.Contains("[DllExport][backup_ie] call get_ie_path func.\n"));

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

TEST_F(IeTest, NothingIsCopiedWithoutIexploreOrWithNullArguments) {
  test::MakeDirs(dir_.sub("usb"));
  const std::u16string root = dir_.u16("usb");
  EXPECT_FALSE(backup_ie(nullptr, Ms(root), true, false, &never_));
  EXPECT_FALSE(
      backup_ie(Ms(dir_.u16("Favorites")), nullptr, true, false, &never_));
  EXPECT_FALSE(
      backup_ie(Ms(dir_.u16("Favorites")), Ms(root), true, false, nullptr));
  EXPECT_TRUE(ListTree(dir_.sub("usb")).empty());
}

TEST_F(IeTest, PlainDestinationAndOverwrite) {
  const std::u16string source = dir_.u16("Favorites");
  const std::u16string dest = dir_.u16("plain/dest");
  ASSERT_TRUE(backup_ie(Ms(source), Ms(dest), false, false, &never_));
  EXPECT_EQ(ListTree(dir_.sub("plain/dest")), kBackedUp);
  EXPECT_FALSE(backup_ie(Ms(source), Ms(dest), false, false, &never_));
  EXPECT_TRUE(backup_ie(Ms(source), Ms(dest), false, true, &never_));
}

TEST_F(IeTest, UncreatableBookmarksFolderLogsThroughTheFixedFormatter) {
  WriteBytes(dir_.sub("blocker"), "a file where a folder is needed");
  const std::u16string root = dir_.u16("blocker/" + std::string(600, 'r'));
  LogCapture log;
  EXPECT_FALSE(
      backup_ie(Ms(dir_.u16("Favorites")), Ms(root), true, false, &never_));
  ASSERT_FALSE(log.lines().empty());
  const std::u16string& line = log.lines().back();
  EXPECT_EQ(line.size(), 511u);
  EXPECT_EQ(test::U8(line.substr(0, 30)), "[backup_ie] Create directory: ");
}

TEST_F(IeTest, SizeOfTheFavoritesFolderAndItsRefusals) {
  uint64_t size = 77;
  int32_t folders = 0;
  int32_t links = 0;
  EXPECT_FALSE(get_ie_favorites_size(nullptr, false, &size, nullptr, nullptr));
  InstallIe();
  ASSERT_TRUE(get_ie_favorites_size(nullptr, true, &size, &folders, &links));
  EXPECT_EQ(folders, 4);  // Links, Deep, Deep/er and .Quillbay
  EXPECT_EQ(links, 4);

  size = 77;
  EXPECT_FALSE(
      get_ie_favorites_size(Ms(u"/tmp/ab"), false, &size, nullptr, nullptr));
  EXPECT_FALSE(
      get_ie_favorites_size(nullptr, false, nullptr, nullptr, nullptr));
  EXPECT_FALSE(get_ie_favorites_size(Ms(dir_.u16("missing")), false, &size,
                                     &folders, &links));
  EXPECT_EQ(size, 77u);
  EXPECT_EQ(folders, 0);
}

}  // namespace
}  // namespace marksafe
