// Restoring a Chrome backup into Chrome's file, and the round trip of an
// export through a restore.
#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chrome_test_util.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

class ChromeRestore : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(chrome_, ChromeText(UrlJson(4, "x", "http://x/"), ""));
  }
  void WritePositions(const std::string& bar, const std::string& other) {
    const std::u16string pos = U16(backup_ + "/chrome_pos.ini");
    MakeDirs(backup_);
    ASSERT_TRUE(
        platform::WriteProfileString(u"Chrome_menu", u"Bar", U16(bar), pos));
    ASSERT_TRUE(platform::WriteProfileString(u"Chrome_menu", u"other",
                                             U16(other), pos));
  }
  int32_t Restore() {
    return restore_chrome(Ms(U16(chrome_)), Ms(dir_.u16("root")), true);
  }

  TempDir dir_;
  std::string chrome_ = dir_.sub("Default/Bookmarks");
  std::string backup_ = dir_.sub("root/Bookmarks/Chrome");
};

TEST_F(ChromeRestore, PositionFileNamesTheFoldersOfTheRoots) {
  WritePositions("Bar", "other");
  WriteShortcut(backup_ + "/Bar/a.url", "http://a/");
  WriteShortcut(backup_ + "/Bar/x.url", "HTTP://X/");
  WriteShortcut(backup_ + "/Bar/Sub/b.url", "http://b/");
  WriteShortcut(backup_ + "/other/c.url", "http://c/");
  EXPECT_EQ(0, Restore());
  const Json::Value document = LoadChrome(chrome_);
  const Json::Value& bar = RootChildren(document, "bookmark_bar");
  ASSERT_EQ(3u, bar.size());  // x was there already
  EXPECT_EQ("5 a", bar[1]["id"].asString() + " " + bar[1]["name"].asString());
  EXPECT_EQ("http://b/", bar[2]["children"][0]["url"].asString());
  EXPECT_EQ("8", RootChildren(document, "other")[0]["id"].asString());
  EXPECT_EQ("Mobile bookmarks", document["roots"]["synced"]["name"].asString());
}

TEST_F(ChromeRestore, ArgumentsAndMissingPositionFile) {
  EXPECT_EQ(87, restore_chrome(Ms(U16(chrome_)), nullptr, true));
  EXPECT_EQ(3, Restore());
  WriteShortcut(backup_ + "/a.url", "http://a/");
  {
    ScopedEnv appdata("MARKSAFE_APPDATA", dir_.sub("AppData/Roaming"));
    EXPECT_EQ(2, restore_chrome(nullptr, Ms(dir_.u16("root")), true));
  }
  const Json::Value before = LoadChrome(chrome_);
  LogCapture log;
  EXPECT_EQ(87, Restore());
  EXPECT_TRUE(
      log.Contains("[DllExport] [restore_chrome] import_from_chrome_bk fail"));
  EXPECT_EQ(before, LoadChrome(chrome_));
  WriteBytes(chrome_, "{\"roots\": {");
  EXPECT_EQ(87, Restore());
  EXPECT_EQ("{\"roots\": {", ReadBytes(chrome_));
}

TEST_F(ChromeRestore, PositionValuesThatClimbOutAreRefused) {
  WriteShortcut(dir_.sub("root/Bookmarks/outside/evil.url"), "http://evil/");
  WritePositions("..\\outside", "other");
  WriteShortcut(backup_ + "/other/c.url", "http://c/");
  LogCapture log;
  EXPECT_EQ(87, Restore());
  EXPECT_TRUE(log.Contains("import_from_folder [root] execute fail"));
  const Json::Value document = LoadChrome(chrome_);
  EXPECT_EQ(1u, RootChildren(document, "bookmark_bar").size());
  EXPECT_EQ("http://c/", RootChildren(document, "other")[0]["url"].asString());
}

// "path url" of every node below children, sorted.
std::vector<std::string> Flatten(const Json::Value& children,
                                 const std::string& prefix = "") {
  std::vector<std::string> out;
  for (const Json::Value& child : children) {
    const std::string path = prefix + "/" + child["name"].asString();
    out.push_back(path + " " + child["url"].asString());
    for (const std::string& line : Flatten(child["children"], path)) {
      out.push_back(line);
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(ChromeRestore, ExportThenRestoreIntoAnEmptyFileGivesTheSameTree) {
  const std::string source = dir_.sub("source/Bookmarks");
  WriteBytes(source,
             ChromeText(UrlJson(5, "A", "http://a/") + "," +
                            FolderJson(6, "Caf\\u00e9 \\ud83d\\ude00",
                                       UrlJson(7, "Q \\\"q\\\" \\\\ q",
                                               "http://q/?a=%22b\\\\%22") +
                                           "," + FolderJson(8, "Deep", "")) +
                            "," + UrlJson(9, "Title.url", "http://t/"),
                        UrlJson(10, "O", "http://o/")));
  MakeDirs(dir_.sub("root"));
  ASSERT_EQ(0, backup_chrome(Ms(U16(source)), Ms(dir_.u16("root")), true));
  WriteBytes(chrome_, ChromeText("", ""));
  ASSERT_EQ(0, Restore());
  const Json::Value original = LoadChrome(source);
  const Json::Value restored = LoadChrome(chrome_);
  for (const char* root : {"bookmark_bar", "other"}) {
    EXPECT_EQ(Flatten(RootChildren(original, root)),
              Flatten(RootChildren(restored, root)))
        << root;
  }
}

}  // namespace
}  // namespace test
}  // namespace marksafe
