// Stand-ins for a running Firefox on POSIX: a copy of sleep named "firefox",
// and the "lock" link to "<address>:+<pid>" it leaves in its profile folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "firefox/places_fixture.h"
#include "platform/platform.h"

namespace marksafe {
namespace test {

FakeFirefox::FakeFirefox(const std::string& folder) {
  std::string exe = folder + "/firefox";
  std::filesystem::copy_file("/bin/sleep", exe,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
  pid_ = fork();
  if (pid_ == 0) {
    execl(exe.c_str(), "firefox", "300", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Wait until the process carries its new name.
  for (int i = 0; i < 200; ++i) {
    if (platform::BrowserIsRunning(platform::Browser::kFirefox)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ADD_FAILURE() << "the fake firefox process is not seen";
}

FakeFirefox::~FakeFirefox() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

HeldProfile::HeldProfile(const std::string& folder) : lock_(folder + "/lock") {
  const std::string target = ":+" + std::to_string(getpid());
  EXPECT_EQ(symlink(target.c_str(), lock_.c_str()), 0) << lock_;
}

HeldProfile::~HeldProfile() { unlink(lock_.c_str()); }

}  // namespace test
}  // namespace marksafe
