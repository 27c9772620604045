// The files that say where a browser keeps its profiles are untrusted:
// profiles.ini, installs.ini and Local State that are FIFOs, devices, links
// out of the browser's folder, huge, nested without end, or that name
// folders outside it.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "profiles/browser_profiles.h"
#include "profiles/locators.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::LogCapture;
using test::MakeDirs;
using test::ScopedEnv;
using test::TempDir;
using test::U8;
using test::WriteBytes;

class ProfileFilesTest : public ::testing::Test {
 protected:
  ProfileFilesTest()
      : no_app_data_("MARKSAFE_APPDATA"),
        home_("HOME", dir_.sub("home")),
        config_("XDG_CONFIG_HOME", dir_.sub("home/.config")) {
    WriteBytes(Firefox("profiles.ini"),
               "[Profile0]\nName=main\nIsRelative=1\nPath=p.default\n"
               "Default=1\n");
    WriteBytes(Firefox("p.default/places.sqlite"), "");
    WriteBytes(Chromium("Local State"),
               R"({"profile":{"last_used":"Profile 1","info_cache":{
                   "Profile 1":{"name":"Work"}}}})");
    WriteBytes(Chromium("Default/Bookmarks"), "{}");
    MakeDirs(Chromium("Profile 1"));
    WriteBytes(dir_.sub("outside/places.sqlite"), "");
  }
  std::string Firefox(const std::string& relative) const {
    return dir_.sub("home/.mozilla/firefox/" + relative);
  }
  std::string Chromium(const std::string& relative) const {
    return dir_.sub("home/.config/chromium/" + relative);
  }
  // Every profile found, as "browser:shown name" (default marked "*").
  static std::vector<std::string> Found() {
    std::vector<std::string> out;
    for (const BrowserProfile& profile : FindProfiles()) {
      out.push_back(U8(profile.browser) + ":" + U8(profile.name) +
                    (profile.is_default ? "*" : ""));
    }
    return out;
  }
  static void Replace(const std::string& path, const char* kind,
                      const std::string& outside) {
    unlink(path.c_str());
    const std::string what = kind;
    if (what == "fifo") {
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    } else if (what == "zero") {
      ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
    } else if (what == "link out") {
      ASSERT_EQ(symlink(outside.c_str(), path.c_str()), 0);
    } else if (what == "huge") {
      WriteBytes(path, "[Profile0]\n");
      ASSERT_EQ(truncate(path.c_str(), (off_t{17} << 20)), 0);
    }
  }

  TempDir dir_;
  ScopedEnv no_app_data_;
  ScopedEnv home_;
  ScopedEnv config_;
};

// A file that is not a regular file inside the folder, or is too large, is
// not read: the search neither hangs nor grows, and the profile folders are
// listed instead (only that browser loses its names).
TEST_F(ProfileFilesTest, UnreadableKindsCostOnlyTheirOwnNames) {
  WriteBytes(dir_.sub("copy.ini"),
             "[Profile0]\nName=stolen\nIsRelative=1\nPath=p.default\n");
  for (const char* kind : {"fifo", "zero", "link out", "huge"}) {
    SCOPED_TRACE(kind);
    Replace(Firefox("profiles.ini"), kind, dir_.sub("copy.ini"));
    Replace(Chromium("Local State"), kind, dir_.sub("copy.ini"));
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> found = Found();
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::seconds(5));
    EXPECT_EQ(found, std::vector<std::string>({"chromium:Default*",
                                               "chromium:Profile 1",
                                               "firefox:p.default*"}));
  }
  // installs.ini of any such kind is passed over as well.
  WriteBytes(Firefox("profiles.ini"),
             "[Profile0]\nName=main\nIsRelative=1\nPath=p.default\n");
  Replace(Firefox("installs.ini"), "fifo", "");
  EXPECT_EQ(Found().back(), "firefox:main*");
}

// A profile path that resolves outside the browser's folder is skipped
// with a warning, and never becomes the folder the exports write into.
TEST_F(ProfileFilesTest, ProfilePathsOutsideTheFolderAreSkipped) {
  MakeDirs(Firefox("q.default"));
  ASSERT_EQ(symlink(dir_.sub("outside").c_str(), Firefox("linked").c_str()), 0);
  const std::string outside = dir_.sub("outside");
  const std::string cases[] = {
      "[Profile0]\nIsRelative=1\nPath=../../../outside\nDefault=1\n",
      "[Profile0]\nIsRelative=0\nPath=" + outside + "\nDefault=1\n",
      "[Profile0]\nIsRelative=1\nPath=linked\nDefault=1\n",
      "[Install1]\nDefault=../../../outside\n[Profile0]\nPath=q.default\n"
      "IsRelative=1\n",
  };
  for (const std::string& ini : cases) {
    SCOPED_TRACE(ini);
    WriteBytes(Firefox("profiles.ini"), ini);
    LogCapture log;
    for (const BrowserProfile& profile : FindProfiles()) {
      EXPECT_EQ(U8(profile.folder).find("outside"), std::string::npos);
    }
    std::u16string located;
    (void)LocateFirefoxProfile(&located).ok();
    EXPECT_EQ(U8(located).find("outside"), std::string::npos);
    EXPECT_TRUE(log.Contains("outside")) << log.Joined();
  }
}

// Files made to exhaust the search: many sections, deep nesting. The
// search stays quick, and other browsers are listed all the same.
TEST_F(ProfileFilesTest, BoundedWorkOnMadeUpFiles) {
  std::string many;
  for (int i = 0; i < 50000; ++i) {
    many += "[Profile" + std::to_string(i) + "]\nIsRelative=1\nPath=p" +
            std::to_string(i) + "\n";
  }
  WriteBytes(
      Firefox("profiles.ini"),
      "[Profile]\nName=main\nIsRelative=1\nPath=p.default\nDefault=1\n" + many);
  WriteBytes(Chromium("Local State"),
             std::string(2000, '[') + std::string(2000, ']'));
  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::string> found = Found();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(found,
            std::vector<std::string>(
                {"chromium:Default*", "chromium:Profile 1", "firefox:main*"}));
}

}  // namespace
}  // namespace marksafe
