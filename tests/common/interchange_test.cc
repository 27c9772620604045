// The interchange format: shortcut file names, the bytes of one shortcut
// and position values.
#include "backup_set/interchange.h"

#include <string>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace interchange {
namespace {

using test::TempDir;

std::u16string Key(const TempDir& dir, const std::string& file,
                   const std::u16string& key) {
  return platform::GetProfileString(kShortcutSection, key, u"-", 260,
                                    dir.u16(file));
}

TEST(ShortcutNames, ExtensionRules) {
  // A name without a text after its last dot is no shortcut.
  EXPECT_EQ(TitleFromFileName(u"url"), u"");
  EXPECT_TRUE(IsShortcutFileName(u"a.URL"));
  EXPECT_FALSE(IsShortcutFileName(u"a.url."));
  EXPECT_FALSE(IsShortcutFileName(u"url"));
  EXPECT_TRUE(
      ExtensionMatches(u"x.abcdefghijklmnopqrXYZ", u"abcdefghijklmnopqr"));
}

// A shortcut keeps the whole title and cannot be given extra keys through
// line breaks or control characters.
TEST(ShortcutBytes, WholeTitleAndNoInjectedKeys) {
  TempDir dir;
  ASSERT_TRUE(
      platform::WriteFile(dir.u16("a.url"),
                          ShortcutFileBytes(u"a/b: \"q\" \u00e9\r\nIconIndex=9",
                                            u"http://good/\r\nIconIndex=8"))
          .ok());
  EXPECT_EQ(Key(dir, "a.url", kUrlKey), u"http://good/  IconIndex=8");
  EXPECT_EQ(Key(dir, "a.url", kTitleKey), u"a/b: \"q\" \u00e9  IconIndex=9.url");
  EXPECT_EQ(Key(dir, "a.url", u"IconIndex"), u"-");

  // No control character reaches the INI text: a NUL would end the value
  // and hide the rest of the title from every reader.
  const std::u16string title = std::u16string(u"a\0b\tc\x1f", 6) + u"d";
  ASSERT_TRUE(platform::WriteFile(
                  dir.u16("n.url"),
                  ShortcutFileBytes(title, std::u16string(u"http://n/\0x", 11)))
                  .ok());
  EXPECT_EQ(Key(dir, "n.url", kTitleKey), u"a b c d.url");
  EXPECT_EQ(Key(dir, "n.url", kUrlKey), u"http://n/ x");
}

// The one-step form holds exactly what the INI writer leaves after
// creating the file with its byte-order mark and adding the two keys.
TEST(ShortcutBytes, OneWriteGivesTheBytesOfTheIniWriter) {
  TempDir dir;
  const std::u16string title = u" a = b ; [c]\r\n\u4e2d\U0001F600 ";
  const std::u16string expected = dir.u16("expected");
  ASSERT_TRUE(platform::WriteFile(expected, "\xFF\xFE").ok());
  ASSERT_TRUE(platform::WriteProfileString(kShortcutSection, kUrlKey,
                                           u"http://h/a b", expected)
                  .ok());
  // A leading blank is kept by quotes, which the reader takes off.
  ASSERT_TRUE(platform::WriteProfileString(
                  kShortcutSection, kTitleKey,
                  u"\" a = b ; [c]  \u4e2d\U0001F600 .url\"", expected)
                  .ok());
  EXPECT_EQ(ShortcutFileBytes(title, u" http://h/a b \r\n"),
            test::ReadBytes(dir.sub("expected")));
  EXPECT_EQ(platform::GetProfileString(kShortcutSection, kTitleKey, u"", 260,
                                       expected),
            u" a = b ; [c]  \u4e2d\U0001F600 .url");
}

TEST(PositionValue, StaysInsideTheExportedFolder) {
  std::u16string out = u"untouched";
  ASSERT_TRUE(ResolvePositionValue(u"C:\\bk\\Chrome\\", u"", &out));
  EXPECT_EQ(out, u"C:\\bk\\Chrome\\");
  ASSERT_TRUE(ResolvePositionValue(u"/bk", u"a\\.\\b..c", &out));
  EXPECT_EQ(out, u"/bk\\a\\.\\b..c");
  out = u"untouched";
  for (const char16_t* bad :
       {u"..", u"..\\..\\Windows", u"a/../../x", u"\\abs", u"/etc", u"C:\\x",
        u"C:rel", u"a\\.. ", u"...", u"x\\. ."}) {
    EXPECT_FALSE(ResolvePositionValue(u"C:\\bk", bad, &out)) << test::U8(bad);
  }
  EXPECT_EQ(out, u"untouched");
  EXPECT_FALSE(ResolvePositionValue(u"C:\\bk", u"x", nullptr));
}

}  // namespace
}  // namespace interchange
}  // namespace marksafe
