// Every browser profile the user has: the known browsers (one table of
// families and the places each keeps its data in on Linux and Windows),
// discovery of each installation's profiles, picking one by what the user
// typed, and whether a running browser holds a profile.
//
// Nothing is cached: the folders are looked up again at every call.
#ifndef MARKSAFE_PROFILES_BROWSER_PROFILES_H_
#define MARKSAFE_PROFILES_BROWSER_PROFILES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "platform/platform_profiles.h"

namespace marksafe {

enum class BrowserFamily { kChromium, kFirefox };

// How the browser was installed: from the system's packages (or on
// Windows), as a Flatpak or as a Snap. The latter two keep their data in a
// folder of their own below the home folder.
enum class InstallKind { kNative, kFlatpak, kSnap };

struct BrowserInfo {
  const char16_t* key;   // "chrome", "firefox", ...
  const char16_t* name;  // "Google Chrome", "Firefox", ...
  BrowserFamily family;
  // Its executables' names without extension ("msedge"); empty for the
  // browsers the platform layer itself knows (Chrome and Chromium,
  // Firefox).
  std::vector<std::u16string> programs;
};

// The known browsers, in the order profiles are listed.
const std::vector<BrowserInfo>& KnownBrowsers();

// The browser of key (ASCII case ignored); null when unknown.
const BrowserInfo* FindBrowser(const std::u16string& key);

// "native", "flatpak" or "snap".
const char16_t* InstallKindName(InstallKind kind);

struct BrowserProfile {
  std::u16string browser;  // key of KnownBrowsers()
  BrowserFamily family = BrowserFamily::kFirefox;
  InstallKind install = InstallKind::kNative;
  std::u16string app;  // the Flatpak application or the snap; else empty
  // The installation's folder: Chromium's user-data folder (which holds
  // "Local State"), Firefox's profiles root (which holds profiles.ini).
  std::u16string data_folder;
  std::u16string name;         // as the browser shows it
  std::u16string folder_name;  // the profile folder's own name
  std::u16string folder;       // the profile folder
  // places.sqlite or Bookmarks; it may not exist yet in a fresh profile.
  std::u16string store;
  // The installation's default: Firefox's install default (else
  // Default=1); Chromium's last used profile (else "Default").
  bool is_default = false;
  // When the installation was last used, in microseconds since 1970 (0 =
  // unknown): Chromium writes "Local State" whenever it runs, Firefox
  // writes a profile's prefs.js and places.sqlite.
  int64_t last_used = 0;
};

// folder and relative (with "/" separators), every separator in the style
// of folder's start ("/" for a POSIX path, else "\").
std::u16string Below(const std::u16string& folder,
                     const std::u16string& relative);

// Whether folder holds one of the files every Firefox profile has.
bool LooksLikeFirefoxProfile(const std::u16string& folder);

// The profile whose folder (or store file) is path, when path lies in no
// installation the search finds: a browser started on a folder of its own
// (Chromium's --user-data-dir, Firefox's --profile). Its files tell the
// family: a Chromium profile sits in a user-data folder that holds "Local
// State". browser (null for any) must be of that family. False when path is
// no such profile.
bool ProfileAtFolder(const std::u16string& path, const BrowserInfo* browser,
                     BrowserProfile* out);

// One line describing the profile for a person: browser, install kind,
// name, folder.
std::u16string DescribeProfile(const BrowserProfile& profile);

// Every profile of every installation found below folders (Flatpak and
// Snap installations below folders.home), browsers in KnownBrowsers()
// order, an installation's profiles in listing order. A profiles.ini or
// Local State that cannot be read does not stop the search: the profile
// folders themselves are listed then, and a diagnostic line says so.
std::vector<BrowserProfile> FindProfilesIn(
    const platform::BrowserDataFolders& folders);

// FindProfilesIn the calling (desktop) user's folders.
std::vector<BrowserProfile> FindProfiles();

// Picks one of profiles. browser is a key of KnownBrowsers() or empty for
// any. wanted is a profile's name as shown, its folder's name, its folder
// or its store file (a path when it holds a separator; a folder outside
// every installation is taken as ProfileAtFolder finds it), or empty for the
// default: the default of the installation used last (for Chromium the
// user-data folder whose Local State was written last, so that a folder
// left behind by a browser no longer used does not win). An exact match
// wins over one that differs only in case. Fails with 2 when nothing
// matches and 87 when the browser is unknown or several profiles match;
// the message lists what exists.
Status PickProfile(const std::vector<BrowserProfile>& profiles,
                   const std::u16string& browser, const std::u16string& wanted,
                   BrowserProfile* out);

// The default profile of a browser family (see PickProfile): what the
// locators of one family choose when nothing is named.
Status PickFamilyDefault(const std::vector<BrowserProfile>& profiles,
                         BrowserFamily family, BrowserProfile* out);

// PickProfile among FindProfiles().
Status FindProfile(const std::u16string& browser, const std::u16string& wanted,
                   BrowserProfile* out);

// True when a running browser holds the profile: for Firefox that profile
// itself, for Chromium its user-data folder (every profile in it). A
// running browser of another installation never counts.
bool ProfileInUse(const BrowserProfile& profile);

// Asks the processes that hold the profile to close, and waits (at most
// ten seconds) for them to end: the lock's owner and the processes whose
// command line names the profile, never the other instances of the
// browser. True when the profile is free then (or was).
bool CloseProfileHolder(const BrowserProfile& profile);

}  // namespace marksafe

#endif  // MARKSAFE_PROFILES_BROWSER_PROFILES_H_
