// A running browser stops a backup, unless --close-browsers closes it first.
// The browser is a copy of sleep named firefox.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

TEST(CliRunningBrowserTest, StopsUnlessAskedToCloseIt) {
  const Profile profile(true);
  TempDir dir;
  std::string firefox = dir.sub("firefox");
  std::filesystem::copy_file("/bin/sleep", firefox);
  char* argv[] = {firefox.data(), const_cast<char*>("60"), nullptr};
  char* no_env[] = {nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv, no_env), 0);
  // Reaped as soon as it ends, so that no zombie still looks like Firefox.
  std::atomic<bool> ended{false};
  std::thread reaper([&] { ended = waitpid(pid, nullptr, 0) == pid; });
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
  EXPECT_EQ(UrlFiles(dir.sub("set/Bookmarks/Firefox")).size(), 7u);
  if (!ended) kill(pid, SIGKILL);
  reaper.join();
}

}  // namespace
}  // namespace test
}  // namespace marksafe
