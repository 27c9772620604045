// Browsers as processes: fake browsers are copies of system programs under
// a browser's name.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "support/test_support.h"

extern char** environ;

namespace marksafe {
namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// Copies a system program into folder under a new name.
std::string CopyProgram(const test::TempDir& dir, const std::string& program,
                        const std::string& name) {
  std::string path = dir.sub(name);
  test::WriteBytes(path, test::ReadBytes(program));
  chmod(path.c_str(), 0755);
  return path;
}

// Starts path with args in a process group of its own.
pid_t Start(const std::string& path, std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  pid_t pid = 0;
  int rc =
      posix_spawn(&pid, path.c_str(), nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  return rc == 0 ? pid : -1;
}

// Waits up to five seconds for condition.
bool WaitFor(const std::function<bool()>& condition) {
  auto deadline = Clock::now() + std::chrono::seconds(5);
  while (Clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

// True once pid runs the program at path (after the exec).
bool Runs(pid_t pid, const std::string& path) {
  char buffer[4096];
  std::string link = "/proc/" + std::to_string(pid) + "/exe";
  ssize_t length = readlink(link.c_str(), buffer, sizeof(buffer) - 1);
  return length > 0 && std::string(buffer, static_cast<size_t>(length)) == path;
}

void Stop(pid_t pid) {
  kill(-pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

class BrowserProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (BrowserIsRunning(Browser::kFirefox) ||
        BrowserIsRunning(Browser::kChrome)) {
      GTEST_SKIP() << "a browser of this user runs already";
    }
  }
  test::TempDir dir_;
};

TEST_F(BrowserProcessTest, FakeFirefoxRunsAndCloses) {
  auto start = Clock::now();
  AskBrowserToClose(Browser::kFirefox);  // none runs: returns at once
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  std::string fake = CopyProgram(dir_, "/bin/sleep", "firefox");
  pid_t pid = Start(fake, {"firefox", "30"});
  ASSERT_TRUE(WaitFor([&] { return Runs(pid, fake); }));
  EXPECT_TRUE(BrowserIsRunning(Browser::kFirefox));
  EXPECT_FALSE(BrowserIsRunning(Browser::kChrome));
  start = Clock::now();
  AskBrowserToClose(Browser::kFirefox);
  // The wait ends once the process is gone (a zombie until reaped here).
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
}

TEST_F(BrowserProcessTest, OtherNamesCountAndZombiesDoNot) {
  // "chromium-browser" is longer than the kernel keeps of a command name.
  for (const char* name : {"firefox-esr", "chromium-browser"}) {
    std::string fake = CopyProgram(dir_, "/bin/sleep", name);
    pid_t pid = Start(fake, {name, "30"});
    ASSERT_TRUE(WaitFor([&] { return Runs(pid, fake); }));
    const Browser browser =
        name[0] == 'f' ? Browser::kFirefox : Browser::kChrome;
    const Browser other = name[0] == 'f' ? Browser::kChrome : Browser::kFirefox;
    EXPECT_TRUE(BrowserIsRunning(browser)) << name;
    EXPECT_FALSE(BrowserIsRunning(other)) << name;
    kill(pid, SIGKILL);  // not reaped yet: a zombie
    EXPECT_TRUE(WaitFor([&] { return !BrowserIsRunning(browser); })) << name;
    waitpid(pid, nullptr, 0);
  }
}

TEST_F(BrowserProcessTest, HelperProcessesAreNotTheBrowser) {
  // A shell under Chrome's name with a renderer's argument, and one under
  // Firefox's name as a content process; both wait for a child.
  std::string chromium = CopyProgram(dir_, "/bin/sh", "chromium");
  pid_t renderer =
      Start(chromium, {"chromium", "-c", "sleep 30; :", "--type=renderer"});
  std::string firefox = CopyProgram(dir_, "/bin/sh", "firefox");
  pid_t content =
      Start(firefox, {"firefox", "-c", "sleep 30; :", "-contentproc"});
  ASSERT_TRUE(WaitFor([&] { return Runs(renderer, chromium); }));
  ASSERT_TRUE(WaitFor([&] { return Runs(content, firefox); }));
  EXPECT_FALSE(BrowserIsRunning(Browser::kChrome));
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
  // Closing leaves helpers alone.
  AskBrowserToClose(Browser::kChrome);
  EXPECT_EQ(kill(renderer, 0), 0);
  Stop(renderer);
  Stop(content);
}

TEST_F(BrowserProcessTest, OtherUsersProcessesDoNotCount) {
  if (getuid() != 0) GTEST_SKIP() << "needs root to start a process as nobody";
  std::string fake = CopyProgram(dir_, "/bin/sleep", "firefox");
  chmod(dir_.path().c_str(), 0755);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setpgid(0, 0);
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(1);
    char* argv[] = {const_cast<char*>("firefox"), const_cast<char*>("30"),
                    nullptr};
    execv(fake.c_str(), argv);
    _exit(1);
  }
  ASSERT_TRUE(WaitFor([&] { return Runs(pid, fake); }));
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
  AskBrowserToClose(Browser::kFirefox);
  EXPECT_EQ(kill(pid, 0), 0);
  Stop(pid);
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
