// A running browser stops a backup, unless --close-browsers closes it first.
// The browser is a copy of sleep named firefox.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "cli/posix/cli_harness.h"

extern char** environ;

namespace marksafe {
namespace test {
namespace {

// Starts "firefox 60" and reaps it as soon as it ends, so that an ended
// process does not linger as a zombie that still looks like Firefox.
class FakeFirefox {
 public:
  explicit FakeFirefox(const TempDir& dir) {
    const std::string program = dir.sub("bin/firefox");
    MakeDirs(dir.sub("bin"));
    std::filesystem::copy_file("/bin/sleep", program);
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    std::string arg0 = program, arg1 = "60";
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    started_ = posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv,
                           environ) == 0;
    if (started_) {
      reaper_ = std::thread([this] {
        int status = 0;
        waitpid(pid_, &status, 0);
        ended_ = true;
      });
    }
  }
  ~FakeFirefox() {
    if (!started_) return;
    kill(pid_, SIGKILL);
    reaper_.join();
  }
  bool started() const { return started_; }
  bool ended() const { return ended_; }

 private:
  pid_t pid_ = 0;
  bool started_ = false;
  std::atomic<bool> ended_{false};
  std::thread reaper_;
};

TEST(CliRunningBrowserTest, StopsUnlessAskedToCloseIt) {
  Profile profile;
  profile.FillFirefox();
  TempDir dir;
  FakeFirefox firefox(dir);
  ASSERT_TRUE(firefox.started());
  // Give the process time to take its new name.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  CliResult r = profile.Run({"backup", dir.sub("set"), "--firefox"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err,
                       "backup firefox: Firefox is running; close it "
                       "first or pass --close-browsers"))
      << r.err;
  EXPECT_FALSE(Exists(dir.sub("set")));
  EXPECT_FALSE(firefox.ended());

  r = profile.Run({"backup", dir.sub("set"), "--firefox", "--close-browsers"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "closed Firefox"));
  EXPECT_TRUE(firefox.ended());
  EXPECT_EQ(FavoritesLinks(dir.sub("set/Bookmarks/Firefox")).size(), 3u);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
