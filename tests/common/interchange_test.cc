// The interchange format: names between titles and files, the two shortcut
// forms, the reader's rules and position values.
#include "common/interchange.h"

#include <string>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace interchange {
namespace {

using test::ReadBytes;
using test::TempDir;

TEST(NamingRules, LeftOutCharactersAndTrimming) {
  EXPECT_EQ(FirefoxName(u"a/b: c ", NameKind::kFile), u"ab c");
  EXPECT_EQ(ChromeName(u"a/b: c ", NameKind::kFile), u"ab c ");
  EXPECT_EQ(FirefoxName(u"  <x>|*?\\y  ", NameKind::kFolder), u"xy");
  // Quotes and control characters go too; U+007F and non-ASCII stay.
  const std::u16string title = u"say \"hi\"\x01\ttab\x1f\nend\x7f\u00e9";
  EXPECT_EQ(FirefoxName(title, NameKind::kFile), u"say hitabend\x7f\u00e9");
  EXPECT_EQ(ChromeName(title, NameKind::kFolder), u"say hitabend\x7f\u00e9");
}

TEST(NamingRules, DotFolderNamesNeverLeaveTheFolder) {
  EXPECT_EQ(ChromeName(u".", NameKind::kFolder), u"_");
  EXPECT_EQ(ChromeName(u"..", NameKind::kFolder), u"__");
  EXPECT_EQ(ChromeName(u". .", NameKind::kFolder), u"_ _");
  EXPECT_EQ(FirefoxName(u" .. ", NameKind::kFolder), u"__");
  EXPECT_EQ(FirefoxName(u"/../", NameKind::kFolder), u"__");
  EXPECT_EQ(ChromeName(u"..\\..", NameKind::kFolder), u"____");
  // Names that merely contain dots are kept; an empty folder name too.
  EXPECT_EQ(ChromeName(u"...a", NameKind::kFolder), u"...a");
  EXPECT_EQ(ChromeName(u"", NameKind::kFolder), u"");
  // File names get ".url" after them and cannot climb out anyway.
  EXPECT_EQ(ChromeName(u"..", NameKind::kFile), u"..");
}

TEST(NamingRules, FileNameBackToTitle) {
  EXPECT_EQ(TitleFromFileName(u"News.url"), u"News");
  EXPECT_EQ(TitleFromFileName(u".url"), u"");
  EXPECT_EQ(TitleFromFileName(u"url"), u"");
  EXPECT_TRUE(IsShortcutFileName(u"a.URL"));
  EXPECT_TRUE(IsShortcutFileName(u".url"));
  EXPECT_FALSE(IsShortcutFileName(u"url"));
  EXPECT_FALSE(IsShortcutFileName(u"a.url."));
  EXPECT_FALSE(IsShortcutFileName(u"a.urls"));
  EXPECT_TRUE(ExtensionMatches(u"C:\\fav\\x.Url", u"url"));
  EXPECT_FALSE(ExtensionMatches(u"C:\\fav.url\\noext", u"url"));
  EXPECT_TRUE(
      ExtensionMatches(u"x.abcdefghijklmnopqrXYZ", u"abcdefghijklmnopqr"));
}

TEST(ChromeShortcut, WrittenAsUtf16WithUncleanedTitle) {
  TempDir dir;
  ASSERT_TRUE(WriteChromeShortcut(dir.u16(), u"a/b: c \"q\" \u00e9",
                                  u"http://example.com/?a=1"));
  const std::string path = dir.sub("ab c q \xc3\xa9.url");
  const std::string bytes = ReadBytes(path);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));
  const std::u16string file = test::U16(path);
  EXPECT_EQ(ReadShortcutUrl(file, u"", 256), u"http://example.com/?a=1");
  EXPECT_EQ(ReadShortcutTitle(file, 256), u"a/b: c \"q\" \u00e9.url");
}

TEST(ChromeShortcut, LineBreakInTitleCannotAddKeys) {
  TempDir dir;
  ASSERT_TRUE(WriteChromeShortcut(dir.u16(), u"x\r\nURL=javascript:1",
                                  u"http://good/"));
  const std::u16string file = dir.u16("xURL=javascript1.url");
  EXPECT_EQ(ReadShortcutUrl(file, u"Fail", 260), u"http://good/");
  EXPECT_EQ(ReadShortcutTitle(file, 260), u"x  URL=javascript:1.url");
}

TEST(FirefoxShortcut, TrimmedNameUrlKeyOnlyAndOtherContentKept) {
  TempDir dir;
  test::WriteBytes(dir.sub("k.url"),
                   "[InternetShortcut]\r\nURL=old\r\nIconIndex=3\r\n");
  ASSERT_TRUE(WriteFirefoxShortcut(dir.u16(), u" k ", u"http://new/"));
  ASSERT_TRUE(WriteFirefoxShortcut(dir.u16(), u"a/b: c ", u"http://x/"));
  EXPECT_EQ(ReadShortcutUrl(dir.u16("k.url"), u"", 260), u"http://new/");
  EXPECT_EQ(platform::GetProfileString(kShortcutSection, u"IconIndex", u"", 10,
                                       dir.u16("k.url")),
            u"3");
  EXPECT_EQ(ReadShortcutUrl(dir.u16("ab c.url"), u"Fail", 260), u"http://x/");
  EXPECT_EQ(ReadShortcutTitle(dir.u16("ab c.url"), 260), u"");
}

TEST(PositionValue, StaysInsideTheExportedFolder) {
  std::u16string out = u"untouched";
  ASSERT_TRUE(
      ResolvePositionValue(u"C:\\bk\\Firefox", u"Bookmarks Menu", &out));
  EXPECT_EQ(out, u"C:\\bk\\Firefox\\Bookmarks Menu");
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
