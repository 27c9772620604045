// Restoring a Chrome backup into Chrome's file, and the round trip of an
// export through a restore.
#include <algorithm>

#include "chrome_test_util.h"

namespace marksafe {
namespace test {
namespace {

class ChromeRestore : public ChromeFileTest {
 protected:
  void SetUp() override {
    WriteBytes(chrome_, ChromeText(UrlJson(4, "x", "http://x/"), ""));
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

TEST_F(ChromeRestore, ArgumentsAndMissingPositionFile) {
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

TEST_F(ChromeRestore, PositionValuesThatClimbOutAreRefused) {
  WriteUrlFile(dir_.sub("root/Bookmarks/outside/evil.url"), "http://evil/");
  WritePositions("..\\outside", "o");
  WriteUrlFile(backup_ + "/o/c.url", "http://c/");
  LogCapture log;
  EXPECT_EQ(87, Restore());
  EXPECT_TRUE(log.Contains("import_from_folder [root] execute fail"));
  // The other root is still restored, and kept; ids go on from the file's.
  EXPECT_EQ(Lines({"4 x http://x/"}), Summary(chrome_, "bookmark_bar"));
  EXPECT_EQ(Lines({"5 c http://c/"}), Summary(chrome_, "other"));
}

TEST_F(ChromeRestore, RestoreOfNothingNewLeavesChromesFileAsItWas) {
  WriteBytes(chrome_, Fixture("bookmarks-today.json"));
  WritePositions("b", "o");
  WriteUrlFile(backup_ + "/b/x.url", "HTTPS://Example.com/made");
  MakeDirs(backup_ + "/o");
  ASSERT_EQ(0, Restore());
  EXPECT_EQ(Fixture("bookmarks-today.json"), ReadBytes(chrome_));
}

// "path url" of every node below children, sorted.
Lines Flatten(const Json::Value& children, const std::string& prefix = "") {
  Lines out;
  for (const Json::Value& child : children) {
    const std::string path = prefix + "/" + child["name"].asString();
    out.push_back(path + " " + child["url"].asString());
    const Lines below = Flatten(child["children"], path);
    out.insert(out.end(), below.begin(), below.end());
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(ChromeRestore, ExportThenRestoreGivesTheSameTree) {
  // Into a file that holds one of the bookmarks already (not doubled).
  const std::string source = dir_.sub("source/Bookmarks");
  WriteBytes(source,
             ChromeText(UrlJson(4, "x", "http://x/") + "," +
                            FolderJson(6, "Caf\\u00e9 \\ud83d\\ude00",
                                       UrlJson(7, "Q \\\"q\\\" \\\\ q",
                                               "http://q/?a=%22b\\\\%22") +
                                           "," + FolderJson(8, "Deep", "")) +
                            "," + UrlJson(9, "Title.url", "http://t/"),
                        UrlJson(10, "O", "http://o/")));
  MakeDirs(dir_.sub("root"));
  ASSERT_EQ(0, backup_chrome(Ms(U16(source)), Ms(dir_.u16("root")), true));
  ASSERT_EQ(0, Restore());
  const Json::Value original = LoadChrome(source);
  const Json::Value restored = LoadChrome(chrome_);
  for (const char* root : {"bookmark_bar", "other"}) {
    EXPECT_EQ(Flatten(original["roots"][root]["children"]),
              Flatten(restored["roots"][root]["children"]))
        << root;
  }
}

}  // namespace
}  // namespace test
}  // namespace marksafe
