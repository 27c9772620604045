// Browser profiles as the library finds them (marksafe_profiles): the
// "profiles" command, and --browser / --profile, which point a command at
// one profile of any browser of the Chromium or Firefox family.
#ifndef MARKSAFE_TOOLS_MARKSAFE_PROFILES_H_
#define MARKSAFE_TOOLS_MARKSAFE_PROFILES_H_

#include <optional>
#include <string>
#include <vector>

#include "browsers.h"
#include "commands.h"

namespace marksafe_cli {

struct ProfileInfo {
  std::string browser;       // key: "chrome", "librewolf", ...
  std::string browser_name;  // "Google Chrome", "LibreWolf", ...
  Browser family = Browser::kFirefox;  // kChrome for the Chromium family
  std::string install;                 // "native", "flatpak", "snap"
  std::string name;                    // as the browser shows it
  std::string folder;
  std::string store;  // places.sqlite or Bookmarks
  bool store_exists = false;
  std::string data_folder;  // the installation's folder
  bool is_default = false;      // the installation's default
  bool family_default = false;  // taken when nothing is named
  bool running = false;  // a running browser holds this profile
  bool counted = false;
  int folders = 0;
  int links = 0;
};

// "ie" and every browser key the library knows, for --browser, --to and
// --from.
const std::vector<std::string>& BrowserKeys();
// The program's browser for a key: Internet Explorer, or the family
// (Firefox or Chrome) the browser belongs to. Fails with exit 2 for an
// unknown key.
Browser FamilyOf(const std::string& key);

// Every profile (browser and profile empty), or the one they pick (either
// may be empty: any browser, the default profile) when pick is set. Fails
// (exit 1, "step: ...") with one line naming what exists when none or
// several match.
std::vector<ProfileInfo> FindProfiles(const std::string& browser,
                                      const std::string& profile, bool count,
                                      bool pick, const std::string& step);

// The browser key as the program knows it: ASCII case ignored ("Chromium"
// is "chromium"). Unknown keys come back lower-cased.
std::string BrowserKey(const std::string& key);

// The profile whose store (places.sqlite or Bookmarks) is the file at
// store, among every browser's; none when the file lies in no profile the
// library finds. Its "running" says whether a browser holds the store.
std::optional<ProfileInfo> FindStoreProfile(const std::string& store);

// Points options at the profile that key (a browser key) and
// options->profile pick, for a command on the family's store. Without a
// profile, key "firefox" or "chrome" takes that browser's default, or the
// family's (ChooseDefaults) when that browser has no profile; a --places or
// --chrome-bookmarks file named for it is kept as it is.
void ChooseProfile(const std::string& key, CommonOptions* options,
                   const std::string& step);

// For a command on every browser: points each family whose store was not
// named at the profile the browser itself would open, of the installation
// used last (native, Flatpak or Snap; any browser of the family), and says
// which was taken when the family has several installations. Nothing
// changes for a family without any profile.
void ChooseDefaults(CommonOptions* options, const std::string& step);

struct ProfilesOptions {
  std::string browser;
  std::string profile;
};
int RunProfiles(const ProfilesOptions& options);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_PROFILES_H_
