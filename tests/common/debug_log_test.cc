// The diagnostic formatters and the backup-set path rule.
#include "common/debug_log.h"

#include <string>

#include "common/backup_set.h"
#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
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

TEST(DebugFormatter, ArgumentsKeepTheirKindWhateverTheDirective) {
  // Error codes arrive as uint32_t, int, long: all print as numbers, and a
  // directive that names another kind never reads beside the argument.
  EXPECT_EQ(FormatMessage(0, u"fail: %ld \n", uint32_t{4313}),
            u"fail: 4313 \n");
  EXPECT_EQ(FormatMessage(0, u"%ld/%d/%u", -1L, 7, uint64_t{1} << 40),
            u"-1/7/1099511627776");
  EXPECT_EQ(FormatMessage(0, u"%s and %ld", 5, u"text"), u"5 and text");
  EXPECT_EQ(FormatMessage(0, u"%s|%s", u"only one"), u"only one|");
  EXPECT_EQ(FormatMessage(0, u"%s", static_cast<const char16_t*>(nullptr)),
            u"(null)");
  EXPECT_EQ(FormatMessage(0, u"100%% %q %"), u"100% %q %");
}

TEST(DebugFormatter, HostSinkReceivesLinesUntilRemoved) {
  std::u16string seen;
  auto sink = [](const MS_CHAR* line, void* ctx) {
    *static_cast<std::u16string*>(ctx) +=
        reinterpret_cast<const char16_t*>(line);
  };
  marksafe_set_debug_sink(sink, &seen);
  DebugLog(u"one %s\n", u"line");
  marksafe_set_debug_sink(nullptr, nullptr);
  DebugLog(u"not seen\n");
  EXPECT_EQ(seen, u"one line\n");
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
