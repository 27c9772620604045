// Chrome to interchange folder: export_chrome_2_folder and backup_chrome.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chrome_test_util.h"
#include "platform/platform.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

using Tree = std::vector<std::string>;

class ChromeExport : public ::testing::Test {
 protected:
  void SetUp() override { chrome_ = dir_.sub("Default/Bookmarks"); }
  void WriteChrome(const std::string& bar, const std::string& other) {
    WriteBytes(chrome_, ChromeText(bar, other));
  }
  int32_t Export(const std::string& dest) {
    return export_chrome_2_folder(U16(chrome_).c_str(), U16(dest).c_str());
  }

  TempDir dir_;
  std::string chrome_;
};

TEST_F(ChromeExport, EmptyRootsGivePositionFileAndTwoFolders) {
  WriteChrome("", "");
  MakeDirs(dir_.sub("out"));
  EXPECT_EQ(0, Export(dir_.sub("out")));
  EXPECT_EQ(Tree({"Bookmarks bar/", "Other bookmarks/", "chrome_pos.ini"}),
            ListTree(dir_.sub("out")));
  const std::u16string pos = dir_.u16("out/chrome_pos.ini");
  EXPECT_EQ(u"Bookmarks bar",
            platform::GetProfileString(u"Chrome_menu", u"Bar", u"", 99, pos));
  EXPECT_EQ(u"Other bookmarks", platform::GetProfileString(
                                    u"Chrome_menu", u"other", u"", 99, pos));
}

TEST_F(ChromeExport, FilesFoldersAndNames) {
  WriteChrome(UrlJson(4, "a:b/c", "U") + "," +
                  FolderJson(5, "x|y", UrlJson(6, "d", "V") + "," +
                                           UrlJson(7, "d", "W")) +
                  R"(, {"type": "url", "name": "nourl", "id": "8"})" +
                  R"(, {"type": "separator", "name": "s", "id": "9"})",
              UrlJson(10, "caf\\u00e9 \\ud83d\\ude00", "http://e/\\u00e9"));
  MakeDirs(dir_.sub("out"));
  EXPECT_EQ(0, Export(dir_.sub("out")));
  EXPECT_EQ(Tree({"Bookmarks bar/", "Bookmarks bar/abc.url",
                  "Bookmarks bar/nourl.url", "Bookmarks bar/xy/",
                  "Bookmarks bar/xy/d.url", "Other bookmarks/",
                  "Other bookmarks/caf\xC3\xA9 \xF0\x9F\x98\x80.url",
                  "chrome_pos.ini"}),
            ListTree(dir_.sub("out")));
  const std::string abc = dir_.sub("out/Bookmarks bar/abc.url");
  EXPECT_EQ("U", ShortcutValue(abc, "URL"));
  EXPECT_EQ("a:b/c.url", ShortcutValue(abc, "Title"));
  // UTF-16LE with its byte-order mark.
  EXPECT_EQ(std::string("\xFF\xFE[\0", 4), ReadBytes(abc).substr(0, 4));
  // Of two equal cleaned names the later child wins.
  EXPECT_EQ("W", ShortcutValue(dir_.sub("out/Bookmarks bar/xy/d.url"), "URL"));
  EXPECT_EQ("", ShortcutValue(dir_.sub("out/Bookmarks bar/nourl.url"), "URL"));
  const std::string cafe =
      dir_.sub("out/Other bookmarks/caf\xC3\xA9 \xF0\x9F\x98\x80.url");
  EXPECT_EQ("http://e/\xC3\xA9", ShortcutValue(cafe, "URL"));
  EXPECT_EQ("caf\xC3\xA9 \xF0\x9F\x98\x80.url", ShortcutValue(cafe, "Title"));
}

TEST_F(ChromeExport, LongNamesAndUrlsAreNeverCutSilently) {
  const std::string long_url = "http://e/" + std::string(400, 'u');
  WriteChrome(UrlJson(4, std::string(600, 'n'), "U") + "," +
                  UrlJson(5, "ok", long_url),
              "");
  MakeDirs(dir_.sub("out"));
  LogCapture log;
  // The name is too long for any file system: that bookmark fails, is
  // reported, and the rest is written.
  EXPECT_EQ(87, Export(dir_.sub("out")));
  EXPECT_TRUE(log.Contains("export_folder [roots][bookmark_bar] execute fail"));
  EXPECT_EQ(long_url, ShortcutValue(dir_.sub("out/Bookmarks bar/ok.url"), "URL"));
}

TEST_F(ChromeExport, ArgumentsAndBrokenFiles) {
  MakeDirs(dir_.sub("out"));
  EXPECT_EQ(3, export_chrome_2_folder(U16(chrome_).c_str(), nullptr));
  EXPECT_EQ(2, Export(dir_.sub("out")));  // no Chrome file
  WriteBytes(chrome_, "not json");
  LogCapture log;
  EXPECT_EQ(87, Export(dir_.sub("out")));
  EXPECT_TRUE(log.Contains("[DllExport] [export_chrome_2_folder] export_2_folder fail"));
  WriteBytes(chrome_, "{}");
  EXPECT_EQ(87, Export(dir_.sub("out")));
  EXPECT_EQ(Tree(), ListTree(dir_.sub("out")));
  // Members of the wrong type: skipped, reported, never thrown.
  WriteBytes(chrome_, R"({"roots": {
      "bookmark_bar": {"type": "folder", "children": [
        {"type": "url", "name": 5, "url": "u"},
        {"type": "url", "name": "n", "url": ["u"]},
        {"type": "folder", "name": {}, "children": []},
        {"type": 7}, 3, "x", null,
        {"type": "folder", "name": "kept", "children": {"a": 1}},
        {"type": "url", "name": "good", "url": "g"}]},
      "other": {"type": "folder", "children": 4}}})");
  EXPECT_EQ(87, Export(dir_.sub("out2")));  // missing destination
  MakeDirs(dir_.sub("out2"));
  EXPECT_EQ(87, Export(dir_.sub("out2")));
  EXPECT_EQ(Tree({"Bookmarks bar/", "Bookmarks bar/good.url",
                  "Bookmarks bar/kept/", "Other bookmarks/", "chrome_pos.ini"}),
            ListTree(dir_.sub("out2")));
}

TEST_F(ChromeExport, BackupIntoTheBackupSet) {
  WriteChrome(UrlJson(4, "a", "U"), "");
  EXPECT_EQ(3, backup_chrome(U16(chrome_).c_str(), nullptr, true));
  EXPECT_EQ(3, backup_chrome(U16(chrome_).c_str(),
                             U16(dir_.sub("missing")).c_str(), true));
  EXPECT_FALSE(Exists(dir_.sub("missing")));
  MakeDirs(dir_.sub("root"));
  EXPECT_EQ(0, backup_chrome(U16(chrome_).c_str(),
                             U16(dir_.sub("root")).c_str(), true));
  EXPECT_EQ(0, backup_chrome(U16(chrome_).c_str(),
                             (U16(dir_.sub("root")) + u"\\").c_str(), true));
  EXPECT_EQ(Tree({"Bookmarks/", "Bookmarks/Chrome/",
                  "Bookmarks/Chrome/Bookmarks bar/",
                  "Bookmarks/Chrome/Bookmarks bar/a.url",
                  "Bookmarks/Chrome/Other bookmarks/",
                  "Bookmarks/Chrome/chrome_pos.ini"}),
            ListTree(dir_.sub("root")));
  // Without the flag the folder itself is the destination.
  MakeDirs(dir_.sub("plain"));
  EXPECT_EQ(0, backup_chrome(U16(chrome_).c_str(),
                             U16(dir_.sub("plain")).c_str(), false));
  EXPECT_TRUE(Exists(dir_.sub("plain/chrome_pos.ini")));
  // A root too long for the sub-path is refused, not cut.
  const std::string deep =
      dir_.sub(std::string(100, 'd') + "/" +
               std::string(250 - dir_.path().size() - 102, 'e'));
  ASSERT_EQ(250u, deep.size());
  MakeDirs(deep);
  EXPECT_EQ(3, backup_chrome(U16(chrome_).c_str(), U16(deep).c_str(), true));
  EXPECT_FALSE(Exists(deep + "/Bookmarks"));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
