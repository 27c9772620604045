// Chromium itself loads what an import wrote. Runs only where Debian's
// chromium is installed: the browser starts headless on a fresh profile
// holding the file, and rewrites the file, keeping the input as
// Bookmarks.bak, only when it had to repair it.
#include <cstdlib>

#include "../chrome_test_util.h"
#include "chrome/chrome_checksum.h"

namespace marksafe {
namespace test {
namespace {

// Runs Chromium on the profile until it has loaded its bookmarks and ends by
// itself. False when the browser could not run here.
bool RunChromium(const std::string& profile) {
  const std::string command =
      "timeout 60 chromium --headless --no-sandbox --disable-gpu "
      "--no-first-run --user-data-dir='" +
      profile + "' --dump-dom about:blank > /dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

TEST(ChromiumInterop, LoadsAnImportWithoutRepairingIt) {
  if (std::system("command -v chromium > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "chromium is not installed";
  }
  TempDir dir;
  const std::string bookmarks = dir.sub("profile/Default/Bookmarks");
  // A file of the older layout, without the synced root.
  Json::Value older = Doc(ChromeText("", ""));
  older["roots"].removeMember("synced");
  WriteBytes(bookmarks, Json::StyledWriter().write(older));
  WriteUrlFile(dir.sub("src/a.url"), "HTTP://Example.COM:80/a b");
  WriteUrlFile(dir.sub("src/Caf\xC3\xA9 \xF0\x9F\x98\x80.url"),
               "http://caf\xC3\xA9.example/\xC3\xA9#x y");
  WriteUrlFile(dir.sub("src/Sub/c.url"), "https://example.org");
  ASSERT_EQ(0, import_folder_2_chrome_bar(U16(bookmarks).c_str(),
                                          dir.u16("src").c_str(), u"N"));
  const Json::Value mine = Doc(ReadBytes(bookmarks));

  // First the same file with a node lacking its guid: where the browser
  // loads bookmarks in this setting it repairs that, keeping Bookmarks.bak.
  const std::string repaired = dir.sub("repaired/Default/Bookmarks");
  Json::Value changed = mine;
  changed["roots"]["bookmark_bar"]["children"][0].removeMember("guid");
  WriteBytes(repaired, Json::StyledWriter().write(changed));
  if (!RunChromium(dir.sub("repaired")) || !Exists(repaired + ".bak")) {
    GTEST_SKIP() << "chromium did not load a profile's bookmarks here";
  }

  // Our own file needs no repair: no ids, guids or addresses rewritten.
  ASSERT_TRUE(RunChromium(dir.sub("profile")));
  EXPECT_FALSE(Exists(bookmarks + ".bak"));
  const Json::Value chromes = LoadChrome(bookmarks);
  EXPECT_EQ(mine["roots"], chromes["roots"]);
  EXPECT_EQ(chrome::TreeChecksum(chromes), chromes["checksum"].asString());
}

}  // namespace
}  // namespace test
}  // namespace marksafe
