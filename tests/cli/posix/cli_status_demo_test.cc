// marksafe status, --help, and the demo.
#include <filesystem>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

TEST(CliStatusTest, ShowsEachBrowserWithItsCounts) {
  const Profile profile(true);
  std::filesystem::remove_all(profile.root() + "/AppData/Roaming/Mozilla");
  const CliResult r = profile.Run({"status"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  // Chrome: the roots count as folders (3 + "Работа"), four links.
  for (const std::string& text :
       {std::string("Internet Explorer  yes"), profile.favorites(),
        std::string("Firefox            no"),
        std::string("Chrome             yes        no             4      4")}) {
    EXPECT_TRUE(Contains(r.out, text)) << r.out;
  }
  // Help is not wrong usage.
  for (const char* command : {"status", "backup", "restore", "convert"}) {
    EXPECT_EQ(RunCli({command, "--help"}).exit_code, 0) << command;
  }
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
  EXPECT_TRUE(Contains(again.err, "is not empty"));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
