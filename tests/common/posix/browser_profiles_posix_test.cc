// Profiles found through the environment, and whether a running browser
// holds one: the lock symlinks that Chromium leaves, pointed at this test's
// own (live) process or at one that has ended. (Firefox's lock is checked
// with the platform's processes.)
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "common/browser_profiles.h"
#include "gtest/gtest.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::U8;
using test::WriteBytes;

std::string Host() {
  char host[HOST_NAME_MAX + 1] = {};
  gethostname(host, sizeof(host) - 1);
  return host;
}

// The pid of a child that has ended and been reaped.
pid_t EndedPid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

void Link(const std::string& target, const std::string& path) {
  unlink(path.c_str());
  ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0) << path;
}

class ProfilesInHome : public ::testing::Test {
 protected:
  ProfilesInHome()
      : no_app_data_("MARKSAFE_APPDATA"),
        home_("HOME", dir_.sub("home")),
        config_("XDG_CONFIG_HOME", dir_.sub("config")),
        runtime_("XDG_RUNTIME_DIR", dir_.sub("run")) {
    for (const char* data :
         {"config/google-chrome", "config/chromium",
          "home/.var/app/com.google.Chrome/config/google-chrome"}) {
      WriteBytes(dir_.sub(data) + "/Local State", "{}");
      WriteBytes(dir_.sub(data) + "/Default/Bookmarks", "{}");
    }
    WriteBytes(dir_.sub("home/.mozilla/firefox/profiles.ini"),
               "[Profile0]\nName=default\nIsRelative=1\nPath=p\nDefault=1\n");
    WriteBytes(dir_.sub("home/.mozilla/firefox/p/places.sqlite"), "");
    profiles_ = FindProfiles();
  }

  const BrowserProfile& Get(const char* browser,
                            InstallKind kind = InstallKind::kNative) {
    for (const BrowserProfile& profile : profiles_) {
      if (U8(profile.browser) == browser && profile.install == kind) {
        return profile;
      }
    }
    ADD_FAILURE() << browser;
    return profiles_.front();
  }

  TempDir dir_;
  ScopedEnv no_app_data_, home_, config_, runtime_;
  std::vector<BrowserProfile> profiles_;
};

TEST_F(ProfilesInHome, ChromiumSingletonLockOfALiveProcessOnly) {
  const std::string lock = dir_.sub("config/google-chrome/SingletonLock");
  const std::string own = std::to_string(getpid());
  // A browser that has ended but is not reaped yet holds nothing.
  const pid_t zombie = fork();
  if (zombie == 0) _exit(0);
  siginfo_t ended = {};
  ASSERT_EQ(waitid(P_PID, zombie, &ended, WEXITED | WNOWAIT), 0);
  const struct {
    std::string target;
    bool in_use;
  } cases[] = {
      {Host() + "-" + own, true},
      {Host() + "-" + std::to_string(EndedPid()), false},  // stale
      {"other-host.example-" + own, true},  // the browser refuses it too
      {"garbage", false},
      {Host() + "-" + std::to_string(zombie), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    Link(c.target, lock);
    EXPECT_EQ(ProfileInUse(Get("chrome")), c.in_use);
    // Another user-data folder, and Firefox, are not held by it.
    EXPECT_FALSE(ProfileInUse(Get("chromium")));
    EXPECT_FALSE(ProfileInUse(Get("firefox")));
  }
  waitpid(zombie, nullptr, 0);
}

// A Flatpak browser's pid is of its sandbox: its lock counts while an
// instance of that application runs.
TEST_F(ProfilesInHome, FlatpakLockCountsWhileTheAppRuns) {
  const BrowserProfile& flatpak = Get("chrome", InstallKind::kFlatpak);
  EXPECT_EQ(U8(flatpak.app), "com.google.Chrome");
  Link(Host() + "-2", U8(flatpak.data_folder) + "/SingletonLock");
  EXPECT_FALSE(ProfileInUse(flatpak));
  const std::string instance = dir_.sub("run/.flatpak/123456789");
  WriteBytes(instance + "/info", "[Application]\nname=com.google.Chrome\n");
  WriteBytes(instance + "/bwrapinfo.json",
             "{\n    \"child-pid\": " + std::to_string(EndedPid()) + "\n}");
  EXPECT_FALSE(ProfileInUse(flatpak));
  WriteBytes(instance + "/bwrapinfo.json",
             "{\"child-pid\": " + std::to_string(getpid()) + "}");
  EXPECT_TRUE(ProfileInUse(flatpak));
  EXPECT_FALSE(ProfileInUse(Get("chrome")));
}

}  // namespace
}  // namespace marksafe
