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
using test::Utf16le;
using test::WriteBytes;

const std::string kBom16("\xFF\xFE", 2);

std::u16string Read(const std::u16string& file, const std::u16string& section,
                    const std::u16string& key, size_t size = 260) {
  return GetProfileString(section, key, u"<none>", size, file);
}

TEST(IniTest, WriterMakesEightBitCrLfFilesAndValuesReadBack) {
  TempDir dir;
  const std::u16string file = dir.u16("k.ini");
  const std::u16string title = u"a=b \U0001F4D6 \u00C9t\u00E9.url";
  ASSERT_TRUE(WriteProfileString(u"Menu", u"Main", u"one", file));
  ASSERT_TRUE(WriteProfileString(u"MENU", u"MAIN", u"two", file));
  ASSERT_TRUE(WriteProfileString(u"Menu", u"Title", title, file));
  ASSERT_TRUE(WriteProfileString(u"menu", u"main", u" padded ", file));
  ASSERT_TRUE(WriteProfileString(u"Menu", u"quoted", u"\"q\"", file));
  ASSERT_TRUE(WriteProfileString(u"Menu", u"broken", u"one\r\ntwo", file));
  EXPECT_EQ(ReadBytes(dir.sub("k.ini")),
            "[Menu]\r\nMain=padded\r\nTitle=a=b \xF0\x9F\x93\x96 "
            "\xC3\x89t\xC3\xA9.url\r\nquoted=\"q\"\r\nbroken=one  two\r\n");
  EXPECT_EQ(Read(file, u"mEnU", u"mAiN"), u"padded");
  EXPECT_EQ(Read(file, u"Menu", u"Title"), title);
  EXPECT_EQ(Read(file, u"Menu", u"quoted"), u"q");
  // A line break in a value cannot make a key of its own.
  EXPECT_EQ(Read(file, u"Menu", u"two"), u"<none>");
}

TEST(IniTest, EncodingsAreKeptAndRoundTrip) {
  TempDir dir;
  const std::u16string text = u"Caf\u00E9 \U0001F600 \u4E2D";
  // A file that starts with FF FE stays UTF-16LE.
  WriteBytes(dir.sub("u16.ini"), kBom16);
  ASSERT_TRUE(WriteProfileString(u"A", u"k", text, dir.u16("u16.ini")));
  ASSERT_TRUE(WriteProfileString(u"B", u"URL", u"http://x/?a=1&b=2",
                                 dir.u16("u16.ini")));
  EXPECT_EQ(ReadBytes(dir.sub("u16.ini")),
            kBom16 + Utf16le(u"[A]\r\nk=" + text +
                             u"\r\n[B]\r\nURL=http://x/?a=1&b=2\r\n"));
  EXPECT_EQ(Read(dir.u16("u16.ini"), u"a", u"K"), text);
  // An odd last byte is kept.
  WriteBytes(dir.sub("odd.ini"), kBom16 + Utf16le(u"[A]\r\nk=v\r\n") + "!");
  ASSERT_TRUE(WriteProfileString(u"A", u"k", u"w", dir.u16("odd.ini")));
  EXPECT_EQ(ReadBytes(dir.sub("odd.ini")),
            kBom16 + Utf16le(u"[A]\r\nk=w\r\n") + "!");
  // A UTF-8 byte-order mark is kept and skipped.
  WriteBytes(dir.sub("bom8.ini"), "\xEF\xBB\xBF[A]\r\nk=v\r\n");
  EXPECT_EQ(Read(dir.u16("bom8.ini"), u"A", u"k"), u"v");
  ASSERT_TRUE(WriteProfileString(u"A", u"k", u"w", dir.u16("bom8.ini")));
  EXPECT_EQ(ReadBytes(dir.sub("bom8.ini")), "\xEF\xBB\xBF[A]\r\nk=w\r\n");
}

TEST(IniTest, ReaderRules) {
  TempDir dir;
  const std::string original =
      "key=outside\r\n  [ Sec ]  \ndq = \"x y\" \nsq='z'\rtwice=\"\"w\"\"\r\n"
      "open=\"unbalanced\nlone=\"\n\tspaced\t=   v  w   \nempty=\n;c=2\nc\n"
      "first=1\nFIRST=2\n[sec]\nfirst=3\nlater=4\n[Last]\rz=3";
  WriteBytes(dir.sub("q.ini"), original);
  const std::u16string file = dir.u16("q.ini");
  const struct {
    const char16_t* section;
    const char16_t* key;
    const char16_t* expected;
  } cases[] = {
      {u"Sec", u"dq", u"x y"},      {u"Sec", u"sq", u"z"},
      {u"Sec", u"twice", u"\"w\""}, {u"Sec", u"open", u"\"unbalanced"},
      {u"Sec", u"lone", u"\""},     {u"Sec", u"spaced", u"v  w"},
      {u"Sec", u"empty", u""},      {u"Sec", u"c", u"<none>"},
      {u"Sec", u";c", u"<none>"},   {u"", u"key", u"<none>"},
      {u"Sec", u"first", u"1"},     {u"Sec", u"later", u"<none>"},
      {u"Other", u"dq", u"<none>"}, {u"last", u"Z", u"3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Read(file, c.section, c.key), c.expected) << test::U8(c.key);
  }
  // The first of two sections of one name is the one written to.
  ASSERT_TRUE(WriteProfileString(u"sec", u"First", u"5", file));
  EXPECT_EQ(Read(file, u"SEC", u"first"), u"5");
  // Key lines with blanks around their parts are rewritten plain.
  std::string expected = original;
  expected.replace(expected.find("dq = "), 12, "dq=\"x y\"\r\n");
  expected.replace(expected.find("\tspaced"), 20, "spaced=v  w\r\n");
  expected.replace(expected.find("first=1\n"), 8, "first=5\r\n");
  EXPECT_EQ(ReadBytes(dir.sub("q.ini")), expected);
  SetLastError(0);
  EXPECT_EQ(GetProfileString(u"A", u"b", u"Fail", 260, dir.u16("none.ini")),
            u"Fail");
  EXPECT_EQ(GetLastError(), 2u);
}

TEST(IniTest, SizeLimitCutsValuesAndDefaults) {
  TempDir dir;
  const std::u16string file = dir.u16("s.ini");
  ASSERT_TRUE(WriteProfileString(u"S", u"k", std::u16string(120, u'x'), file));
  ASSERT_TRUE(WriteProfileString(u"S", u"q", u"\"abcd\"", file));
  auto read = [&file](const char16_t* key, size_t size) {
    return GetProfileString(u"S", key, u"Fail", size, file);
  };
  EXPECT_EQ(read(u"k", 121), std::u16string(120, u'x'));
  EXPECT_EQ(read(u"k", 120), std::u16string(119, u'x'));
  EXPECT_EQ(read(u"k", 1), u"");
  EXPECT_EQ(read(u"k", 0), u"");
  // The opening quote goes before the cut, the closing one after it, and
  // then only when the size held all of the rest.
  EXPECT_EQ(read(u"q", 6), u"abcd");
  EXPECT_EQ(read(u"q", 5), u"abc");
  EXPECT_EQ(read(u"q", 4), u"abc");
  EXPECT_EQ(read(u"q", 2), u"a");
  EXPECT_EQ(read(u"q", 1), u"");
  EXPECT_EQ(read(u"missing", 3), u"Fa");
  EXPECT_EQ(read(u"missing", 0), u"");
}

TEST(IniTest, WriterKeepsEverythingElse) {
  TempDir dir;
  WriteBytes(dir.sub("w.ini"),
             "; comment\n[First]\n  Name = old \njunk line\n"
             "other=\xFF\xFE bytes \n\n[Second]\n x = 1");
  const std::u16string file = dir.u16("w.ini");
  ASSERT_TRUE(WriteProfileString(u"FIRST", u"name", u"new", file));
  // Key lines are rewritten without blanks around names and values, but
  // bytes that are not text are kept. A new key goes after the section's
  // last line, before its blank lines.
  ASSERT_TRUE(WriteProfileString(u"First", u"added", u"a", file));
  // A key of the last section when the file does not end in a line end.
  ASSERT_TRUE(WriteProfileString(u"Second", u"y", u"2", file));
  // A missing section goes at the end.
  ASSERT_TRUE(WriteProfileString(u"Third", u"z", u"3", file));
  EXPECT_EQ(ReadBytes(dir.sub("w.ini")),
            "; comment\n[First]\nName=new\r\njunk line\n"
            "other=\xFF\xFE bytes \nadded=a\r\n\n[Second]\nx=1\r\ny=2\r\n"
            "[Third]\r\nz=3\r\n");
  EXPECT_EQ(Read(file, u"First", u"other"), u"\uFFFD\uFFFD bytes");
}

TEST(IniTest, WriterRefusesBadNamesAndMissingFolders) {
  TempDir dir;
  const std::u16string file = dir.u16("n.ini");
  for (const auto& bad : std::vector<std::pair<std::u16string, std::u16string>>{
           {u"", u"k"},
           {u"A", u""},
           {u"A", u"k=j"},
           {u"A]", u"k"},
           {u"A", u"k\nl"}}) {
    SetLastError(0);
    EXPECT_FALSE(WriteProfileString(bad.first, bad.second, u"v", file));
    EXPECT_EQ(GetLastError(), 87u);
  }
  EXPECT_FALSE(test::Exists(dir.sub("n.ini")));
  EXPECT_FALSE(WriteProfileString(u"A", u"k", u"v", dir.u16("no/n.ini")));
  EXPECT_EQ(GetLastError(), 3u);
  // A bookmark with a long title gives a file name near the system's limit;
  // the rewrite's temporary name must fit too.
  const std::string name = std::string(250, 'n') + ".url";
  ASSERT_TRUE(WriteProfileString(u"S", u"URL", u"http://a/", dir.u16(name)));
  ASSERT_TRUE(WriteProfileString(u"S", u"URL", u"http://b/", dir.u16(name)));
  EXPECT_EQ(Read(dir.u16(name), u"S", u"URL"), u"http://b/");
  EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{name});
}

// Several keys from one reading give what GetProfileString gives for each,
// defaults and limits included, also for a file that is not there.
TEST(IniTest, SeveralKeysReadOnceAsOneByOne) {
  TempDir dir;
  WriteBytes(
      dir.sub("s.url"),
      kBom16 + Utf16le(u"[Other]\r\nURL=x\r\n[internetshortcut]\r\n"
                       u" url = \"http://a/\" \r\nTitle=T\u00E9.url\r\n"));
  const std::vector<std::u16string> keys = {u"URL", u"Title", u"Missing", u""};
  for (const std::u16string& file : {dir.u16("s.url"), dir.u16("none.url")}) {
    for (size_t size : {size_t{0}, size_t{4}, size_t{260}}) {
      const std::vector<std::u16string> values =
          GetProfileStrings(u"InternetShortcut", keys, u"dflt ", size, file);
      ASSERT_EQ(keys.size(), values.size());
      for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(GetProfileString(u"InternetShortcut", keys[i], u"dflt ", size,
                                   file),
                  values[i])
            << i << " " << size;
      }
    }
  }
  EXPECT_EQ(u"T\u00E9.url", GetProfileStrings(u"InternetShortcut", keys, u"",
                                              260, dir.u16("s.url"))[1]);
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
