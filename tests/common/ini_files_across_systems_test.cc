// Shortcut and position files must mean the same on Windows and elsewhere: a
// backup set written on one system is restored on the other.
//
// tests/data/windows/ holds files written by the Windows profile API (under
// Wine); tests/data/posix/ holds files written by our own INI writer. Every
// system reads both sets and writes the Windows set again, comparing bytes.
// With MARKSAFE_WRITE_TEST_DATA set to a folder, the writing test stores
// what this system writes there instead (how the data files were made).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/interchange.h"
#include "common/text.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

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

const std::u16string kTitle = u"Caf\u00E9 \u2615 = \"x\" \u4E2D\U0001F600";
const std::u16string kUrl = u"http://example.com/a?b=1&c=%20d#top";

// The files of tests/data/windows, as the library writes them.
void WriteWindowsSet(const TempDir& dir) {
  ASSERT_TRUE(
      interchange::WriteChromeShortcut(dir.u16(), u"chrome_form", kUrl));
  ASSERT_TRUE(platform::WriteProfileString(interchange::kShortcutSection,
                                           interchange::kTitleKey, kTitle,
                                           dir.u16("chrome_form.url")));
  ASSERT_TRUE(
      interchange::WriteFirefoxShortcut(dir.u16(), u"firefox_form", kUrl));

  ASSERT_TRUE(
      platform::WriteFile(dir.u16("pos.ini"), std::string("\xFF\xFE", 2)));
  ASSERT_TRUE(platform::WriteProfileString(u"Menu", u"Main", u"Bookmarks Menu",
                                           dir.u16("pos.ini")));
  ASSERT_TRUE(platform::WriteProfileString(
      u"Menu", u"Others", u"Unsorted Bookmarks", dir.u16("pos.ini")));

  ASSERT_TRUE(platform::WriteProfileString(
      u"Chrome_menu", u"Bar", u"Bookmarks bar", dir.u16("chrome_pos.ini")));
  ASSERT_TRUE(platform::WriteProfileString(
      u"Chrome_menu", u"other", u"Other bookmarks", dir.u16("chrome_pos.ini")));
  // A later write of a key in another case replaces it in place.
  ASSERT_TRUE(platform::WriteProfileString(
      u"CHROME_MENU", u"BAR", u"Bookmarks bar", dir.u16("chrome_pos.ini")));
}

const char* const kWindowsSet[] = {"chrome_form.url", "firefox_form.url",
                                   "pos.ini", "chrome_pos.ini"};

TEST(IniAcrossSystemsTest, WritesTheBytesTheWindowsApiWrites) {
  TempDir dir;
  WriteWindowsSet(dir);
  if (const char* out = std::getenv("MARKSAFE_WRITE_TEST_DATA")) {
    for (const char* name : kWindowsSet) {
      WriteBytes(std::string(out) + "/" + name, ReadBytes(dir.sub(name)));
    }
    GTEST_SKIP() << "wrote the data files to " << out;
  }
  for (const char* name : kWindowsSet) {
    EXPECT_EQ(ReadBytes(dir.sub(name)),
              ReadBytes(DataDir() + "/windows/" + name))
        << name;
  }
}

TEST(IniAcrossSystemsTest, ReadsFilesWrittenByTheWindowsApi) {
  const std::string dir = DataDir() + "/windows/";
  const std::u16string chrome = Widen(dir + "chrome_form.url");
  const std::u16string firefox = Widen(dir + "firefox_form.url");
  EXPECT_EQ(interchange::ReadShortcutUrl(chrome, u"", 260), kUrl);
  EXPECT_EQ(interchange::ReadShortcutTitle(chrome, 260), kTitle);
  EXPECT_EQ(interchange::ReadShortcutUrl(firefox, u"", 260), kUrl);
  EXPECT_EQ(interchange::ReadShortcutTitle(firefox, 260), u"");
  EXPECT_EQ(Read(dir + "pos.ini", u"menu", u"MAIN"), u"Bookmarks Menu");
  EXPECT_EQ(Read(dir + "pos.ini", u"Menu", u"Others"), u"Unsorted Bookmarks");
  EXPECT_EQ(Read(dir + "chrome_pos.ini", u"Chrome_menu", u"Other"),
            u"Other bookmarks");
  EXPECT_EQ(Read(dir + "chrome_pos.ini", u"Chrome_menu", u"Bar", 9),
            u"Bookmark");
}

// reader_cases.ini is a hand-made 8-bit file; the values below are what
// GetPrivateProfileStringW returns for it (the reader's tests show the rest).
TEST(IniAcrossSystemsTest, ReaderTrimsAndUnquotesAsWindowsDoes) {
  const std::string file = DataDir() + "/windows/reader_cases.ini";
  const char16_t* cases[][3] = {{u"Plain", u"spaced", u"padded value"},
                                {u"Plain", u"tabbed", u"tab value"},
                                {u"Plain", u"quoted", u"  inside blanks  "},

                                {u"Plain", u"inner", u"a \"b\" c"},

                                {u"Plain", u"url", u"http://x/?a=b=c"},

                                {u"PLAIN", u"KEY", u"value"},
                                {u"Dup", u"k", u"first"},
                                {u"After Blank", u"x", u"y"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Read(file, c[0], c[1]), c[2]) << test::U8(c[1]);
  }
  EXPECT_EQ(Read(file, u"Plain", u"spaced", 5), u"padd");
}

// Hand-made files changed by a writer: keys in another case, a new key, a
// new section, in an 8-bit and in a UTF-16LE file.
void EditHandMadeFiles(const TempDir& dir) {
  WriteBytes(dir.sub("edited.ini"),
             "; shortcut kept by hand\r\n"
             "[InternetShortcut]\r\n"
             "url = http://old.example/\r\n"
             "IconIndex=0\r\n"
             "\r\n"
             "[Other]\r\n"
             "keep=  \"  kept as it was  \"  \r\n");
  ASSERT_TRUE(platform::WriteProfileString(u"INTERNETSHORTCUT", u"URL",
                                           u"http://new.example/",
                                           dir.u16("edited.ini")));
  ASSERT_TRUE(platform::WriteProfileString(u"InternetShortcut", u"Title",
                                           u"Added", dir.u16("edited.ini")));
  ASSERT_TRUE(platform::WriteProfileString(u"Menu", u"Main", u"Bookmarks Menu",
                                           dir.u16("edited.ini")));

  WriteBytes(dir.sub("edited_utf16.ini"),
             "\xFF\xFE" + test::Utf16le(u"[Menu]\r\nmain=Old\r\n"));
  ASSERT_TRUE(platform::WriteProfileString(u"MENU", u"Main", u"Bookmarks Menu",
                                           dir.u16("edited_utf16.ini")));
  ASSERT_TRUE(platform::WriteProfileString(u"Menu", u"Others", kTitle,
                                           dir.u16("edited_utf16.ini")));
}

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
  EditHandMadeFiles(dir);
  if (const char* out = std::getenv("MARKSAFE_WRITE_TEST_DATA")) {
    for (const char* name : {"edited.ini", "edited_utf16.ini"}) {
      WriteBytes(std::string(out) + "/" + name, ReadBytes(dir.sub(name)));
    }
    GTEST_SKIP() << "wrote the edited files to " << out;
  }
  ExpectEditedValues(dir.path());
}

// tests/data/posix holds the files as our own writer edited them; Windows
// must read them as we meant them (and so must we).
TEST(IniAcrossSystemsTest, ReadsFilesEditedByOurWriter) {
  ExpectEditedValues(DataDir() + "/posix");
}

}  // namespace
}  // namespace marksafe
