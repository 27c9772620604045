// backup_ie_pro: the backup, and the restore of a backup set into the
// Favorites folder with its progress and failure rules.
#include <cstdint>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ListTree;
using test::Ms;
using test::TempDir;
using test::WriteBytes;
using Tree = std::vector<std::string>;

const volatile uint8_t kNever = 0;

class IeProTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeDirs(dir_.sub("Favorites"));
    test::MakeDirs(dir_.sub("usb"));
  }
  bool Run(bool is_backup, const std::string& root,
           const volatile uint8_t* cancel = &kNever) {
    return backup_ie_pro(Ms(favorites_), Ms(dir_.u16(root)), true, false,
                         cancel, is_backup, 1, 2, 3, 4, &progress_);
  }
  // Shortcuts, and position files for the Firefox and Chrome parts, in a
  // backup set.
  void Make(std::initializer_list<std::string> paths,
            const std::string& root = "usb") {
    for (const std::string& path : paths) {
      WriteBytes(dir_.sub(root + "/Bookmarks/" + path),
                 path.find("pos.ini") == std::string::npos
                     ? test::Shortcut("http://x/")
                     : kPositions);
    }
  }
  static constexpr const char* kPositions =
      "[Menu]\r\nMain=Bookmarks Menu\r\nOthers=Unsorted Bookmarks\r\n"
      "[Chrome_menu]\r\nBar=Bookmarks bar\r\nother=Other bookmarks\r\n";
  TempDir dir_;
  const std::u16string favorites_ = dir_.u16("Favorites");
  int32_t progress_ = 10;
};

// Imports and markers of the backup are never restored; the host's own
// markers in the Favorites folder stay as they are.
TEST_F(IeProTest, RestoreFoldsAllPartsIntoFavoritesAndAddsTwo) {
  Make({"Favorites/ie.url", "Favorites/skip.txt",
        "Favorites/Imported from IE/x.url",
        "Favorites/f/imported from ie/y.url", "Favorites/f/.Quillbay/m.url",
        "Favorites/f/z.url", "Firefox/pos.ini", "Firefox/Bookmarks Menu/m.url",
        "Firefox/Unsorted Bookmarks/u.url", "Chrome/chrome_pos.ini",
        "Chrome/Bookmarks bar/b.url", "Chrome/Other bookmarks/o.url"});
  WriteBytes(dir_.sub("Favorites/.Quillbay/state.url"), "host data");
  ASSERT_TRUE(Run(false, "usb"));
  EXPECT_EQ(progress_, 12);
  const std::string ff = "Imported from Firefox/";
  const std::string ch = "Imported from chrome/";
  EXPECT_EQ(
      ListTree(dir_.sub("Favorites")),
      (Tree{".Quillbay/", ".Quillbay/state.url", ff, ff + "Bookmarks Menu/",
            ff + "Bookmarks Menu/m.url", ff + "Unsorted Bookmarks/",
            ff + "Unsorted Bookmarks/u.url", ch, ch + "Bookmarks bar/",
            ch + "Bookmarks bar/b.url", ch + "Other bookmarks/",
            ch + "Other bookmarks/o.url", "f/", "f/z.url", "ie.url"}));
}

// Every failure also leaves a last error: none reads as success.
TEST_F(IeProTest, EarlyFailuresAddTwoAndNullProgressChangesNothing) {
  const auto failed = [](bool result) {
    const bool flagged = !result && marksafe_last_error() != 0;
    platform::SetLastError(0);
    return flagged;
  };
  Make({"Favorites/a.url"});
  platform::SetLastError(0);
  EXPECT_TRUE(
      failed(backup_ie_pro(Ms(favorites_), Ms(dir_.u16("usb")), true, false,
                           &kNever, false, 0, 0, 0, 0, nullptr)));
  EXPECT_TRUE(failed(backup_ie_pro(Ms(favorites_), nullptr, true, false,
                                   &kNever, false, 0, 0, 0, 0, &progress_)));
  EXPECT_TRUE(failed(Run(false, "missing")));
  EXPECT_TRUE(failed(Run(false, "usb", nullptr)));
  EXPECT_EQ(progress_, 16);
  EXPECT_TRUE(ListTree(dir_.sub("Favorites")).empty());
  // The host's counter wraps instead of overflowing.
  progress_ = INT32_MAX;
  EXPECT_FALSE(Run(false, "missing"));
  EXPECT_EQ(progress_, INT32_MIN + 1);
  // A backup folder that cannot be made, at either level: no progress.
  WriteBytes(dir_.sub("blocked/Bookmarks"), "a file");
  WriteBytes(dir_.sub("file"), "a file");
  progress_ = 10;
  EXPECT_TRUE(failed(Run(false, "blocked")));
  EXPECT_TRUE(failed(Run(false, "file")));
  EXPECT_EQ(progress_, 10);
}

// A backup copies imports too and leaves the progress alone. A restore runs
// every step whatever the earlier ones gave, and fails if any failed.
TEST_F(IeProTest, BackupAndRestoreStepsThatFail) {
  WriteBytes(dir_.sub("Favorites/a.url"), "a");
  WriteBytes(dir_.sub("Favorites/Imported from IE/b.url"), "b");
  ASSERT_TRUE(Run(true, "usb"));
  EXPECT_EQ(progress_, 10);
  EXPECT_EQ(ListTree(dir_.sub("usb/Bookmarks/Favorites")),
            (Tree{"Imported from IE/", "Imported from IE/b.url", "a.url"}));
  EXPECT_FALSE(Run(true, "usb"));  // again without overwrite

  // (A file of the Favorites folder is never replaced: tests/faults.)
  // Only the Firefox part fails, having no position file; the other parts
  // are restored all the same.
  test::MakeDirs(dir_.sub("usb2/Bookmarks/Firefox"));
  Make({"Favorites/c.url", "Chrome/chrome_pos.ini",
        "Chrome/Bookmarks bar/d.url", "Chrome/Other bookmarks/e.url"},
       "usb2");
  EXPECT_FALSE(Run(false, "usb2"));
  EXPECT_TRUE(test::Exists(dir_.sub("Favorites/c.url")));
  EXPECT_TRUE(test::Exists(
      dir_.sub("Favorites/Imported from chrome/Bookmarks bar/d.url")));
  // Only the Chrome part fails: its position file names missing folders.
  Make({"Chrome/chrome_pos.ini"}, "usb3");
  EXPECT_FALSE(Run(false, "usb3"));
  EXPECT_EQ(progress_, 14);
}

}  // namespace
}  // namespace marksafe
