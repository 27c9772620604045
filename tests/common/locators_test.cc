// Finding the user's browser data through the exports, with the shell
// folders pointed at temporary folders.
#include <string>

#include "common/locators.h"
#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::U16;
using test::U8;
using test::WriteBytes;

std::string Out(const MS_CHAR* buffer) {
  return U8(std::u16string(reinterpret_cast<const char16_t*>(buffer)));
}

class FirefoxProfileTest : public ::testing::Test {
 protected:
  std::string Profiles() { return dir_.sub("Roaming/Mozilla/Firefox/Profiles"); }
  // The same folder as the locator spells it.
  std::string Located() {
    return dir_.sub("Roaming") + "\\Mozilla\\Firefox\\Profiles";
  }
  void AddProfile(const std::string& name, bool with_places = true) {
    test::MakeDirs(Profiles() + "/" + name);
    if (with_places) WriteBytes(Profiles() + "/" + name + "/places.sqlite", "");
  }
  TempDir dir_;
  ScopedEnv app_data_{"MARKSAFE_APPDATA", dir_.sub("Roaming")};
};

TEST_F(FirefoxProfileTest, DefaultIsASubstringAnywhereInTheName) {
  AddProfile("x7k2.default-release-1");
  MS_CHAR out[260] = {};
  ASSERT_TRUE(is_installed_firefox(out));
  EXPECT_EQ(Out(out), Located() + "\\x7k2.default-release-1\\places.sqlite");
  EXPECT_TRUE(is_installed_firefox(nullptr));
}

TEST_F(FirefoxProfileTest, FirstInListingOrderIsTaken) {
  AddProfile("y.default-release");
  AddProfile("x.default");
  WriteBytes(Profiles() + "/a.default.txt", "a file, not a profile");
  EXPECT_EQ(U8(LocateFirefoxProfile()), Located() + "\\x.default");
}

TEST_F(FirefoxProfileTest, CapitalDIsNotFound) {
  AddProfile("abc.Default");
  EXPECT_EQ(LocateFirefoxProfile(), u"");
  MS_CHAR out[260] = {u'k', 0};
  EXPECT_FALSE(is_installed_firefox(out));
  EXPECT_EQ(Out(out), "k");
}

TEST_F(FirefoxProfileTest, ProfileWithoutPlacesIsNotInstalled) {
  AddProfile("p.default", /*with_places=*/false);
  EXPECT_FALSE(is_installed_firefox(nullptr));
}

TEST_F(FirefoxProfileTest, LongPathIsCutTo259) {
  AddProfile(std::string(200, 'L') + ".default");
  std::u16string full;
  ASSERT_TRUE(IsInstalledFirefox(&full));
  MS_CHAR out[300];
  for (MS_CHAR& c : out) c = u'#';
  ASSERT_TRUE(is_installed_firefox(out));
  EXPECT_EQ(out[259], 0);
  EXPECT_EQ(out[260], u'#');
  EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(out)),
            full.substr(0, 259));
}

TEST(FirefoxNativeRoots, FirstRootThatYieldsAProfileIsUsed) {
  TempDir dir;
  ScopedEnv no_app_data("MARKSAFE_APPDATA");
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.sub("config"));
  ScopedEnv home("HOME", dir.sub("home"));
  // The first root exists but holds no profile; the older one does.
  test::MakeDirs(dir.sub("config/mozilla/firefox/Crash Reports"));
  WriteBytes(dir.sub("home/.mozilla/firefox/q.default/places.sqlite"), "");
  EXPECT_EQ(U8(LocateFirefoxProfile()),
            dir.sub("home/.mozilla/firefox") + "\\q.default");
  WriteBytes(dir.sub("config/mozilla/firefox/n.default-esr/places.sqlite"),
             "");
  EXPECT_EQ(U8(LocateFirefoxProfile()),
            dir.sub("config/mozilla/firefox") + "\\n.default-esr");
}

class ChromeFileTest : public ::testing::Test {
 protected:
  TempDir dir_;
  ScopedEnv app_data_{"MARKSAFE_APPDATA", dir_.sub("Roaming")};
};

TEST_F(ChromeFileTest, OsMajorFiveUsesLocalSettings) {
  const std::string xp =
      dir_.sub("Local Settings/Application Data/Google/Chrome/User Data/"
               "Default/Bookmarks");
  WriteBytes(xp, "{}");
  MS_CHAR out[260] = {};
  {
    ScopedEnv major("MARKSAFE_OS_MAJOR", "5");
    ASSERT_TRUE(is_installed_chrome(out));
    EXPECT_EQ(Out(out), dir_.path() +
                            "\\Local Settings\\Application Data\\Google\\Chrome"
                            "\\User Data\\Default\\Bookmarks");
  }
  ScopedEnv major("MARKSAFE_OS_MAJOR", "6");
  EXPECT_FALSE(is_installed_chrome(nullptr));
}

TEST_F(ChromeFileTest, LaterVersionsUseLocal) {
  WriteBytes(dir_.sub("Local/Google/Chrome/User Data/Default/Bookmarks"), "{}");
  for (const char* major : {"6", "10"}) {
    ScopedEnv os("MARKSAFE_OS_MAJOR", major);
    MS_CHAR out[260] = {};
    ASSERT_TRUE(is_installed_chrome(out)) << major;
    EXPECT_EQ(Out(out), dir_.path() +
                            "\\Local\\Google\\Chrome\\User Data\\Default"
                            "\\Bookmarks");
  }
  ScopedEnv os("MARKSAFE_OS_MAJOR", "5");
  EXPECT_FALSE(is_installed_chrome(nullptr));
}

TEST_F(ChromeFileTest, TrailingSeparatorOfAppDataDropsOnlyRoaming) {
  ScopedEnv slash("MARKSAFE_APPDATA", dir_.sub("Roaming/"));
  WriteBytes(dir_.sub("Local/Google/Chrome/User Data/Default/Bookmarks"), "{}");
  EXPECT_TRUE(is_installed_chrome(nullptr));
}

TEST_F(ChromeFileTest, LongPathIsCutTo258) {
  const std::string deep = dir_.sub(std::string(120, 'd') + "/" +
                                    std::string(120, 'e'));
  ScopedEnv roaming("MARKSAFE_APPDATA", deep + "/Roaming");
  WriteBytes(deep + "/Local/Google/Chrome/User Data/Default/Bookmarks", "{}");
  MS_CHAR out[300];
  for (MS_CHAR& c : out) c = u'#';
  ASSERT_TRUE(is_installed_chrome(out));
  EXPECT_EQ(out[258], 0);
  EXPECT_EQ(out[259], u'#');
  EXPECT_EQ(Out(out), (deep + "\\Local\\Google\\Chrome").substr(0, 258));
}

TEST(ChromeNativeFiles, FirstExistingCandidateIsUsed) {
  TempDir dir;
  ScopedEnv no_app_data("MARKSAFE_APPDATA");
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.sub("config"));
  ScopedEnv home("HOME", dir.sub("home"));
  MS_CHAR out[260] = {};
  EXPECT_FALSE(is_installed_chrome(out));
  WriteBytes(dir.sub("config/chromium/Default/Bookmarks"), "{}");
  ASSERT_TRUE(is_installed_chrome(out));
  EXPECT_NE(Out(out).find("chromium"), std::string::npos);
  WriteBytes(dir.sub("config/google-chrome/Default/Bookmarks"), "{}");
  ASSERT_TRUE(is_installed_chrome(out));
  EXPECT_NE(Out(out).find("google-chrome"), std::string::npos);
}

class InternetExplorerTest : public ::testing::Test {
 protected:
  TempDir dir_;
  ScopedEnv favorites_{"MARKSAFE_FAVORITES", dir_.sub("Favorites")};
  ScopedEnv program_files_{"MARKSAFE_PROGRAM_FILES", dir_.sub("Program Files")};
};

TEST_F(InternetExplorerTest, GetIePathFalseWithoutIexplore) {
  test::MakeDirs(dir_.sub("Favorites"));
  MS_CHAR out[260] = {u'k', 0};
  EXPECT_FALSE(is_installed_ie());
  EXPECT_FALSE(get_ie_path(out));
  EXPECT_EQ(Out(out), "k");
  EXPECT_FALSE(get_ie_path(nullptr));
}

TEST_F(InternetExplorerTest, GetIePathGivesFavoritesWhenInstalled) {
  WriteBytes(dir_.sub("Program Files/Internet Explorer/iexplore.exe"), "");
  test::LogCapture log;
  MS_CHAR out[260] = {};
  EXPECT_TRUE(is_installed_ie());
  ASSERT_TRUE(get_ie_path(out));
  EXPECT_EQ(Out(out), dir_.sub("Favorites"));
  EXPECT_TRUE(log.Contains("SHGetSpecialFolderPathW: pFolderOut=" +
                           dir_.sub("Favorites") + "\n"));
}

TEST_F(InternetExplorerTest, NoFavoritesFolderMeansNoPath) {
  WriteBytes(dir_.sub("Program Files/Internet Explorer/iexplore.exe"), "");
  ScopedEnv unset("MARKSAFE_FAVORITES");
  MS_CHAR out[260] = {};
  EXPECT_TRUE(is_installed_ie());
  EXPECT_FALSE(get_ie_path(out));
}

TEST(TrayName, EmptyWithoutSettingsFileAndFalseForNull) {
  std::u16string name = u"stale";
  EXPECT_TRUE(ReadTrayName(&name));
  EXPECT_EQ(name, u"");
  EXPECT_FALSE(ReadTrayName(nullptr));
  EXPECT_EQ(ImpersonateAsUser(), 0);
}

TEST(LibraryExtras, VersionAndLastError) {
  EXPECT_STREQ(marksafe_version(), "0.1.0");
  platform::SetLastError(42);
  EXPECT_EQ(marksafe_last_error(), 42u);
}

}  // namespace
}  // namespace marksafe
