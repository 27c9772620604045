// Browsers as processes: fake browsers are copies of system programs under
// a browser's name. A Firefox profile is in use while another process
// holds ".parentlock", or its "lock" symlink names a live Firefox. A file
// is held while another process has it open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "support/posix/program_copy.h"
#include "support/test_support.h"

namespace marksafe {
namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using test::WaitFor;

pid_t Start(const test::TempDir& dir, const char* program,
            std::vector<std::string> args, uid_t uid = 0) {
  return test::StartProgramCopy(dir.path(), program, std::move(args), uid);
}

// Start for a shell that starts a child (and may set a trap first): waits
// until the child has become a program of its own. Until then it is a copy
// of the shell under the browser's name, with the same arguments, and
// counts as one more browser process.
pid_t StartShell(const test::TempDir& dir, std::vector<std::string> args) {
  const pid_t pid = Start(dir, "/bin/sh", std::move(args));
  const std::string children = "/proc/" + std::to_string(pid) + "/task/" +
                               std::to_string(pid) + "/children";
  auto ready = [&] {
    const std::string list = test::ReadBytes(children);
    if (list.empty()) return false;
    const std::string child = list.substr(0, list.find(' '));
    return test::ReadBytes("/proc/" + child + "/comm") == "sleep\n";
  };
  return pid > 0 && WaitFor(ready) ? pid : -1;
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

// Closing is over only when no main process of the browser is left: a
// second one that takes its time, and one that a main process starts while
// it ends (a restart), are asked as well and waited for.
TEST_F(BrowserProcessTest, CloseWaitsForEveryMainProcess) {
  const std::string replacement = dir_.sub("firefox");
  pid_t restarting = StartShell(
      dir_,
      {"firefox", "-c",
       "trap '\"" + replacement +
           "\" -c \"trap \\\"sleep 0.3; exit 0\\\" TERM; sleep 30 & wait\" "
           "& sleep 0.2; exit 0' TERM; sleep 30 & wait"});
  ASSERT_GT(restarting, 0);
  pid_t slow = StartShell(
      dir_,
      {"firefox-esr", "-c", "trap 'sleep 0.6; exit 0' TERM; sleep 30 & wait"});
  ASSERT_GT(slow, 0);
  const auto start = Clock::now();
  AskBrowserToClose(Browser::kFirefox);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
  for (pid_t pid : {restarting, slow}) {
    int status = -1;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    kill(-pid, SIGKILL);  // the restarted copy and the sleeps
    waitpid(pid, nullptr, 0);
  }
}

TEST_F(BrowserProcessTest, OtherNamesCountAndZombiesDoNot) {
  // "chromium-browser" is longer than the kernel keeps of a command name.
  for (const char* name : {"firefox-esr", "chromium-browser"}) {
    pid_t pid = Start(dir_, "/bin/sleep", {name, "30"});
    ASSERT_GT(pid, 0) << name;
    const bool fox = name[0] == 'f';
    const Browser browser = fox ? Browser::kFirefox : Browser::kChrome;
    EXPECT_TRUE(BrowserIsRunning(browser)) << name;
    EXPECT_FALSE(BrowserIsRunning(fox ? Browser::kChrome : Browser::kFirefox));
    kill(pid, SIGKILL);  // not reaped yet: a zombie
    EXPECT_TRUE(WaitFor([&] { return !BrowserIsRunning(browser); })) << name;
    waitpid(pid, nullptr, 0);
  }
}

// Helpers (a renderer, a content process) and other users' browsers are
// neither seen nor closed.
TEST_F(BrowserProcessTest, HelpersAndOtherUsersProcessesDoNotCount) {
  pid_t renderer = Start(dir_, "/bin/sh",
                         {"chromium", "-c", "sleep 30; :", "--type=renderer"});
  pid_t content =
      Start(dir_, "/bin/sh", {"firefox", "-c", "sleep 30; :", "-contentproc"});
  pid_t other = getuid() == 0
                    ? Start(dir_, "/bin/sleep", {"firefox-bin", "30"}, 65534)
                    : 0;
  ASSERT_TRUE(renderer > 0 && content > 0 && other >= 0);
  EXPECT_FALSE(BrowserIsRunning(Browser::kChrome));
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
  AskBrowserToClose(Browser::kChrome);
  AskBrowserToClose(Browser::kFirefox);
  for (pid_t pid : {renderer, content, other}) {
    if (pid == 0) continue;
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0);  // still running
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

// A browser's processes come with their command lines, and closing by id
// asks those processes only, not the browser's other instances (nor a
// browser of the machine's, which this test leaves alone).
TEST(ProcessListTest, ClosingByIdEndsOnlyThoseProcesses) {
  test::TempDir dir;
  const std::vector<std::u16string> dirs = {u"--user-data-dir=/a",
                                            u"--user-data-dir=/b"};
  std::vector<pid_t> pids;
  for (const std::u16string& arg : dirs) {
    pids.push_back(
        StartShell(dir, {"chromium", "-c", "sleep 30; :", test::U8(arg)}));
    ASSERT_GT(pids.back(), 0);
  }
  std::vector<std::u16string> seen;
  for (const BrowserProcess& process : BrowserProcesses(Browser::kChrome, {})) {
    for (const std::u16string& arg : process.args) {
      if (std::find(dirs.begin(), dirs.end(), arg) != dirs.end()) {
        seen.push_back(arg);
      }
    }
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, dirs);
  AskProcessesToClose({pids[0]});
  EXPECT_EQ(waitpid(pids[0], nullptr, WNOHANG), pids[0]);
  EXPECT_EQ(waitpid(pids[1], nullptr, WNOHANG), 0);
  for (pid_t pid : pids) {
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

// In use per a "lock" symlink to target; the folder is named with "\".
bool InUseWithLock(const std::string& target) {
  test::TempDir dir;
  EXPECT_EQ(symlink(target.c_str(), dir.sub("lock").c_str()), 0);
  std::u16string folder = dir.u16();
  for (char16_t& c : folder) c = c == u'/' ? u'\\' : c;
  return FirefoxProfileInUse(folder);
}

// The link outlives a clean quit and its pid may since belong to any
// process: only a live Firefox-family main process makes it count, not a
// Chromium nor this test.
TEST(ProfileLockTest, SymlinkCountsOnlyWhenItNamesALiveFirefox) {
  pid_t dead = fork();  // ended and reaped: no process has this pid now
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  test::TempDir programs;
  std::vector<pid_t> pids;
  for (const char* name : {"firefox-esr", "librewolf", "chromium"}) {
    pids.push_back(Start(programs, "/bin/sleep", {name, "30"}));
    ASSERT_GT(pids.back(), 0) << name;
  }
  const std::string own = std::to_string(getpid());
  EXPECT_TRUE(InUseWithLock(":+" + std::to_string(pids[0])));
  EXPECT_TRUE(InUseWithLock("127.0.1.1:+" + std::to_string(pids[0])));
  EXPECT_TRUE(InUseWithLock("127.0.1.1:+" + std::to_string(pids[1])));
  EXPECT_FALSE(InUseWithLock("127.0.1.1:+" + std::to_string(pids[2])));
  EXPECT_FALSE(InUseWithLock("127.0.1.1:+" + own));
  EXPECT_FALSE(InUseWithLock("127.0.1.1:+" + std::to_string(dead)));
  for (pid_t pid : pids) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  // Pid 0 and -1 would address process groups, not a process.
  for (const char* target :
       {":+0", ":+-1", ":+", "garbage", ":+12x", ":+99999999999999999999"}) {
    EXPECT_FALSE(InUseWithLock(target)) << target;
  }
}

TEST(ProfileLockTest, ParentLockCountsWhileAnotherProcessHoldsIt) {
  test::TempDir dir;
  // An unlocked .parentlock, as a closed Firefox leaves it, a folder of that
  // name and a missing profile are no locks.
  const std::string lock_path = dir.sub("p/.parentlock");
  test::WriteBytes(lock_path, "");
  test::MakeDirs(dir.sub("d/.parentlock"));
  for (const char* sub : {"p", "d", "missing", ""}) {
    EXPECT_FALSE(FirefoxProfileInUse(*sub ? dir.u16(sub) : u"")) << sub;
  }
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Takes the write lock Firefox takes and keeps it.
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    fcntl(open(lock_path.c_str(), O_RDWR), F_SETLK, &lock);
    pause();
    _exit(0);
  }
  EXPECT_TRUE(WaitFor([&] { return FirefoxProfileInUse(dir.u16("p")); }));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_FALSE(FirefoxProfileInUse(dir.u16("p")));  // ends with its holder
}

TEST(OpenFileTest, FileCountsWhileAnotherProcessHasItOpen) {
  test::TempDir dir;
  const std::string store = dir.sub("places.sqlite");
  test::WriteBytes(store, "x");
  // This process's own handles do not count; neither does a missing file.
  const int own = open(store.c_str(), O_RDONLY);
  EXPECT_FALSE(FileHeldOpen(dir.u16("places.sqlite")));
  EXPECT_FALSE(FileHeldOpen(dir.u16("missing")));
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(own);  // only the handle opened below stays
    const int held = open(store.c_str(), O_RDONLY);
    char done = held >= 0 ? 1 : 0;
    (void)!write(ready[1], &done, 1);
    pause();
    _exit(0);
  }
  close(own);
  char opened = 0;
  ASSERT_EQ(read(ready[0], &opened, 1), 1);
  EXPECT_EQ(opened, 1);
  // The same file under another name (a hard link) is the same store.
  ASSERT_EQ(link(store.c_str(), dir.sub("other").c_str()), 0);
  EXPECT_TRUE(FileHeldOpen(dir.u16("places.sqlite")));
  EXPECT_TRUE(FileHeldOpen(dir.u16("other")));
  test::WriteBytes(dir.sub("beside"), "x");
  EXPECT_FALSE(FileHeldOpen(dir.u16("beside")));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_FALSE(FileHeldOpen(dir.u16("places.sqlite")));
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
