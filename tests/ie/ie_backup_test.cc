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
    WriteBytes(dir_.sub("Favorites/Links/a.url"), "[InternetShortcut]\r\nURL=a\r\n");
    WriteBytes(dir_.sub("Favorites/News.url"), "[InternetShortcut]\r\nURL=n\r\n");
    WriteBytes(dir_.sub("Favorites/desktop.ini"), "ignored");
    WriteBytes(dir_.sub("Favorites/Deep/er/b.URL"), "b");
    WriteBytes(dir_.sub("Favorites/.Quillbay/m.url"), "m");
  }
  void InstallIe() {
    WriteBytes(dir_.sub("Program Files/Internet Explorer/iexplore.exe"), "");
  }
  TempDir dir_;
  ScopedEnv favorites_{"MARKSAFE_FAVORITES", dir_.sub("Favorites")};
  ScopedEnv program_files_{"MARKSAFE_PROGRAM_FILES", dir_.sub("Program Files")};
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
  ASSERT_TRUE(get_ie_favorites_size(Ms(root + u"\\"), true, &size, &folders,
                                    &links));
  EXPECT_EQ(folders, 3);
  EXPECT_EQ(links, 3);
  EXPECT_EQ(size, 27u + 27u + 1u);
}

TEST_F(IeTest, BackupWithoutIexploreCopiesNothing) {
  const std::u16string root = dir_.u16("usb");
  test::MakeDirs(dir_.sub("usb"));
  EXPECT_FALSE(backup_ie(nullptr, Ms(root), true, false, &never_));
  EXPECT_TRUE(ListTree(dir_.sub("usb")).empty());
}

TEST_F(IeTest, BackupFromGivenFolderToPlainDestination) {
  const std::u16string source = dir_.u16("Favorites");
  const std::u16string dest = dir_.u16("plain/dest");
  ASSERT_TRUE(backup_ie(Ms(source), Ms(dest), false, false, &never_));
  EXPECT_EQ(ListTree(dir_.sub("plain/dest")), kBackedUp);
  // A second run without overwrite fails on every existing file.
  EXPECT_FALSE(backup_ie(Ms(source), Ms(dest), false, false, &never_));
  EXPECT_TRUE(backup_ie(Ms(source), Ms(dest), false, true, &never_));
}

TEST_F(IeTest, BackupRefusesNullArgumentsBeforeTouchingAnything) {
  const std::u16string dest = dir_.u16("never");
  EXPECT_FALSE(backup_ie(nullptr, nullptr, true, false, &never_));
  EXPECT_FALSE(backup_ie(Ms(dir_.u16("Favorites")), Ms(dest), false, false,
                         nullptr));
  EXPECT_FALSE(test::Exists(dir_.sub("never")));
}

TEST_F(IeTest, UncreatableBookmarksFolderLogsThroughTheFixedFormatter) {
  WriteBytes(dir_.sub("blocker"), "a file where a folder is needed");
  const std::u16string root = dir_.u16("blocker/" + std::string(600, 'r'));
  LogCapture log;
  EXPECT_FALSE(backup_ie(Ms(dir_.u16("Favorites")), Ms(root), true, false,
                         &never_));
  ASSERT_FALSE(log.lines().empty());
  const std::u16string& line = log.lines().back();
  EXPECT_EQ(line.size(), 511u);
  EXPECT_EQ(test::U8(line.substr(0, 30)), "[backup_ie] Create directory: ");
}

TEST_F(IeTest, SizeOfTheFavoritesFolderAndItsRefusals) {
  InstallIe();
  uint64_t size = 0;
  int32_t folders = 0;
  int32_t links = 0;
  ASSERT_TRUE(get_ie_favorites_size(nullptr, true, &size, &folders, &links));
  EXPECT_EQ(folders, 4);  // Links, Deep, Deep/er, .Quillbay
  EXPECT_EQ(links, 4);
  EXPECT_TRUE(get_ie_favorites_size(nullptr, false, &size, nullptr, nullptr));

  size = 77;
  const std::u16string short_path = u"/tmp/ab";
  EXPECT_FALSE(get_ie_favorites_size(Ms(short_path), false, &size, nullptr,
                                     nullptr));
  EXPECT_EQ(size, 77u);
  EXPECT_FALSE(get_ie_favorites_size(nullptr, false, nullptr, nullptr,
                                     nullptr));
  const std::u16string missing = dir_.u16("missing");
  EXPECT_FALSE(get_ie_favorites_size(Ms(missing), false, &size, &folders,
                                     &links));
  EXPECT_EQ(size, 77u);
  EXPECT_EQ(folders, 0);
}

TEST_F(IeTest, SizeWithoutIexploreFails) {
  uint64_t size = 0;
  EXPECT_FALSE(get_ie_favorites_size(nullptr, false, &size, nullptr, nullptr));
}

}  // namespace
}  // namespace marksafe
