// A Chrome file that cannot be replaced, or that a running browser holds:
// the import reports it and the file stays as it was.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "../chrome_test_util.h"

namespace marksafe {
namespace test {
namespace {

TEST_F(ChromeFileTest, FailedSaveIsReported) {
  WriteBytes(chrome_, ChromeText("", ""));
  WriteUrlFile(dir_.sub("src/a.url"), "http://a/");
  const std::string folder = dir_.sub("Default");
  // Permissions stop a normal user; root needs the immutable attribute.
  chmod(folder.c_str(), 0555);
  const std::string quoted = " '" + folder + "' 2>/dev/null";
  const bool immutable = std::system(("chattr +i" + quoted).c_str()) == 0;
  WriteBytes(folder + "/probe", "x");
  const bool locked = !Exists(folder + "/probe");
  if (locked) {
    EXPECT_EQ(87, Import(u"N"));
    EXPECT_EQ(ChromeText("", ""), ReadBytes(chrome_));
  }
  if (immutable) {
    EXPECT_EQ(0, std::system(("chattr -i" + quoted).c_str()));
  }
  chmod(folder.c_str(), 0755);
  if (!locked) GTEST_SKIP() << "cannot make a folder unwritable here";
}

// The browser that holds the user-data folder (its SingletonLock names a
// live process of this host) writes its own copy over the file later.
TEST_F(ChromeFileTest, FileOfAHeldUserDataFolderIsNotWritten) {
  WriteBytes(chrome_, ChromeText("", ""));
  WriteUrlFile(dir_.sub("src/a.url"), "http://a/");
  char host[256] = {};
  ASSERT_EQ(0, gethostname(host, sizeof(host) - 1));
  const std::string lock = dir_.sub("SingletonLock");
  const auto lock_to = [&](pid_t pid) {
    unlink(lock.c_str());
    const std::string target = std::string(host) + "-" + std::to_string(pid);
    return symlink(target.c_str(), lock.c_str()) == 0;
  };
  ASSERT_TRUE(lock_to(getpid()));
  EXPECT_EQ(87, Import(u"N"));
  EXPECT_EQ(87, restore_chrome(Ms(U16(chrome_)), Ms(dir_.u16("src")), false));
  EXPECT_EQ(ChromeText("", ""), ReadBytes(chrome_));
  // A lock left by a browser that is gone holds nothing.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_EQ(gone, waitpid(gone, nullptr, 0));
  ASSERT_TRUE(lock_to(gone));
  EXPECT_EQ(0, Import(u"N"));
  EXPECT_NE(ChromeText("", ""), ReadBytes(chrome_));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
