// Chrome to interchange folder: export_chrome_2_folder and backup_chrome.
#include "chrome_test_util.h"

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
      "children": [{"type": "url", "name": 5, "url": "u"},
        {"type": "folder", "name": {}},
        {"type": 7}, 3, null, {"type": "url", "url": "u", "name": ")" +
                          std::string(600, 'n') + R"("},
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
  EXPECT_EQ(Lines({"Bookmarks/", "Bookmarks/Chrome/",
                   "Bookmarks/Chrome/Bookmarks bar/",
                   "Bookmarks/Chrome/Bookmarks bar/a.url",
                   "Bookmarks/Chrome/Other bookmarks/",
                   "Bookmarks/Chrome/chrome_pos.ini"}),
            ListTree(dir_.sub("root")));
  // A root that leaves no room for the sub-path is refused, not cut.
  const std::string deep =
      dir_.sub(std::string(100, 'd') + "/" +
               std::string(250 - dir_.path().size() - 102, 'e'));
  MakeDirs(deep);
  EXPECT_EQ(3, backup_chrome(Ms(chrome), Ms(U16(deep)), true));
  EXPECT_FALSE(Exists(deep + "/Bookmarks"));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
