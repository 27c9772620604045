// marksafe backup, verify, status and demo; a running browser that holds
// the profile stops a backup unless --close-browsers closes it first.
#include <filesystem>
#include <vector>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

TEST(CliBackupTest, EveryBrowserFoundOrNamed) {
  const Profile source(true), elsewhere(false);
  TempDir all, backup;
  CliResult r = source.Run({"backup", all.path()});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  // Counted as status counts the browser: the roots left out.
  EXPECT_TRUE(Contains(Line(r.out, "Chrome:"), "4 links in 1 folders")) << r.out;
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

  // Named browsers at named paths; the variables point elsewhere.
  std::vector<std::string> args = {
      "backup",      backup.path(),      "--ie",
      "--chrome",    "--favorites",      source.favorites(),
      "--chrome-bookmarks", source.chrome()};
  r = elsewhere.Run(args);
  ASSERT_EQ(r.exit_code, 0);
  EXPECT_EQ(UrlFiles(backup.sub("Bookmarks")).size(), 3u + 4);  // no Firefox

  // (A second backup into a set replaces each part: the parts cases.)

  // Without browsers named, a browser not found is skipped.
  std::filesystem::remove_all(elsewhere.root() + "/AppData/Roaming/Mozilla");
  r = elsewhere.Run({"backup", backup.sub("found")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Contains(Line(r.out, "Firefox"), "skipped")) << r.out;
  EXPECT_TRUE(IsDir(backup.sub("found/Bookmarks/Chrome")));
  EXPECT_FALSE(Exists(backup.sub("found/Bookmarks/Firefox")));

  // status shows each browser, found or not, with its counts (Chrome: the
  // folder "Работа" and four links; the roots are not counted).
  std::filesystem::remove_all(source.root() + "/AppData/Roaming/Mozilla");
  r = source.Run({"status"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Contains(Line(r.out, "Internet Explorer"), "yes")) << r.out;
  EXPECT_TRUE(Contains(r.out, source.favorites())) << r.out;
  const std::string firefox = Line(r.out, "Firefox ");
  EXPECT_TRUE(Contains(firefox, " no ") && !Contains(firefox, "yes")) << r.out;
  EXPECT_TRUE(Contains(Line(r.out, "Chrome "), " 1      4 ")) << r.out;
  // Help is not wrong usage.
  for (const char* command : {"status", "backup", "restore", "convert"}) {
    EXPECT_EQ(RunCli({command, "--help"}).exit_code, 0) << command;
  }
}

TEST(CliVerifyTest, FindsOneMissingAndOneExtraLink) {
  Profile profile(true);
  TempDir backup, empty;
  ASSERT_EQ(profile.Run({"backup", backup.path()}).exit_code, 0);
  const CliResult same = profile.Run({"verify", backup.path()});
  EXPECT_EQ(same.exit_code, 0) << same.out << same.err;

  // One link of the bar changes its address: the backup's is missing, the
  // new one is extra.
  std::string text = ReadBytes(profile.chrome());
  const std::string old_url = "https://mail.example.com/";
  text.replace(text.find(old_url), old_url.size(), "https://post.example.com/");
  WriteBytes(profile.chrome(), text);
  const CliResult changed = profile.Run({"verify", backup.path()});
  EXPECT_EQ(changed.exit_code, 1);
  EXPECT_TRUE(Contains(Line(changed.out, old_url), "missing")) << changed.out;
  EXPECT_TRUE(Contains(Line(changed.out, "https://post.example.com/"), "extra"))
      << changed.out;
  // Firefox and Internet Explorer still hold their parts.
  EXPECT_EQ(profile.Run({"verify", backup.path(), "--browser", "firefox"})
                .exit_code,
            0);
  // A folder that is no backup set is wrong input.
  const CliResult r = profile.Run({"verify", empty.path()});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err, empty.path())) << r.err;
}

TEST(CliDemoTest, RunsEveryStepAndLeavesTheSandbox) {
  TempDir dir;
  const std::string sandbox = dir.sub("sandbox");
  const CliResult r = RunCli({"demo", sandbox});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_FALSE(Contains(r.out, "FAIL"));
  for (const char* step :
       {"backup chrome", "convert firefox -> ie", "restore -> firefox"}) {
    EXPECT_TRUE(Contains(r.out, std::string("ok    ") + step)) << step;
  }
  // Titles in other scripts came through every browser.
  EXPECT_TRUE(Exists(sandbox +
                     "/Favorites/Imported from Firefox/Unsorted Bookmarks/"
                     "Шахматы онлайн – lichess.url"));
  // A second demo will not mix itself into the first one's folder.
  const CliResult again = RunCli({"demo", sandbox});
  EXPECT_EQ(again.exit_code, 1);
  EXPECT_TRUE(Contains(again.err, sandbox)) << again.err;
}

// The browsers are copies of sleep named firefox: one holds the profile
// (its "lock" link names it), the other runs on another profile and is
// neither a reason to stop nor closed.
TEST(CliRunningBrowserTest, StopsUnlessAskedToCloseIt) {
  const Profile profile(true);
  TempDir dir;
  const FakeBrowser holder(dir.path(), "firefox"), other(dir.path(), "firefox");
  const std::string folder =
      std::filesystem::path(profile.places()).parent_path().string();
  // Another profile's Firefox stops nothing.
  CliResult r = profile.Run({"backup", dir.sub("free"), "--firefox"});
  EXPECT_EQ(r.exit_code, 0) << r.err;

  std::filesystem::create_symlink(
      "127.0.0.1:+" + std::to_string(holder.pid()), folder + "/lock");
  r = profile.Run({"backup", dir.sub("set"), "--firefox"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err, "--close-browsers")) << r.err;
  EXPECT_FALSE(Exists(dir.sub("set")));

  r = profile.Run({"backup", dir.sub("set"), "--firefox", "--close-browsers"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(holder.Ended());
  EXPECT_FALSE(other.Ended());
  EXPECT_EQ(UrlFiles(dir.sub("set/Bookmarks/Firefox")).size(), 8u);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
