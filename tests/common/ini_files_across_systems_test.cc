// Shortcut and position files must mean the same on Windows and elsewhere: a
// backup set written on one system is restored on the other.
//
// tests/data/windows/ holds files written by the Windows profile API (under
// Wine); tests/data/posix/ holds files edited by our own INI writer. Every
// system reads both sets and writes the Windows set again, comparing bytes.
// With MARKSAFE_WRITE_TEST_DATA set to a folder, the writing tests store
// what this system writes there instead (how the data files were made).
#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

#include "common/interchange.h"
#include "common/text.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ReadBytes;
using test::TempDir;

// tests/data, found from this file's own path (the build passes absolute
// source paths).
std::string DataDir() {
  std::string here = __FILE__;
  for (char& c : here) {
    if (c == '\\') c = '/';
  }
  return here.substr(0, here.rfind("/common/")) + "/data";
}

std::u16string Read(const std::string& file, const std::u16string& section,
                    const std::u16string& key, size_t size = 260) {
  return platform::GetProfileString(section, key, u"<default>", size,
                                    Widen(file));
}

bool Write(const std::u16string& file, const std::u16string& section,
           const std::u16string& key, const std::u16string& value) {
  return platform::WriteProfileString(section, key, value, file);
}

// True when the files were stored for MARKSAFE_WRITE_TEST_DATA.
bool Regenerating(const TempDir& dir,
                  std::initializer_list<const char*> names) {
  const char* out = std::getenv("MARKSAFE_WRITE_TEST_DATA");
  if (out == nullptr) return false;
  for (const char* name : names) {
    test::WriteBytes(std::string(out) + "/" + name, ReadBytes(dir.sub(name)));
  }
  return true;
}

const std::u16string kTitle = u"Caf\u00E9 \u2615 = \"x\" \u4E2D\U0001F600";
const std::u16string kUrl = u"http://example.com/a?b=1&c=%20d#top";

TEST(IniAcrossSystemsTest, WritesTheBytesTheWindowsApiWrites) {
  TempDir dir;
  const std::u16string pos = dir.u16("pos.ini"),
                       cpos = dir.u16("chrome_pos.ini");
  ASSERT_TRUE(
      interchange::WriteChromeShortcut(dir.u16(), u"chrome_form", kUrl));
  ASSERT_TRUE(
      Write(dir.u16("chrome_form.url"), u"InternetShortcut", u"Title", kTitle));
  ASSERT_TRUE(
      interchange::WriteFirefoxShortcut(dir.u16(), u"firefox_form", kUrl));
  ASSERT_TRUE(platform::WriteFile(pos, "\xFF\xFE"));
  ASSERT_TRUE(Write(pos, u"Menu", u"Main", u"Bookmarks Menu"));
  ASSERT_TRUE(Write(pos, u"Menu", u"Others", u"Unsorted Bookmarks"));
  ASSERT_TRUE(Write(cpos, u"Chrome_menu", u"Bar", u"Bookmarks bar"));
  ASSERT_TRUE(Write(cpos, u"Chrome_menu", u"other", u"Other bookmarks"));
  // A later write of a key in another case replaces it in place.
  ASSERT_TRUE(Write(cpos, u"CHROME_MENU", u"BAR", u"Bookmarks bar"));

  const auto names = {"chrome_form.url", "firefox_form.url", "pos.ini",
                      "chrome_pos.ini"};
  if (Regenerating(dir, names)) GTEST_SKIP() << "wrote the data files";
  for (const char* name : names) {
    EXPECT_EQ(ReadBytes(dir.sub(name)),
              ReadBytes(DataDir() + "/windows/" + name))
        << name;
  }
}

// Files written by the Windows API, and reader_cases.ini, a hand-made 8-bit
// file, with what GetPrivateProfileStringW returns for them.
TEST(IniAcrossSystemsTest, ReadsWhatTheWindowsApiReads) {
  const struct {
    const char* file;
    std::u16string section, key;
    size_t size;
    std::u16string value;
  } cases[] = {
      {"chrome_form.url", u"InternetShortcut", u"URL", 260, kUrl},
      {"chrome_form.url", u"InternetShortcut", u"Title", 260, kTitle},
      {"firefox_form.url", u"InternetShortcut", u"URL", 260, kUrl},
      {"firefox_form.url", u"InternetShortcut", u"Title", 260, u"<default>"},
      {"pos.ini", u"menu", u"MAIN", 260, u"Bookmarks Menu"},
      {"pos.ini", u"Menu", u"Others", 260, u"Unsorted Bookmarks"},
      {"chrome_pos.ini", u"Chrome_menu", u"Bar", 9, u"Bookmark"},
      {"reader_cases.ini", u"Plain", u"spaced", 260, u"padded value"},
      {"reader_cases.ini", u"Plain", u"tabbed", 260, u"tab value"},
      {"reader_cases.ini", u"Plain", u"quoted", 260, u"  inside blanks  "},
      {"reader_cases.ini", u"Plain", u"inner", 260, u"a \"b\" c"},
      {"reader_cases.ini", u"Plain", u"url", 260, u"http://x/?a=b=c"},
      {"reader_cases.ini", u"PLAIN", u"KEY", 260, u"value"},
      {"reader_cases.ini", u"Dup", u"k", 260, u"first"},
      {"reader_cases.ini", u"After Blank", u"x", 260, u"y"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Read(DataDir() + "/windows/" + c.file, c.section, c.key, c.size),
              c.value)
        << c.file << " " << test::U8(c.key);
  }
}

// Hand-made files edited by a writer (keys in another case, a new key, a new
// section, in an 8-bit and a UTF-16LE file) keep their meaning; the copies
// in tests/data/posix must read the same on Windows.
void ExpectEditedValues(const std::string& dir) {
  const std::string file = dir + "/edited.ini";
  EXPECT_EQ(Read(file, u"InternetShortcut", u"URL"), u"http://new.example/");
  EXPECT_EQ(Read(file, u"InternetShortcut", u"IconIndex"), u"0");
  EXPECT_EQ(Read(file, u"InternetShortcut", u"Title"), u"Added");
  EXPECT_EQ(Read(file, u"Other", u"keep"), u"  kept as it was  ");
  EXPECT_EQ(Read(file, u"Menu", u"Main"), u"Bookmarks Menu");
  const std::string utf16 = dir + "/edited_utf16.ini";
  EXPECT_EQ(Read(utf16, u"Menu", u"Main"), u"Bookmarks Menu");
  EXPECT_EQ(Read(utf16, u"Menu", u"Others"), kTitle);
}

TEST(IniAcrossSystemsTest, EditsHandMadeFilesKeepingTheirMeaning) {
  TempDir dir;
  const std::u16string edited = dir.u16("edited.ini"),
                       utf16 = dir.u16("edited_utf16.ini");
  test::WriteBytes(dir.sub("edited.ini"),
                   "; shortcut kept by hand\r\n[InternetShortcut]\r\n"
                   "url = http://old.example/\r\nIconIndex=0\r\n\r\n"
                   "[Other]\r\nkeep=  \"  kept as it was  \"  \r\n");
  ASSERT_TRUE(
      Write(edited, u"INTERNETSHORTCUT", u"URL", u"http://new.example/"));
  ASSERT_TRUE(Write(edited, u"InternetShortcut", u"Title", u"Added"));
  ASSERT_TRUE(Write(edited, u"Menu", u"Main", u"Bookmarks Menu"));
  test::WriteBytes(dir.sub("edited_utf16.ini"),
                   "\xFF\xFE" + test::Utf16le(u"[Menu]\r\nmain=Old\r\n"));
  ASSERT_TRUE(Write(utf16, u"MENU", u"Main", u"Bookmarks Menu"));
  ASSERT_TRUE(Write(utf16, u"Menu", u"Others", kTitle));
  if (Regenerating(dir, {"edited.ini", "edited_utf16.ini"})) {
    GTEST_SKIP() << "wrote the edited files";
  }
  ExpectEditedValues(dir.path());
  ExpectEditedValues(DataDir() + "/posix");
}

}  // namespace
}  // namespace marksafe
