// marksafe backup: what lands in the backup set, and which browsers.
#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

class CliBackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_.FillIe();
    profile_.FillFirefox();
    profile_.FillChrome();
  }
  std::string Set(const std::string& relative) const {
    return backup_.sub("set/Bookmarks/" + relative);
  }
  Profile profile_;
  TempDir backup_;
};

TEST_F(CliBackupTest, AllThreeBrowsersByDefault) {
  const CliResult r = profile_.Run({"backup", backup_.sub("set")});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;

  EXPECT_EQ(FavoritesLinks(Set("Favorites")),
            FavoritesLinks(profile_.favorites()));
  EXPECT_EQ(
      FavoritesLinks(Set("Firefox")),
      (std::multiset<std::string>{
          "Bookmarks Menu/Firefox Help -> https://help.example.org/",
          "Bookmarks Menu/Küche/Crème brûlée -> https://food.example.fr/creme",
          "Unsorted Bookmarks/Later -> https://later.example.com/"}));
  EXPECT_TRUE(Exists(Set("Firefox/pos.ini")));
  EXPECT_EQ(FavoritesLinks(Set("Chrome")),
            (std::multiset<std::string>{
                "Bookmarks bar/Mail -> https://mail.example.com/",
                "Bookmarks bar/Работа/Отчёт -> https://report.example.ru/",
                "Other bookmarks/Other one -> https://other.example.net/"}));
  EXPECT_TRUE(Exists(Set("Chrome/chrome_pos.ini")));
  // One line per browser with what its part holds.
  EXPECT_TRUE(Contains(r.out, "Internet Explorer: 3 links in 2 folders"));
  EXPECT_TRUE(Contains(r.out, "Firefox: 3 links in 3 folders"));
  EXPECT_TRUE(Contains(r.out, "Chrome: 3 links in 3 folders"));
}

TEST_F(CliBackupTest, BrowserNotFoundIsSkippedByDefaultButFailsWhenNamed) {
  Profile no_firefox;
  no_firefox.FillIe();
  no_firefox.FillChrome();
  CliResult r = no_firefox.Run({"backup", backup_.sub("a")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Firefox: not found, skipped"));
  EXPECT_TRUE(IsDir(backup_.sub("a/Bookmarks/Chrome")));

  r = no_firefox.Run({"backup", backup_.sub("b"), "--firefox", "--chrome"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err, "backup firefox: no Firefox profile"));
  // Checked before anything was written: not even the root was made.
  EXPECT_FALSE(Exists(backup_.sub("b")));
}

TEST_F(CliBackupTest, OnlyTheBrowsersNamedFromExplicitPaths) {
  Profile elsewhere;  // the environment points at an empty profile
  const CliResult r =
      elsewhere.Run({"backup", backup_.path(), "--favorites",
                     profile_.favorites(), "--chrome-bookmarks",
                     profile_.chrome(), "--ie", "--chrome"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(FavoritesLinks(backup_.sub("Bookmarks/Favorites")).size(), 3u);
  EXPECT_EQ(FavoritesLinks(backup_.sub("Bookmarks/Chrome")).size(), 3u);
  EXPECT_FALSE(Exists(backup_.sub("Bookmarks/Firefox")));

  // A second backup into the same set refreshes it.
  WriteBytes(profile_.favorites() + "/Start.url",
             "[InternetShortcut]\r\nURL=https://moved.example/\r\n");
  ASSERT_EQ(elsewhere
                .Run({"backup", backup_.path(), "--favorites",
                      profile_.favorites(), "--ie"})
                .exit_code,
            0);
  EXPECT_TRUE(Contains(ReadBytes(backup_.sub("Bookmarks/Favorites/Start.url")),
                       "https://moved.example/"));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
