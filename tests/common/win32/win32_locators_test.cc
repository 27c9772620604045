// The locators and the desktop-user switch on a real Windows profile (a
// fresh Wine prefix in CI): Internet Explorer, the Firefox profile and the
// Chrome file where Windows keeps them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/locators.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "platform/win32/win32_api.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

namespace fs = std::filesystem;

std::wstring ShellPath(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return L"";
  return buffer;
}

void Touch(const fs::path& file) { test::WriteBytes(file.u8string(), "x"); }

// Removes a folder tree at the end of a test, so that the user profile is
// left as the test found it.
struct RemoveAtEnd {
  fs::path path;
  ~RemoveAtEnd() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

TEST(LocatorTest, InternetExplorerFavoritesAreTheUsersOwn) {
  if (!fs::exists(fs::path(ShellPath(CSIDL_PROGRAM_FILES)) /
                  L"Internet Explorer" / L"iexplore.exe")) {
    GTEST_SKIP() << "no iexplore.exe here";
  }
  EXPECT_TRUE(is_installed_ie());
  wchar_t out[260];
  ASSERT_TRUE(get_ie_path(out));
  EXPECT_EQ(std::wstring(out), ShellPath(CSIDL_FAVORITES));
}

TEST(LocatorTest, FirefoxProfileAndChromeFileBesideTheRoamingFolder) {
  const fs::path roaming = ShellPath(CSIDL_APPDATA);
  const fs::path google = roaming.parent_path() / L"Local" / L"Google";
  if (fs::exists(roaming / L"Mozilla") || fs::exists(google)) {
    GTEST_SKIP() << "this profile has real Firefox or Google folders";
  }
  if (platform::OsMajorVersion() == 5) GTEST_SKIP() << "Windows XP layout";
  RemoveAtEnd mozilla{roaming / L"Mozilla"}, chrome{google};
  const fs::path profiles = roaming / L"Mozilla" / L"Firefox" / L"Profiles";
  wchar_t out[260] = {};
  Touch(profiles / L"y.default-release" / L"places.sqlite");
  Touch(profiles / L"x.default" / L"places.sqlite");
  ASSERT_TRUE(is_installed_firefox(out));
  EXPECT_EQ(std::wstring(out),
            (profiles / L"x.default" / L"places.sqlite").wstring());

  EXPECT_FALSE(is_installed_chrome(out));
  const fs::path bookmarks =
      google / L"Chrome" / L"User Data" / L"Default" / L"Bookmarks";
  Touch(bookmarks);
  ASSERT_TRUE(is_installed_chrome(out));
  EXPECT_EQ(std::wstring(out), bookmarks.wstring());
}

TEST(DesktopUserTest, ImpersonationFallsBackAndTrayNameIsReadBesideLibrary) {
  // The shell of the active session, or this process standing in for it.
  EXPECT_EQ(ImpersonateAsUser(), 0);
  platform::RevertToSelf();

  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const fs::path ini = fs::path(exe).parent_path() / L"Tembrel.ini";
  if (fs::exists(ini)) GTEST_SKIP() << "a Tembrel.ini is there already";
  std::u16string name = u"unchanged";
  ASSERT_TRUE(ReadTrayName(&name));
  EXPECT_EQ(name, u"");
  ASSERT_TRUE(
      WritePrivateProfileStringW(L"TRAY", L"name", L"MyTray.exe", ini.c_str()));
  ASSERT_TRUE(ReadTrayName(&name));
  fs::remove(ini);
  EXPECT_EQ(name, u"MyTray.exe");
}

}  // namespace
}  // namespace marksafe
