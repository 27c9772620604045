// The interchange format: names between titles and files, the two shortcut
// forms and position values.
#include "common/interchange.h"

#include <string>

#include "common/text.h"
#include "gtest/gtest.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace interchange {
namespace {

using test::TempDir;

std::u16string Key(const std::u16string& file, const std::u16string& key) {
  return platform::GetProfileString(kShortcutSection, key, u"-", 260, file);
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
               {u"...a", u"...a", u"...a"},
               {u"", u"", u""}};
  for (const auto& c : cases) {
    EXPECT_EQ(FirefoxName(c.title, NameKind::kFolder), c.firefox)
        << test::U8(c.title);
    EXPECT_EQ(ChromeName(c.title, NameKind::kFolder), c.chrome)
        << test::U8(c.title);
  }
  // File names get ".url" after them and cannot climb out anyway.
  EXPECT_EQ(ChromeName(u"..", NameKind::kFile), u"..");
  EXPECT_EQ(FirefoxName(u" . ", NameKind::kFile), u".");
}

TEST(NamingRules, ShortcutNamesAndExtensions) {
  EXPECT_EQ(TitleFromFileName(u"News.url"), u"News");
  EXPECT_EQ(TitleFromFileName(u"url"), u"");  // shorter than ".url"
  for (const char16_t* name : {u"a.URL", u".url"}) {
    EXPECT_TRUE(IsShortcutFileName(name)) << test::U8(name);
  }
  for (const char16_t* name : {u"url", u"a.url.", u"a.urls"}) {
    EXPECT_FALSE(IsShortcutFileName(name)) << test::U8(name);
  }
  EXPECT_TRUE(ExtensionMatches(u"C:\\fav\\x.Url", u"url"));
  EXPECT_FALSE(ExtensionMatches(u"C:\\fav.url\\noext", u"url"));
  EXPECT_TRUE(
      ExtensionMatches(u"x.abcdefghijklmnopqrXYZ", u"abcdefghijklmnopqr"));
}

// The Chrome form keeps the whole title (UTF-16LE), cannot be given extra
// keys by line breaks, and replaces a file of the same cleaned name whole.
TEST(ChromeShortcut, Utf16TitleNoInjectedKeysAndSharedNamesReplaced) {
  TempDir dir;
  ASSERT_TRUE(WriteChromeShortcut(dir.u16(), u"a/b: c \"q\" \u00e9",
                                  u"http://example.com/?a=1"));
  const std::string path = dir.sub("ab c q \xc3\xa9.url");
  EXPECT_EQ(test::ReadBytes(path).substr(0, 2), std::string("\xFF\xFE", 2));
  EXPECT_EQ(ReadShortcutUrl(test::U16(path), u"", 256),
            u"http://example.com/?a=1");
  EXPECT_EQ(ReadShortcutTitle(test::U16(path), 256),
            u"a/b: c \"q\" \u00e9.url");

  ASSERT_TRUE(WriteChromeShortcut(dir.u16(), u"x\r\nURL=javascript:1",
                                  u"http://good/\r\nIconIndex=9"));
  const std::u16string file = dir.u16("xURL=javascript1.url");
  EXPECT_EQ(Key(file, kUrlKey), u"http://good/  IconIndex=9");
  EXPECT_EQ(Key(file, kTitleKey), u"x  URL=javascript:1.url");
  EXPECT_EQ(Key(file, u"IconIndex"), u"-");

  test::WriteBytes(dir.sub("ab.url"),
                   "[InternetShortcut]\r\nURL=old\r\nIconIndex=3\r\n");
  ASSERT_TRUE(WriteChromeShortcut(dir.u16(), u"a|b", u"http://second/"));
  EXPECT_EQ(Key(dir.u16("ab.url"), kUrlKey), u"http://second/");
  EXPECT_EQ(Key(dir.u16("ab.url"), u"IconIndex"), u"-");
}

// The Chrome form is written in one step; it must hold exactly what the INI
// writer leaves after creating the file with its byte-order mark and adding
// the two keys, whatever the title holds.
TEST(ChromeShortcut, OneWriteGivesTheBytesOfTheIniWriter) {
  const std::u16string url = u"https://example.com/a b?c=d\r\n";
  for (const std::u16string title :
       {u" blanks around ", u"a = b ; [c]", u"x\r\ny\rz\n",
        u"\u00e9\u4e2d\U0001F600\U00020000", u""}) {
    SCOPED_TRACE(test::U8(title));
    TempDir one, two;
    ASSERT_TRUE(WriteChromeShortcut(one.u16(), title, url));
    const std::u16string expected = two.u16("expected.url");
    ASSERT_TRUE(platform::WriteFile(expected, std::string("\xFF\xFE", 2)));
    ASSERT_TRUE(platform::WriteProfileString(
        kShortcutSection, kUrlKey, u"https://example.com/a b?c=d  ", expected));
    std::u16string single = title + kUrlSuffix;
    for (char16_t& c : single) {
      if (c == u'\r' || c == u'\n') c = u' ';
    }
    ASSERT_TRUE(platform::WriteProfileString(kShortcutSection, kTitleKey,
                                             single, expected));
    EXPECT_EQ(test::ReadBytes(
                  one.sub(test::U8(ChromeName(title, NameKind::kFile)) + ".url")),
              test::ReadBytes(two.sub("expected.url")));
  }
}

TEST(FirefoxShortcut, TrimmedNameUrlKeyOnlyAndOtherContentKept) {
  TempDir dir;
  test::WriteBytes(dir.sub("k.url"),
                   "[InternetShortcut]\r\nURL=old\r\nIconIndex=3\r\n");
  ASSERT_TRUE(WriteFirefoxShortcut(dir.u16(), u" k ", u"http://new/\nX=1"));
  EXPECT_EQ(Key(dir.u16("k.url"), kUrlKey), u"http://new/ X=1");
  EXPECT_EQ(Key(dir.u16("k.url"), u"IconIndex"), u"3");
  EXPECT_EQ(Key(dir.u16("k.url"), u"X"), u"-");
  ASSERT_TRUE(WriteFirefoxShortcut(dir.u16(), u"a/b: c ", u"http://x/"));
  EXPECT_EQ(Key(dir.u16("ab c.url"), kUrlKey), u"http://x/");
  EXPECT_EQ(Key(dir.u16("ab c.url"), kTitleKey), u"-");
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
