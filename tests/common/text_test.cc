// The shared text and path helpers, and the one way a failed step becomes
// the thread's last error.
#include "base/text.h"

#include <string>

#include "base/error_codes.h"
#include "base/json_cursor.h"
#include "base/status.h"
#include "gtest/gtest.h"
#include "platform/platform.h"

namespace marksafe {
namespace {

TEST(Text, PathEnds) {
  EXPECT_EQ(WithoutTrailingSeparators(u"a\\b\\/"), u"a\\b");
  EXPECT_EQ(WithoutTrailingSeparators(u"/"), u"/");
  EXPECT_EQ(LastComponent(u"a/b\\c"), u"c");
  EXPECT_EQ(LastComponent(u"c"), u"c");
  EXPECT_EQ(LastComponent(u"a\\"), u"");
}

TEST(Status, AFailureNeverReadsAsSuccess) {
  EXPECT_EQ(Status::Error(kErrorSuccess, u"x").code(), kErrorInvalidParameter);
}

// Numbers a JSON reader takes as whole: int64's whole range, fractions and
// exponents that come out whole, nothing beyond.
TEST(JsonCursorTest, WholeNumbersAndTheirLimits) {
  const struct {
    const char* text;
    bool whole;
    int64_t value;
  } cases[] = {
      {"0", true, 0},
      {"-0", true, 0},
      {"1796700000000000", true, 1796700000000000},
      {"9223372036854775807", true, INT64_MAX},
      {"9223372036854775808", false, 0},
      {"-9223372036854775808", true, INT64_MIN},
      {"-9223372036854775809", false, 0},
      {"18446744073709551617", false, 0},
      {"2.0", true, 2},
      {"2.5", false, 0},
      {"-3e2", true, -300},
  };
  for (const auto& c : cases) {
    JsonCursor json(c.text);
    int64_t value = 0;
    bool whole = !c.whole;
    ASSERT_TRUE(json.ReadNumber(&value, &whole)) << c.text;
    EXPECT_EQ(whole, c.whole) << c.text;
    if (c.whole) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}
}  // namespace
}  // namespace marksafe
