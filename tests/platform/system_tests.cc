// Text conversion and international host names from the system's
// libraries. (MD5 is checked through Chrome's checksum.)
#include <gtest/gtest.h>

#include <random>
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

// Random text of every encoded length, the ends of each range included,
// with a malformed sequence put in now and then: well-formed text decodes
// to its code points, and a malformed piece costs only U+FFFD in its place.
TEST(TextTest, RandomTextDecodesAsItsCodePoints) {
  const uint32_t edges[] = {0x01,   0x7F,    0x80,    0x7FF,    0x800,
                            0xD7FF, 0xE000,  0xFFFD,  0xFFFF,   0x10000,
                            0x1F600, 0xFFFFF, 0x10FFFF, u'/', u'\xE9'};
  const char* const bad[] = {"\x80", "\xC1\xBF", "\xE0\x9F\xBF",
                             "\xED\xB0\x80", "\xF4\x90\x80\x80", "\xF0\x9F"};
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string utf8;
    std::u16string expected;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) {
      uint32_t c = edges[random() % (sizeof edges / sizeof *edges)];
      if (random() % 2 == 0) c = 0x20 + random() % 0x10FFE0;
      if (c >= 0xD800 && c <= 0xDFFF) c = 0x41;
      if (round % 4 == 3 && random() % 6 == 0) {
        utf8 += bad[random() % (sizeof bad / sizeof *bad)];
        expected += u'\uFFFD';
      }
      if (c < 0x80) {
        utf8 += static_cast<char>(c);
      } else if (c < 0x800) {
        utf8 += static_cast<char>(0xC0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (c >> 12));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        utf8 += static_cast<char>(0xF0 | (c >> 18));
        utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      }
      if (c >= 0x10000) {
        expected += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        expected += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      } else {
        expected += static_cast<char16_t>(c);
      }
    }
    const std::u16string got = FromUtf8(utf8);
    if (expected.find(u'\uFFFD') == std::u16string::npos ||
        round % 4 != 3) {
      ASSERT_EQ(got, expected) << round;
      ASSERT_EQ(ToUtf8(got), utf8) << round;
    } else {
      // How many U+FFFD a malformed sequence becomes is the system's call;
      // what is around it stays, and no lone surrogate comes out.
      std::u16string kept;
      for (size_t i = 0; i < got.size(); ++i) {
        const bool high = got[i] >= 0xD800 && got[i] <= 0xDBFF;
        const bool low = got[i] >= 0xDC00 && got[i] <= 0xDFFF;
        const bool paired = i + 1 < got.size() && got[i + 1] >= 0xDC00 &&
                            got[i + 1] <= 0xDFFF;
        ASSERT_FALSE(low || (high && !paired)) << round;
        if (high) kept += got[i++];
        if (got[i] != u'\uFFFD') kept += got[i];
      }
      std::u16string wanted;
      for (char16_t unit : expected) {
        if (unit != u'\uFFFD') wanted += unit;
      }
      ASSERT_EQ(kept, wanted) << round;
    }
  }
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
