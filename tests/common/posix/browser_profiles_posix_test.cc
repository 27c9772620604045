// Profiles found through the environment, whether a running browser holds
// one, and closing only what holds it: the lock symlinks that browsers
// leave, pointed at this test's own (live) process, at one that has ended,
// or at made-up browser processes of the test's process list.
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "profiles/browser_profiles.h"
#include "support/faulty_env.h"
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

// Closing asks the lock's owner and the processes whose command line names
// the profile; the browser's other instances keep running.
TEST_F(ProfilesInHome, ClosingAsksOnlyWhatHoldsTheProfile) {
  using platform::Browser;
  const std::u16string fox = Get("firefox").folder;
  const std::u16string chrome = Get("chrome").data_folder;
  const std::u16string chromium = Get("chromium").data_folder;
  ASSERT_TRUE(Get("firefox").is_default);
  const struct {
    const char* what;
    Browser family;
    std::vector<std::vector<std::u16string>> processes;
    // Index of the process the lock names; -1: this test; -2: no lock
    // link, the profile is held all the same.
    int owner;
    std::vector<bool> asked;
    bool freed;
  } cases[] = {
      {"firefox lock owner", Browser::kFirefox,
       {{}, {u"-profile", dir_.u16("other")}, {u"-P", u"work"}}, 0,
       {true, false, false}, true},
      // No owner known (as on Windows): the processes that name the
      // profile, and those that name none, for the default profile.
      {"firefox named by argument", Browser::kFirefox,
       {{u"-P", u"default"}, {u"-P", u"work"}, {u"-profile", fox + u"/"}, {}},
       -2, {true, false, true, true}, false},
      // A live process that is no browser holds Chrome's folder: the
      // processes that name it are asked, the profile stays held.
      {"chrome user-data-dir", Browser::kChrome,
       {{u"--user-data-dir=" + chrome}, {u"--user-data-dir=" + chromium}, {}},
       -1, {true, false, false}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScopedFaultyEnv env;
    std::vector<int64_t> pids;
    for (const auto& args : c.processes) {
      pids.push_back(env->AddBrowserProcess(
          c.family, c.family == Browser::kFirefox ? u"firefox" : u"chrome",
          args));
    }
    const int64_t owner = c.owner < 0 ? getpid() : pids[c.owner];
    const bool firefox = c.family == Browser::kFirefox;
    const BrowserProfile& profile = Get(firefox ? "firefox" : "chrome");
    const std::string link = U8(firefox ? profile.folder : profile.data_folder) +
                             (firefox ? "/lock" : "/SingletonLock");
    if (c.owner == -2) {
      unlink(link.c_str());
      env->SetProfileHeld(profile.folder);
    } else {
      Link(firefox ? ":+" + std::to_string(owner)
                   : Host() + "-" + std::to_string(owner),
           link);
    }
    EXPECT_EQ(CloseProfileHolder(profile), c.freed);
    for (size_t i = 0; i < pids.size(); ++i) {
      EXPECT_EQ(!env->ProcessRuns(pids[i]), c.asked[i]) << i;
    }
  }
}

}  // namespace
}  // namespace marksafe
