// The browsers' own backups through the program: history lists them,
// restore --from-browser --as-of merges the one WHEN picks into another
// browser (and refuses a WHEN before all of them, writing nothing), and
// export writes a Firefox backup that reads back whole.
#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

TEST(CliBrowserBackups, HistoryListsThemAndRestoreAsOfMergesOne) {
  // Two backups Firefox ESR wrote (the same bookmarks), of two days.
  const Profile profile{false};
  const std::string folder =
      profile.places().substr(0, profile.places().rfind('/')) +
      "/bookmarkbackups/";
  WriteBytes(folder + "bookmarks-2026-11-02_10_abc.json",
             DataFile("firefox/backup-firefox-esr-153.json"));
  WriteBytes(folder + "bookmarks-2026-11-05_10_def.jsonlz4",
             DataFile("firefox/bookmarks-2026-12-08_20_eaQBZXkhrs542NCMf"
                      "QQQtL_pROBHclRUhqHuZsMBHDE=.jsonlz4"));
  const CliResult listed = profile.Run({"history", "--browser", "firefox"});
  ASSERT_EQ(listed.exit_code, 0) << listed.err;
  for (const char* day : {"2026-11-02", "2026-11-05"}) {
    EXPECT_TRUE(Contains(Line(listed.out, day), "10 links, 4 folders"))
        << listed.out;
  }
  EXPECT_LT(listed.out.find("2026-11-02"), listed.out.find("2026-11-05"));

  const std::vector<std::string> args = {"restore", "--from-browser",
                                         "firefox", "--as-of", "2026-11-03",
                                         "--to", "chrome"};
  // Before every backup: refused, nothing written.
  const std::string chrome = ReadBytes(profile.chrome());
  std::vector<std::string> early = args;
  early[4] = "2026-10-30";
  const CliResult refused = profile.Run(early);
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_TRUE(Contains(refused.err, "bookmarks-2026-11-02_10_abc.json"))
      << refused.err;
  EXPECT_EQ(ReadBytes(profile.chrome()), chrome);

  const CliResult r = profile.Run(args);
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_TRUE(Contains(r.out, "bookmarks-2026-11-02_10_abc.json")) << r.out;
  const auto links = profile.Links("chrome");
  EXPECT_EQ(links.count("Bookmarks bar/Imported from Firefox/Bookmarks Menu/"
                        "Küche/Deep/日本 𝄞 -> https://tenki.example.jp/"),
            1u);
  size_t imported = 0;
  for (const std::string& link : links) {
    imported += link.rfind("Bookmarks bar/Imported from Firefox/", 0) == 0;
  }
  EXPECT_EQ(imported, 10u);
  ASSERT_EQ(profile.Run(args).exit_code, 0);
  EXPECT_EQ(profile.Links("chrome"), links);
}

// An exported backup, put where Firefox keeps its own, restores into
// another Firefox profile every link where it was.
TEST(CliFirefoxBackupExport, RestoresEveryLinkIntoFirefox) {
  const Profile source{true};
  TempDir files;
  for (const std::string name : {"out.json", "out.jsonlz4"}) {
    SCOPED_TRACE(name);
    const std::string file = files.sub(name);
    const CliResult r = source.Run({"export", file, "--browser", "firefox"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const Profile target{false};
    WriteBytes(target.places().substr(0, target.places().rfind('/')) +
                   "/bookmarkbackups/bookmarks-2026-12-01_1." + name.substr(4),
               ReadBytes(file));
    const CliResult restored =
        target.Run({"restore", "--from-browser", "firefox", "--to", "firefox"});
    ASSERT_EQ(restored.exit_code, 0) << restored.out << restored.err;
    EXPECT_EQ(target.Links("firefox"), source.Links("firefox"));
  }
}

}  // namespace
}  // namespace test
}  // namespace marksafe
