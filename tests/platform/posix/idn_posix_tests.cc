// Host names on POSIX follow today's browsers; the Windows API maps the
// sharp s to "ss" instead.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace marksafe {
namespace platform {
namespace {

TEST(IdnToAsciiTest, NonTransitionalProcessingKeepsTheSharpS) {
  std::u16string out;
  EXPECT_TRUE(IdnToAscii(u"fa\u00DF.de", &out));
  EXPECT_EQ(out, u"xn--fa-hia.de");
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
