// The INI reader and writer, as the profile API behaves: names without
// regard to case, blanks and one pair of quotes trimmed, encodings kept,
// and a writer that changes only the key it writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace platform {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::Utf16le;

const std::string kBom16("\xFF\xFE", 2);

// Writes bytes to dir/name; returns the file's path.
std::u16string Ini(const TempDir& dir, const std::string& name,
                   const std::string& bytes) {
  test::WriteBytes(dir.sub(name), bytes);
  return dir.u16(name);
}

std::u16string Read(const std::u16string& file, const std::u16string& section,
                    const std::u16string& key) {
  return GetProfileString(section, key, u"<none>", 260, file);
}

TEST(IniTest, WriterChangesOnlyTheKeyItWrites) {
  TempDir dir;
  const std::u16string file =
      Ini(dir, "w.ini",
          "; comment\n[First]\n  Name = old \njunk line\n"
          "other=\xFF\xFE bytes \n\n[Second]\n x = 1");
  const std::u16string title = u"a=b \U0001F4D6 \u00C9t\u00E9.url";
  // The key keeps its spelling; leading blanks of the value go.
  ASSERT_TRUE(WriteProfileString(u"FIRST", u"name", u" new", file).ok());
  // A line break in a value cannot make a key of its own.
  ASSERT_TRUE(WriteProfileString(u"First", u"added", u"a\r\nb=c", file).ok());
  // A key of the last section when the file does not end in a line end.
  ASSERT_TRUE(WriteProfileString(u"Second", u"y", title, file).ok());
  // A missing section goes at the end.
  ASSERT_TRUE(WriteProfileString(u"Third", u"z", u"\"q\"", file).ok());
  // Key lines are rewritten plain, but bytes that are not text are kept. A
  // new key goes after the section's last line, before its blank lines.
  EXPECT_EQ(ReadBytes(dir.sub("w.ini")),
            "; comment\n[First]\nName=new\r\njunk line\n"
            "other=\xFF\xFE bytes \nadded=a  b=c\r\n\n[Second]\nx=1\r\n"
            "y=a=b \xF0\x9F\x93\x96 \xC3\x89t\xC3\xA9.url\r\n"
            "[Third]\r\nz=\"q\"\r\n");
  EXPECT_EQ(Read(file, u"fIRST", u"NAME"), u"new");
  EXPECT_EQ(Read(file, u"First", u"b"), u"<none>");
  EXPECT_EQ(Read(file, u"First", u"other"), u"\uFFFD\uFFFD bytes");
  EXPECT_EQ(Read(file, u"Second", u"y"), title);
  EXPECT_EQ(Read(file, u"third", u"z"), u"q");
}

TEST(IniTest, EncodingsAreKept) {
  TempDir dir;
  const std::u16string text = u"Caf\u00E9 \U0001F600 \u4E2D";
  // A file that starts with FF FE stays UTF-16LE; an odd last byte stays.
  const std::u16string u16 =
      Ini(dir, "u16.ini", kBom16 + Utf16le(u"[A]\r\nk=v\r\n") + "!");
  ASSERT_TRUE(WriteProfileString(u"A", u"k", text, u16).ok());
  ASSERT_TRUE(WriteProfileString(u"B", u"URL", u"http://x/?a=1", u16).ok());
  EXPECT_EQ(
      ReadBytes(dir.sub("u16.ini")),
      kBom16 +
          Utf16le(u"[A]\r\nk=" + text + u"\r\n[B]\r\nURL=http://x/?a=1\r\n") +
          "!");
  EXPECT_EQ(Read(u16, u"a", u"K"), text);
  // A UTF-8 byte-order mark is kept and skipped.
  const std::u16string bom8 =
      Ini(dir, "bom8.ini", "\xEF\xBB\xBF[A]\r\nk=v\r\n");
  EXPECT_EQ(Read(bom8, u"A", u"k"), u"v");
  ASSERT_TRUE(WriteProfileString(u"A", u"k", u"w", bom8).ok());
  EXPECT_EQ(ReadBytes(dir.sub("bom8.ini")), "\xEF\xBB\xBF[A]\r\nk=w\r\n");
}

TEST(IniTest, ReaderRules) {
  TempDir dir;
  const std::u16string file = Ini(
      dir, "q.ini",
      "key=outside\r\n  [ Sec ]  \ndq = \"x y\" \nsq='z'\rtwice=\"\"w\"\"\r\n"
      "open=\"unbalanced\nlone=\"\n\tspaced\t=   v  w   \nempty=\n;c=2\nc\n"
      "first=1\nFIRST=2\n[sec]\nfirst=3\nlater=4\n[Last]\rz=3");
  const std::vector<std::u16string> keys = {
      u"dq",    u"sq", u"twice", u"open",  u"lone",  u"spaced",
      u"empty", u"c",  u";c",    u"first", u"later", u""};
  const std::vector<std::u16string> values = {
      u"x y",    u"z",      u"\"w\"", u"\"unbalanced", u"\"",    u"v  w", u"",
      u"<none>", u"<none>", u"1",     u"<none>",       u"<none>"};
  EXPECT_EQ(GetProfileStrings(u"SEC", keys, u"<none>", 260, file), values);
  EXPECT_EQ(Read(file, u"", u"key"), u"<none>");
  EXPECT_EQ(Read(file, u"Other", u"dq"), u"<none>");
  EXPECT_EQ(Read(file, u"last", u"Z"), u"3");
  // Listed in file order (profiles.ini): values as written, bounded work.
  bool cut = false;
  const std::vector<ini::Section> sections =
      ini::Sections(ini::Parse(ReadBytes(dir.sub("q.ini"))), 2, 3, &cut);
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_TRUE(cut);
  EXPECT_EQ(sections[0].name, u"Sec");
  EXPECT_EQ(sections[0].keys.size(), 3u);
  EXPECT_EQ(sections[0].Get(u"TWICE"), u"\"\"w\"\"");
  EXPECT_EQ(sections[1].Get(u"First"), u"3");
  // The first of two sections of one name is the one written to.
  ASSERT_TRUE(WriteProfileString(u"sec", u"First", u"5", file).ok());
  EXPECT_EQ(Read(file, u"SEC", u"first"), u"5");
  // No file: the default for every key, and error 2.
  SetLastError(0);
  EXPECT_EQ(
      GetProfileStrings(u"A", {u"b", u"c"}, u"Fail", 260, dir.u16("none.ini")),
      (std::vector<std::u16string>{u"Fail", u"Fail"}));
  EXPECT_EQ(GetLastError(), 2u);
}

TEST(IniTest, WriterRefusesBadNamesAndMissingFolders) {
  TempDir dir;
  const std::u16string bad[][2] = {
      {u"", u"k"}, {u"A", u""}, {u"A", u"k=j"}, {u"A]", u"k"}, {u"A", u"k\nl"}};
  for (const auto& names : bad) {
    SetLastError(0);
    EXPECT_FALSE(
        WriteProfileString(names[0], names[1], u"v", dir.u16("n")).ok());
    EXPECT_EQ(GetLastError(), 87u);
  }
  EXPECT_FALSE(WriteProfileString(u"A", u"k", u"v", dir.u16("no/n.ini")).ok());
  EXPECT_EQ(GetLastError(), 3u);
  // A long bookmark title gives a file name near the system's limit; the
  // rewrite's temporary name must fit too.
  const std::string name = std::string(250, 'n') + ".url";
  ASSERT_TRUE(
      WriteProfileString(u"S", u"URL", u"http://a/", dir.u16(name)).ok());
  ASSERT_TRUE(
      WriteProfileString(u"S", u"URL", u"http://b/", dir.u16(name)).ok());
  EXPECT_EQ(ReadBytes(dir.sub(name)), "[S]\r\nURL=http://b/\r\n");
  EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{name});
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
