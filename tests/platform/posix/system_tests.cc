// Shell folders and native browser locations from the environment; files
// and folders on POSIX: links and dot-names in listings, permission bits
// kept by copies and replacements, and native path spelling.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "support/test_support.h"

namespace marksafe {
namespace platform {
namespace {

using test::ReadBytes;
using test::ScopedEnv;
using test::TempDir;
using test::WriteBytes;

// Read at every call: tests and callers change the variables between calls.
TEST(ShellFolderTest, ReadFromTheEnvironmentAtEveryCall) {
  std::u16string out;
  ScopedEnv favorites("MARKSAFE_FAVORITES", "");
  EXPECT_FALSE(GetShellFolder(ShellFolder::kFavorites, &out).ok());
  EXPECT_EQ(out, u"");
  {
    ScopedEnv app_data("MARKSAFE_APPDATA", "/mnt/AppData/Roaming");
    EXPECT_TRUE(GetShellFolder(ShellFolder::kRoamingAppData, &out).ok());
    EXPECT_EQ(out, u"/mnt/AppData/Roaming");
  }
  ScopedEnv no_app_data("MARKSAFE_APPDATA");
  EXPECT_FALSE(GetShellFolder(ShellFolder::kRoamingAppData, &out).ok());
  // Then $XDG_CONFIG_HOME when absolute, else ~/.config.
  ScopedEnv home("HOME", "/home/me");
  for (const char* xdg : {"cfg", "/cfg"}) {
    ScopedEnv config("XDG_CONFIG_HOME", xdg);
    const std::u16string base = *xdg == '/' ? u"/cfg" : u"/home/me/.config";
    EXPECT_EQ(GetBrowserDataFolders().config, base);
  }
}

// Browsers keep "ß" in a host name (non-transitional processing); the
// older mapping to "ss" would send a restored link to another site.
TEST(IdnToAsciiTest, NonTransitionalProcessingKeepsTheSharpS) {
  std::u16string out;
  EXPECT_TRUE(IdnToAscii(u"fa\u00DF.de", &out));
  EXPECT_EQ(out, u"xn--fa-hia.de");
}

unsigned Mode(const std::string& path) {
  struct stat st = {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 0777;
}

// Links keep their target's folder flag; dot-names are hidden. Copies stay
// writable for their owner; a replaced file keeps its mode and its links.
TEST(FileTest, LinksDotNamesAndModes) {
  TempDir dir;
  test::MakeDirs(dir.sub("folder"));
  WriteBytes(dir.sub(".Quillbay"), "");
  WriteBytes(dir.sub("readonly"), "ro");
  ASSERT_EQ(chmod(dir.sub("readonly").c_str(), 0444), 0);
  ASSERT_TRUE(CopyFile(dir.u16("readonly"), dir.u16("copy"), true).ok());
  EXPECT_EQ(Mode(dir.sub("copy")), 0644u);
  ASSERT_TRUE(CopyFile(dir.u16("readonly"), dir.u16("copy"), false).ok());
  WriteBytes(dir.sub("w"), "first");
  ASSERT_EQ(chmod(dir.sub("w").c_str(), 0640), 0);
  const char* links[][2] = {
      {"folder", "dirlink"}, {"w", "filelink"}, {"gone", "dangling"}};
  for (const auto& link : links) {
    ASSERT_EQ(symlink(dir.sub(link[0]).c_str(), dir.sub(link[1]).c_str()), 0);
  }
  ASSERT_TRUE(ReplaceFileAtomically(dir.u16("filelink"), "through link").ok());
  EXPECT_EQ(ReadBytes(dir.sub("w")), "through link");
  EXPECT_EQ(Mode(dir.sub("w")), 0640u);
  // Name, then the directory, link and hidden flags.
  std::vector<DirEntry> entries;
  ASSERT_TRUE(ListDirectory(dir.u16(), &entries).ok());
  std::vector<std::string> flags;
  for (const DirEntry& e : entries) {
    flags.push_back(ToUtf8(e.name) + ":" + std::to_string(e.is_directory) +
                    std::to_string(e.is_reparse_point) +
                    std::to_string(e.is_hidden));
  }
  EXPECT_EQ(flags,
            (std::vector<std::string>{
                ".Quillbay:001", "copy:000", "dangling:010", "dirlink:110",
                "filelink:010", "folder:100", "readonly:000", "w:000"}));
  EXPECT_EQ(NativePathUtf8(u"C\\x/y\\\u00E9"), "C/x/y/\xC3\xA9");
}

// The lock file goes with the lock; a writer that waited on it then locks
// the new file, not the removed one, so a third writer still waits.
TEST(LockFileTest, TheFileGoesWithTheLockAndAWaiterLocksTheNewOne) {
  TempDir dir;
  const std::u16string path = dir.u16("store.marksafe-lock");
  std::unique_ptr<FileLock> first;
  ASSERT_TRUE(LockFile(path, 0, &first).ok());
  std::unique_ptr<FileLock> waiter;
  bool waited = false;
  std::thread second([&] { waited = LockFile(path, 5000, &waiter).ok(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  first.reset();
  second.join();
  ASSERT_TRUE(waited);
  std::unique_ptr<FileLock> third;
  EXPECT_FALSE(LockFile(path, 0, &third).ok());
  EXPECT_EQ(GetLastError(), kErrorLockViolation);
  waiter.reset();
  EXPECT_FALSE(test::Exists(dir.sub("store.marksafe-lock")));
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
