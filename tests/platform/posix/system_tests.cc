// Shell folders and native browser locations from the environment, the
// library's own folder and the debugger channel on standard error.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace platform {
namespace {

using test::ScopedEnv;

std::u16string Folder(ShellFolder which, bool* found) {
  std::u16string out = u"stale";
  *found = GetShellFolder(which, &out);
  return out;
}

TEST(ShellFolderTest, ReadFromTheEnvironmentAtEveryCall) {
  bool found = false;
  {
    ScopedEnv favorites("MARKSAFE_FAVORITES", "/home/u/Favorites \xC3\xA9");
    ScopedEnv app_data("MARKSAFE_APPDATA", "/mnt/AppData/Roaming");
    ScopedEnv program_files("MARKSAFE_PROGRAM_FILES", "/pf");
    EXPECT_EQ(Folder(ShellFolder::kFavorites, &found),
              u"/home/u/Favorites \u00E9");
    EXPECT_TRUE(found);
    EXPECT_EQ(Folder(ShellFolder::kRoamingAppData, &found),
              u"/mnt/AppData/Roaming");
    ScopedEnv changed("MARKSAFE_PROGRAM_FILES", "/other");
    EXPECT_EQ(Folder(ShellFolder::kProgramFiles, &found), u"/other");
  }
  ScopedEnv unset("MARKSAFE_FAVORITES");
  ScopedEnv empty("MARKSAFE_APPDATA", "");
  for (ShellFolder which :
       {ShellFolder::kFavorites, ShellFolder::kRoamingAppData}) {
    EXPECT_EQ(Folder(which, &found), u"");
    EXPECT_FALSE(found);
  }
}

TEST(ShellFolderTest, OsMajorVersionDefaultsToTen) {
  {
    ScopedEnv unset("MARKSAFE_OS_MAJOR");
    EXPECT_EQ(OsMajorVersion(), 10u);
  }
  for (const char* value : {"5", "", "five", "5x", "-5", "99999999999999"}) {
    ScopedEnv odd("MARKSAFE_OS_MAJOR", value);
    EXPECT_EQ(OsMajorVersion(), value == std::string("5") ? 5u : 10u) << value;
  }
}

TEST(ShellFolderTest, NativeBrowserLocations) {
  ScopedEnv home("HOME", "/home/me");
  {
    // With the Windows folders given, the system's own ones are not used.
    ScopedEnv app_data("MARKSAFE_APPDATA", "/mnt/AppData/Roaming");
    EXPECT_TRUE(NativeFirefoxProfileRoots().empty());
    EXPECT_TRUE(NativeChromeBookmarkFiles().empty());
  }
  ScopedEnv no_app_data("MARKSAFE_APPDATA");
  for (const char* xdg : {"", "/cfg"}) {
    ScopedEnv config("XDG_CONFIG_HOME", xdg);
    const std::u16string base = *xdg ? u"/cfg" : u"/home/me/.config";
    EXPECT_EQ(NativeFirefoxProfileRoots(),
              (std::vector<std::u16string>{base + u"/mozilla/firefox",
                                           u"/home/me/.mozilla/firefox"}));
    EXPECT_EQ(
        NativeChromeBookmarkFiles(),
        (std::vector<std::u16string>{base + u"/google-chrome/Default/Bookmarks",
                                     base + u"/chromium/Default/Bookmarks"}));
  }
}

TEST(SystemTest, LibraryFolderIsTheFolderOfThisProgram) {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  ASSERT_GT(length, 0);
  std::string exe(buffer, static_cast<size_t>(length));
  EXPECT_EQ(ToUtf8(LibraryFolder()), exe.substr(0, exe.rfind('/') + 1));
}

// Runs DebugOutput with standard error sent to a file; returns what was
// written.
std::string CaptureStderr(const std::u16string& line) {
  test::TempDir dir;
  std::string path = dir.sub("stderr");
  int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int saved = dup(STDERR_FILENO);
  dup2(file, STDERR_FILENO);
  close(file);
  DebugOutput(line);
  dup2(saved, STDERR_FILENO);
  close(saved);
  return test::ReadBytes(path);
}

TEST(SystemTest, DebugOutputOnlyWhenAskedFor) {
  for (const char* off : {static_cast<const char*>(nullptr), ""}) {
    auto env = off ? std::make_unique<ScopedEnv>("MARKSAFE_DEBUG", off)
                   : std::make_unique<ScopedEnv>("MARKSAFE_DEBUG");
    EXPECT_EQ(CaptureStderr(u"quiet\n"), "");
  }
  ScopedEnv on("MARKSAFE_DEBUG", "1");
  SetLastError(42);
  EXPECT_EQ(CaptureStderr(u"[CommFile] \u00E9 \U0001F600\n"),
            "[CommFile] \xC3\xA9 \xF0\x9F\x98\x80\n");
  EXPECT_EQ(GetLastError(), 42u);
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
