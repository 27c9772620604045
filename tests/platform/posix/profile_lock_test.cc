// A Firefox profile in use: its "lock" symlink names a live process, or
// another process holds an fcntl lock on ".parentlock".
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace platform {
namespace {

// The pid of a child that has ended and been reaped: no process has it
// until the kernel hands the number out again.
pid_t DeadPid() {
  pid_t pid = fork();
  if (pid == 0) _exit(0);
  int status = 0;
  waitpid(pid, &status, 0);
  return pid;
}

void Symlink(const std::string& target, const std::string& link) {
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
}

TEST(ProfileLockTest, FreeProfileAndMissingFolder) {
  test::TempDir dir;
  EXPECT_FALSE(FirefoxProfileInUse(dir.u16()));
  // An unlocked .parentlock, as a closed Firefox leaves it, and a folder
  // of that name are no locks.
  test::WriteBytes(dir.sub("p/.parentlock"), "");
  test::MakeDirs(dir.sub("d/.parentlock"));
  for (const char* sub : {"p", "d", "missing"}) {
    EXPECT_FALSE(FirefoxProfileInUse(dir.u16(sub))) << sub;
  }
  EXPECT_FALSE(FirefoxProfileInUse(u""));
}

TEST(ProfileLockTest, SymlinkToALiveProcess) {
  const std::string own = std::to_string(getpid());
  for (const std::string& target : {":+" + own, "127.0.1.1:+" + own}) {
    test::TempDir dir;
    Symlink(target, dir.sub("lock"));
    EXPECT_TRUE(FirefoxProfileInUse(dir.u16())) << target;
    // Backslashes in the folder's path are separators too.
    std::u16string backslashed = dir.u16();
    for (char16_t& c : backslashed) {
      if (c == u'/') c = u'\\';
    }
    EXPECT_TRUE(FirefoxProfileInUse(backslashed));
  }
}

TEST(ProfileLockTest, StaleOrMalformedSymlinkIsNotALock) {
  const std::string targets[] = {
      ":+" + std::to_string(DeadPid()),
      "127.0.1.1:+" + std::to_string(DeadPid()),
      // Pid 0 and -1 would address process groups, not a process.
      ":+0", ":+-1", ":+", "garbage", ":+12x", ":+99999999999999999999"};
  for (const std::string& target : targets) {
    test::TempDir dir;
    Symlink(target, dir.sub("lock"));
    EXPECT_FALSE(FirefoxProfileInUse(dir.u16())) << target;
  }
}

TEST(ProfileLockTest, ParentLockHeldByAnotherProcess) {
  test::TempDir dir;
  const std::string lock_path = dir.sub(".parentlock");
  test::WriteBytes(lock_path, "");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Takes the write lock Firefox takes, reports it, and keeps it.
    int fd = open(lock_path.c_str(), O_RDWR);
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    char ok = (fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0) ? '1' : '0';
    if (write(ready[1], &ok, 1) != 1) _exit(2);
    pause();
    _exit(0);
  }
  char ok = '0';
  EXPECT_EQ(read(ready[0], &ok, 1), 1);
  EXPECT_EQ(ok, '1');
  EXPECT_TRUE(FirefoxProfileInUse(dir.u16()));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  // The lock ends with its holder.
  EXPECT_FALSE(FirefoxProfileInUse(dir.u16()));
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
