// Restoring a Chrome backup into Chrome's file, and the round trip of an
// export through a restore.
#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chrome_test_util.h"
#include "platform/platform.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

class ChromeRestore : public ::testing::Test {
 protected:
  void SetUp() override {
    chrome_ = dir_.sub("Default/Bookmarks");
    WriteBytes(chrome_, ChromeText(UrlJson(4, "x", "http://x/"), ""));
    backup_ = dir_.sub("root/Bookmarks/Chrome");
  }
  void WritePositions(const std::string& bar, const std::string& other) {
    const std::u16string pos = U16(backup_ + "/chrome_pos.ini");
    MakeDirs(backup_);
    ASSERT_TRUE(platform::WriteProfileString(u"Chrome_menu", u"Bar", U16(bar), pos));
    ASSERT_TRUE(
        platform::WriteProfileString(u"Chrome_menu", u"other", U16(other), pos));
  }
  int32_t Restore() {
    return restore_chrome(U16(chrome_).c_str(), U16(dir_.sub("root")).c_str(),
                          true);
  }

  TempDir dir_;
  std::string chrome_;
  std::string backup_;
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
  ASSERT_EQ(3u, bar.size());  // x was present already
  EXPECT_EQ("a", bar[1]["name"].asString());
  EXPECT_EQ("5", bar[1]["id"].asString());
  EXPECT_EQ("Sub", bar[2]["name"].asString());
  EXPECT_EQ("http://b/", bar[2]["children"][0]["url"].asString());
  EXPECT_EQ("http://c/", RootChildren(document, "other")[0]["url"].asString());
  EXPECT_EQ("8", RootChildren(document, "other")[0]["id"].asString());
  // The members it did not touch are as they were.
  EXPECT_EQ("0", document["checksum"].asString());
  EXPECT_EQ("Mobile bookmarks", document["roots"]["synced"]["name"].asString());
}

TEST_F(ChromeRestore, WithoutPositionFileNothingIsAdded) {
  WriteShortcut(backup_ + "/a.url", "http://a/");
  const Json::Value before = LoadChrome(chrome_);
  LogCapture log;
  EXPECT_EQ(87, Restore());
  EXPECT_TRUE(log.Contains("[DllExport] [restore_chrome] import_from_chrome_bk fail"));
  EXPECT_EQ(before, LoadChrome(chrome_));
}

TEST_F(ChromeRestore, ArgumentsAndMissingFolders) {
  EXPECT_EQ(87, restore_chrome(U16(chrome_).c_str(), nullptr, true));
  EXPECT_EQ(3, Restore());  // no backup folder
  WritePositions("Bar", "other");
  {
    ScopedEnv appdata("MARKSAFE_APPDATA", dir_.sub("AppData/Roaming"));
    EXPECT_EQ(2, restore_chrome(nullptr, U16(dir_.sub("root")).c_str(), true));
  }
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

TEST_F(ChromeRestore, EmptyValuesImportTheWholeBackupFolder) {
  WritePositions("", "");
  WriteShortcut(backup_ + "/Bookmarks bar/a.url", "http://a/");
  EXPECT_EQ(0, Restore());
  const Json::Value document = LoadChrome(chrome_);
  for (const char* root : {"bookmark_bar", "other"}) {
    const Json::Value* folder =
        ChildNamed(RootChildren(document, root), "Bookmarks bar");
    ASSERT_NE(nullptr, folder) << root;
    EXPECT_EQ("http://a/", (*folder)["children"][0]["url"].asString());
  }
}

// Names and URLs of a folder's children, depth first.
void Flatten(const Json::Value& children, const std::string& prefix,
             std::vector<std::string>* out) {
  for (const Json::Value& child : children) {
    const std::string path = prefix + "/" + child["name"].asString();
    if (child["type"].asString() == "folder") {
      out->push_back(path + "/");
      Flatten(child["children"], path, out);
    } else {
      out->push_back(path + " " + child["url"].asString());
    }
  }
}

TEST_F(ChromeRestore, ExportThenRestoreIntoAnEmptyFileGivesTheSameTree) {
  const std::string source = dir_.sub("source/Bookmarks");
  WriteBytes(source,
             ChromeText(UrlJson(5, "A", "http://a/") + "," +
                            FolderJson(6, "Caf\\u00e9 \\ud83d\\ude00",
                                       UrlJson(7, "Q \\\"q\\\" \\\\ q",
                                               "http://q/?a=\\\"b\\\"") +
                                           "," + FolderJson(8, "Deep", "")) +
                            "," + UrlJson(9, "Title.url", "http://t/"),
                        UrlJson(10, "O", "http://o/")));
  MakeDirs(dir_.sub("root"));
  ASSERT_EQ(0, backup_chrome(U16(source).c_str(), U16(dir_.sub("root")).c_str(),
                             true));
  WriteBytes(chrome_, ChromeText("", ""));
  ASSERT_EQ(0, Restore());
  const Json::Value original = LoadChrome(source);
  const Json::Value restored = LoadChrome(chrome_);
  for (const char* root : {"bookmark_bar", "other"}) {
    std::vector<std::string> want;
    std::vector<std::string> got;
    Flatten(RootChildren(original, root), "", &want);
    Flatten(RootChildren(restored, root), "", &got);
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(want, got) << root;
  }
}

}  // namespace
}  // namespace test
}  // namespace marksafe
