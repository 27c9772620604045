// Today's Chrome: the checksum it verifies, members we never change, the
// synced root, guids of new nodes, addresses in their standard form, and
// imports large enough that every look-up must come from the folder index.
#include <gtest/gtest.h>
#include <json/json.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "chrome/chrome_checksum.h"
#include "chrome_test_util.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

// A file of tests/data/chrome: bookmarks-today.json is a fresh Chromium
// profile's; bookmarks-rewritten-by-chromium.json is Chromium's rewrite of
// it after a bookmark named Caf\u00e9 was added by hand.
std::string FixtureText(const std::string& name = "bookmarks-today.json") {
  std::string fixture = __FILE__;
  fixture = fixture.substr(0, fixture.rfind('/')) + "/../data/chrome/" + name;
  return ReadBytes(fixture);
}

// A .url file as the Chrome export writes it, in one write.
void WriteUrlFile(const std::string& file, const std::u16string& url) {
  MakeDirs(file.substr(0, file.rfind('/')));
  const std::u16string text = u"[InternetShortcut]\r\nURL=" + url + u"\r\n";
  std::string bytes("\xFF\xFE", 2);
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  ASSERT_TRUE(platform::WriteFile(U16(file), bytes));
}

bool IsGuid(const std::string& text) {
  static const std::regex kGuid(
      "[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
  return std::regex_match(text, kGuid);
}

std::string Md5Hex(const std::string& data) {
  unsigned char digest[16];
  EXPECT_TRUE(platform::Md5Digest(data, digest));
  std::string hex;
  for (const unsigned char byte : digest) {
    hex += "0123456789abcdef"[byte >> 4];
    hex += "0123456789abcdef"[byte & 0x0F];
  }
  return hex;
}

TEST(ChromeChecksum, AsChromeComputesIt) {
  for (const char* name :
       {"bookmarks-today.json", "bookmarks-rewritten-by-chromium.json"}) {
    const Json::Value fixture = Doc(FixtureText(name));
    EXPECT_EQ(fixture["checksum"].asString(), chrome::TreeChecksum(fixture))
        << name;
  }
  // Names are fed as UTF-16LE (a pair for a character outside the BMP),
  // ids and URLs as their bytes, roots in the order bar, other, synced
  // whatever the order of the file.
  const Json::Value document = Doc(R"({"roots": {
      "synced": {"type": "folder", "id": "3", "name": "M", "children": []},
      "other": {"type": "folder", "id": "2", "name": "O"},
      "bookmark_bar": {"type": "folder", "id": "1", "name": "B", "children": [
        {"type": "url", "id": "4", "name": "\u00e9\ud83d\ude00",
         "url": "http://x/"},
        {"type": "separator", "id": "6", "name": "ignored"}]}}})");
  const std::string expected = std::string("1B\0folder", 9) +
                               std::string("4\xE9\0\x3D\xD8\x00\xDEurl", 10) +
                               "http://x/" + std::string("2O\0folder", 9) +
                               std::string("3M\0folder", 9);
  EXPECT_EQ(Md5Hex(expected), chrome::TreeChecksum(document));
}

class ChromeToday : public ::testing::Test {
 protected:
  int32_t Import(const char16_t* name) {
    return import_folder_2_chrome_bar(U16(chrome_).c_str(),
                                      dir_.u16("src").c_str(), name);
  }

  TempDir dir_;
  std::string chrome_ = dir_.sub("Default/Bookmarks");
};

TEST_F(ChromeToday, ImportKeepsEveryOtherMemberAndUpdatesTheChecksum) {
  Json::Value original = Doc(FixtureText());
  original["roots"]["synced"]["children"].append(
      Doc(UrlJson(900, "phone", "https://m.example/")));
  original["roots"]["custom_root"] = Doc(R"({"keep": ["x", 1]})");
  original["sync_metadata"] = "opaque";
  original["checksum"] = chrome::TreeChecksum(original);
  Json::StyledWriter writer;
  WriteBytes(chrome_, writer.write(original));
  WriteUrlFile(dir_.sub("src/a.url"), u"https://a.example/");
  WriteUrlFile(dir_.sub("src/S/b.url"), u"https://b.example/");
  ASSERT_EQ(0, Import(u"N"));

  Json::Value saved = LoadChrome(chrome_);
  EXPECT_EQ(chrome::TreeChecksum(saved), saved["checksum"].asString());
  EXPECT_NE(original["checksum"], saved["checksum"]);
  // New nodes: ids above the synced root's 900, fresh guids, never used.
  Json::Value& bar = saved["roots"]["bookmark_bar"]["children"];
  ASSERT_EQ(2u, bar.size());
  const Json::Value made = bar[1];
  const Json::Value& s = made["children"][1];
  std::set<std::string> guids;
  for (const Json::Value* node :
       {&made, &made["children"][0], &s, &s["children"][0]}) {
    EXPECT_TRUE(IsGuid((*node)["guid"].asString())) << *node;
    EXPECT_EQ("0", (*node)["date_last_used"].asString());
    guids.insert((*node)["guid"].asString());
  }
  EXPECT_EQ(4u, guids.size());
  EXPECT_EQ("901 902 903 904", made["id"].asString() + " " +
                                   made["children"][0]["id"].asString() + " " +
                                   s["id"].asString() + " " +
                                   s["children"][0]["id"].asString());
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

TEST_F(ChromeToday, FileWithoutSyncedRootGetsOneWhenSaved) {
  const std::string two_roots = R"({"roots": {
      "bookmark_bar": {"type": "folder", "id": "1", "name": "Bar",
        "children": [{"type": "url", "id": "40", "name": "x",
                      "url": "http://x/"}]},
      "other": {"type": "folder", "id": "2", "name": "Other"}},
    "version": 1})";
  WriteBytes(chrome_, two_roots);
  WriteUrlFile(dir_.sub("src/a.url"), u"http://a/");
  ASSERT_EQ(0, Import(u"N"));  // N 41, a 42
  Json::Value saved = LoadChrome(chrome_);
  EXPECT_EQ(Doc(R"({"children": [], "date_added": "0", "date_last_used": "0",
      "date_modified": "0", "guid": "4cf2e351-0e85-532b-bb37-df045d8f8d0f",
      "id": "43", "name": "Mobile bookmarks", "type": "folder"})"),
            saved["roots"]["synced"]);
  EXPECT_EQ(chrome::TreeChecksum(saved), saved["checksum"].asString());

  // A restore that adds nothing still adds the root.
  WriteBytes(chrome_, two_roots);
  MakeDirs(dir_.sub("backup/o"));
  WriteBytes(dir_.sub("backup/chrome_pos.ini"),
             "[Chrome_menu]\r\nBar=b\r\nother=o\r\n");
  WriteUrlFile(dir_.sub("backup/b/x.url"), u"HTTP://X/");
  ASSERT_EQ(0, restore_chrome(U16(chrome_).c_str(), dir_.u16("backup").c_str(),
                              false));
  saved = LoadChrome(chrome_);
  EXPECT_EQ("41", saved["roots"]["synced"]["id"].asString());
  EXPECT_EQ(1u, saved["roots"]["bookmark_bar"]["children"].size());
  EXPECT_EQ(chrome::TreeChecksum(saved), saved["checksum"].asString());

  // A failed restore still saves; with a bar that is not a folder the new
  // root's id is still above every other.
  WriteBytes(chrome_, R"({"roots": {"bookmark_bar": [],
      "other": {"type": "folder", "id": "7", "children": []}}})");
  ASSERT_EQ(87, restore_chrome(U16(chrome_).c_str(), dir_.u16("backup").c_str(),
                               false));
  EXPECT_EQ("8", LoadChrome(chrome_)["roots"]["synced"]["id"].asString());
}

TEST_F(ChromeToday, AddressesAreComparedAndWrittenInTheirStandardForm) {
  WriteBytes(chrome_,
             ChromeText(UrlJson(5, "cafe", "http://xn--caf-dma.example/") +
                            "," + UrlJson(6, "ab", "https://example.com/a%20b"),
                        ""));
  const std::u16string unparsable = u"http://exa mple.com/";
  WriteUrlFile(dir_.sub("src/c.url"), u"http://caf\u00e9.example/");
  WriteUrlFile(dir_.sub("src/d.url"), u"HTTPS://Example.COM:443/a b");
  WriteUrlFile(dir_.sub("src/e.url"), u"http://NEW.example:80");
  WriteUrlFile(dir_.sub("src/f.url"), unparsable);
  WriteUrlFile(dir_.sub("src/g.url"), u"http://new.EXAMPLE/");
  WriteUrlFile(dir_.sub("src/h.url"), u"http://Exa Mple.com/");
  LogCapture log;
  ASSERT_EQ(0, import_folder_2_chrome_bar(U16(chrome_).c_str(),
                                          dir_.u16("src").c_str(), u""));
  const Json::Value bar = RootChildren(LoadChrome(chrome_), "bookmark_bar");
  std::vector<std::string> urls;
  for (const Json::Value& child : bar) urls.push_back(child["url"].asString());
  // c and d are there already, g repeats e added just before, h repeats f
  // in ASCII case only.
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
    // Names sort as the numbers do. File 1000 repeats file 7, the last file
    // repeats file 999 in another spelling.
    const bool last = i == kFiles - 1;
    const int target = i == 1000 ? 7 : last ? 999 : i;
    const std::string url = (last ? "HTTP://Host" : "http://host") +
                            std::to_string(target) +
                            (last ? ".example:80" : ".example/");
    char name[32];
    std::snprintf(name, sizeof name, "src/N/%05d.url", i);
    WriteUrlFile(dir_.sub(name), U16(url));
  }
  ASSERT_EQ(0, import_folder_2_chrome_bar(U16(chrome_).c_str(),
                                          dir_.u16("src").c_str(), u"Big"));
  const Json::Value n =
      RootChildren(LoadChrome(chrome_), "bookmark_bar")[0]["children"][0];
  const Json::Value& links = n["children"];
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
