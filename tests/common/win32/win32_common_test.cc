// The common layer on Windows itself (a fresh Wine prefix in CI): whether a
// running browser holds a profile (the files a Chromium-family browser and
// Firefox keep open while they use it); marker hiding, which sets the real
// hidden attribute at every depth on files and folders alike and leaves
// everything else as it was; the locators and the desktop-user switch on a
// real Windows profile (Internet Explorer, the Firefox profile and the
// Chrome file where Windows keeps them).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "backup_set/folder_tree.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "platform/win32/win32_api.h"
#include "profiles/browser_profiles.h"
#include "profiles/locators.h"
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


using test::TempDir;

// The file APIs take "/" as well as "\".
std::wstring Native(const TempDir& dir, const std::string& relative) {
  const std::u16string path = dir.u16(relative);
  return std::wstring(path.begin(), path.end());
}

bool Hidden(const TempDir& dir, const std::string& relative) {
  const DWORD attributes = GetFileAttributesW(Native(dir, relative).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

TEST(HiddenMarkerTest, EveryDepthNothingElseAndMissingRootFails) {
  TempDir dir;
  EXPECT_EQ(HideMarkers(dir.u16("no/such/folder"), u".Quillbay").code(),
            static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
  const char* read_only = "Favorites/Links/Deep/ro/.Quillbay";
  for (const char* file : {"Favorites/Links/.quillbay", "Favorites/.other",
                           "Favorites/Links/a.url", read_only}) {
    test::WriteBytes(dir.sub(file), "x");
  }
  test::MakeDirs(dir.sub("Favorites/.Quillbay"));
  test::MakeDirs(dir.sub("Favorites/Links/Deep/.QUILLBAY/inside"));
  if (Hidden(dir, "Favorites/.other")) {
    GTEST_SKIP() << "dot names are hidden here (Wine without ShowDotFiles=Y)";
  }
  const std::wstring ro = Native(dir, read_only);
  ASSERT_TRUE(SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(HideMarkers(dir.u16("Favorites"), u".Quillbay").ok());
  const DWORD ro_attributes = GetFileAttributesW(ro.c_str());
  SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_NORMAL);  // for TempDir
  for (const char* marker : {"Favorites/.Quillbay", "Favorites/Links/.quillbay",
                             "Favorites/Links/Deep/.QUILLBAY"}) {
    EXPECT_TRUE(Hidden(dir, marker)) << marker;
  }
  // A read-only marker stays read-only.
  const DWORD both = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  EXPECT_EQ(ro_attributes & both, both);
  for (const char* other :
       {"Favorites/Links/Deep/.QUILLBAY/inside", "Favorites/Links/a.url",
        "Favorites/Links", "Favorites/.other"}) {
    EXPECT_FALSE(Hidden(dir, other)) << other;
  }
}


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
