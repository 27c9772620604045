// The shared text and path helpers, and the one way a failed step becomes
// the thread's last error.
#include "base/text.h"

#include <string>

#include "base/error_codes.h"
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

}  // namespace
}  // namespace marksafe
