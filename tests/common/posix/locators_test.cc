// Finding the user's browser data through the exports, with the shell
// folders pointed at temporary folders through environment variables.
#include "profiles/locators.h"

#include <chrono>
#include <filesystem>
#include <string>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::Out;
using test::ScopedEnv;
using test::TempDir;
using test::U8;
using test::WriteBytes;

// Firefox 67 and later leave an unused "*.default" beside the profile in
// use, which profiles.ini or installs.ini names; the folder-name rule is
// only the last resort.
TEST(FirefoxProfile, FolderNameRuleThenWhatProfilesIniNames) {
  TempDir dir;
  ScopedEnv app_data("MARKSAFE_APPDATA", dir.sub("Roaming"));
  const std::string firefox = dir.sub("Roaming/Mozilla/Firefox/");
  const std::string located =
      dir.sub("Roaming") + "\\Mozilla\\Firefox\\Profiles\\";
  auto write = [&](const std::string& name, const std::string& text) {
    WriteBytes(firefox + name, text);
  };
  // The profile found, "-" when none is.
  auto profile = [] {
    std::u16string folder;
    return LocateFirefoxProfile(&folder).ok() ? U8(folder) : "-";
  };
  MS_CHAR out[260] = {u'k', 0};
  write("Profiles/abc.Default/places.sqlite", "");  // capital D: not found
  EXPECT_FALSE(is_installed_firefox(out));
  EXPECT_EQ(Out(out), "k");
  EXPECT_EQ(profile(), "-");
  for (const char* name :
       {"y.default", "x7.default-release-1", "z.default-release"}) {
    write(std::string("Profiles/") + name + "/places.sqlite", "");
  }
  write("Profiles/a.default.txt", "");  // a file, not a profile
  ASSERT_TRUE(is_installed_firefox(out));
  EXPECT_EQ(Out(out), located + "x7.default-release-1\\places.sqlite");
  EXPECT_TRUE(is_installed_firefox(nullptr));

  const std::string profiles =
      "[Profile1]\nIsRelative=1\nPath=Profiles/y.default\nDefault=1\n\n"
      "[Profile0]\nIsRelative=1\nPath=Profiles/z.default-release\n";
  // The [Install...] section wins over Default=1.
  write("profiles.ini",
        "[InstallF0]\r\nDefault=Profiles/z.default-release\r\n"
        "Locked=1\r\n\r\n" +
            profiles);
  EXPECT_EQ(profile(), located + "z.default-release");
  // Only installs.ini names it.
  write("profiles.ini", profiles);
  write("installs.ini", "[F0]\nDefault=Profiles/z.default-release\n");
  EXPECT_EQ(profile(), located + "z.default-release");
  // An install default that no longer exists: the Default=1 profile.
  write("installs.ini", "[A]\nDefault=Profiles/gone\n");
  EXPECT_EQ(profile(), located + "y.default");
  // An absolute path (IsRelative=0) is taken as it stands.
  write("profiles.ini",
        "[Profile0]\nIsRelative=0\nDefault=1\nPath=" +
            dir.sub("Roaming/Mozilla/Firefox/Profiles/y.default"));
  EXPECT_EQ(profile(), firefox + "Profiles/y.default");
  // Nothing named exists: the folder-name rule.
  write("profiles.ini", "[Profile0]\nIsRelative=1\nPath=gone\nDefault=1\n");
  EXPECT_EQ(profile(), located + "x7.default-release-1");
}

// Outside the Windows layout the exports take the folder the browser uses:
// ~/.mozilla/firefox only while it holds profiles.ini; of the Chromium
// family's folders the one whose Local State was written last, and in it
// the profile used last.
TEST(NativeDefaults, ExportsTakeWhatTheBrowserOpens) {
  TempDir dir;
  ScopedEnv no_app_data("MARKSAFE_APPDATA");
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.sub("config"));
  ScopedEnv home("HOME", dir.sub("home"));
  const std::string old_root = dir.sub("home/.mozilla/firefox");
  const std::string new_root = dir.sub("config/mozilla/firefox");
  const auto firefox = [] {
    MS_CHAR out[260] = {};
    return is_installed_firefox(out) ? Out(out) : std::string("-");
  };
  const auto chrome = [] {
    MS_CHAR out[260] = {};
    return is_installed_chrome(out) ? Out(out) : std::string("-");
  };
  // No profiles.ini anywhere: the newer root's profile folder, else the
  // older root's.
  WriteBytes(old_root + "/q.default/places.sqlite", "");
  EXPECT_EQ(firefox(), old_root + "/q.default/places.sqlite");
  WriteBytes(new_root + "/b.default-esr/places.sqlite", "");
  EXPECT_EQ(firefox(), new_root + "/b.default-esr/places.sqlite");
  // profiles.ini in the older root: Firefox keeps using it.
  WriteBytes(new_root + "/profiles.ini",
             "[Profile0]\nIsRelative=1\nPath=b.default-esr\nDefault=1\n");
  WriteBytes(old_root + "/profiles.ini",
             "[Profile0]\nIsRelative=1\nPath=q.default\nDefault=1\n");
  EXPECT_EQ(firefox(), old_root + "/q.default/places.sqlite");

  // A stale google-chrome loses to the Chromium used since, and Chromium's
  // last-used profile wins over Default.
  const std::string stale = dir.sub("config/google-chrome");
  const std::string used = dir.sub("config/chromium");
  WriteBytes(stale + "/Local State", "{}");
  WriteBytes(stale + "/Default/Bookmarks", "{}");
  WriteBytes(used + "/Default/Bookmarks", "{}");
  WriteBytes(used + "/Profile 2/Bookmarks", "{}");
  WriteBytes(used + "/Local State",
             R"({"profile":{"last_used":"Profile 2"}})");
  namespace fs = std::filesystem;
  fs::last_write_time(fs::u8path(stale + "/Local State"),
                      fs::file_time_type::clock::now() -
                          std::chrono::hours(48));
  EXPECT_EQ(chrome(), used + "/Profile 2/Bookmarks");
  // Written last, google-chrome is the one in use again.
  fs::last_write_time(fs::u8path(used + "/Local State"),
                      fs::file_time_type::clock::now() -
                          std::chrono::hours(96));
  EXPECT_EQ(chrome(), stale + "/Default/Bookmarks");
}

TEST(ChromeFile, OsMajorFiveUsesLocalSettingsLaterVersionsLocal) {
  TempDir dir;
  ScopedEnv app_data("MARKSAFE_APPDATA", dir.sub("Roaming/"));
  const std::string tail = "/Google/Chrome/User Data/Default/Bookmarks";
  WriteBytes(dir.sub("Local Settings/Application Data" + tail), "{}");
  MS_CHAR out[260] = {};
  {
    ScopedEnv major("MARKSAFE_OS_MAJOR", "5");
    ASSERT_TRUE(is_installed_chrome(out));
    EXPECT_EQ(Out(out), dir.path() +
                            "\\Local Settings\\Application Data"
                            "\\Google\\Chrome\\User Data\\Default"
                            "\\Bookmarks");
  }
  ScopedEnv major("MARKSAFE_OS_MAJOR", "6");
  EXPECT_FALSE(is_installed_chrome(nullptr));
  // A long path is cut to 258 characters in the caller's buffer.
  const std::string deep = std::string(120, 'd') + "/" + std::string(120, 'e');
  ScopedEnv deep_app_data("MARKSAFE_APPDATA", dir.sub(deep + "/Roaming"));
  WriteBytes(dir.sub(deep + "/Local" + tail), "{}");
  MS_CHAR long_out[300];
  for (MS_CHAR& c : long_out) c = u'#';
  ASSERT_TRUE(is_installed_chrome(long_out));
  EXPECT_EQ(long_out[259], u'#');
  EXPECT_EQ(Out(long_out),
            (dir.sub(deep) + "\\Local\\Google\\Chrome").substr(0, 258));
}

TEST(InternetExplorer, FavoritesPathOnlyWhenIexploreAndFolderAreFound) {
  TempDir dir;
  ScopedEnv favorites("MARKSAFE_FAVORITES", dir.sub("Favorites"));
  ScopedEnv program_files("MARKSAFE_PROGRAM_FILES", dir.sub("PF"));
  test::MakeDirs(dir.sub("Favorites"));
  MS_CHAR out[260] = {u'k', 0};
  EXPECT_FALSE(is_installed_ie());
  EXPECT_FALSE(get_ie_path(out));
  EXPECT_EQ(Out(out), "k");

  WriteBytes(dir.sub("PF/Internet Explorer/iexplore.exe"), "");
  EXPECT_TRUE(is_installed_ie());
  ASSERT_TRUE(get_ie_path(out));
  EXPECT_EQ(Out(out), dir.sub("Favorites"));
  EXPECT_FALSE(get_ie_path(nullptr));
  // A failed Favorites look-up must not pass for the root folder.
  ScopedEnv no_favorites("MARKSAFE_FAVORITES");
  EXPECT_FALSE(get_ie_path(out));
}

}  // namespace
}  // namespace marksafe
