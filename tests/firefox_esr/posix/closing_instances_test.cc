// Against the real browsers, where Debian's firefox-esr and chromium are
// installed (never installed by the tests): two instances of a browser on
// two profiles of their own; closing the holder of one profile leaves the
// other instance running and its profile held.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "profiles/browser_profiles.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

struct Browser {
  const char* program;
  const char16_t* key;
  BrowserFamily family;
};

// Starts the browser headless on folder (a Firefox profile, a Chromium
// user-data folder) with HOME in home.
pid_t Start(const Browser& browser, const std::string& home,
            const std::string& folder) {
  test::MakeDirs(folder);
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", home.c_str(), 1);
    if (browser.family == BrowserFamily::kFirefox) {
      execl(browser.program, "firefox-esr", "--headless", "--no-remote",
            "--profile", folder.c_str(), "about:blank",
            static_cast<char*>(nullptr));
    } else {
      execl(browser.program, "chromium", "--headless=new", "--no-sandbox",
            ("--user-data-dir=" + folder).c_str(), "about:blank",
            static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  return pid;
}

// Ends the browser unless it has ended (and been reaped) already.
void Stop(pid_t pid) {
  if (waitpid(pid, nullptr, WNOHANG) != 0) return;
  kill(pid, SIGTERM);
  (void)test::WaitFor([&] { return waitpid(pid, nullptr, WNOHANG) != 0; }, 10);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

BrowserProfile ProfileIn(const Browser& browser, const std::string& folder) {
  BrowserProfile profile;
  profile.browser = browser.key;
  profile.family = browser.family;
  profile.folder = test::U16(folder);
  profile.data_folder = profile.folder;
  return profile;
}

TEST(RealBrowsers, ClosingOneProfileLeavesTheOtherInstanceRunning) {
  const Browser kBrowsers[] = {
      {"/usr/bin/firefox-esr", u"firefox", BrowserFamily::kFirefox},
      {"/usr/bin/chromium", u"chromium", BrowserFamily::kChromium}};
  int tried = 0;
  for (const Browser& browser : kBrowsers) {
    if (access(browser.program, X_OK) != 0) continue;
    ++tried;
    SCOPED_TRACE(browser.program);
    test::TempDir dir;
    test::MakeDirs(dir.sub("home"));
    const BrowserProfile asked = ProfileIn(browser, dir.sub("asked"));
    const BrowserProfile other = ProfileIn(browser, dir.sub("other"));
    const pid_t asked_pid = Start(browser, dir.sub("home"), dir.sub("asked"));
    const pid_t other_pid = Start(browser, dir.sub("home"), dir.sub("other"));
    ASSERT_TRUE(asked_pid > 0 && other_pid > 0);
    const bool started = test::WaitFor(
        [&] { return ProfileInUse(asked) && ProfileInUse(other); }, 60);
    if (started) {
      EXPECT_TRUE(CloseProfileHolder(asked));
      EXPECT_TRUE(test::WaitFor(
          [&] { return waitpid(asked_pid, nullptr, WNOHANG) == asked_pid; },
          10));
      EXPECT_EQ(waitpid(other_pid, nullptr, WNOHANG), 0);
      EXPECT_TRUE(ProfileInUse(other));
    }
    Stop(asked_pid);
    Stop(other_pid);
    ASSERT_TRUE(started) << "the browser did not take its profiles";
  }
  if (tried == 0) GTEST_SKIP() << "neither firefox-esr nor chromium is here";
}

}  // namespace
}  // namespace marksafe
