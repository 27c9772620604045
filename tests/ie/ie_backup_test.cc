// get_ie_favorites_size and backup_ie through the exports, on given paths
// and on the located Favorites folder.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/browser_home.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ListTree;
using test::LogCapture;
using test::Ms;
using test::TempDir;
using test::WriteBytes;

const volatile uint8_t kNever = 0;

class IeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(dir_.sub("Favorites/Links/a.url"), "[InternetShortcut]\r\n");
    WriteBytes(dir_.sub("Favorites/News.url"), "[InternetShortcut]\r\nURL=n");
    WriteBytes(dir_.sub("Favorites/desktop.ini"), "not a shortcut");
    WriteBytes(dir_.sub("Favorites/Deep/er/b.URL"), "b");
    WriteBytes(dir_.sub("Favorites/.Quillbay/m.url"), "m");
  }
  bool Backup(const std::u16string& to, bool into_set, bool overwrite,
              const volatile uint8_t* cancel = &kNever) {
    return backup_ie(Ms(favorites_), Ms(to), into_set, overwrite, cancel);
  }
  TempDir dir_;
  const std::u16string favorites_ = dir_.u16("Favorites");
  uint64_t size_ = 77;
  int32_t folders_ = -1;
  int32_t links_ = -1;
};

const std::vector<std::string> kBackedUp = {
    "Deep/", "Deep/er/", "Deep/er/b.URL", "Links/", "Links/a.url", "News.url"};

TEST_F(IeTest, BackupCopiesOnlyShortcutsAndItsMeasurementAgrees) {
  const std::u16string root = dir_.u16("usb");
  ASSERT_TRUE(Backup(root, true, false));
  EXPECT_EQ(ListTree(dir_.sub("usb/Bookmarks/Favorites")), kBackedUp);
  ASSERT_TRUE(get_ie_favorites_size(Ms(root + u"\\"), true, &size_, &folders_,
                                    &links_));
  EXPECT_EQ(size_, 20u + 25u + 1u);
  EXPECT_EQ(folders_, 3);
  EXPECT_EQ(links_, 3);

  const std::u16string plain = dir_.u16("plain/dest");
  ASSERT_TRUE(Backup(plain, false, false));
  EXPECT_EQ(ListTree(dir_.sub("plain/dest")), kBackedUp);
  EXPECT_FALSE(Backup(plain, false, false));
  EXPECT_TRUE(Backup(plain, false, true));
  EXPECT_FALSE(backup_ie(Ms(favorites_), nullptr, true, false, &kNever));
  EXPECT_FALSE(Backup(dir_.u16("usb2"), true, false, nullptr));
  EXPECT_FALSE(test::Exists(dir_.sub("usb2")));
}

TEST_F(IeTest, UncreatableBookmarksFolderLogsThroughTheFixedFormatter) {
  WriteBytes(dir_.sub("blocker"), "a file where a folder is needed");
  LogCapture log;
  EXPECT_FALSE(Backup(dir_.u16("blocker/" + std::string(600, 'r')), true,
                      false));
  ASSERT_FALSE(log.lines().empty());
  EXPECT_EQ(log.lines().back().size(), 511u);
  EXPECT_TRUE(log.Contains("[backup_ie] Create directory: "));
}

TEST_F(IeTest, SizeCountsEveryFolderAndRefusesShortOrMissingPaths) {
  ASSERT_TRUE(get_ie_favorites_size(Ms(favorites_), false, &size_, &folders_,
                                    &links_));
  EXPECT_EQ(folders_, 4);  // Links, Deep, Deep/er and .Quillbay
  EXPECT_EQ(links_, 4);
  size_ = 77;
  EXPECT_FALSE(
      get_ie_favorites_size(Ms(u"C:\\ab"), false, &size_, nullptr, nullptr));
  EXPECT_FALSE(get_ie_favorites_size(Ms(dir_.u16("missing")), false, &size_,
                                     &folders_, &links_));
  EXPECT_EQ(size_, 77u);
  EXPECT_FALSE(
      get_ie_favorites_size(Ms(favorites_), false, nullptr, nullptr, nullptr));
}

TEST(IeDefaultFavorites, UsedOnlyWhenInternetExplorerIsInstalled) {
  test::BrowserHome home;
  if (!home.unusable().empty()) GTEST_SKIP() << home.unusable();
  TempDir dir;
  WriteBytes(home.favorites() + "/sub/a.url", "12345");
  test::MakeDirs(dir.sub("usb"));
  const std::u16string usb = dir.u16("usb");
  uint64_t size = 0;
  int32_t folders = 0;
  int32_t links = 0;
  home.SetIeInstalled(false);
  EXPECT_FALSE(backup_ie(nullptr, Ms(usb), true, false, &kNever));
  EXPECT_TRUE(ListTree(dir.sub("usb")).empty());
  EXPECT_FALSE(get_ie_favorites_size(nullptr, false, &size, nullptr, nullptr));

  home.SetIeInstalled(true);
  ASSERT_TRUE(backup_ie(nullptr, Ms(usb), true, false, &kNever));
  EXPECT_EQ(ListTree(dir.sub("usb/Bookmarks/Favorites")),
            (std::vector<std::string>{"sub/", "sub/a.url"}));
  // into_backup_set is not used when the Favorites folder is located.
  ASSERT_TRUE(get_ie_favorites_size(nullptr, true, &size, &folders, &links));
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(folders, 1);
  EXPECT_EQ(links, 1);
}

}  // namespace
}  // namespace marksafe
