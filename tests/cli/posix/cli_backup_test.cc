// marksafe backup: what lands in the backup set, and from which browsers.
#include <filesystem>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

TEST(CliBackupTest, EveryBrowserFoundByDefault) {
  const Profile profile(true);
  TempDir backup;
  const CliResult r = profile.Run({"backup", backup.path()});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_EQ(UrlFiles(backup.sub("Bookmarks/Favorites")), profile.Links("ie"));
  // The toolbar is not part of a Firefox backup.
  EXPECT_EQ(
      UrlFiles(backup.sub("Bookmarks/Firefox")),
      (std::multiset<std::string>{
          "Bookmarks Menu/Firefox Help -> https://help.example.org/",
          "Bookmarks Menu/Mozilla Firefox/About Us -> "
          "https://www.mozilla.org/about/",
          "Bookmarks Menu/Mozilla Firefox/Customize Firefox -> "
          "https://support.mozilla.org/kb/customize-firefox-controls-buttons-"
          "and-toolbars?utm_source=firefox-browser&utm_medium=default-"
          "bookmarks&utm_campaign=customize",
          "Bookmarks Menu/Mozilla Firefox/Get Help -> "
          "https://support.mozilla.org/products/firefox",
          "Bookmarks Menu/Mozilla Firefox/Get Involved -> "
          "https://www.mozilla.org/contribute/",
          "Bookmarks Menu/Küche/Crème brûlée -> https://food.example.fr/creme",
          "Unsorted Bookmarks/Later -> https://later.example.com/"}));
  EXPECT_EQ(UrlFiles(backup.sub("Bookmarks/Chrome")),
            (std::multiset<std::string>{
                "Bookmarks bar/Made by Chromium -> https://example.com/made",
                "Bookmarks bar/Mail -> https://mail.example.com/",
                "Bookmarks bar/Работа/Отчёт -> https://report.example.ru/",
                "Other bookmarks/Other one -> https://other.example.net/"}));
  // One line per browser with what its part holds.
  for (const char* line :
       {"Internet Explorer: 3 links in 2 folders",
        "Firefox: 7 links in 4 folders", "Chrome: 4 links in 3 folders"}) {
    EXPECT_TRUE(Contains(r.out, line)) << r.out;
  }
}

TEST(CliBackupTest, TakesExplicitPathsAndSkipsWhatIsNotFound) {
  const Profile source(true), elsewhere(false);  // the variables: elsewhere
  TempDir backup;
  const std::vector<std::string> args = {"backup",
                                         backup.path(),
                                         "--ie",
                                         "--chrome",
                                         "--favorites",
                                         source.favorites(),
                                         "--chrome-bookmarks",
                                         source.chrome()};
  ASSERT_EQ(elsewhere.Run(args).exit_code, 0);
  EXPECT_EQ(UrlFiles(backup.sub("Bookmarks/Favorites")).size(), 3u);
  EXPECT_EQ(UrlFiles(backup.sub("Bookmarks/Chrome")).size(), 4u);
  EXPECT_FALSE(Exists(backup.sub("Bookmarks/Firefox")));

  // A second backup into the same set brings it up to date.
  WriteBytes(source.favorites() + "/Start.url",
             "[InternetShortcut]\r\nURL=https://moved.example/\r\n");
  ASSERT_EQ(elsewhere.Run(args).exit_code, 0);
  EXPECT_EQ(UrlFiles(backup.sub("Bookmarks/Favorites"))
                .count("Start -> https://moved.example/"),
            1u);

  // Without browsers named, a browser not found is skipped.
  std::filesystem::remove_all(elsewhere.root() + "/AppData/Roaming/Mozilla");
  const CliResult r = elsewhere.Run({"backup", backup.sub("found")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Firefox: not found, skipped"));
  EXPECT_TRUE(IsDir(backup.sub("found/Bookmarks/Chrome")));
  EXPECT_FALSE(Exists(backup.sub("found/Bookmarks/Firefox")));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
