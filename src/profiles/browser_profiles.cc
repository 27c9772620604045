#include "profiles/browser_profiles.h"

#include <json/json.h>

#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <utility>

#include "base/error_codes.h"
#include "base/text.h"
#include "platform/debug_log.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "profiles/firefox_profiles.h"
#include "profiles/locators.h"
#include "profiles/profile_warnings.h"

namespace marksafe {
namespace {

// Local State nests a few levels; deeper is not the browser's file. The
// parser stops there rather than recursing on.
constexpr int kLocalStateDepth = 64;
// More profiles than anyone keeps in one installation: the rest are left
// out, so that a made-up file or folder cannot make the search unbounded.
constexpr size_t kMaxProfilesPerInstall = 1000;

// The folder a place is found below. For a Flatpak the home folder is
// ~/.var/app/<app> and the configuration folder its "config"; for a Snap
// the home folder is ~/snap/<name>/common. The two application-data
// folders apply in the Windows layout only, the others outside it.
enum class Base { kHome, kConfig, kLocalAppData, kRoamingAppData };

// Where one installation keeps its data. For Firefox, alt_path (below
// alt_base) is where the browser goes when path holds no profiles.ini.
struct Place {
  const char16_t* browser;
  InstallKind kind;
  const char16_t* app;
  Base base;
  const char16_t* path;
  Base alt_base = Base::kHome;
  const char16_t* alt_path = nullptr;
};

constexpr InstallKind kNative = InstallKind::kNative;
constexpr InstallKind kFlatpak = InstallKind::kFlatpak;
constexpr InstallKind kSnap = InstallKind::kSnap;
constexpr Base kHome = Base::kHome;
constexpr Base kConfig = Base::kConfig;
constexpr Base kLocal = Base::kLocalAppData;
constexpr Base kRoaming = Base::kRoamingAppData;

// Paths use "/"; they take the separator of the folder they are joined to.
const Place kPlaces[] = {
    {u"chrome", kNative, nullptr, kConfig, u"google-chrome"},
    {u"chrome", kNative, nullptr, kConfig, u"google-chrome-beta"},
    {u"chrome", kNative, nullptr, kConfig, u"google-chrome-unstable"},
    {u"chrome", kFlatpak, u"com.google.Chrome", kConfig, u"google-chrome"},
    {u"chrome", kNative, nullptr, kLocal, u"Google/Chrome/User Data"},

    {u"chromium", kNative, nullptr, kConfig, u"chromium"},
    {u"chromium", kFlatpak, u"org.chromium.Chromium", kConfig, u"chromium"},
    {u"chromium", kSnap, u"chromium", kHome, u"chromium"},
    {u"chromium", kNative, nullptr, kLocal, u"Chromium/User Data"},

    {u"edge", kNative, nullptr, kConfig, u"microsoft-edge"},
    {u"edge", kNative, nullptr, kConfig, u"microsoft-edge-beta"},
    {u"edge", kNative, nullptr, kConfig, u"microsoft-edge-dev"},
    {u"edge", kFlatpak, u"com.microsoft.Edge", kConfig, u"microsoft-edge"},
    {u"edge", kNative, nullptr, kLocal, u"Microsoft/Edge/User Data"},

    {u"brave", kNative, nullptr, kConfig, u"BraveSoftware/Brave-Browser"},
    {u"brave", kFlatpak, u"com.brave.Browser", kConfig,
     u"BraveSoftware/Brave-Browser"},
    {u"brave", kNative, nullptr, kLocal,
     u"BraveSoftware/Brave-Browser/User Data"},

    {u"vivaldi", kNative, nullptr, kConfig, u"vivaldi"},
    {u"vivaldi", kFlatpak, u"com.vivaldi.Vivaldi", kConfig, u"vivaldi"},
    {u"vivaldi", kNative, nullptr, kLocal, u"Vivaldi/User Data"},

    // Firefox keeps using ~/.mozilla/firefox where it holds profiles.ini.
    {u"firefox", kNative, nullptr, kHome, u".mozilla/firefox", kConfig,
     u"mozilla/firefox"},
    {u"firefox", kFlatpak, u"org.mozilla.firefox", kHome, u".mozilla/firefox",
     kConfig, u"mozilla/firefox"},
    {u"firefox", kSnap, u"firefox", kHome, u".mozilla/firefox"},
    {u"firefox", kNative, nullptr, kRoaming, u"Mozilla/Firefox"},

    {u"librewolf", kNative, nullptr, kHome, u".librewolf"},
    {u"librewolf", kFlatpak, u"io.gitlab.librewolf-community", kHome,
     u".librewolf"},
    {u"librewolf", kNative, nullptr, kRoaming, u"librewolf"},

    {u"waterfox", kNative, nullptr, kHome, u".waterfox"},
    {u"waterfox", kNative, nullptr, kRoaming, u"Waterfox"},
};

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

// The separator of a folder's own style: "/" for a POSIX path, else "\".
char16_t SeparatorOf(const std::u16string& folder) {
  return !folder.empty() && folder[0] == u'/' ? u'/' : u'\\';
}

// path with every separator in the style of its start.
std::u16string Clean(std::u16string path) {
  const char16_t separator = SeparatorOf(path);
  for (char16_t& c : path) {
    if (IsSeparator(c)) c = separator;
  }
  while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
  return path;
}

}  // namespace

std::u16string Below(const std::u16string& folder,
                     const std::u16string& relative) {
  std::u16string path = folder;
  if (!path.empty() && !IsSeparator(path.back())) path += SeparatorOf(folder);
  path += relative;
  return Clean(path);
}

namespace {

// The folder below which base lies for one installation; empty when it
// does not apply to the folders' layout or is unknown.
std::u16string BaseFolder(const platform::BrowserDataFolders& folders,
                          const Place& place, Base base) {
  if (base == Base::kLocalAppData || base == Base::kRoamingAppData) {
    if (!folders.windows_layout) return {};
    return base == Base::kLocalAppData ? folders.local_app_data
                                       : folders.roaming_app_data;
  }
  if (folders.windows_layout) return {};
  switch (place.kind) {
    case InstallKind::kNative:
      return base == Base::kHome ? folders.home : folders.config;
    case InstallKind::kFlatpak: {
      if (folders.home.empty()) return {};
      const std::u16string app_home =
          Below(folders.home, u".var/app/" + std::u16string(place.app));
      return base == Base::kHome ? app_home : Below(app_home, u"config");
    }
    case InstallKind::kSnap:
      if (folders.home.empty()) return {};
      return Below(folders.home,
                   u"snap/" + std::u16string(place.app) + u"/common");
  }
  return {};
}

std::u16string PlacePath(const platform::BrowserDataFolders& folders,
                         const Place& place, Base base, const char16_t* path) {
  if (path == nullptr) return {};
  const std::u16string base_folder = BaseFolder(folders, place, base);
  if (base_folder.empty()) return {};
  return Below(base_folder, path);
}

int64_t WriteTime(const std::u16string& path) {
  int64_t time = 0;
  return platform::GetLastWriteTime(path, &time).ok() ? time : 0;
}

// Whether a folder found listing parent may be taken as a profile: a link
// that leads out of the browser's folder root is not followed.
bool StaysInside(const platform::DirEntry& entry, const std::u16string& parent,
                 const std::u16string& root) {
  if (!entry.is_reparse_point ||
      platform::ResolvesInside(Below(parent, entry.name), root)) {
    return true;
  }
  ProfileWarning(u"%s in %s links outside %s: skipped\n", entry.name, parent,
                 root);
  return false;
}

BrowserProfile NewProfile(const BrowserInfo& browser, const Place& place,
                          const std::u16string& data_folder) {
  BrowserProfile profile;
  profile.browser = browser.key;
  profile.family = browser.family;
  profile.install = place.kind;
  if (place.app != nullptr) profile.app = place.app;
  profile.data_folder = data_folder;
  return profile;
}

// ---- Chromium family --------------------------------------------------

bool IsNumberedProfile(const std::u16string& name) {
  static const std::u16string kPrefix = u"Profile ";
  if (name.size() <= kPrefix.size() ||
      name.compare(0, kPrefix.size(), kPrefix) != 0) {
    return false;
  }
  return std::all_of(name.begin() + kPrefix.size(), name.end(),
                     [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

struct LocalState {
  std::map<std::u16string, std::u16string> names;  // folder -> shown name
  std::u16string last_used;
};

// What "Local State" says about the profiles; nothing when it is missing,
// and a diagnostic line when it cannot be read.
LocalState ReadLocalState(const std::u16string& user_data) {
  LocalState state;
  const std::u16string file = Below(user_data, u"Local State");
  std::string bytes;
  if (!platform::ReadProfileFile(user_data, file, &bytes).ok()) {
    if (platform::PathExists(file)) {
      ProfileWarning(
          u"Local State of %s is not a regular file of at most 16 MiB "
          u"inside it: listing its profile folders\n",
          user_data);
    }
    return state;
  }
  Json::Value parsed;
  std::string errors;
  Json::CharReaderBuilder builder;
  builder["stackLimit"] = kLocalStateDepth;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  bool parsed_ok = false;
  try {
    parsed_ok = reader->parse(bytes.data(), bytes.data() + bytes.size(),
                              &parsed, &errors);
  } catch (const std::exception& error) {
    // The parser throws past its depth limit; the file is unusable then,
    // and only this installation's names are lost.
    errors = error.what();
  }
  if (!parsed_ok || !parsed.isObject()) {
    // The parser's report spans several lines; the diagnostic is one.
    for (char& c : errors) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    ProfileWarning(
        u"Local State of %s cannot be read (%s): listing its profile "
        u"folders\n",
        user_data, platform::FromUtf8(errors));
    return state;
  }
  const Json::Value& root = parsed;
  const Json::Value& profile = root["profile"];
  if (!profile.isObject()) return state;
  const Json::Value& last_used = profile["last_used"];
  if (last_used.isString()) {
    state.last_used = platform::FromUtf8(last_used.asString());
  }
  const Json::Value& cache = profile["info_cache"];
  if (!cache.isObject()) return state;
  for (auto it = cache.begin();
       it != cache.end() && state.names.size() < kMaxProfilesPerInstall;
       ++it) {
    const Json::Value& details = *it;
    std::u16string name;
    if (details.isObject() && details["name"].isString()) {
      name = platform::FromUtf8(details["name"].asString());
    }
    state.names[platform::FromUtf8(it.name())] = name;
  }
  return state;
}

void FindChromiumProfiles(const BrowserInfo& browser, const Place& place,
                          const std::u16string& user_data,
                          std::vector<BrowserProfile>* out) {
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(user_data, &entries).ok()) return;
  const LocalState state = ReadLocalState(user_data);
  const int64_t last_used = WriteTime(Below(user_data, u"Local State"));
  const size_t first = out->size();
  bool has_last_used = false;
  bool has_default = false;
  for (const platform::DirEntry& entry : entries) {
    if (out->size() - first == kMaxProfilesPerInstall) {
      ProfileWarning(
          u"%s holds more than %d profiles: the rest are left out\n",
          user_data, static_cast<int>(kMaxProfilesPerInstall));
      break;
    }
    if (!entry.is_directory || !StaysInside(entry, user_data, user_data)) {
      continue;
    }
    const auto cached = state.names.find(entry.name);
    if (entry.name != u"Default" && !IsNumberedProfile(entry.name) &&
        cached == state.names.end()) {
      continue;
    }
    BrowserProfile profile = NewProfile(browser, place, user_data);
    profile.folder_name = entry.name;
    profile.folder = Below(user_data, entry.name);
    profile.store = Below(profile.folder, u"Bookmarks");
    profile.name = cached != state.names.end() && !cached->second.empty()
                       ? cached->second
                       : entry.name;
    profile.last_used = last_used;
    has_last_used = has_last_used || entry.name == state.last_used;
    has_default = has_default || entry.name == u"Default";
    out->push_back(std::move(profile));
  }
  const std::u16string chosen = has_last_used ? state.last_used
                                : has_default ? std::u16string(u"Default")
                                              : std::u16string();
  for (size_t i = first; i < out->size(); ++i) {
    (*out)[i].is_default = (*out)[i].folder_name == chosen;
  }
}

// ---- Firefox family ----------------------------------------------------

}  // namespace

bool LooksLikeFirefoxProfile(const std::u16string& folder) {
  for (const char16_t* name : {u"places.sqlite", u"prefs.js", u"times.json"}) {
    if (platform::PathExists(Below(folder, name))) return true;
  }
  return false;
}

namespace {

// The profile folders directly in root and in root/Profiles (the Windows
// layout), for a root whose profiles.ini lists none; the default is the
// first whose name holds ".default", as before profiles.ini was read.
std::vector<FirefoxProfileEntry> FirefoxProfileFolders(
    const std::u16string& root) {
  std::vector<FirefoxProfileEntry> found;
  for (const std::u16string& parent : {root, Below(root, u"Profiles")}) {
    std::vector<platform::DirEntry> entries;
    if (!platform::ListDirectory(parent, &entries).ok()) continue;
    for (const platform::DirEntry& entry : entries) {
      if (found.size() == kMaxProfilesPerInstall) break;
      if (!entry.is_directory || !StaysInside(entry, parent, root)) continue;
      const std::u16string folder = Below(parent, entry.name);
      if (!LooksLikeFirefoxProfile(folder)) continue;
      FirefoxProfileEntry profile;
      profile.folder = folder;
      found.push_back(std::move(profile));
    }
  }
  for (FirefoxProfileEntry& profile : found) {
    if (LastComponent(profile.folder).find(u".default") !=
        std::u16string::npos) {
      profile.is_default = true;
      break;
    }
  }
  return found;
}

// The profiles of one Firefox profiles root; false when it holds none.
bool FindFirefoxProfiles(const BrowserInfo& browser, const Place& place,
                         const std::u16string& root,
                         std::vector<BrowserProfile>* out) {
  if (!platform::IsDirectory(root)) return false;
  std::vector<FirefoxProfileEntry> entries;
  if (!ListProfilesFromIni(root, &entries) || entries.empty()) {
    entries = FirefoxProfileFolders(root);
    if (entries.empty()) return false;
    DebugLog(
        u"profiles.ini of %s lists no profile that exists: taking the "
        u"profile folders\n",
        root);
  }
  for (const FirefoxProfileEntry& entry : entries) {
    BrowserProfile profile = NewProfile(browser, place, root);
    profile.folder = Clean(entry.folder);
    profile.folder_name = LastComponent(profile.folder);
    profile.name = entry.name.empty() ? profile.folder_name : entry.name;
    profile.store = Below(profile.folder, u"places.sqlite");
    profile.is_default = entry.is_default;
    for (const char16_t* file :
         {u"prefs.js", u"places.sqlite", u"places.sqlite-wal"}) {
      profile.last_used =
          std::max(profile.last_used, WriteTime(Below(profile.folder, file)));
    }
    out->push_back(std::move(profile));
  }
  return true;
}

void FindPlaceProfiles(const platform::BrowserDataFolders& folders,
                       const BrowserInfo& browser, const Place& place,
                       std::vector<BrowserProfile>* out) {
  const std::u16string path = PlacePath(folders, place, place.base, place.path);
  if (path.empty()) return;
  if (browser.family == BrowserFamily::kChromium) {
    FindChromiumProfiles(browser, place, path, out);
    return;
  }
  const std::u16string alt =
      PlacePath(folders, place, place.alt_base, place.alt_path);
  // The browser's own choice: the older root where it holds a profiles.ini
  // (Firefox keeps using it), else the newer one; only when that holds no
  // profile either are the older root's profile folders taken.
  if (alt.empty() || platform::PathExists(Below(path, u"profiles.ini"))) {
    FindFirefoxProfiles(browser, place, path, out);
  } else if (!FindFirefoxProfiles(browser, place, alt, out)) {
    FindFirefoxProfiles(browser, place, path, out);
  }
}

}  // namespace

const std::vector<BrowserInfo>& KnownBrowsers() {
  static const std::vector<BrowserInfo> kBrowsers = {
      {u"chrome", u"Google Chrome", BrowserFamily::kChromium, {}},
      {u"chromium", u"Chromium", BrowserFamily::kChromium, {}},
      {u"edge", u"Microsoft Edge", BrowserFamily::kChromium,
       {u"msedge", u"microsoft-edge"}},
      {u"brave", u"Brave", BrowserFamily::kChromium, {u"brave"}},
      {u"vivaldi", u"Vivaldi", BrowserFamily::kChromium,
       {u"vivaldi", u"vivaldi-bin"}},
      {u"firefox", u"Firefox", BrowserFamily::kFirefox, {}},
      {u"librewolf", u"LibreWolf", BrowserFamily::kFirefox,
       {u"librewolf", u"librewolf-bin"}},
      {u"waterfox", u"Waterfox", BrowserFamily::kFirefox,
       {u"waterfox", u"waterfox-bin"}},
  };
  return kBrowsers;
}

const BrowserInfo* FindBrowser(const std::u16string& key) {
  for (const BrowserInfo& browser : KnownBrowsers()) {
    if (EqualsNoCase(key, browser.key)) return &browser;
  }
  return nullptr;
}

const char16_t* InstallKindName(InstallKind kind) {
  switch (kind) {
    case InstallKind::kNative:
      return u"native";
    case InstallKind::kFlatpak:
      return u"flatpak";
    case InstallKind::kSnap:
      return u"snap";
  }
  return u"";
}

std::u16string DescribeProfile(const BrowserProfile& profile) {
  std::u16string text = profile.browser + u" (" +
                        InstallKindName(profile.install) +
                        (profile.is_default ? u", default" : u"") + u") \"" +
                        profile.name + u"\"";
  if (profile.name != profile.folder_name) {
    text += u" [" + profile.folder_name + u"]";
  }
  return text + u" " + profile.folder;
}

std::vector<BrowserProfile> FindProfilesIn(
    const platform::BrowserDataFolders& folders) {
  std::vector<BrowserProfile> profiles;
  for (const BrowserInfo& browser : KnownBrowsers()) {
    for (const Place& place : kPlaces) {
      if (std::u16string(place.browser) != browser.key) continue;
      FindPlaceProfiles(folders, browser, place, &profiles);
    }
  }
  return profiles;
}

std::vector<BrowserProfile> FindProfiles() {
  platform::BrowserDataFolders folders;
  {
    // The shell folders of the desktop user, as the locators look them up.
    ImpersonateAsUser();
    folders = platform::GetBrowserDataFolders();
    platform::RevertToSelf();
  }
  return FindProfilesIn(folders);
}

}  // namespace marksafe
