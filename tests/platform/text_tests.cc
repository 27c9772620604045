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

TEST(TextTest, InvalidTextIsReplacedNotRejected) {
  // A stray continuation byte, a byte that never occurs, a truncated
  // sequence, an overlong "/" and an encoded surrogate: never a "/" or a
  // lone surrogate out of them.
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
  EXPECT_EQ(FromUtf8("a\x80"
                     "b"),
            u"a\uFFFDb");
  EXPECT_EQ(ToUtf8(u"a\xD83D"
                   u"b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(ToUtf8(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(TextTest, UpperCaseFollowsTheFileSystem) {
  // e-acute; y-diaeresis far from its pair; division sign inside a run;
  // alternating pairs; sigma; Cyrillic and fullwidth letters. No mapping to
  // ASCII (dotless i), none for sharp s, none for surrogates.
  // Only to a letter that lower-cases back: micro sign, final sigma, the
  // title-case dz, Greek symbol forms, old Cyrillic forms and the
  // prosgegrammeni stay; the lower-case dz goes to its upper-case form. Greek
  // letters with ypogegrammeni go to their title-case forms, which stay.
  const std::u16string lower =
      u"a_"
      u"\u00E9\u00FF\u00F7\u0101\u0100\u03C3\u044F\uFF41\u0131\u00DF\xD83D"
      u"\xFFFF"
      u"\u00B5\u03C2\u01C5\u01C6\u03D0\u03F5\u1C80\u1E9B\u1FBE"
      u"\u1F80\u1FA7\u1F88\u1FB3\u1FC3\u1FF3";
  const std::u16string upper =
      u"A_"
      u"\u00C9\u0178\u00F7\u0100\u0100\u03A3\u042F\uFF21\u0131\u00DF\xD83D"
      u"\xFFFF"
      u"\u00B5\u03C2\u01C5\u01C4\u03D0\u03F5\u1C80\u1E9B\u1FBE"
      u"\u1F88\u1FAF\u1F88\u1FBC\u1FCC\u1FFC";
  ASSERT_EQ(lower.size(), upper.size());
  for (size_t i = 0; i < lower.size(); ++i) {
    EXPECT_EQ(UpperCase(lower[i]), upper[i]) << static_cast<int>(lower[i]);
  }
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
