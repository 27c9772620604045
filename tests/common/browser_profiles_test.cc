// Discovery and picking of browser profiles on made-up user folders.
#include "profiles/browser_profiles.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::LogCapture;
using test::MakeDirs;
using test::TempDir;
using test::U16;
using test::U8;
using test::WriteBytes;

// A path with "/" separators, for comparing across systems.
std::string Slashed(std::string text) {
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}
std::string Slashed(const std::u16string& path) { return Slashed(U8(path)); }

platform::BrowserDataFolders Posix(const TempDir& dir) {
  platform::BrowserDataFolders folders;
  folders.home = dir.u16("home");
  folders.config = dir.u16("home/.config");
  return folders;
}

std::string LocalState(const std::string& last_used,
                       const std::string& info_cache) {
  return "{\"profile\":{\"last_used\":\"" + last_used + "\",\"info_cache\":{" +
         info_cache + "}}}";
}

// A Chromium user-data folder with a Default profile.
void MakeUserData(const std::string& folder) {
  WriteBytes(folder + "/Local State", LocalState("Default", ""));
  WriteBytes(folder + "/Default/Bookmarks", "{}");
}

void MakeFirefoxRoot(const std::string& root) {
  WriteBytes(root + "/profiles.ini",
             "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\n"
             "Default=1\n");
  WriteBytes(root + "/p.default/places.sqlite", "");
}

// A place a browser keeps its data in.
struct Layout {
  const char* browser;
  const char* kind;
  const char* data_folder;  // below the temporary folder
};

// A sample of each family and install kind, in the order they are found.
const Layout kLinux[] = {
    {"chrome", "native", "home/.config/google-chrome-beta"},
    {"chrome", "flatpak",
     "home/.var/app/com.google.Chrome/config/google-chrome"},
    {"chromium", "snap", "home/snap/chromium/common/chromium"},
    {"edge", "native", "home/.config/microsoft-edge"},
    {"brave", "flatpak",
     "home/.var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"},
    {"firefox", "native", "home/.mozilla/firefox"},
    {"firefox", "flatpak",
     "home/.var/app/org.mozilla.firefox/.mozilla/firefox"},
    {"firefox", "snap", "home/snap/firefox/common/.mozilla/firefox"},
    {"librewolf", "native", "home/.librewolf"},
};

const Layout kWindows[] = {
    {"chrome", "native", "Local/Google/Chrome/User Data"},
    {"vivaldi", "native", "Local/Vivaldi/User Data"},
    {"firefox", "native", "Roaming/Mozilla/Firefox"},
    {"waterfox", "native", "Roaming/Waterfox"},
};

template <size_t N>
void ExpectLayouts(const TempDir& dir, const Layout (&layouts)[N],
                   const platform::BrowserDataFolders& folders) {
  for (const Layout& layout : layouts) {
    const std::string folder = dir.sub(layout.data_folder);
    if (FindBrowser(U16(layout.browser))->family == BrowserFamily::kChromium) {
      MakeUserData(folder);
    } else {
      MakeFirefoxRoot(folder);
    }
  }
  const std::vector<BrowserProfile> found = FindProfilesIn(folders);
  ASSERT_EQ(found.size(), N);
  for (size_t i = 0; i < N; ++i) {
    const BrowserProfile& profile = found[i];
    SCOPED_TRACE(layouts[i].data_folder);
    EXPECT_EQ(U8(profile.browser), layouts[i].browser);
    EXPECT_EQ(U8(InstallKindName(profile.install)), layouts[i].kind);
    EXPECT_EQ(Slashed(profile.data_folder),
              Slashed(dir.sub(layouts[i].data_folder)));
    EXPECT_TRUE(profile.is_default);
    const char* store = profile.family == BrowserFamily::kChromium
                            ? "/Default/Bookmarks"
                            : "/p.default/places.sqlite";
    EXPECT_EQ(Slashed(profile.store),
              Slashed(dir.sub(layouts[i].data_folder) + store));
  }
}

TEST(BrowserProfiles, EveryFamilyAndInstallKindOnLinux) {
  TempDir dir;
  ExpectLayouts(dir, kLinux, Posix(dir));
}

TEST(BrowserProfiles, EveryFamilyInTheWindowsLayoutOnly) {
  TempDir dir;
  MakeUserData(dir.sub("home/.config/google-chrome"));  // not searched
  platform::BrowserDataFolders folders;
  folders.windows_layout = true;
  folders.home = dir.u16("home");
  folders.local_app_data = dir.u16("Local");
  folders.roaming_app_data = dir.u16("Roaming");
  ExpectLayouts(dir, kWindows, folders);
}

// What a configuration file says, the profiles found (by shown name, in
// order) and the folder of the default one; a broken file leaves the
// folders alone and a diagnostic line naming it.
struct ConfigCase {
  std::string text;
  std::vector<std::string> shown;
  std::string is_default;
};

void ExpectConfigs(const TempDir& dir, const std::string& file,
                   const std::vector<ConfigCase>& cases,
                   const std::string& broken_when_first) {
  for (const ConfigCase& c : cases) {
    SCOPED_TRACE(c.text);
    WriteBytes(file, c.text);
    LogCapture log;
    const std::vector<BrowserProfile> found = FindProfilesIn(Posix(dir));
    ASSERT_EQ(found.size(), c.shown.size());
    for (size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(U8(found[i].name), c.shown[i]);
      EXPECT_EQ(U8(found[i].folder_name) == c.is_default, found[i].is_default)
          << U8(found[i].folder_name);
    }
    const std::string name = file.substr(file.rfind('/') + 1);
    EXPECT_EQ(log.Contains(name), c.shown[0] == broken_when_first);
  }
}

TEST(BrowserProfiles, ChromiumProfilesNamesAndDefault) {
  TempDir dir;
  const std::string data = dir.sub("home/.config/chromium");
  MakeUserData(data);
  MakeDirs(data + "/Profile 2");       // fresh: no Bookmarks yet
  MakeDirs(data + "/Work");            // listed in info_cache only
  MakeDirs(data + "/System Profile");  // neither
  MakeDirs(data + "/Guest Profile");
  MakeDirs(data + "/Profile x");
  const std::string cache =
      "\"Default\":{\"name\":\"Person 1\"},\"Work\":{\"name\":\"Büro\"},"
      "\"Profile 9\":{\"name\":\"gone\"},\"Profile 2\":7";
  ExpectConfigs(
      dir, data + "/Local State",
      {{LocalState("Work", cache), {"Person 1", "Profile 2", "Büro"}, "Work"},
       {LocalState("Profile 9", cache),
        {"Person 1", "Profile 2", "Büro"},
        "Default"},
       {"{\"profile\": {", {"Default", "Profile 2"}, "Default"}},
      "Default");
  EXPECT_EQ(Slashed(FindProfilesIn(Posix(dir))[1].store),
            Slashed(data + "/Profile 2/Bookmarks"));
}

TEST(BrowserProfiles, FirefoxProfilesIniInstallDefaultAndBrokenIni) {
  TempDir dir;
  const std::string root = dir.sub("home/.mozilla/firefox");
  WriteBytes(root + "/a.default/places.sqlite", "");
  WriteBytes(root + "/b.default-release/prefs.js", "");
  MakeDirs(root + "/Crash Reports");
  const std::string profiles =
      "[Profile1]\nName=old\nIsRelative=1\nPath=a.default\nDefault=1\n"
      "[Profile0]\nName=Work Profile\nIsRelative=1\nPath=b.default-release\n"
      "[Profile2]\nName=missing\nIsRelative=1\nPath=gone\n";
  ExpectConfigs(
      dir, root + "/profiles.ini",
      {{profiles, {"old", "Work Profile"}, "a.default"},
       {"[Install4F96D1932A9F858E]\nDefault=b.default-release\n" + profiles,
        {"old", "Work Profile"},
        "b.default-release"},
       {"garbage\n[Profile0]\nName=x\n",
        {"a.default", "b.default-release"},
        "a.default"}},
      "a.default");
}

BrowserProfile Made(const char* browser, BrowserFamily family, const char* name,
                    const char* folder, bool is_default, int64_t last_used) {
  BrowserProfile profile;
  profile.browser = U16(browser);
  profile.family = family;
  profile.name = U16(name);
  profile.folder = U16(folder);
  profile.folder_name = profile.folder.substr(profile.folder.rfind(u'/') + 1);
  profile.store = profile.folder + u"/Bookmarks";
  profile.is_default = is_default;
  profile.last_used = last_used;
  return profile;
}

TEST(BrowserProfiles, PickByNameFolderPathOrDefault) {
  constexpr BrowserFamily kC = BrowserFamily::kChromium;
  constexpr BrowserFamily kF = BrowserFamily::kFirefox;
  const std::vector<BrowserProfile> all = {
      Made("chrome", kC, "Person 1", "/c/Default", true, 100),
      Made("chrome", kC, "Work", "/c/Profile 1", false, 100),
      Made("chromium", kC, "Person 1", "/u/Default", false, 300),
      Made("chromium", kC, "Home", "/u/Profile 3", true, 300),
      Made("firefox", kF, "default-release", "/f/x.default-release", true, 200),
      Made("firefox", kF, "work", "/f/y.work", false, 200),
  };
  struct Case {
    const char* browser;
    const char* wanted;
    const char* folder;  // or empty for a failure
    uint32_t code;
  } cases[] = {
      {"chrome", "", "/c/Default", 0},
      {"CHROMIUM", "", "/u/Profile 3", 0},
      {"", "", "", 87},  // several browser families
      {"", "Work", "/c/Profile 1", 0},
      {"", "work", "/f/y.work", 0},  // exact case wins
      {"", "WORK", "", 87},          // only loose matches, two
      {"chrome", "profile 1", "/c/Profile 1", 0},
      {"", "Person 1", "", 87},
      {"chromium", "Person 1", "/u/Default", 0},
      {"", "\\u\\Profile 3\\", "/u/Profile 3", 0},
      {"", "/c/Default/Bookmarks", "/c/Default", 0},
      {"", "/c/Other", "", 2},
      {"edge", "", "", 2},
      {"opera", "", "", 87},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.browser) + " / " + c.wanted);
    BrowserProfile out;
    const Status status = PickProfile(all, U16(c.browser), U16(c.wanted), &out);
    EXPECT_EQ(status.code(), c.code) << U8(status.message());
    if (status.ok()) {
      EXPECT_EQ(U8(out.folder), c.folder);
    }
  }
  // A failure lists what there is to choose from.
  BrowserProfile out;
  const Status missing = PickProfile(all, u"firefox", u"nope", &out);
  EXPECT_NE(missing.message().find(u"/f/y.work"), std::u16string::npos);
  // The family default: the installation used last.
  ASSERT_TRUE(PickFamilyDefault(all, kC, &out).ok());
  EXPECT_EQ(U8(out.folder), "/u/Profile 3");
}

}  // namespace
}  // namespace marksafe
