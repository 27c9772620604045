// Interchange folder to Chrome: import onto the bookmark bar, the imports
// of backups, and restore.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "chrome_test_util.h"
#include "platform/platform.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

class ChromeImport : public ::testing::Test {
 protected:
  void SetUp() override {
    chrome_ = dir_.sub("Default/Bookmarks");
    WriteBytes(chrome_, ChromeText(FolderJson(10, "F", UrlJson(40, "x", "X")),
                                   UrlJson(12, "o", "O")));
  }
  int32_t Import(const std::string& source, const char16_t* name) {
    return import_folder_2_chrome_bar(U16(chrome_).c_str(),
                                      U16(source).c_str(), name);
  }
  Json::Value Bar() { return RootChildren(LoadChrome(chrome_), "bookmark_bar"); }

  TempDir dir_;
  std::string chrome_;
};

std::vector<std::string> Summary(const Json::Value& children) {
  std::vector<std::string> out;
  for (const Json::Value& child : children) {
    std::string line = child["id"].asString() + " " + child["name"].asString();
    if (child["type"].asString() == "url") line += " " + child["url"].asString();
    out.push_back(line);
  }
  return out;
}

TEST_F(ChromeImport, NewNodesTakeIdsInListingOrder) {
  WriteShortcut(dir_.sub("src/a.url"), "http://u1/");
  WriteShortcut(dir_.sub("src/S/b.url"), "http://u2/");
  ASSERT_EQ(0, Import(dir_.sub("src"), u"N"));
  const Json::Value bar = Bar();
  ASSERT_EQ(2u, bar.size());
  const Json::Value& n = bar[1];
  EXPECT_EQ("41", n["id"].asString());
  EXPECT_EQ("N", n["name"].asString());
  EXPECT_EQ("12915246468212928", n["date_added"].asString());
  EXPECT_EQ(std::vector<std::string>({"42 a http://u1/", "43 S"}),
            Summary(n["children"]));
  EXPECT_EQ(std::vector<std::string>({"44 b http://u2/"}),
            Summary(n["children"][1]["children"]));
  EXPECT_EQ("0", n["children"][0]["date_added"].asString());

  // Again, with a URL that differs only in ASCII case: nothing is added.
  WriteShortcut(dir_.sub("src/c.url"), "HTTP://U1/");
  const std::string before = ReadBytes(chrome_);
  ASSERT_EQ(0, Import(dir_.sub("src"), u"N"));
  EXPECT_EQ(LoadChrome(chrome_), Doc(before));
  // A folder named n is another folder.
  ASSERT_EQ(0, Import(dir_.sub("src"), u"n"));
  EXPECT_EQ(std::vector<std::string>({"10 F", "41 N", "45 n"}), Summary(Bar()));
}

TEST_F(ChromeImport, NamesTitlesAndSkippedEntries) {
  WriteShortcut(dir_.sub("src/t.url"), "http://t/", "Docs.url");
  WriteShortcut(dir_.sub("src/Docs.url"), "http://d/");
  WriteShortcut(dir_.sub("src/Read me.URL"), "http://r/");
  WriteShortcut(dir_.sub("src/short.url"), "http://s/", "ab");
  WriteShortcut(dir_.sub("src/a.url.bak"), "http://bak/");
  WriteShortcut(dir_.sub("src/q.url"), "http://a/\"b\\c",
                "say \"hi\"\tC:\\x \xC3\xA9\xF0\x9F\x98\x80.url");
  WriteShortcut(dir_.sub("src/.Quillbay/m.url"), "http://m1/");
  WriteShortcut(dir_.sub("src/.QUILLBAY/m.url"), "http://m2/");
  WriteShortcut(dir_.sub("src/imported from chrome/m.url"), "http://m3/");
  WriteShortcut(dir_.sub("src/Imported from IE/m.url"), "http://m4/");
  ASSERT_EQ(0, Import(dir_.sub("src"), u"N"));
  const Json::Value n = Bar()[1];
  std::vector<std::string> names;
  for (const Json::Value& child : n["children"]) {
    names.push_back(child["name"].asString() + "=" + child["url"].asString());
  }
  EXPECT_EQ(std::vector<std::string>(
                {"Docs=http://d/", "Imported from IE=",
                 "say \"hi\"\tC:\\x \xC3\xA9\xF0\x9F\x98\x80=http://a/\"b\\c",
                 "Read me=http://r/", "ab=http://s/", "Docs=http://t/"}),
            names);
  EXPECT_EQ("http://m4/", n["children"][1]["children"][0]["url"].asString());
}

TEST_F(ChromeImport, ArgumentsAndUnloadableFiles) {
  MakeDirs(dir_.sub("src"));
  const std::string before = ReadBytes(chrome_);
  EXPECT_EQ(3, import_folder_2_chrome_bar(U16(chrome_).c_str(), nullptr, u"N"));
  EXPECT_EQ(3, Import(dir_.sub("missing"), u"N"));
  EXPECT_EQ(87, Import(dir_.sub("src"), nullptr));
  EXPECT_EQ(87, import_folder_2_chrome_bar(U16(dir_.sub("none/Bookmarks")).c_str(),
                                           U16(dir_.sub("src")).c_str(), u"N"));
  {
    ScopedEnv appdata("MARKSAFE_APPDATA", dir_.sub("AppData/Roaming"));
    EXPECT_EQ(2, import_folder_2_chrome_bar(nullptr, U16(dir_.sub("src")).c_str(),
                                            u"N"));
  }
  EXPECT_EQ(87, import_ie_2_chrome(U16(chrome_).c_str(), U16(dir_.sub("src")).c_str(),
                                   false, u"N", "x", nullptr));
  EXPECT_EQ(87, import_ie_2_chrome(U16(chrome_).c_str(), nullptr, false, u"N",
                                   "x", "y"));
  EXPECT_EQ(before, ReadBytes(chrome_));
  // A bookmark bar whose children are not an array is not rewritten.
  const std::string odd = R"({"roots": {
      "bookmark_bar": {"type": "folder", "id": "1", "children": {"a": 1}},
      "other": {"type": "folder", "id": "2", "children": []}}})";
  WriteBytes(chrome_, odd);
  WriteShortcut(dir_.sub("src/a.url"), "http://a/");
  EXPECT_EQ(87, Import(dir_.sub("src"), u""));
  EXPECT_EQ(odd, ReadBytes(chrome_));
  WriteBytes(chrome_, "[1, 2]");
  EXPECT_EQ(87, Import(dir_.sub("src"), u"N"));
  EXPECT_EQ("[1, 2]", ReadBytes(chrome_));
}

TEST_F(ChromeImport, BackupsOfIeAndFirefoxGoUnderTheirDefaultNames) {
  WriteShortcut(dir_.sub("root/Bookmarks/Favorites/f.url"), "http://f/");
  WriteShortcut(dir_.sub("root/Bookmarks/Firefox/Bookmarks Menu/g.url"),
                "http://g/");
  EXPECT_EQ(0, import_ie_2_chrome(U16(chrome_).c_str(), U16(dir_.sub("root")).c_str(),
                                  true, nullptr, "x", "y"));
  EXPECT_EQ(0, import_firefox_2_chrome(U16(chrome_).c_str(),
                                       (U16(dir_.sub("root")) + u"\\").c_str(),
                                       true, nullptr));
  EXPECT_EQ(3, import_firefox_2_chrome(U16(chrome_).c_str(),
                                       U16(dir_.sub("nothing")).c_str(), true,
                                       nullptr));
  EXPECT_EQ(std::vector<std::string>(
                {"10 F", "41 Imported from IE", "43 Imported from Firefox"}),
            Summary(Bar()));
  EXPECT_EQ("44 Bookmarks Menu",
            Summary(Bar()[2]["children"]).at(0));
}

TEST_F(ChromeImport, SaveFailureIsReported) {
  WriteShortcut(dir_.sub("src/a.url"), "http://a/");
  const std::string folder = dir_.sub("Default");
  // Make the folder unwritable: permissions for a normal user, the immutable
  // attribute for root.
  std::string command = "chmod 555 '" + folder + "' && chattr +i '" + folder +
                        "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) {}
  const bool locked = !platform::WriteFile(U16(folder + "/probe"), "x");
  if (locked) {
    const std::string before = ReadBytes(chrome_);
    EXPECT_EQ(87, Import(dir_.sub("src"), u"N"));
    EXPECT_EQ(before, ReadBytes(chrome_));
  }
  command = "chattr -i '" + folder + "' 2>/dev/null; chmod 755 '" + folder + "'";
  if (std::system(command.c_str()) != 0) {}
  if (!locked) GTEST_SKIP() << "cannot make a folder unwritable here";
}

TEST_F(ChromeImport, LookUpsSeeBookmarksAddedEarlierInTheCall) {
  // 1,400 files in 7 folders; every third repeats, in other case, the URL
  // of the file seven before it, which went into the same folder earlier in
  // the same call.
  constexpr int kFiles = 1400;
  for (int i = 0; i < kFiles; ++i) {
    const int k = i % 3 == 2 ? i - 7 : i;
    const std::string url =
        std::string(i % 3 == 2 ? "HTTP://Example.COM/" : "http://example.com/") +
        std::to_string(k);
    WriteBytes(dir_.sub("src/s" + std::to_string(i % 7) + "/" +
                        std::to_string(i) + ".url"),
               "[InternetShortcut]\r\nURL=" + url + "\r\n");
  }
  ASSERT_EQ(0, Import(dir_.sub("src"), u"N"));
  const Json::Value n = Bar()[1];
  ASSERT_EQ(7u, n["children"].size());
  size_t expected = 0;
  for (int s = 0; s < 7; ++s) {
    std::set<int> urls;
    for (int i = s; i < kFiles; i += 7) urls.insert(i % 3 == 2 ? i - 7 : i);
    expected += urls.size();
  }
  size_t links = 0;
  std::set<std::string> ids;
  for (const Json::Value& folder : n["children"]) {
    links += folder["children"].size();
    for (const Json::Value& link : folder["children"]) {
      ids.insert(link["id"].asString());
    }
  }
  EXPECT_EQ(expected, links);
  EXPECT_EQ(links, ids.size());
}

}  // namespace
}  // namespace test
}  // namespace marksafe
