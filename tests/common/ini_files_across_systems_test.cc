// Shortcut and position files must mean the same on Windows and elsewhere.
// tests/data/windows/ was written by the Windows profile API (under Wine),
// tests/data/posix/ by our own INI writer; every system reads both and must
// write the Windows bytes again. MARKSAFE_WRITE_TEST_DATA=<folder> stores
// what this system writes there instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "backup_set/interchange.h"
#include "base/text.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ReadBytes;
using test::TempDir;

// tests/data, beside the folder of this file (an absolute source path).
const std::string kDataDir =
    std::string(__FILE__).substr(0, std::string(__FILE__).find_last_of("/\\")) +
    "/../data";

// One key of an INI file: written, or read with a buffer of `size` units.
struct Entry {
  std::string file;
  std::u16string section, key, value;
  size_t size = 260;
};

void WriteAll(const TempDir& dir, const std::vector<Entry>& entries) {
  for (const Entry& e : entries) {
    ASSERT_TRUE(
        platform::WriteProfileString(e.section, e.key, e.value, dir.u16(e.file))
            .ok())
        << e.file;
  }
}

void ExpectAll(const std::string& dir, const std::vector<Entry>& entries) {
  for (const Entry& e : entries) {
    EXPECT_EQ(
        platform::GetProfileString(e.section, e.key, u"<default>", e.size,
                                   platform::FromUtf8(dir + "/" + e.file)),
        e.value)
        << dir << "/" << e.file << " " << test::U8(e.key);
  }
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
  ASSERT_TRUE(
      platform::WriteFile(dir.u16("chrome_form.url"),
                          interchange::ShortcutFileBytes(u"chrome_form", kUrl))
          .ok());
  ASSERT_TRUE(platform::WriteFile(dir.u16("pos.ini"), "\xFF\xFE").ok());
  // The last key, in another case, replaces the first in place.
  WriteAll(dir,
           {{"firefox_form.url", u"InternetShortcut", u"URL", kUrl},
            {"chrome_form.url", u"InternetShortcut", u"Title", kTitle},
            {"pos.ini", u"Menu", u"Main", u"Bookmarks Menu"},
            {"pos.ini", u"Menu", u"Others", u"Unsorted Bookmarks"},
            {"chrome_pos.ini", u"Chrome_menu", u"Bar", u"Bookmarks bar"},
            {"chrome_pos.ini", u"Chrome_menu", u"other", u"Other bookmarks"},
            {"chrome_pos.ini", u"CHROME_MENU", u"BAR", u"Bookmarks bar"}});
  const auto names = {"chrome_form.url", "firefox_form.url", "pos.ini",
                      "chrome_pos.ini"};
  if (Regenerating(dir, names)) GTEST_SKIP() << "wrote the data files";
  for (const char* name : names) {
    EXPECT_EQ(ReadBytes(dir.sub(name)),
              ReadBytes(kDataDir + "/windows/" + name))
        << name;
  }
}

// Files written by the Windows API, and reader_cases.ini, a hand-made 8-bit
// file, with what GetPrivateProfileStringW returns for them.
TEST(IniAcrossSystemsTest, ReadsWhatTheWindowsApiReads) {
  const std::u16string kShortcut = u"InternetShortcut";
  ExpectAll(kDataDir + "/windows",
            {{"chrome_form.url", kShortcut, u"URL", kUrl},
             {"chrome_form.url", kShortcut, u"Title", kTitle},
             {"firefox_form.url", kShortcut, u"URL", kUrl},
             {"firefox_form.url", kShortcut, u"Title", u"<default>"},
             {"pos.ini", u"menu", u"MAIN", u"Bookmarks Menu"},
             {"chrome_pos.ini", u"Chrome_menu", u"Bar", u"Bookmark", 9},
             {"reader_cases.ini", u"Plain", u"spaced", u"padded value"},
             {"reader_cases.ini", u"Plain", u"quoted", u"  inside blanks  "},
             {"reader_cases.ini", u"Plain", u"inner", u"a \"b\" c"},
             {"reader_cases.ini", u"Plain", u"url", u"http://x/?a=b=c"},
             {"reader_cases.ini", u"After Blank", u"x", u"y"}});
}

// Hand-made files edited by a writer (keys in another case, a new key, a new
// section, in an 8-bit and a UTF-16LE file) keep their meaning; the copies
// in tests/data/posix must read the same on Windows.
TEST(IniAcrossSystemsTest, EditsHandMadeFilesKeepingTheirMeaning) {
  TempDir dir;
  test::WriteBytes(dir.sub("edited.ini"),
                   "; shortcut kept by hand\r\n[InternetShortcut]\r\n"
                   "url = http://old.example/\r\nIconIndex=0\r\n\r\n"
                   "[Other]\r\nkeep=  \"  kept as it was  \"  \r\n");
  test::WriteBytes(dir.sub("edited_utf16.ini"),
                   "\xFF\xFE" + test::Utf16le(u"[Menu]\r\nmain=Old\r\n"));
  WriteAll(dir,
           {{"edited.ini", u"INTERNETSHORTCUT", u"URL", u"http://new.example/"},
            {"edited.ini", u"InternetShortcut", u"Title", u"Added"},
            {"edited.ini", u"Menu", u"Main", u"Bookmarks Menu"},
            {"edited_utf16.ini", u"MENU", u"Main", u"Bookmarks Menu"},
            {"edited_utf16.ini", u"Menu", u"Others", kTitle}});
  if (Regenerating(dir, {"edited.ini", "edited_utf16.ini"})) {
    GTEST_SKIP() << "wrote the edited files";
  }
  const std::vector<Entry> edited = {
      {"edited.ini", u"InternetShortcut", u"URL", u"http://new.example/"},
      {"edited.ini", u"InternetShortcut", u"IconIndex", u"0"},
      {"edited.ini", u"InternetShortcut", u"Title", u"Added"},
      {"edited.ini", u"Other", u"keep", u"  kept as it was  "},
      {"edited.ini", u"Menu", u"Main", u"Bookmarks Menu"},
      {"edited_utf16.ini", u"Menu", u"Main", u"Bookmarks Menu"},
      {"edited_utf16.ini", u"Menu", u"Others", kTitle}};
  ExpectAll(dir.path(), edited);
  ExpectAll(kDataDir + "/posix", edited);
}

}  // namespace
}  // namespace marksafe
