// Into Chrome: a folder onto the bookmark bar, the IE and Firefox parts of a
// backup set, and the restore of a Chrome part, merged into a file today's
// Chrome accepts. A Firefox part's conversion is in tests/roundtrip.
#include <algorithm>

#include "chrome_test_util.h"
#include "context/job.h"
#include "model/report.h"
#include "stores/chrome/chrome_checksum.h"
#include "support/faulty_env.h"

namespace marksafe {
namespace test {
namespace {

class ChromeImport : public ChromeFileTest {
 protected:
  void SetUp() override {
    WriteBytes(chrome_, ChromeText(FolderJson(10, "F", UrlJson(40, "x", "X")),
                                   UrlJson(12, "o", "O")));
  }
  int32_t Restore() {
    return restore_chrome(Ms(U16(chrome_)), Ms(dir_.u16("root")), true);
  }
  std::string backup_ = dir_.sub("root/Bookmarks/Chrome");
};

// "name [url]" of each child, sorted (the order of a listing is the file
// system's).
Lines Sorted(const Json::Value& children) {
  Lines out;
  for (const Json::Value& child : children) {
    out.push_back(child["name"].asString() +
                  (child.isMember("url") ? " " + child["url"].asString() : ""));
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(ChromeImport, FolderMergedIntoItsBarFolderOnce) {
  for (const char* file :
       {"a.url", "Read me.URL", "a.url.bak", "S/b.url", ".Quillbay/m.url",
        ".QUILLBAY/m.url", "imported from chrome/m.url"}) {
    WriteUrlFile(dir_.sub("src/") + file, std::string("http://") + file[0] + "/");
  }
  const model::Time before = model::Now();
  // Into the folder F that is there already, after what it holds; new ids
  // above every other, today's dates.
  ASSERT_EQ(0, Import(u"F"));
  Json::Value f = LoadChrome(chrome_)["roots"]["bookmark_bar"]["children"][0];
  EXPECT_EQ("x", f["children"][0]["name"].asString());
  EXPECT_EQ(Lines({"Read me http://r/", "S", "a http://a/", "x X"}),
            Sorted(f["children"]));
  for (const Json::Value& child : f["children"]) {
    if (child["name"] == "x") continue;
    EXPECT_GT(std::stoll(child["id"].asString()), 40);
    EXPECT_LE(model::ToChromeTime(before),
              std::stoll(child["date_added"].asString()));
  }
  const model::RootReport& root = context::LastReport().roots.at(0);
  EXPECT_EQ(model::Counts({3, 1, 0}), root.added);
  // Again: nothing new, the file keeps its bytes. Names match exactly.
  const std::string once = ReadBytes(chrome_);
  ASSERT_EQ(0, Import(u"F"));
  EXPECT_EQ(once, ReadBytes(chrome_));
  ASSERT_EQ(0, Import(u"f"));
  const Lines bar = Summary(chrome_, "bookmark_bar");
  ASSERT_EQ(2u, bar.size());
  EXPECT_EQ("10 F", bar[0]);
  EXPECT_EQ(" f", bar[1].substr(bar[1].find(' ')));
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
  EXPECT_EQ(87, restore_chrome(Ms(U16(chrome_)), nullptr, true));
  EXPECT_EQ(3, Restore());
  // A backup without its position file, or a file that another program
  // has open, is not written.
  WriteUrlFile(backup_ + "/a.url", "http://a/");
  EXPECT_EQ(87, Restore());
  WriteUrlFile(dir_.sub("src/a.url"), "http://a/");
  {
    ScopedFaultyEnv env;
    env->SetFileHeld(U16(chrome_));
    EXPECT_NE(0, Import(u"N"));
  }
  EXPECT_EQ(before, ReadBytes(chrome_));
  // Backups go under their default names; a Firefox folder without a
  // position file is read as plain .url files.
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
  // No document, or no bookmark bar: 87, and the file is not rewritten.
  for (const std::string& text :
       {std::string("[1, 2]"),
        std::string(R"({"roots": {"bookmark_bar": []}})")}) {
    WriteBytes(chrome_, text);
    EXPECT_EQ(87, Import(u""));
    EXPECT_EQ(text, ReadBytes(chrome_));
  }
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
  ASSERT_EQ(0, Import(u"N"));  // synced 41, N 42, a 43
  const Json::Value saved = LoadChrome(chrome_);
  EXPECT_EQ(Doc(R"({"children": [], "date_added": "0", "date_last_used": "0",
      "date_modified": "0", "guid": "4cf2e351-0e85-532b-bb37-df045d8f8d0f",
      "id": "41", "name": "Mobile bookmarks", "type": "folder"})"),
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
  const std::string kUrls[] = {"http://caf\xC3\xA9.example/",
                               "HTTPS://Ex.COM:443/a b",
                               "http://NEW.example:80", "http://exa mple.com/"};
  for (int i = 0; i < 4; ++i) {
    WriteUrlFile(dir_.sub("src/") + static_cast<char>('c' + i) + ".url",
                 kUrls[i]);
  }
  ASSERT_EQ(0, Import(u""));
  // c and d are there already; e is stored as Chrome would store it, f
  // (which does not parse) as given.
  EXPECT_EQ(
      Lines({"5 c http://xn--caf-dma.example/", "6 d https://ex.com/a%20b",
             "7 e http://new.example/", "8 f http://exa mple.com/"}),
      Summary(chrome_, "bookmark_bar"));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
