// Chrome to interchange folder: export_chrome_2_folder, backup_chrome, their
// sizes, the temporary copy, and a backup copied into the Favorites folder.
#include <cstdio>

#include "chrome_test_util.h"
#include "support/browser_home.h"

namespace marksafe {
namespace test {
namespace {

class ChromeExport : public ChromeFileTest {
 protected:
  int32_t Export(const std::string& dest) {
    MakeDirs(dir_.sub(dest));
    return export_chrome_2_folder(Ms(U16(chrome_)), Ms(dir_.u16(dest)));
  }
};

TEST_F(ChromeExport, FilesFoldersAndNames) {
  const std::string long_url = "http://e/" + std::string(400, 'u');
  WriteBytes(chrome_, ChromeText(UrlJson(4, "a:b/c", "U") + "," +
                                     FolderJson(5, "x|y",
                                                UrlJson(6, "d", "V") + "," +
                                                    UrlJson(7, "d", "W")) +
                                     R"(, {"type": "url", "name": "nourl"},
                                        {"type": "separator", "name": "s"})",
                                 UrlJson(10, "caf\\u00e9", long_url)));
  EXPECT_EQ(0, Export("out"));
  EXPECT_EQ(Lines({"Bookmarks bar/", "Bookmarks bar/abc.url",
                   "Bookmarks bar/nourl.url", "Bookmarks bar/xy/",
                   "Bookmarks bar/xy/d.url", "Other bookmarks/",
                   "Other bookmarks/caf\xC3\xA9.url", "chrome_pos.ini"}),
            ListTree(dir_.sub("out")));
  const std::string out = dir_.sub("out/");
  EXPECT_EQ(std::string("\xFF\xFE[\0", 4),
            ReadBytes(out + "Bookmarks bar/abc.url").substr(0, 4));
  // The Title keeps the name as it was, with ".url"; of two equal cleaned
  // names the later child wins; no url, empty URL; a long URL is whole.
  const std::string kValues[][3] = {
      {"Bookmarks bar/abc.url", "URL", "U"},
      {"Bookmarks bar/abc.url", "Title", "a:b/c.url"},
      {"Bookmarks bar/xy/d.url", "URL", "W"},
      {"Bookmarks bar/nourl.url", "URL", ""},
      {"Other bookmarks/caf\xC3\xA9.url", "URL", long_url}};
  for (const auto& [file, key, value] : kValues) {
    EXPECT_EQ(value, ShortcutValue(out + file, key)) << file;
  }
}

TEST_F(ChromeExport, MissingBrokenAndWronglyTypedInput) {
  EXPECT_EQ(3, export_chrome_2_folder(Ms(U16(chrome_)), nullptr));
  EXPECT_EQ(2, Export("out"));
  LogCapture log;
  for (const char* text : {"not json", "{}"}) {
    WriteBytes(chrome_, text);
    EXPECT_EQ(87, Export("out"));
  }
  EXPECT_TRUE(log.Contains(
      "[DllExport] [export_chrome_2_folder] export_2_folder fail"));
  EXPECT_EQ(Lines(), ListTree(dir_.sub("out")));
  // Members of the wrong type, and a name no file system takes: skipped and
  // reported (each root fails on its own), never thrown; the rest is written.
  WriteBytes(chrome_, R"({"roots": {"bookmark_bar": {"type": "folder",
      "children": [{"type": "url", "name": 5, "url": "u"}, {"type": 7}, 3,
        {"type": "folder", "name": {}}, null, {"type": "url", "name": ")" +
                          std::string(600, 'n') + R"(", "url": "u"},
        {"type": "folder", "name": "kept", "children": {"a": 1}},
        {"type": "url", "name": "good", "url": "g"}]},
      "other": {"type": "folder", "children": [{"type": "url", "name": "n",
        "url": ["u"]}]}}})");
  EXPECT_EQ(87, Export("out2"));
  EXPECT_TRUE(log.Contains("export_folder [roots][bookmark_bar] execute fail"));
  EXPECT_TRUE(log.Contains("export_folder [roots][other] execute fail"));
  EXPECT_EQ(
      Lines({"Bookmarks bar/", "Bookmarks bar/good.url", "Bookmarks bar/kept/",
             "Other bookmarks/", "chrome_pos.ini"}),
      ListTree(dir_.sub("out2")));
}

TEST_F(ChromeExport, BackupIntoTheBackupSet) {
  WriteBytes(chrome_, ChromeText(UrlJson(4, "a", "U"), ""));
  const std::u16string chrome = U16(chrome_);
  EXPECT_EQ(3, backup_chrome(Ms(chrome), nullptr, true));
  EXPECT_EQ(3, backup_chrome(Ms(chrome), Ms(dir_.u16("missing")), true));
  EXPECT_FALSE(Exists(dir_.sub("missing")));
  MakeDirs(dir_.sub("root"));
  EXPECT_EQ(0, backup_chrome(Ms(chrome), Ms(dir_.u16("root")), true));
  EXPECT_EQ(0, backup_chrome(Ms(chrome), Ms(dir_.u16("root") + u"\\"), true));
  EXPECT_EQ("U",
            ShortcutValue(dir_.sub("root/Bookmarks/Chrome/Bookmarks bar/a.url"),
                          "URL"));
  EXPECT_TRUE(Exists(dir_.sub("root/Bookmarks/Chrome/chrome_pos.ini")));
  // A root that leaves no room for the sub-path is refused, not cut.
  const std::string deep =
      dir_.sub(std::string(100, 'd') + "/" +
               std::string(250 - dir_.path().size() - 102, 'e'));
  MakeDirs(deep);
  EXPECT_EQ(3, backup_chrome(Ms(chrome), Ms(U16(deep)), true));
  EXPECT_FALSE(Exists(deep + "/Bookmarks"));
}

class ChromeMisc : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!home_.unusable().empty()) GTEST_SKIP() << home_.unusable();
    WriteBytes(chrome_, ChromeText(UrlJson(4, "a", "http://a/") +
                                       R"(, {"type": "separator"}, )" +
                                       FolderJson(5, "Imported from IE",
                                                  UrlJson(6, "i", "http://i/")),
                                   UrlJson(7, "o", "http://o/")));
  }
  int32_t BackUp() {
    MakeDirs(dir_.sub("root"));
    return backup_chrome(nullptr, Ms(dir_.u16("root")), true);
  }
  TempDir dir_;
  BrowserHome home_;
  std::string chrome_ = home_.ChromeBookmarks();
};

TEST_F(ChromeMisc, SizesOfTheLiveFileAndOfABackup) {
  uint64_t size = 0;
  int32_t folders = 10;
  int32_t links = 10;
  EXPECT_EQ(87, get_chrome_size(nullptr, nullptr, &folders, &links));
  EXPECT_EQ(87, get_chrome_bk_size(nullptr, false, &size, &folders, nullptr));
  // Counts are added to what the caller passes in; separators are neither.
  EXPECT_EQ(0, get_chrome_size(nullptr, &size, &folders, &links));
  EXPECT_EQ(ReadBytes(chrome_).size(), size);
  EXPECT_EQ(std::make_pair(10 + 3, 10 + 3), std::make_pair(folders, links));
  WriteBytes(dir_.sub("x/Bookmarks"), "{}");
  EXPECT_EQ(
      0, get_chrome_size(Ms(dir_.u16("x/Bookmarks")), &size, &folders, &links));
  EXPECT_EQ(2u, size);
  ASSERT_EQ(0, BackUp());
  folders = links = 0;
  EXPECT_EQ(0, get_chrome_bk_size(Ms(dir_.u16("root")), true, &size, &folders,
                                  &links));
  // The tree's folders below the backup folder.
  EXPECT_EQ(std::make_pair(3, 3), std::make_pair(folders, links));
  EXPECT_EQ(87, get_chrome_bk_size(Ms(dir_.u16("none")), true, &size, &folders,
                                   &links));
  WriteBytes(chrome_, R"({"roots": {"bookmark_bar": {"type": "folder"},
      "other": 1}})");
  EXPECT_EQ(87, get_chrome_bk_size(nullptr, false, &size, &folders, &links));
  std::remove(chrome_.c_str());
  EXPECT_EQ(2, get_chrome_size(nullptr, &size, &folders, &links));
  EXPECT_EQ(2, get_chrome_bk_size(nullptr, false, &size, &folders, &links));
}

TEST_F(ChromeMisc, TemporaryCopyWithAndWithoutAnEarlierOne) {
  EXPECT_EQ(0, mk_chrome_temp_file(nullptr));
  EXPECT_EQ(ReadBytes(chrome_), ReadBytes(chrome_ + "~"));
  WriteBytes(chrome_ + "~", "old");
  EXPECT_EQ(0, mk_chrome_temp_file(Ms(U16(chrome_))));
  EXPECT_EQ(ReadBytes(chrome_), ReadBytes(chrome_ + "~"));
  // An earlier copy that cannot be deleted (here a folder) is a failure.
  std::remove((chrome_ + "~").c_str());
  MakeDirs(chrome_ + "~/keep");
  EXPECT_EQ(87, mk_chrome_temp_file(Ms(U16(chrome_))));
  std::remove(chrome_.c_str());
  EXPECT_EQ(2, mk_chrome_temp_file(nullptr));
}

TEST_F(ChromeMisc, BackupCopiedIntoFavorites) {
  ASSERT_EQ(0, BackUp());
  MakeDirs(dir_.sub("Favorites"));
  EXPECT_EQ(87,
            import_chrome_bk_2_ie(nullptr, true, Ms(dir_.u16("Favorites"))));
  EXPECT_EQ(0, import_chrome_bk_2_ie(Ms(dir_.u16("root")), true,
                                     Ms(dir_.u16("Favorites"))));
  // The folder "Imported from IE" is not copied back into IE.
  const Lines imported = {"Imported from chrome/",
                          "Imported from chrome/Bookmarks bar/",
                          "Imported from chrome/Bookmarks bar/a.url",
                          "Imported from chrome/Other bookmarks/",
                          "Imported from chrome/Other bookmarks/o.url"};
  EXPECT_EQ(imported, ListTree(dir_.sub("Favorites")));
  // The located Favorites folder needs Internet Explorer.
  home_.SetIeInstalled(false);
  EXPECT_EQ(3, import_chrome_bk_2_ie(Ms(dir_.u16("root")), true, nullptr));
  home_.SetIeInstalled(true);
  EXPECT_EQ(0, import_chrome_bk_2_ie(Ms(dir_.u16("root")), true, nullptr));
  EXPECT_EQ(imported, ListTree(home_.favorites()));
}

TEST_F(ChromeMisc, BackupWithoutOrWithBadPositionFile) {
  const std::string backup = dir_.sub("bk");
  WriteUrlFile(backup + "/Sub/s.url", "http://s/");
  EXPECT_EQ(0, import_chrome_bk_2_ie(Ms(U16(backup)), false,
                                     Ms(dir_.u16("Favorites"))));
  EXPECT_EQ(Lines({"Imported from chrome/", "Imported from chrome/Sub/",
                   "Imported from chrome/Sub/s.url"}),
            ListTree(dir_.sub("Favorites")));
  // Values that climb out of either folder copy nothing anywhere.
  WriteBytes(backup + "/chrome_pos.ini",
             "[Chrome_menu]\r\nBar=..\\..\\x\r\nother=/tmp\r\n");
  LogCapture log;
  EXPECT_EQ(87,
            import_chrome_bk_2_ie(Ms(U16(backup)), false, Ms(dir_.u16("in"))));
  EXPECT_TRUE(log.Contains("copy_folder[M] fail"));
  EXPECT_TRUE(log.Contains("copy_folder[O] fail"));
  EXPECT_EQ(Lines({"Imported from chrome/"}), ListTree(dir_.sub("in")));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
