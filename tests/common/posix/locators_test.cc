// Finding the user's browser data through the exports, with the shell
// folders pointed at temporary folders through environment variables.
#include "common/locators.h"

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
  MS_CHAR out[260] = {u'k', 0};
  write("Profiles/abc.Default/places.sqlite", "");  // capital D: not found
  EXPECT_FALSE(is_installed_firefox(out));
  EXPECT_EQ(Out(out), "k");
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
  EXPECT_EQ(U8(LocateFirefoxProfile()), located + "z.default-release");
  // Only installs.ini names it.
  write("profiles.ini", profiles);
  write("installs.ini", "[F0]\nDefault=Profiles/z.default-release\n");
  EXPECT_EQ(U8(LocateFirefoxProfile()), located + "z.default-release");
  // An install default that no longer exists: the Default=1 profile.
  write("installs.ini", "[A]\nDefault=Profiles/gone\n");
  EXPECT_EQ(U8(LocateFirefoxProfile()), located + "y.default");
  // An absolute path (IsRelative=0) is taken as it stands.
  write("profiles.ini",
        "[Profile0]\nIsRelative=0\nDefault=1\nPath=" +
            dir.sub("Roaming/Mozilla/Firefox/Profiles/y.default"));
  EXPECT_EQ(U8(LocateFirefoxProfile()), firefox + "Profiles/y.default");
  // Nothing named exists: the folder-name rule.
  write("profiles.ini", "[Profile0]\nIsRelative=1\nPath=gone\nDefault=1\n");
  EXPECT_EQ(U8(LocateFirefoxProfile()), located + "x7.default-release-1");
}

TEST(FirefoxProfile, NativeRootsFirstThatYieldsAProfile) {
  TempDir dir;
  ScopedEnv no_app_data("MARKSAFE_APPDATA");
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.sub("config"));
  ScopedEnv home("HOME", dir.sub("home"));
  const std::string root = dir.sub("config/mozilla/firefox");
  // The first root exists but holds no profile; the older one does.
  test::MakeDirs(root + "/Crash Reports");
  WriteBytes(dir.sub("home/.mozilla/firefox/q.default/places.sqlite"), "");
  EXPECT_EQ(U8(LocateFirefoxProfile()),
            dir.sub("home/.mozilla/firefox") + "\\q.default");
  // Once the first root holds one, it wins.
  WriteBytes(root + "/b2.default-esr/places.sqlite", "");
  EXPECT_EQ(U8(LocateFirefoxProfile()), root + "\\b2.default-esr");
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
