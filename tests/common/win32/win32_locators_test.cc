// The locators and the desktop-user switch on a real Windows profile (a
// fresh Wine prefix in CI): shell folders, Internet Explorer, the Firefox
// profile and the Chrome file where Windows keeps them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/locators.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace {

namespace fs = std::filesystem;

std::wstring ShellPath(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return L"";
  return buffer;
}

std::u16string U16(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}

void Touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "x";
}

// Removes a folder tree at the end of a test, so that the user profile is
// left as the test found it.
class RemoveAtEnd {
 public:
  explicit RemoveAtEnd(fs::path path) : path_(std::move(path)) {}
  ~RemoveAtEnd() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }

 private:
  fs::path path_;
};

class LocatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_data_ = ShellPath(CSIDL_APPDATA);
    ASSERT_FALSE(app_data_.empty());
    mozilla_ = fs::path(app_data_) / L"Mozilla";
    if (fs::exists(mozilla_)) {
      GTEST_SKIP() << "this profile has a real Firefox folder";
    }
  }

  std::wstring app_data_;
  fs::path mozilla_;
};

TEST_F(LocatorTest, ShellFoldersAreTheUsersOwn) {
  std::u16string favorites;
  ASSERT_TRUE(platform::GetShellFolder(platform::ShellFolder::kFavorites,
                                       &favorites));
  EXPECT_EQ(favorites, U16(ShellPath(CSIDL_FAVORITES)));
  std::u16string program_files;
  ASSERT_TRUE(platform::GetShellFolder(platform::ShellFolder::kProgramFiles,
                                       &program_files));
  EXPECT_TRUE(fs::is_directory(std::wstring(program_files.begin(),
                                            program_files.end())));
  EXPECT_GE(platform::OsMajorVersion(), 5u);
}

TEST_F(LocatorTest, InternetExplorerAndFavorites) {
  const fs::path iexplore =
      fs::path(ShellPath(CSIDL_PROGRAM_FILES)) / L"Internet Explorer" /
      L"iexplore.exe";
  if (!fs::exists(iexplore)) GTEST_SKIP() << "no iexplore.exe here";
  EXPECT_TRUE(is_installed_ie());
  wchar_t out[260];
  wmemset(out, L'#', 260);
  ASSERT_TRUE(get_ie_path(out));
  EXPECT_EQ(std::wstring(out), ShellPath(CSIDL_FAVORITES));

  // Without iexplore.exe the Favorites folder is not reported, even though
  // it exists.
  fs::path moved = iexplore;
  moved += L".away";
  std::error_code error;
  fs::rename(iexplore, moved, error);
  if (error) GTEST_SKIP() << "iexplore.exe cannot be moved aside here";
  const bool installed = is_installed_ie();
  const bool found = get_ie_path(out);
  fs::rename(moved, iexplore);
  EXPECT_FALSE(installed);
  EXPECT_FALSE(found);
}

TEST_F(LocatorTest, FirefoxProfileFromRoamingAppData) {
  RemoveAtEnd cleanup(mozilla_);
  const fs::path profiles = mozilla_ / L"Firefox" / L"Profiles";
  wchar_t out[260] = {};

  fs::create_directories(profiles / L"abc.Default");
  Touch(profiles / L"abc.Default" / L"places.sqlite");
  EXPECT_FALSE(is_installed_firefox(out)) << "only \".default\" matches";

  Touch(profiles / L"y.default-release" / L"places.sqlite");
  Touch(profiles / L"x.default" / L"places.sqlite");
  ASSERT_TRUE(is_installed_firefox(out));
  EXPECT_EQ(std::wstring(out),
            (profiles / L"x.default" / L"places.sqlite").wstring());
  EXPECT_TRUE(is_installed_firefox(nullptr));
}

TEST_F(LocatorTest, ChromeFileBesideTheRoamingFolder) {
  const fs::path local = fs::path(app_data_).parent_path() / L"Local";
  const fs::path google = local / L"Google";
  if (fs::exists(google)) GTEST_SKIP() << "this profile has a real Google folder";
  RemoveAtEnd cleanup(google);
  wchar_t out[260] = {};
  EXPECT_FALSE(is_installed_chrome(out));

  const fs::path bookmarks = platform::OsMajorVersion() == 5
      ? fs::path(app_data_).parent_path() / L"Local Settings" /
            L"Application Data" / L"Google" / L"Chrome" / L"User Data" /
            L"Default" / L"Bookmarks"
      : google / L"Chrome" / L"User Data" / L"Default" / L"Bookmarks";
  if (platform::OsMajorVersion() == 5) GTEST_SKIP() << "Windows XP layout";
  Touch(bookmarks);
  ASSERT_TRUE(is_installed_chrome(out));
  EXPECT_EQ(std::wstring(out), bookmarks.wstring());
}

TEST(DesktopUserTest, ImpersonationFallsBackAndReverts) {
  int configured_name_reads = 0;
  int32_t result = platform::ImpersonateDesktopUser([&] {
    ++configured_name_reads;
    return std::u16string(u"marksafe-no-such-tray.exe");
  });
  // The shell of the active session, or this process standing in for it.
  EXPECT_EQ(result, 0);
  EXPECT_GE(configured_name_reads, 1) << "read once per process opened";
  platform::RevertToSelf();
  EXPECT_EQ(ImpersonateAsUser(), 0);
  platform::RevertToSelf();
}

TEST(DesktopUserTest, TrayNameComesFromTheFileBesideTheLibrary) {
  const std::u16string folder = platform::LibraryFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), u'\\');
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  EXPECT_EQ(std::wstring(folder.begin(), folder.end()),
            fs::path(exe).parent_path().wstring() + L"\\");

  const fs::path ini = fs::path(exe).parent_path() / L"Tembrel.ini";
  if (fs::exists(ini)) GTEST_SKIP() << "a Tembrel.ini is there already";
  std::u16string name = u"unchanged";
  ASSERT_TRUE(ReadTrayName(&name));
  EXPECT_EQ(name, u"");
  ASSERT_TRUE(WritePrivateProfileStringW(L"TRAY", L"name", L"MyTray.exe",
                                         ini.c_str()));
  ASSERT_TRUE(ReadTrayName(&name));
  fs::remove(ini);
  EXPECT_EQ(name, u"MyTray.exe");
}

}  // namespace
}  // namespace marksafe
