// The INI reader and writer: encodings, names without regard to case,
// quotes and blanks, size limits, defaults, and a writer that changes only
// the key it writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace platform {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const std::string kBom16("\xFF\xFE", 2);

std::string Utf16le(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::u16string Read(const std::u16string& file, const std::u16string& section,
                    const std::u16string& key, size_t size = 260) {
  return GetProfileString(section, key, u"<none>", size, file);
}

TEST(IniTest, WriterCreatesEightBitFileWithCrLf) {
  TempDir dir;
  std::u16string file = dir.u16("chrome_pos.ini");
  ASSERT_TRUE(
      WriteProfileString(u"Chrome_menu", u"Bar", u"Bookmarks bar", file));
  ASSERT_TRUE(
      WriteProfileString(u"Chrome_menu", u"other", u"Other bookmarks", file));
  EXPECT_EQ(ReadBytes(dir.sub("chrome_pos.ini")),
            "[Chrome_menu]\r\nBar=Bookmarks bar\r\nother=Other bookmarks\r\n");
  EXPECT_EQ(Read(file, u"Chrome_menu", u"Bar"), u"Bookmarks bar");
  EXPECT_EQ(Read(file, u"Chrome_menu", u"other"), u"Other bookmarks");
}

TEST(IniTest, Utf16FileStaysUtf16AndRoundTrips) {
  TempDir dir;
  WriteBytes(dir.sub("pos.ini"), kBom16);
  std::u16string file = dir.u16("pos.ini");
  const std::u16string emoji = u"Caf\u00E9 \U0001F600 \u4E2D";
  ASSERT_TRUE(WriteProfileString(u"Menu", u"Main", u"Bookmarks Menu", file));
  ASSERT_TRUE(WriteProfileString(u"Menu", u"Others", emoji, file));
  ASSERT_TRUE(WriteProfileString(u"InternetShortcut", u"URL",
                                 u"http://x/?a=1&b=2", file));
  EXPECT_EQ(
      ReadBytes(dir.sub("pos.ini")),
      kBom16 + Utf16le(u"[Menu]\r\nMain=Bookmarks Menu\r\nOthers=" + emoji +
                       u"\r\n[InternetShortcut]\r\n"
                       u"URL=http://x/?a=1&b=2\r\n"));
  EXPECT_EQ(Read(file, u"menu", u"MAIN"), u"Bookmarks Menu");
  EXPECT_EQ(Read(file, u"Menu", u"Others"), emoji);
  EXPECT_EQ(Read(file, u"internetshortcut", u"url"), u"http://x/?a=1&b=2");
}

TEST(IniTest, EightBitRoundTripOfNonBmpAndEquals) {
  TempDir dir;
  std::u16string file = dir.u16("x.ini");
  const std::u16string title = u"a=b \U0001F4D6 \u00C9t\u00E9.url";
  ASSERT_TRUE(WriteProfileString(u"InternetShortcut", u"Title", title, file));
  EXPECT_EQ(ReadBytes(dir.sub("x.ini")),
            "[InternetShortcut]\r\nTitle=a=b \xF0\x9F\x93\x96 "
            "\xC3\x89t\xC3\xA9.url\r\n");
  EXPECT_EQ(Read(file, u"InternetShortcut", u"Title"), title);
}

TEST(IniTest, CaseDifferentNamesReplaceTheSameKey) {
  TempDir dir;
  std::u16string file = dir.u16("k.ini");
  ASSERT_TRUE(WriteProfileString(u"Menu", u"Main", u"one", file));
  ASSERT_TRUE(WriteProfileString(u"MENU", u"MAIN", u"two", file));
  ASSERT_TRUE(WriteProfileString(u"menu", u"main", u"three", file));
  EXPECT_EQ(ReadBytes(dir.sub("k.ini")), "[Menu]\r\nMain=three\r\n");
  EXPECT_EQ(Read(file, u"mEnU", u"mAiN"), u"three");
}

TEST(IniTest, ReaderTrimsBlanksAndOnePairOfQuotes) {
  TempDir dir;
  WriteBytes(dir.sub("q.ini"),
             "  [ Sec ]  \n"
             "dq = \"x y\" \n"
             "sq='z'\n"
             "twice=\"\"w\"\"\n"
             "open=\"unbalanced\n"
             "mixed=\"a'\n"
             "lone=\"\n"
             "\tspaced\t=   v  w   \n"
             "empty=\n");
  std::u16string file = dir.u16("q.ini");
  EXPECT_EQ(Read(file, u"Sec", u"dq"), u"x y");
  EXPECT_EQ(Read(file, u"Sec", u"sq"), u"z");
  EXPECT_EQ(Read(file, u"Sec", u"twice"), u"\"w\"");
  EXPECT_EQ(Read(file, u"Sec", u"open"), u"\"unbalanced");
  EXPECT_EQ(Read(file, u"Sec", u"mixed"), u"\"a'");
  EXPECT_EQ(Read(file, u"Sec", u"lone"), u"\"");
  EXPECT_EQ(Read(file, u"Sec", u"spaced"), u"v  w");
  EXPECT_EQ(Read(file, u"Sec", u"empty"), u"");
}

TEST(IniTest, SizeLimitTruncates) {
  TempDir dir;
  std::u16string file = dir.u16("s.ini");
  std::u16string long_value(120, u'x');
  ASSERT_TRUE(WriteProfileString(u"S", u"k", long_value, file));
  EXPECT_EQ(Read(file, u"S", u"k", 99), std::u16string(98, u'x'));
  EXPECT_EQ(Read(file, u"S", u"k", 121), long_value);
  EXPECT_EQ(Read(file, u"S", u"k", 120), std::u16string(119, u'x'));
  EXPECT_EQ(Read(file, u"S", u"k", 1), u"");
  EXPECT_EQ(Read(file, u"S", u"k", 0), u"");
  // Quotes come off before the cut.
  ASSERT_TRUE(WriteProfileString(u"S", u"q", u"\"abcd\"", file));
  EXPECT_EQ(Read(file, u"S", u"q", 5), u"abcd");
  EXPECT_EQ(Read(file, u"S", u"q", 4), u"abc");
  // The default is cut the same way.
  EXPECT_EQ(GetProfileString(u"S", u"missing", u"Fail", 3, file), u"Fa");
  EXPECT_EQ(GetProfileString(u"S", u"missing", u"Fail", 0, file), u"");
}

TEST(IniTest, MissingFileSectionOrKeyGivesDefault) {
  TempDir dir;
  std::u16string file = dir.u16("d.ini");
  SetLastError(0);
  EXPECT_EQ(GetProfileString(u"A", u"b", u"Fail", 260, file), u"Fail");
  EXPECT_EQ(GetLastError(), 2u);
  WriteBytes(dir.sub("d.ini"), "key=outside\r\n[A]\r\nb=1\r\n;c=2\r\nc\r\n");
  EXPECT_EQ(GetProfileString(u"B", u"b", u"Fail", 260, file), u"Fail");
  EXPECT_EQ(GetProfileString(u"A", u"x", u"", 260, file), u"");
  // Comments and lines without "=" are not keys; nor is a key before the
  // first section.
  EXPECT_EQ(GetProfileString(u"A", u"c", u"none", 260, file), u"none");
  EXPECT_EQ(GetProfileString(u"A", u";c", u"none", 260, file), u"none");
  EXPECT_EQ(GetProfileString(u"", u"key", u"none", 260, file), u"none");
  EXPECT_EQ(GetProfileString(u"A", u"b", u"none", 260, file), u"1");
}

TEST(IniTest, ReaderAcceptsEveryLineEnd) {
  TempDir dir;
  WriteBytes(dir.sub("e.ini"), "[A]\rx=1\ny=2\r\nz=3");
  std::u16string file = dir.u16("e.ini");
  EXPECT_EQ(Read(file, u"A", u"x"), u"1");
  EXPECT_EQ(Read(file, u"A", u"y"), u"2");
  EXPECT_EQ(Read(file, u"A", u"z"), u"3");
}

TEST(IniTest, FirstSectionAndFirstKeyWin) {
  TempDir dir;
  WriteBytes(dir.sub("f.ini"), "[A]\r\nk=1\r\nK=2\r\n[a]\r\nk=3\r\nj=4\r\n");
  std::u16string file = dir.u16("f.ini");
  EXPECT_EQ(Read(file, u"A", u"k"), u"1");
  ASSERT_TRUE(WriteProfileString(u"a", u"K", u"5", file));
  EXPECT_EQ(ReadBytes(dir.sub("f.ini")),
            "[A]\r\nk=5\r\nK=2\r\n[a]\r\nk=3\r\nj=4\r\n");
}

TEST(IniTest, WriterKeepsEverythingElse) {
  TempDir dir;
  const std::string original =
      "; comment\n"
      "[First]\n"
      "  Name = old \n"
      "junk line\n"
      "other=\xFF\xFE bytes\n"
      "\n"
      "[Second]\n"
      "x=1";
  WriteBytes(dir.sub("w.ini"), original);
  std::u16string file = dir.u16("w.ini");

  ASSERT_TRUE(WriteProfileString(u"FIRST", u"name", u"new", file));
  EXPECT_EQ(ReadBytes(dir.sub("w.ini")),
            "; comment\n[First]\nName=new\r\njunk line\n"
            "other=\xFF\xFE bytes\n\n[Second]\nx=1");

  // A new key goes after the section's last line, before its blank lines.
  ASSERT_TRUE(WriteProfileString(u"First", u"added", u"a", file));
  // A key of the last section when the file does not end in a line end.
  ASSERT_TRUE(WriteProfileString(u"Second", u"y", u"2", file));
  // A missing section goes at the end.
  ASSERT_TRUE(WriteProfileString(u"Third", u"z", u"3", file));
  EXPECT_EQ(ReadBytes(dir.sub("w.ini")),
            "; comment\n[First]\nName=new\r\njunk line\n"
            "other=\xFF\xFE bytes\nadded=a\r\n\n[Second]\nx=1\r\ny=2\r\n"
            "[Third]\r\nz=3\r\n");
  EXPECT_EQ(Read(file, u"First", u"other"), u"\uFFFD\uFFFD bytes");
  EXPECT_EQ(Read(file, u"Second", u"x"), u"1");
}

TEST(IniTest, Utf8ByteOrderMarkIsKeptAndSkipped) {
  TempDir dir;
  WriteBytes(dir.sub("b.ini"), "\xEF\xBB\xBF[A]\r\nk=v\r\n");
  std::u16string file = dir.u16("b.ini");
  EXPECT_EQ(Read(file, u"A", u"k"), u"v");
  ASSERT_TRUE(WriteProfileString(u"A", u"k", u"w", file));
  EXPECT_EQ(ReadBytes(dir.sub("b.ini")), "\xEF\xBB\xBF[A]\r\nk=w\r\n");
}

TEST(IniTest, ValuesAreWrittenAsGiven) {
  TempDir dir;
  std::u16string file = dir.u16("v.ini");
  ASSERT_TRUE(WriteProfileString(u"A", u"blank", u" padded ", file));
  ASSERT_TRUE(WriteProfileString(u"A", u"quoted", u"\"q\"", file));
  ASSERT_TRUE(WriteProfileString(u"A", u"broken", u"one\r\ntwo", file));
  EXPECT_EQ(ReadBytes(dir.sub("v.ini")),
            "[A]\r\nblank= padded \r\nquoted=\"q\"\r\nbroken=one  two\r\n");
  EXPECT_EQ(Read(file, u"A", u"blank"), u"padded");
  EXPECT_EQ(Read(file, u"A", u"quoted"), u"q");
  // A line break in a value cannot make a key of its own.
  EXPECT_EQ(Read(file, u"A", u"two"), u"<none>");
}

TEST(IniTest, WriterRefusesBadNamesAndMissingFolders) {
  TempDir dir;
  std::u16string file = dir.u16("n.ini");
  EXPECT_FALSE(WriteProfileString(u"", u"k", u"v", file));
  EXPECT_EQ(GetLastError(), 87u);
  EXPECT_FALSE(WriteProfileString(u"A", u"", u"v", file));
  EXPECT_FALSE(WriteProfileString(u"A", u"k=j", u"v", file));
  EXPECT_FALSE(WriteProfileString(u"A]", u"k", u"v", file));
  EXPECT_FALSE(WriteProfileString(u"A", u"k\nl", u"v", file));
  EXPECT_FALSE(test::Exists(dir.sub("n.ini")));
  EXPECT_FALSE(WriteProfileString(u"A", u"k", u"v", dir.u16("no/n.ini")));
  EXPECT_EQ(GetLastError(), 3u);
}

TEST(IniTest, LongFileNamesCanBeWritten) {
  // A bookmark with a long title gives a file name near the system's limit.
  TempDir dir;
  std::string name = std::string(250, 'n') + ".url";
  std::u16string file = dir.u16(name);
  ASSERT_TRUE(
      WriteProfileString(u"InternetShortcut", u"URL", u"http://a/", file));
  ASSERT_TRUE(
      WriteProfileString(u"InternetShortcut", u"URL", u"http://b/", file));
  EXPECT_EQ(Read(file, u"InternetShortcut", u"URL"), u"http://b/");
  EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{name});
}

TEST(IniTest, OddUtf16FileKeepsItsLastByte) {
  TempDir dir;
  WriteBytes(dir.sub("o.ini"), kBom16 + Utf16le(u"[A]\r\nk=v\r\n") + "!");
  std::u16string file = dir.u16("o.ini");
  ASSERT_TRUE(WriteProfileString(u"A", u"k", u"w", file));
  EXPECT_EQ(ReadBytes(dir.sub("o.ini")),
            kBom16 + Utf16le(u"[A]\r\nk=w\r\n") + "!");
}

// Several keys from one reading give what GetProfileString gives for each,
// defaults and limits included, also for a file that is not there.
TEST(IniTest, SeveralKeysReadOnceAsOneByOne) {
  TempDir dir;
  WriteBytes(dir.sub("s.url"),
             kBom16 + Utf16le(u"[Other]\r\nURL=x\r\n[internetshortcut]\r\n"
                              u" url = \"http://a/\" \r\nTitle=T\u00E9.url\r\n"));
  const std::vector<std::u16string> keys = {u"URL", u"Title", u"Missing", u""};
  for (const std::u16string& file : {dir.u16("s.url"), dir.u16("none.url")}) {
    for (size_t size : {size_t{0}, size_t{4}, size_t{260}}) {
      const std::vector<std::u16string> values =
          GetProfileStrings(u"InternetShortcut", keys, u"dflt ", size, file);
      ASSERT_EQ(keys.size(), values.size());
      for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(GetProfileString(u"InternetShortcut", keys[i], u"dflt ",
                                   size, file),
                  values[i])
            << i << " " << size;
      }
    }
  }
  EXPECT_EQ(std::vector<std::u16string>({u"http://a/", u"T\u00E9.url"}),
            GetProfileStrings(u"InternetShortcut", {u"url", u"TITLE"}, u"",
                              260, dir.u16("s.url")));
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
