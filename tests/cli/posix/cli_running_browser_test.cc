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

// Starts "firefox 60" and reaps it as soon as it ends, so that an ended
// process does not linger as a zombie that still looks like Firefox.
class FakeFirefox {
 public:
  explicit FakeFirefox(const TempDir& dir) : program_(dir.sub("firefox")) {
    std::filesystem::copy_file("/bin/sleep", program_);
    char* argv[] = {program_.data(), const_cast<char*>("60"), nullptr};
    char* no_env[] = {nullptr};
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv, no_env) != 0) {
      return;
    }
    reaper_ = std::thread([this] {
      waitpid(pid_, nullptr, 0);
      ended_ = true;
    });
    // Give the process time to take its new name.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ~FakeFirefox() {
    if (!reaper_.joinable()) return;
    kill(pid_, SIGKILL);
    reaper_.join();
  }
  bool ended() const { return ended_; }

 private:
  std::string program_;
  pid_t pid_ = 0;
  std::atomic<bool> ended_{false};
  std::thread reaper_;
};

TEST(CliRunningBrowserTest, StopsUnlessAskedToCloseIt) {
  const Profile profile(true);
  TempDir dir;
  FakeFirefox firefox(dir);

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
  EXPECT_EQ(UrlFiles(dir.sub("set/Bookmarks/Firefox")).size(), 7u);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
