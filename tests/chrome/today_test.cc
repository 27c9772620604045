// Today's Chrome: the checksum it verifies, members we never change, the
// synced root, guids of new nodes, addresses in their standard form, and
// imports large enough that every look-up must come from the folder index.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "chrome/chrome_checksum.h"
#include "chrome_test_util.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

// Files of Chromium 156: a fresh profile's, and its rewrite of that file
// after a bookmark named Caf\u00e9 was added by hand.
std::string Fixture(const std::string& name = "bookmarks-today.json") {
  const std::string here = __FILE__;
  return ReadBytes(here.substr(0, here.rfind('/')) + "/../data/chrome/" + name);
}

TEST(ChromeChecksum, AsChromiumComputesIt) {
  for (const char* name :
       {"bookmarks-today.json", "bookmarks-rewritten-by-chromium.json"}) {
    const Json::Value fixture = Doc(Fixture(name));
    EXPECT_EQ(fixture["checksum"].asString(), chrome::TreeChecksum(fixture));
  }
}

class ChromeToday : public ::testing::Test {
 protected:
  int32_t Import(const char16_t* name) {
    return import_folder_2_chrome_bar(Ms(U16(chrome_)), Ms(dir_.u16("src")),
                                      name == nullptr ? nullptr : Ms(name));
  }

  TempDir dir_;
  std::string chrome_ = dir_.sub("Default/Bookmarks");
};

TEST_F(ChromeToday, ImportKeepsEveryOtherMemberAndUpdatesTheChecksum) {
  Json::Value original = Doc(ChromeText(UrlJson(5, "x", "https://x/"), ""));
  original["roots"]["bookmark_bar"]["children"][0]["meta_info"]["k"] = "v";
  original["roots"]["synced"]["children"].append(
      Doc(UrlJson(900, "phone", "https://m.example/")));
  original["roots"]["custom_root"] = Doc(R"({"keep": ["x", 1]})");
  original["sync_metadata"] = "opaque";
  original["checksum"] = chrome::TreeChecksum(original);
  WriteBytes(chrome_, Json::StyledWriter().write(original));
  WriteUrlFile(dir_.sub("src/a.url"), "https://a.example/");
  WriteUrlFile(dir_.sub("src/S/b.url"), "https://b.example/");
  ASSERT_EQ(0, Import(u"N"));

  Json::Value saved = LoadChrome(chrome_);
  EXPECT_EQ(chrome::TreeChecksum(saved), saved["checksum"].asString());
  EXPECT_NE(original["checksum"], saved["checksum"]);
  // New nodes: ids above the synced root's 900, guids of their own.
  Json::Value& bar = saved["roots"]["bookmark_bar"]["children"];
  const Json::Value& n = bar[1];
  const Json::Value& s = n["children"][1];
  EXPECT_EQ("901 902 903 904",
            n["id"].asString() + " " + n["children"][0]["id"].asString() + " " +
                s["id"].asString() + " " + s["children"][0]["id"].asString());
  EXPECT_EQ(4u, std::set<std::string>(
                    {n["guid"].asString(), n["children"][0]["guid"].asString(),
                     s["guid"].asString(), s["children"][0]["guid"].asString()})
                    .size());
  // Everything else is as it was.
  bar.resize(1);
  saved.removeMember("checksum");
  original.removeMember("checksum");
  EXPECT_EQ(original, saved);
  // Nothing new the second time: the file keeps its bytes.
  const std::string before = ReadBytes(chrome_);
  ASSERT_EQ(0, Import(u"N"));
  EXPECT_EQ(before, ReadBytes(chrome_));
}

TEST_F(ChromeToday, RestoreOfNothingNewLeavesChromesFileAsItWas) {
  WriteBytes(chrome_, Fixture());
  WriteBytes(dir_.sub("backup/chrome_pos.ini"),
             "[Chrome_menu]\r\nBar=b\r\nother=o\r\n");
  WriteUrlFile(dir_.sub("backup/b/x.url"), "HTTPS://Example.com/made");
  MakeDirs(dir_.sub("backup/o"));
  ASSERT_EQ(0, restore_chrome(Ms(U16(chrome_)), Ms(dir_.u16("backup")), false));
  EXPECT_EQ(Fixture(), ReadBytes(chrome_));
}

TEST_F(ChromeToday, FileWithoutSyncedRootGetsOneWhenSaved) {
  WriteBytes(chrome_, R"({"roots": {
      "bookmark_bar": {"type": "folder", "id": "1", "name": "Bar",
        "children": [{"type": "url", "id": "40", "url": "http://x/"}]},
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

TEST_F(ChromeToday, AddressesAreComparedAndWrittenInTheirStandardForm) {
  WriteBytes(chrome_,
             ChromeText(UrlJson(5, "cafe", "http://xn--caf-dma.example/") +
                            "," + UrlJson(6, "ab", "https://example.com/a%20b"),
                        ""));
  WriteUrlFile(dir_.sub("src/c.url"), "http://caf\xC3\xA9.example/");
  WriteUrlFile(dir_.sub("src/d.url"), "HTTPS://Example.COM:443/a b");
  WriteUrlFile(dir_.sub("src/e.url"), "http://NEW.example:80");
  WriteUrlFile(dir_.sub("src/f.url"), "http://exa mple.com/");
  WriteUrlFile(dir_.sub("src/g.url"), "http://new.EXAMPLE/");
  WriteUrlFile(dir_.sub("src/h.url"), "http://Exa Mple.com/");
  LogCapture log;
  ASSERT_EQ(0, Import(u""));
  const Json::Value saved = LoadChrome(chrome_);
  std::vector<std::string> urls;
  for (const Json::Value& child : RootChildren(saved, "bookmark_bar")) {
    urls.push_back(child["url"].asString());
  }
  // c and d are there already, g repeats e added just before, h repeats f
  // (which does not parse and is kept as given) in ASCII case only.
  EXPECT_EQ(std::vector<std::string>(
                {"http://xn--caf-dma.example/", "https://example.com/a%20b",
                 "http://new.example/", "http://exa mple.com/"}),
            urls);
  EXPECT_TRUE(log.Contains("http://exa mple.com/")) << log.Joined();
}

TEST_F(ChromeToday, LargeImportSkipsEveryDuplicateWhereverItStands) {
  constexpr int kFiles = 2000;
  WriteBytes(chrome_, ChromeText("", ""));
  for (int i = 0; i < kFiles; ++i) {
    // File 1000 repeats file 7, the last one file 999 in another spelling.
    const bool last = i == kFiles - 1;
    const int target = i == 1000 ? 7 : last ? 999 : i;
    char name[32];
    std::snprintf(name, sizeof name, "src/N/%05d.url", i);
    WriteUrlFile(dir_.sub(name), (last ? "HTTP://Host" : "http://host") +
                                     std::to_string(target) +
                                     (last ? ".example:80" : ".example/"));
  }
  ASSERT_EQ(0, Import(u"Big"));
  const Json::Value links = RootChildren(
      LoadChrome(chrome_), "bookmark_bar")[0]["children"][0]["children"];
  ASSERT_EQ(static_cast<unsigned>(kFiles - 2), links.size());
  std::set<std::string> seen;
  for (const Json::Value& link : links) seen.insert(link["url"].asString());
  EXPECT_EQ(links.size(), seen.size());
  EXPECT_EQ("01001", links[1000]["name"].asString());
  EXPECT_EQ(std::to_string(5 + kFiles - 2), links[kFiles - 3]["id"].asString());
}

}  // namespace
}  // namespace test
}  // namespace marksafe
