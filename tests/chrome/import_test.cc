// Interchange folder to Chrome: import onto the bookmark bar, the imports of
// IE and Firefox backups and the restore of a Chrome backup, into a file
// today's Chrome accepts.
#include <set>

#include "chrome/chrome_checksum.h"
#include "chrome_test_util.h"

namespace marksafe {
namespace test {
namespace {

class ChromeImport : public ChromeFileTest {
 protected:
  void SetUp() override {
    WriteBytes(chrome_, ChromeText(FolderJson(10, "F", UrlJson(40, "x", "X")),
                                   UrlJson(12, "o", "O")));
  }
  void WritePositions(const std::string& bar, const std::string& other) {
    WriteBytes(backup_ + "/chrome_pos.ini",
               "[Chrome_menu]\r\nBar=" + bar + "\r\nother=" + other + "\r\n");
  }
  int32_t Restore() {
    return restore_chrome(Ms(U16(chrome_)), Ms(dir_.u16("root")), true);
  }
  std::string backup_ = dir_.sub("root/Bookmarks/Chrome");
};

TEST_F(ChromeImport, IdsNamesTitlesAndFoldersMergedByExactName) {
  const std::string kFiles[][3] = {
      {"t.url", "http://t/", "Docs.url"},
      {"Docs.url", "http://d/", ""},
      {"Read me.URL", "http://r/", ""},
      {"short.url", "http://s/", "ab"},
      {"a.url.bak", "http://bak/", ""},
      {"S/b.url", "http://b/", ""},
      {"q.url", "http://a/\"b\\c", "say \"hi\"\tC:\\x \xF0\x9F\x98\x80.url"},
      {".Quillbay/m.url", "http://m/", ""},
      {".QUILLBAY/m.url", "http://m/", ""},
      {"imported from chrome/m.url", "http://m/", ""}};
  for (const auto& [file, url, title] : kFiles) {
    WriteUrlFile(dir_.sub("src/" + file), url, title);
  }
  // Into the folder F that is there already; ids in listing order, a
  // folder's content before the entries after it; Titles less ".url".
  ASSERT_EQ(0, Import(u"F"));
  const Json::Value f =
      LoadChrome(chrome_)["roots"]["bookmark_bar"]["children"][0];
  EXPECT_EQ(Lines({"40 x X", "41 Docs http://d/",
                   "42 say \"hi\"\tC:\\x \xF0\x9F\x98\x80 http://a/%22b/c",
                   "43 Read me http://r/", "44 S", "46 ab http://s/",
                   "47 Docs http://t/"}),
            Summary(f["children"]));
  EXPECT_EQ(Lines({"45 b http://b/"}), Summary(f["children"][4]["children"]));
  ASSERT_EQ(0, Import(u"f"));  // names match exactly
  EXPECT_EQ(Lines({"10 F", "48 f"}), Summary(chrome_, "bookmark_bar"));
}

TEST_F(ChromeImport, ArgumentsBackupsAndUntouchedFiles) {
  MakeDirs(dir_.sub("src"));
  const std::string before = ReadBytes(chrome_);
  EXPECT_EQ(3, import_folder_2_chrome_bar(Ms(U16(chrome_)), nullptr, Ms(u"N")));
  EXPECT_EQ(87, Import(nullptr));
  EXPECT_EQ(87, import_folder_2_chrome_bar(Ms(dir_.u16("none/Bookmarks")),
                                           Ms(dir_.u16("src")), Ms(u"N")));
  EXPECT_EQ(87, import_ie_2_chrome(Ms(U16(chrome_)), Ms(dir_.u16("src")), false,
                                   Ms(u"N"), "x", nullptr));
  EXPECT_EQ(before, ReadBytes(chrome_));
  // Backups go under their default names.
  WriteUrlFile(dir_.sub("root/Bookmarks/Favorites/f.url"), "http://f/");
  WriteUrlFile(dir_.sub("root/Bookmarks/Firefox/Menu/g.url"), "http://g/");
  EXPECT_EQ(0, import_ie_2_chrome(Ms(U16(chrome_)), Ms(dir_.u16("root")), true,
                                  nullptr, "x", "y"));
  EXPECT_EQ(0, import_firefox_2_chrome(Ms(U16(chrome_)), Ms(dir_.u16("root")),
                                       true, nullptr));
  EXPECT_EQ(3, import_firefox_2_chrome(Ms(U16(chrome_)), Ms(dir_.u16("src")),
                                       true, nullptr));
  EXPECT_EQ(Lines({"10 F", "41 Imported from IE", "43 Imported from Firefox"}),
            Summary(chrome_, "bookmark_bar"));
  // No document at all, or a folder whose children are not an array, on
  // the bar or deeper down: 87, and the file is not rewritten.
  WriteUrlFile(dir_.sub("src/a.url"), "http://a/");
  WriteUrlFile(dir_.sub("src/S/T/b.url"), "http://b/");
  LogCapture log;
  const std::string bad = R"({"type": "folder", "name": "T", "children": {}})";
  for (const std::string& text :
       {std::string("[1, 2]"), R"({"roots": {"bookmark_bar": )" + bad + "}}",
        ChromeText(FolderJson(4, "S", bad), "")}) {
    WriteBytes(chrome_, text);
    EXPECT_EQ(87, Import(u""));
    EXPECT_EQ(text, ReadBytes(chrome_));
  }
  EXPECT_TRUE(log.Contains("folder T has children of the wrong type"));
}

TEST_F(ChromeImport, EveryOtherMemberKeptAndTheChecksumUpdated) {
  Json::Value original = Doc(ChromeText(UrlJson(5, "x", "https://x/"), ""));
  original["roots"]["bookmark_bar"]["children"][0]["meta_info"]["k"] = "v";
  original["roots"]["synced"]["children"].append(
      Doc(UrlJson(900, "phone", "https://m.example/")));
  original["roots"]["custom_root"] = Doc(R"({"keep": ["x", 1]})");
  original["sync_metadata"] = "opaque";
  original["checksum"] = chrome::TreeChecksum(original);
  WriteBytes(chrome_, Json::StyledWriter().write(original));
  WriteUrlFile(dir_.sub("src/S/b.url"), "https://b.example/");
  ASSERT_EQ(0, Import(u"N"));
  Json::Value saved = LoadChrome(chrome_);
  EXPECT_EQ(chrome::TreeChecksum(saved), saved["checksum"].asString());
  // The new nodes take ids above the synced root's 900.
  Json::Value& bar = saved["roots"]["bookmark_bar"]["children"];
  EXPECT_EQ(Lines({"5 x https://x/", "901 N"}), Summary(bar));
  // Everything else is as it was.
  bar.resize(1);
  saved.removeMember("checksum");
  original.removeMember("checksum");
  EXPECT_EQ(original, saved);
}

TEST_F(ChromeImport, FileWithoutSyncedRootGetsOneWhenSaved) {
  WriteBytes(chrome_, R"({"roots": {"bookmark_bar": {"type": "folder",
      "id": "1", "children": [{"type": "url", "id": "40", "url": "http://x/"}]},
      "other": {"type": "folder", "id": "2", "name": "Other"}}})");
  WriteUrlFile(dir_.sub("src/a.url"), "http://a/");
  ASSERT_EQ(0, Import(u"N"));  // N 41, a 42
  const Json::Value saved = LoadChrome(chrome_);
  EXPECT_EQ(Doc(R"({"children": [], "date_added": "0", "date_last_used": "0",
      "date_modified": "0", "guid": "4cf2e351-0e85-532b-bb37-df045d8f8d0f",
      "id": "43", "name": "Mobile bookmarks", "type": "folder"})"),
            saved["roots"]["synced"]);
  EXPECT_EQ(chrome::TreeChecksum(saved), saved["checksum"].asString());
  // A restore that fails and adds nothing still saves with the root, its id
  // above every other even when the bar is not a folder.
  WriteBytes(chrome_, R"({"roots": {"bookmark_bar": [],
      "other": {"type": "folder", "id": "7", "children": []}}})");
  MakeDirs(dir_.sub("backup"));
  ASSERT_EQ(87,
            restore_chrome(Ms(U16(chrome_)), Ms(dir_.u16("backup")), false));
  EXPECT_EQ("8", LoadChrome(chrome_)["roots"]["synced"]["id"].asString());
}

TEST_F(ChromeImport, AddressesAreComparedAndWrittenInTheirStandardForm) {
  WriteBytes(chrome_,
             ChromeText(UrlJson(5, "c", "http://xn--caf-dma.example/") + "," +
                            UrlJson(6, "d", "https://ex.com/a%20b"),
                        ""));
  const std::string kUrls[] = {
      "http://caf\xC3\xA9.example/", "HTTPS://Ex.COM:443/a b",
      "http://NEW.example:80",       "http://exa mple.com/",
      "http://new.EXAMPLE/",         "http://Exa Mple.com/"};
  for (int i = 0; i < 6; ++i) {
    WriteUrlFile(dir_.sub("src/") + static_cast<char>('c' + i) + ".url",
                 kUrls[i]);
  }
  LogCapture log;
  ASSERT_EQ(0, Import(u""));
  // c and d are there already; g repeats e, added earlier in the same call,
  // h repeats f (which does not parse and is kept as given) in ASCII case
  // only. Ids are not spent on skipped files.
  EXPECT_EQ(
      Lines({"5 c http://xn--caf-dma.example/", "6 d https://ex.com/a%20b",
             "7 e http://new.example/", "8 f http://exa mple.com/"}),
      Summary(chrome_, "bookmark_bar"));
  EXPECT_TRUE(log.Contains("http://exa mple.com/")) << log.Joined();
}

TEST_F(ChromeImport, RestoreArgumentsAndMissingPositionFile) {
  EXPECT_EQ(87, restore_chrome(Ms(U16(chrome_)), nullptr, true));
  EXPECT_EQ(3, Restore());
  WriteUrlFile(backup_ + "/a.url", "http://a/");
  {
    ScopedEnv appdata("MARKSAFE_APPDATA", dir_.sub("AppData/Roaming"));
    EXPECT_EQ(2, restore_chrome(nullptr, Ms(dir_.u16("root")), true));
  }
  const std::string before = ReadBytes(chrome_);
  LogCapture log;
  EXPECT_EQ(87, Restore());
  EXPECT_TRUE(
      log.Contains("[DllExport] [restore_chrome] import_from_chrome_bk fail"));
  EXPECT_EQ(before, ReadBytes(chrome_));
  WriteBytes(chrome_, "{\"roots\": {");
  EXPECT_EQ(87, Restore());
  EXPECT_EQ("{\"roots\": {", ReadBytes(chrome_));
}

TEST_F(ChromeImport, RestorePositionValuesThatClimbOutAreRefused) {
  WriteUrlFile(dir_.sub("root/Bookmarks/outside/evil.url"), "http://evil/");
  WritePositions("..\\outside", "o");
  WriteUrlFile(backup_ + "/o/c.url", "http://c/");
  LogCapture log;
  EXPECT_EQ(87, Restore());
  EXPECT_TRUE(log.Contains("import_from_folder [root] execute fail"));
  // The other root is still restored, and kept; ids go on from the file's.
  EXPECT_EQ(Lines({"10 F"}), Summary(chrome_, "bookmark_bar"));
  EXPECT_EQ(Lines({"12 o O", "41 c http://c/"}), Summary(chrome_, "other"));
}

TEST_F(ChromeImport, RestoreOfNothingNewLeavesChromesFileAsItWas) {
  WriteBytes(chrome_, Fixture("bookmarks-today.json"));
  WritePositions("b", "o");
  WriteUrlFile(backup_ + "/b/x.url", "HTTPS://Example.com/made");
  MakeDirs(backup_ + "/o");
  ASSERT_EQ(0, Restore());
  EXPECT_EQ(Fixture("bookmarks-today.json"), ReadBytes(chrome_));
}

// "path url" of every node below children (or the roots).
std::multiset<std::string> Flatten(const Json::Value& children,
                                   const std::string& prefix = "") {
  std::multiset<std::string> out;
  for (const Json::Value& child : children) {
    const std::string path = prefix + "/" + child["name"].asString();
    out.insert(path + " " + child["url"].asString());
    out.merge(Flatten(child["children"], path));
  }
  return out;
}

TEST_F(ChromeImport, ExportThenRestoreGivesTheSameTree) {
  // Into a file that holds one of the bookmarks already (not doubled).
  const std::string source = dir_.sub("source/Bookmarks");
  WriteBytes(
      source,
      ChromeText(FolderJson(10, "F", UrlJson(40, "x", "X")) + "," +
                     FolderJson(6, "Caf\\u00e9 \\ud83d\\ude00",
                                UrlJson(7, "Q \\\"q\\\" \\\\ q",
                                        "http://q/?a=%22b\\\\%22") +
                                    "," + FolderJson(8, "Deep", "")) +
                     "," + UrlJson(9, "Title.url", "http://t/"),
                 UrlJson(12, "o", "O") + "," + UrlJson(13, "P", "http://p/")));
  MakeDirs(dir_.sub("root"));
  ASSERT_EQ(0, backup_chrome(Ms(U16(source)), Ms(dir_.u16("root")), true));
  ASSERT_EQ(0, Restore());
  EXPECT_EQ(Flatten(LoadChrome(source)["roots"]),
            Flatten(LoadChrome(chrome_)["roots"]));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
