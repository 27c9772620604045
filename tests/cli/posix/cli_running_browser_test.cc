// A running browser stops a backup, unless --close-browsers closes it first.
// The browser is a copy of sleep named firefox.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

TEST(CliRunningBrowserTest, StopsUnlessAskedToCloseIt) {
  const Profile profile(true);
  TempDir dir;
  std::filesystem::copy_file("/bin/sleep", dir.sub("firefox"));
  // The shell becomes firefox and is reaped as soon as it ends, so that no
  // zombie still looks like Firefox.
  std::atomic<bool> ended{false};
  std::thread firefox([&] {
    std::system(
        ("echo $$ >" + dir.sub("pid") + "; exec " + dir.sub("firefox") + " 60")
            .c_str());
    ended = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  CliResult r = profile.Run({"backup", dir.sub("set"), "--firefox"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err,
                       "backup firefox: Firefox is running; close it "
                       "first or pass --close-browsers"))
      << r.err;
  EXPECT_FALSE(Exists(dir.sub("set")));
  EXPECT_FALSE(ended);

  r = profile.Run({"backup", dir.sub("set"), "--firefox", "--close-browsers"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "closed Firefox"));
  EXPECT_TRUE(ended);
  EXPECT_EQ(UrlFiles(dir.sub("set/Bookmarks/Firefox")).size(), 8u);
  if (!ended) kill(std::stoi(ReadBytes(dir.sub("pid"))), SIGKILL);
  firefox.join();
}

}  // namespace
}  // namespace test
}  // namespace marksafe
