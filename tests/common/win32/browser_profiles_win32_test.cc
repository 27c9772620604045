// Whether a running browser holds a profile, on Windows: the files a
// Chromium-family browser and Firefox keep open while they use it.
#include <gtest/gtest.h>

#include <string>

#include "common/browser_profiles.h"
#include "platform/win32/win32_api.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

// Opens file the way the browser does for as long as it runs.
HANDLE HoldOpen(const std::u16string& file, DWORD flags) {
  return ::CreateFileW(reinterpret_cast<const wchar_t*>(file.c_str()),
                       GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       OPEN_ALWAYS, flags, nullptr);
}

TEST(ProfileInUseWin32, LockFilesHeldOpen) {
  test::TempDir dir;
  test::WriteBytes(dir.sub("chrome/User Data/Default/Bookmarks"), "{}");
  test::WriteBytes(dir.sub("edge/User Data/Default/Bookmarks"), "{}");
  test::WriteBytes(dir.sub("firefox/p/places.sqlite"), "");
  BrowserProfile chrome;
  chrome.family = BrowserFamily::kChromium;
  chrome.data_folder = dir.u16("chrome/User Data");
  chrome.folder = dir.u16("chrome/User Data/Default");
  BrowserProfile edge = chrome;
  edge.data_folder = dir.u16("edge/User Data");
  BrowserProfile firefox;
  firefox.family = BrowserFamily::kFirefox;
  firefox.folder = dir.u16("firefox/p");

  // A lockfile left behind is not held.
  test::WriteBytes(dir.sub("chrome/User Data/lockfile"), "");
  EXPECT_FALSE(ProfileInUse(chrome));
  HANDLE lock =
      HoldOpen(dir.u16("chrome/User Data/lockfile"), FILE_FLAG_DELETE_ON_CLOSE);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(ProfileInUse(chrome));
  EXPECT_FALSE(ProfileInUse(edge));
  EXPECT_FALSE(ProfileInUse(firefox));
  ::CloseHandle(lock);
  EXPECT_FALSE(ProfileInUse(chrome));

  lock = HoldOpen(dir.u16("firefox/p/parent.lock"), FILE_ATTRIBUTE_NORMAL);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(ProfileInUse(firefox));
  EXPECT_FALSE(ProfileInUse(chrome));
  ::CloseHandle(lock);
  EXPECT_FALSE(ProfileInUse(firefox));
}

}  // namespace
}  // namespace marksafe
