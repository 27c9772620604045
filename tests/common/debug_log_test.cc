// The diagnostic formatter, the host's debug sink and the backup-set paths.
#include "platform/debug_log.h"

#include <string>
#include <vector>

#include "backup_set/backup_set.h"
#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

// Error codes arrive as uint32_t, int, long: a directive naming another kind
// never reads beside its argument, a missing one prints nothing, and a long
// path is cut to the fixed line rather than written past it.
TEST(DebugFormatter, ArgumentsKeepTheirKindAndLongLinesAreCut) {
  EXPECT_EQ(FormatMessage(0, u"%ld/%d/%u/%x", uint32_t{4313}, -1L,
                          uint64_t{1} << 40, 255),
            u"4313/-1/1099511627776/ff");
  EXPECT_EQ(FormatMessage(0, u"%s and %ld", 5, u"text"), u"5 and text");
  EXPECT_EQ(FormatMessage(0, u"%s|%s", u"only one"), u"only one|");
  EXPECT_EQ(FormatMessage(0, u"%s", static_cast<const char16_t*>(nullptr)),
            u"(null)");
  test::LogCapture log;
  DebugLogFixed(u"[backup_ie] %s fail", std::u16string(2000, u'p'));
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_EQ(log.lines()[0].size(), 511u);
}

// A host's sink may change the thread's last-error value; a diagnostic line
// must not change it for the caller.
TEST(DebugFormatter, HostSinkReceivesLinesUntilRemoved) {
  std::u16string seen;
  marksafe_set_debug_sink(
      [](const MS_CHAR* line, void* ctx) {
        *static_cast<std::u16string*>(ctx) +=
            reinterpret_cast<const char16_t*>(line);
        platform::SetLastError(5);
      },
      &seen);
  platform::SetLastError(80);
  DebugLog(u"one %s\n", u"line");
  EXPECT_EQ(platform::GetLastError(), 80u);
  marksafe_set_debug_sink(nullptr, nullptr);
  DebugLog(u"not seen\n");
  EXPECT_EQ(seen, u"one line\n");
}

// Roots are joined whole, never cut into a fixed buffer.
TEST(BackupSetPaths, LongRootsAreJoinedWhole) {
  const std::u16string root(400, u'r');
  std::u16string out;
  EXPECT_FALSE(GetBookmarkFolder(nullptr, &out));
  ASSERT_TRUE(GetBookmarkFolder(root.c_str(), &out));
  EXPECT_EQ(out, root + u"\\Bookmarks");
}

}  // namespace
}  // namespace marksafe
