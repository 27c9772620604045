// Text conversion and international host names from the system's
// libraries. (MD5 is checked through Chrome's checksum.)
#include <gtest/gtest.h>

#include <string>
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
