// Shell folders and native browser locations from the environment, the
// library's own folder, the debugger channel on standard error, and host
// names as today's browsers store them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace platform {
namespace {

using test::ScopedEnv;

// Read at every call: tests and callers change the variables between calls.
TEST(ShellFolderTest, ReadFromTheEnvironmentAtEveryCall) {
  std::u16string out;
  ScopedEnv favorites("MARKSAFE_FAVORITES", "/home/u/Fav \xC3\xA9");
  ScopedEnv program_files("MARKSAFE_PROGRAM_FILES", "/pf");
  EXPECT_TRUE(GetShellFolder(ShellFolder::kFavorites, &out));
  EXPECT_EQ(out, u"/home/u/Fav \u00E9");
  ScopedEnv changed("MARKSAFE_FAVORITES", "");
  EXPECT_FALSE(GetShellFolder(ShellFolder::kFavorites, &out));
  EXPECT_EQ(out, u"");
  EXPECT_TRUE(GetShellFolder(ShellFolder::kProgramFiles, &out));
  EXPECT_EQ(out, u"/pf");
  {
    ScopedEnv app_data("MARKSAFE_APPDATA", "/mnt/AppData/Roaming");
    EXPECT_TRUE(GetShellFolder(ShellFolder::kRoamingAppData, &out));
    EXPECT_EQ(out, u"/mnt/AppData/Roaming");
    // With the Windows folders given, the system's own ones are not used.
    EXPECT_TRUE(NativeFirefoxProfileRoots().empty());
    EXPECT_TRUE(NativeChromeBookmarkFiles().empty());
  }
  ScopedEnv no_app_data("MARKSAFE_APPDATA");
  EXPECT_FALSE(GetShellFolder(ShellFolder::kRoamingAppData, &out));
  // Then $XDG_CONFIG_HOME when absolute, else ~/.config.
  ScopedEnv home("HOME", "/home/me");
  for (const char* xdg : {"cfg", "/cfg"}) {
    ScopedEnv config("XDG_CONFIG_HOME", xdg);
    const std::u16string base = *xdg == '/' ? u"/cfg" : u"/home/me/.config";
    EXPECT_EQ(NativeFirefoxProfileRoots(),
              (std::vector<std::u16string>{base + u"/mozilla/firefox",
                                           u"/home/me/.mozilla/firefox"}));
    EXPECT_EQ(NativeChromeBookmarkFiles().front(),
              base + u"/google-chrome/Default/Bookmarks");
  }
}

TEST(ShellFolderTest, OsMajorVersionIsTenUnlessGivenAsANumber) {
  {
    ScopedEnv unset("MARKSAFE_OS_MAJOR");
    EXPECT_EQ(OsMajorVersion(), 10u);
  }
  for (const char* value : {"5", "five", "5x", "99999999999999"}) {
    ScopedEnv odd("MARKSAFE_OS_MAJOR", value);
    EXPECT_EQ(OsMajorVersion(), *value == '5' && !value[1] ? 5u : 10u) << value;
  }
}

TEST(SystemTest, LibraryFolderIsTheFolderOfThisProgram) {
  const auto exe = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(ToUtf8(LibraryFolder()), exe.parent_path().string() + "/");
}

TEST(SystemTest, DebugOutputOnlyWhenAskedForAndKeepsTheLastError) {
  const std::u16string line = u"[CommFile] \u00E9 \U0001F600\n";
  for (const char* setting : {"", "1"}) {
    ScopedEnv debug("MARKSAFE_DEBUG", setting);
    SetLastError(42);
    testing::internal::CaptureStderr();
    DebugOutput(line);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              *setting ? "[CommFile] \xC3\xA9 \xF0\x9F\x98\x80\n" : "");
    EXPECT_EQ(GetLastError(), 42u);
  }
}

// Non-transitional processing keeps the sharp s, as browsers do; the
// Windows API maps it to "ss" instead.
TEST(IdnToAsciiTest, NonTransitionalProcessingKeepsTheSharpS) {
  std::u16string out;
  EXPECT_TRUE(IdnToAscii(u"fa\u00DF.de", &out));
  EXPECT_EQ(out, u"xn--fa-hia.de");
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
