// UTF-16 <-> UTF-8 conversion and the upper-casing used for names.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace marksafe {
namespace platform {
namespace {

TEST(TextTest, NonBmpCharactersBecomeSurrogatePairs) {
  const std::string utf8 = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z";
  const std::u16string utf16 = u"a\u00E9\u4E2D\xD83D\xDE00z";
  EXPECT_EQ(FromUtf8(utf8), utf16);
  EXPECT_EQ(ToUtf8(utf16), utf8);
  EXPECT_EQ(FromUtf8(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(FromUtf8(""), u"");
  EXPECT_EQ(ToUtf8(u""), "");
}

TEST(TextTest, InvalidUtf8IsReplacedNotRejected) {
  // A stray continuation byte, a byte that never occurs, a truncated
  // sequence, an overlong "/" and an encoded surrogate.
  EXPECT_EQ(FromUtf8("a\x80"
                     "b"),
            u"a\uFFFDb");
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b"),
            u"a\uFFFDb");
  EXPECT_EQ(FromUtf8("a\xE4\xB8"), u"a\uFFFD");
  EXPECT_EQ(FromUtf8("\xC0\xAF"
                     "x")
                .back(),
            u'x');
  EXPECT_EQ(FromUtf8("\xC0\xAF"
                     "x")
                .find(u'/'),
            std::u16string::npos);
  std::u16string surrogate = FromUtf8(
      "\xED\xA0\x80"
      "x");
  EXPECT_EQ(surrogate.back(), u'x');
  for (char16_t unit : surrogate) {
    EXPECT_FALSE(unit >= 0xD800 && unit <= 0xDFFF);
  }
}

TEST(TextTest, LoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(ToUtf8(u"a\xD83D"
                   u"b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(ToUtf8(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(u"x\xD83D"), "x\xEF\xBF\xBD");
}

TEST(TextTest, UpperCaseFollowsTheFileSystem) {
  EXPECT_EQ(UpperCase(u'a'), u'A');
  EXPECT_EQ(UpperCase(u'_'), u'_');
  EXPECT_EQ(UpperCase(u'\u00E9'), u'\u00C9');  // é
  EXPECT_EQ(UpperCase(u'\u00FF'), u'\u0178');  // ÿ, far from its pair
  EXPECT_EQ(UpperCase(u'\u00F7'), u'\u00F7');  // ÷ inside a run
  EXPECT_EQ(UpperCase(u'\u0101'), u'\u0100');  // alternating pairs
  EXPECT_EQ(UpperCase(u'\u0100'), u'\u0100');
  EXPECT_EQ(UpperCase(u'\u03C2'), u'\u03A3');  // final sigma
  EXPECT_EQ(UpperCase(u'\u044F'), u'\u042F');  // я
  EXPECT_EQ(UpperCase(u'\uFF41'), u'\uFF21');  // fullwidth a
  // No mapping to ASCII (dotless i), none for ß, none for surrogates.
  EXPECT_EQ(UpperCase(u'\u0131'), u'\u0131');
  EXPECT_EQ(UpperCase(u'\u00DF'), u'\u00DF');
  EXPECT_EQ(UpperCase(u'\xD83D'), u'\xD83D');
  EXPECT_EQ(UpperCase(u'\xFFFF'), u'\xFFFF');
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
