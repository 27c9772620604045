// Text conversion and the upper-casing used for names, the thread's
// last-error value, and international host names from the system's
// libraries. (MD5 is checked through Chrome's checksum.)
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>

#include "platform/platform.h"

namespace marksafe {
namespace platform {
namespace {

TEST(TextTest, ConversionKeepsPairsNulsAndReplacesInvalidText) {
  const std::string utf8 = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z";
  const std::u16string utf16 = u"a\u00E9\u4E2D\xD83D\xDE00z";
  EXPECT_EQ(FromUtf8(utf8), utf16);
  EXPECT_EQ(ToUtf8(utf16), utf8);
  EXPECT_EQ(FromUtf8(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  // A stray continuation byte, a byte that never occurs, a truncated
  // sequence, an overlong "/" and an encoded surrogate: never a "/" (a path
  // separator) or a lone surrogate out of them.
  for (const char* bad :
       {"\x80", "\xFF", "\xE4\xB8", "\xC0\xAF", "\xED\xA0\x80"}) {
    const std::u16string text = FromUtf8(std::string("a") + bad + "z");
    EXPECT_EQ(text.front(), u'a');
    EXPECT_EQ(text.back(), u'z');
    EXPECT_NE(text.find(u'\uFFFD'), std::u16string::npos) << bad;
    for (char16_t unit : text) {
      EXPECT_FALSE(unit == u'/' || (unit >= 0xD800 && unit <= 0xDFFF)) << bad;
    }
  }
  // Lone or reversed surrogates become U+FFFD each.
  EXPECT_EQ(ToUtf8(u"a\xD83D!"), "a\xEF\xBF\xBD!");
  EXPECT_EQ(ToUtf8(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

// As the file system upper-cases: e-acute; y-diaeresis far from its pair;
// the division sign inside a run; alternating pairs; sigma; Cyrillic and
// fullwidth letters. No mapping to ASCII (dotless i), none for sharp s or
// surrogates. Only to a letter that lower-cases back: micro sign, final
// sigma, title-case dz, Greek symbol forms, old Cyrillic forms and the
// prosgegrammeni stay. Greek letters with ypogegrammeni go to their
// title-case forms, which stay.
TEST(TextTest, UpperCaseFollowsTheFileSystem) {
  const std::u16string lower =
      u"a_\u00E9\u00FF\u00F7\u0101\u0100\u03C3\u044F\uFF41\u0131\u00DF\xD83D"
      u"\xFFFF\u00B5\u03C2\u01C5\u01C6\u03D0\u03F5\u1C80\u1E9B\u1FBE"
      u"\u1F80\u1FA7\u1F88\u1FB3\u1FC3\u1FF3";
  const std::u16string upper =
      u"A_\u00C9\u0178\u00F7\u0100\u0100\u03A3\u042F\uFF21\u0131\u00DF\xD83D"
      u"\xFFFF\u00B5\u03C2\u01C5\u01C4\u03D0\u03F5\u1C80\u1E9B\u1FBE"
      u"\u1F88\u1FAF\u1F88\u1FBC\u1FCC\u1FFC";
  ASSERT_EQ(lower.size(), upper.size());
  for (size_t i = 0; i < lower.size(); ++i) {
    EXPECT_EQ(UpperCase(lower[i]), upper[i]) << static_cast<int>(lower[i]);
  }
}

// The value is set after the other thread exists and read before it is
// joined: starting and joining a thread may themselves set the value.
TEST(SystemTest, LastErrorIsPerThread) {
  std::atomic<int> step{0};
  uint32_t seen_by_other = 1;
  std::thread other([&step, &seen_by_other] {
    while (step.load() != 1) std::this_thread::yield();
    seen_by_other = GetLastError();
    SetLastError(5);
    step.store(2);
  });
  SetLastError(1234);
  step.store(1);
  while (step.load() != 2) std::this_thread::yield();
  const uint32_t mine = GetLastError();
  other.join();
  EXPECT_EQ(seen_by_other, 0u);
  EXPECT_EQ(mine, 1234u);
}

TEST(IdnToAsciiTest, InternationalNamesBecomePunycodeOrFail) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"B\u00FCcher.example", u"xn--bcher-kva.example"},
      {u"\u2615.us", u"xn--53h.us"},            // a symbol browsers accept
      {u"\U0001D49Cb.example", u"ab.example"},  // outside the BMP
      // No ASCII form: a label over 63 characters, empty, a NUL.
      {u"\u00FC" + std::u16string(70, u'a') + u".de", u"untouched"},
      {u"", u"untouched"},
      {std::u16string(u"a\0b", 3), u"untouched"},
  };
  for (const auto& c : cases) {
    std::u16string out = u"untouched";
    EXPECT_EQ(IdnToAscii(c.first, &out), c.second != u"untouched");
    EXPECT_EQ(out, c.second);
  }
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
