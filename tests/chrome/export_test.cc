// Chrome to backup and back: export_chrome_2_folder, backup_chrome and
// restore_chrome keep every item; their sizes, the temporary copy, and a
// backup merged into the Favorites folder.
#include <algorithm>
#include <cstdio>

#include "chrome/chrome_reader.h"
#include "chrome_test_util.h"
#include "model/report.h"
#include "support/browser_home.h"

namespace marksafe {
namespace test {
namespace {

// Nodes with dates (Chrome time) and, for folders, a later date_modified.
std::string Dated(int id, const std::string& name, int64_t date,
                  const std::string& rest) {
  return R"({"date_added": ")" + std::to_string(date) + R"(", "id": ")" +
         std::to_string(id) + R"(", "name": ")" + name + "\", " + rest + "}";
}
std::string Url(int id, const std::string& name, const std::string& url) {
  return Dated(id, name, 13300000000000000 + id,
               R"("type": "url", "url": ")" + url + "\"");
}
std::string Folder(int id, const std::string& name,
                   const std::string& children) {
  return Dated(id, name, 13300000000000000 + id,
               R"("type": "folder", "date_modified": ")" +
                   std::to_string(13300000000100000 + id) +
                   R"(", "children": [)" + children + "]");
}

// Every item below the roots, one line each: root, depth, kind, exact
// title, URL and dates, in document order.
Lines Items(const std::string& file) {
  model::Tree tree;
  EXPECT_TRUE(
      chrome::ReadChromeTree(LoadChrome(file), &tree, nullptr, nullptr).ok());
  Lines out;
  for (const chrome::ChromeRoot& root : chrome::kChromeRoots) {
    if (tree.root(root.root) == model::kNoItem) continue;
    tree.ForEachBelow(tree.root(root.root), [&](model::ItemId id) {
      const model::Item& item = tree.at(id);
      out.push_back(std::string(root.key) + " " + std::to_string(item.depth) +
                    (item.kind == model::ItemKind::kFolder ? " folder " : " ") +
                    "[" + U8(item.title) + "] " + U8(item.url) + " " +
                    std::to_string(item.date_added) + " " +
                    std::to_string(item.last_modified));
    });
  }
  return out;
}

class ChromeBackup : public ChromeFileTest {
 protected:
  void SetUp() override {
    WriteBytes(source_, ChromeText(
        Folder(10, "Dup", Url(11, "a", "https://a.example/")) + "," +
            Folder(12, "Dup", Url(13, "b", "https://b.example/")) + "," +
            Url(14, "Same", "https://dup.example/") + "," +
            Url(15, "Same", "https://dup.example/") + "," +
            Url(16, "js", "javascript:alert(1)") + "," +
            Url(17, "f", "file:///tmp/a%20b.html") + "," +
            Url(18, R"( a/b:c?*|<>\"\\ )", "http://x/") + "," +
            Url(19, "..", "http://y/") + "," +
            Folder(20, "Caf\\u00e9 \\ud83d\\ude00",
                   Folder(21, "Deep", Url(22, "q", "http://q/?a=%22b%22"))) +
            "," + Url(23, "Title.url", "http://t/"),
        Url(30, "o", "http://o/") + "," +
            Folder(31, "", Url(32, "", "http://empty/"))));
    Json::Value document = LoadChrome(source_);
    document["roots"]["synced"]["children"].append(
        Doc(Url(40, "phone", "https://m.example/")));
    WriteBytes(source_, Json::StyledWriter().write(document));
    WriteBytes(chrome_, ChromeText("", ""));
    MakeDirs(dir_.sub("root"));
  }
  int32_t Restore(const std::string& file) {
    return restore_chrome(Ms(U16(file)), Ms(dir_.u16("root")), true);
  }
  std::string source_ = dir_.sub("source/Bookmarks");
};

TEST_F(ChromeBackup, RestoreGivesBackEveryItemOnceOnly) {
  ASSERT_EQ(0, backup_chrome(Ms(U16(source_)), Ms(dir_.u16("root")), true));
  const model::Report& backup = model::CurrentReport();
  EXPECT_EQ("backup_chrome", backup.operation);
  EXPECT_FALSE(backup.AnythingLost());
  ASSERT_EQ(0, Restore(chrome_));
  // Every root, order, exact titles, URLs of every scheme, both dates,
  // same-titled folders and duplicate links.
  const Lines items = Items(source_);
  EXPECT_EQ(18u, items.size());
  EXPECT_EQ(items, Items(chrome_));
  const model::Report& restore = model::CurrentReport();
  model::Counts added;
  for (const model::RootReport& root : restore.roots) added += root.added;
  EXPECT_EQ(model::Counts({13, 5, 0}), added);
  EXPECT_FALSE(restore.AnythingLost());

  // Again, and into the file the backup came from: nothing is added and
  // neither file is rewritten.
  const std::string restored = ReadBytes(chrome_);
  const std::string original = ReadBytes(source_);
  ASSERT_EQ(0, Restore(chrome_));
  ASSERT_EQ(0, Restore(source_));
  EXPECT_EQ(restored, ReadBytes(chrome_));
  EXPECT_EQ(original, ReadBytes(source_));
}

TEST_F(ChromeBackup, ArgumentsAndDamagedFiles) {
  EXPECT_EQ(3, export_chrome_2_folder(Ms(U16(chrome_)), nullptr));
  EXPECT_EQ(2, export_chrome_2_folder(Ms(dir_.u16("none/Bookmarks")),
                                      Ms(dir_.u16("root"))));
  LogCapture log;
  for (const char* text : {"not json", "{}"}) {
    WriteBytes(chrome_, text);
    EXPECT_EQ(87, export_chrome_2_folder(Ms(U16(chrome_)), Ms(dir_.u16("root"))));
  }
  EXPECT_TRUE(log.Contains(
      "[DllExport] [export_chrome_2_folder] export_2_folder fail"));
  EXPECT_EQ(Lines(), ListTree(dir_.sub("root")));
  // Nodes of the wrong shape are left out and reported, never thrown on;
  // the rest is written.
  WriteBytes(chrome_, R"({"roots": {"bookmark_bar": {"type": "folder",
      "children": [{"type": "url", "name": 5, "url": "u"}, {"type": 7}, 3,
        {"type": "folder", "name": "kept", "children": [{"type": "url",
          "name": "in", "url": ["u"]}]},
        {"type": "url", "name": "good", "url": "http://g/"}]},
      "other": {"type": "folder"}}})");
  EXPECT_EQ(0, export_chrome_2_folder(Ms(U16(chrome_)), Ms(dir_.u16("root"))));
  EXPECT_EQ(4u, model::CurrentReport().problems.size());
  EXPECT_TRUE(model::CurrentReport().AnythingLost());
  EXPECT_TRUE(Exists(dir_.sub("root/Bookmarks bar/good.url")));
}

TEST_F(ChromeBackup, IntoTheBackupSet) {
  const std::u16string chrome = U16(source_);
  EXPECT_EQ(3, backup_chrome(Ms(chrome), nullptr, true));
  EXPECT_EQ(3, backup_chrome(Ms(chrome), Ms(dir_.u16("missing")), true));
  EXPECT_FALSE(Exists(dir_.sub("missing")));
  EXPECT_EQ(0, backup_chrome(Ms(chrome), Ms(dir_.u16("root")), true));
  // A second backup replaces the part rather than adding beside it.
  EXPECT_EQ(0, backup_chrome(Ms(chrome), Ms(dir_.u16("root") + u"\\"), true));
  const std::string part = dir_.sub("root/Bookmarks/Chrome/");
  EXPECT_TRUE(Exists(part + "chrome_pos.ini"));
  EXPECT_EQ("http://o/", ShortcutValue(part + "Other bookmarks/o.url", "URL"));
  EXPECT_FALSE(Exists(part + "Other bookmarks/o (2).url"));
  EXPECT_TRUE(Exists(part + "Mobile bookmarks/phone.url"));
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
  // Counts are added to what the caller passes in: the three roots and
  // the folder, three links; the separator is neither.
  EXPECT_EQ(0, get_chrome_size(nullptr, &size, &folders, &links));
  EXPECT_EQ(ReadBytes(chrome_).size(), size);
  EXPECT_EQ(std::make_pair(10 + 4, 10 + 3), std::make_pair(folders, links));
  WriteBytes(dir_.sub("x/Bookmarks"), "{}");
  EXPECT_EQ(
      0, get_chrome_size(Ms(dir_.u16("x/Bookmarks")), &size, &folders, &links));
  EXPECT_EQ(2u, size);
  ASSERT_EQ(0, BackUp());
  folders = links = 0;
  EXPECT_EQ(0, get_chrome_bk_size(Ms(dir_.u16("root")), true, &size, &folders,
                                  &links));
  // The folders of the backup's tree: three roots and the folder.
  EXPECT_EQ(std::make_pair(4, 3), std::make_pair(folders, links));
  EXPECT_EQ(87, get_chrome_bk_size(Ms(dir_.u16("none")), true, &size, &folders,
                                   &links));
  WriteBytes(chrome_, "[]");
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

TEST_F(ChromeMisc, BackupMergedIntoFavorites) {
  ASSERT_EQ(0, BackUp());
  MakeDirs(dir_.sub("Favorites"));
  EXPECT_EQ(87,
            import_chrome_bk_2_ie(nullptr, true, Ms(dir_.u16("Favorites"))));
  EXPECT_EQ(0, import_chrome_bk_2_ie(Ms(dir_.u16("root")), true,
                                     Ms(dir_.u16("Favorites"))));
  EXPECT_EQ("import_chrome_bk_2_ie", model::CurrentReport().operation);
  const Lines imported = ListTree(dir_.sub("Favorites"));
  for (const char* file : {"Imported from chrome/Bookmarks bar/a.url",
                           "Imported from chrome/Other bookmarks/o.url"}) {
    EXPECT_NE(imported.end(), std::find(imported.begin(), imported.end(), file))
        << file;
  }
  // The located Favorites folder needs Internet Explorer.
  home_.SetIeInstalled(false);
  EXPECT_EQ(3, import_chrome_bk_2_ie(Ms(dir_.u16("root")), true, nullptr));
  home_.SetIeInstalled(true);
  EXPECT_EQ(0, import_chrome_bk_2_ie(Ms(dir_.u16("root")), true, nullptr));
  EXPECT_EQ(imported, ListTree(home_.favorites()));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
