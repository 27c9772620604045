// The diagnostic formatters and the backup-set path rule.
#include <string>

#include "common/backup_set.h"
#include "common/debug_log.h"
#include "gtest/gtest.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {


TEST(DebugFormatter, FixedFormatterCutsAt511UnitsAndKeepsLastError) {
  const std::u16string long_path(2000, u'p');
  test::LogCapture log;
  platform::SetLastError(1234);
  DebugLogFixed(u"[backup_ie] Create directory: %s fail", long_path.c_str());
  EXPECT_EQ(platform::GetLastError(), 1234u);
  ASSERT_EQ(log.lines().size(), 1u);
  const std::u16string& line = log.lines()[0];
  ASSERT_EQ(line.size(), 511u);
  EXPECT_EQ(line.substr(0, 30), u"[backup_ie] Create directory: ");
  EXPECT_EQ(line.back(), u'p');

  EXPECT_EQ(FormatMessage(5, u"%s", u"abcdefgh"), u"abcde");
  EXPECT_EQ(FormatMessage(5, u"abc%sdef", u"xy"), u"abcxy");
}


TEST(BackupSetPaths, TrailingSeparatorOrNotGivesTheSamePaths) {
  std::u16string out;
  ASSERT_TRUE(GetBookmarkFolder(u"D:\\usb", &out));
  EXPECT_EQ(out, u"D:\\usb\\Bookmarks");
  ASSERT_TRUE(GetBookmarkFolder(u"D:\\usb\\", &out));
  EXPECT_EQ(out, u"D:\\usb\\Bookmarks");
  EXPECT_FALSE(GetBookmarkFolder(nullptr, &out));
  EXPECT_EQ(BackupSetFolder(u"D:\\usb\\", BackupPart::kChrome),
            u"D:\\usb\\Bookmarks\\Chrome");
  EXPECT_EQ(ResolveBackupPath(u"D:\\usb", true, BackupPart::kFirefox),
            u"D:\\usb\\Bookmarks\\Firefox");
  EXPECT_EQ(ResolveBackupPath(u"D:\\usb", false, BackupPart::kFirefox),
            u"D:\\usb");
  // Long roots are joined whole, never cut or overrun.
  const std::u16string root(400, u'r');
  EXPECT_EQ(BackupSetFolder(root, BackupPart::kFavorites).size(), 420u);
}

}  // namespace
}  // namespace marksafe
