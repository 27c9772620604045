// marksafe backup: what lands in the backup set, and from which browsers.
#include <filesystem>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

TEST(CliBackupTest, EveryBrowserFoundOrNamed) {
  const Profile source(true), elsewhere(false);
  TempDir all, backup;
  CliResult r = source.Run({"backup", all.path()});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_EQ(UrlFiles(all.sub("Bookmarks/Favorites")), source.Links("ie"));
  const auto links = UrlFiles(all.sub("Bookmarks"));
  EXPECT_EQ(links.size(), 3u + 8 + 4);
  for (const char* link :
       {"Firefox/Bookmarks Menu/Küche/Crème brûlée -> "
        "https://food.example.fr/creme",
        "Firefox/Unsorted Bookmarks/Later -> https://later.example.com/",
        "Firefox/Bookmarks Toolbar/On the toolbar -> "
        "https://toolbar.example.com/",
        "Chrome/Bookmarks bar/Работа/Отчёт -> https://report.example.ru/",
        "Chrome/Other bookmarks/Other one -> https://other.example.net/"}) {
    EXPECT_EQ(links.count(link), 1u) << link;
  }
  // Per browser what its part holds, per root what was read and written.
  for (const char* line :
       {"Internet Explorer: 3 links in 2 folders",
        "Bookmarks Menu (menu): source 6 links, 2 folders; written 6 links, "
        "2 folders",
        "Bookmarks bar (toolbar): source 3 links, 1 folder; written 3 links, "
        "1 folder"}) {
    EXPECT_TRUE(Contains(r.out, line)) << r.out;
  }
  EXPECT_TRUE(Contains(r.out, "\nDone.\n"));

  // Named browsers at named paths; the variables point elsewhere.
  std::vector<std::string> args = {"backup",      backup.path(),
                                   "--ie",        "--chrome",
                                   "--favorites", source.favorites()};
  args.insert(args.end(), {"--chrome-bookmarks", source.chrome()});
  r = elsewhere.Run(args);
  ASSERT_EQ(r.exit_code, 0);
  EXPECT_FALSE(Contains(r.err, "Backup_ie:"));
  EXPECT_EQ(UrlFiles(backup.sub("Bookmarks")).size(), 3u + 4);  // no Firefox

  // A second backup into the same set brings it up to date; --verbose shows
  // the library's diagnostics.
  WriteBytes(source.favorites() + "/Start.url",
             "[InternetShortcut]\r\nURL=https://moved.example/\r\n");
  args.push_back("--verbose");
  r = elsewhere.Run(args);
  ASSERT_EQ(r.exit_code, 0);
  EXPECT_TRUE(Contains(r.err, "  | Backup_ie: ie_def_path=")) << r.err;
  EXPECT_EQ(UrlFiles(backup.sub("Bookmarks/Favorites"))
                .count("Start -> https://moved.example/"),
            1u);

  // Without browsers named, a browser not found is skipped.
  std::filesystem::remove_all(elsewhere.root() + "/AppData/Roaming/Mozilla");
  r = elsewhere.Run({"backup", backup.sub("found")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Firefox: not found, skipped"));
  EXPECT_TRUE(IsDir(backup.sub("found/Bookmarks/Chrome")));
  EXPECT_FALSE(Exists(backup.sub("found/Bookmarks/Firefox")));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
