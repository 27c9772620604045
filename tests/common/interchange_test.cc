// The interchange format: names between titles and files, the two shortcut
// forms and position values.
#include "common/interchange.h"

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

TEST(NamingRules, LeftOutCharactersTrimmingAndDotNames) {
  // title, Firefox folder name, Chrome folder name. Quotes and control
  // characters go; U+007F and non-ASCII stay; only Firefox trims. Folder
  // names of dots alone would leave the folder: their dots become "_".
  const struct {
    std::u16string title, firefox, chrome;
  } cases[] = {{u"a/b: c ", u"ab c", u"ab c "},
               {u"  <x>|*?\\y  ", u"xy", u"  xy  "},
               {u"say \"hi\"\x01\ttab\x1f\nend\x7f\u00e9",
                u"say hitabend\x7f\u00e9", u"say hitabend\x7f\u00e9"},
               {u".", u"_", u"_"},
               {u" .. ", u"__", u" __ "},
               {u". .", u"_ _", u"_ _"},
               {u"..\\..", u"____", u"____"},
               {u"...a", u"...a", u"...a"}};
  for (const auto& c : cases) {
    EXPECT_EQ(FirefoxName(c.title, NameKind::kFolder) + u"|" +
                  ChromeName(c.title, NameKind::kFolder),
              c.firefox + u"|" + c.chrome);
  }
  // File names get ".url" after them and cannot climb out anyway.
  EXPECT_EQ(ChromeName(u"..", NameKind::kFile), u"..");
  // A name without a text after its last dot is no shortcut.
  EXPECT_EQ(TitleFromFileName(u"url"), u"");
  EXPECT_TRUE(IsShortcutFileName(u"a.URL"));
  EXPECT_FALSE(IsShortcutFileName(u"a.url."));
  EXPECT_FALSE(IsShortcutFileName(u"url"));
  EXPECT_TRUE(
      ExtensionMatches(u"x.abcdefghijklmnopqrXYZ", u"abcdefghijklmnopqr"));
}

// The Chrome form keeps the whole title, cannot be given extra keys through
// line breaks or control characters, and replaces a file of the same
// cleaned name.
TEST(ChromeShortcut, WholeTitleNoInjectedKeysAndSharedNamesReplaced) {
  TempDir dir;
  ASSERT_TRUE(WriteChromeShortcut(dir.u16(),
                                  u"a/b: \"q\" \u00e9\r\nIconIndex=9",
                                  u"http://good/\r\nIconIndex=8"));
  const std::string file = "ab q \xc3\xa9IconIndex=9.url";
  EXPECT_EQ(Key(dir, file, kUrlKey), u"http://good/  IconIndex=8");
  EXPECT_EQ(Key(dir, file, kTitleKey), u"a/b: \"q\" \u00e9  IconIndex=9.url");

  test::WriteBytes(dir.sub("ab.url"), "[InternetShortcut]\r\nIconIndex=3\r\n");
  ASSERT_TRUE(WriteChromeShortcut(dir.u16(), u"a|b", u"http://second/"));
  EXPECT_EQ(Key(dir, "ab.url", kUrlKey), u"http://second/");
  EXPECT_EQ(Key(dir, "ab.url", u"IconIndex"), u"-");

  // No control character reaches the INI text: a NUL would end the value
  // and hide the rest of the title from every reader.
  const std::u16string title = std::u16string(u"a\0b\tc\x1f", 6) + u"d";
  ASSERT_TRUE(platform::WriteFile(
      dir.u16("n.url"),
      ShortcutFileBytes(title, std::u16string(u"http://n/\0x", 11))));
  EXPECT_EQ(Key(dir, "n.url", kTitleKey), u"a b c d.url");
  EXPECT_EQ(Key(dir, "n.url", kUrlKey), u"http://n/ x");
}

// The one-step Chrome form holds exactly what the INI writer leaves after
// creating the file with its byte-order mark and adding the two keys.
TEST(ChromeShortcut, OneWriteGivesTheBytesOfTheIniWriter) {
  TempDir dir;
  const std::u16string title = u" a = b ; [c]\r\n\u4e2d\U0001F600 ";
  ASSERT_TRUE(WriteChromeShortcut(dir.u16(), title, u" http://h/a b \r\n"));
  const std::u16string expected = dir.u16("expected");
  ASSERT_TRUE(platform::WriteFile(expected, "\xFF\xFE"));
  ASSERT_TRUE(platform::WriteProfileString(kShortcutSection, kUrlKey,
                                           u"http://h/a b", expected));
  ASSERT_TRUE(platform::WriteProfileString(
      kShortcutSection, kTitleKey, u" a = b ; [c]  \u4e2d\U0001F600 .url",
      expected));
  EXPECT_EQ(test::ReadBytes(dir.sub(" a = b ; [c]\u4e2d\U0001F600 .url")),
            test::ReadBytes(dir.sub("expected")));
}

TEST(FirefoxShortcut, TrimmedNameUrlKeyOnlyAndOtherContentKept) {
  TempDir dir;
  test::WriteBytes(dir.sub("k.url"),
                   "[InternetShortcut]\r\nURL=old\r\nIconIndex=3\r\n");
  ASSERT_TRUE(WriteFirefoxShortcut(dir.u16(), u" k ", u"http://new/\nX=1"));
  EXPECT_EQ(Key(dir, "k.url", kUrlKey), u"http://new/ X=1");
  EXPECT_EQ(Key(dir, "k.url", u"IconIndex"), u"3");
  EXPECT_EQ(Key(dir, "k.url", kTitleKey), u"-");
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
