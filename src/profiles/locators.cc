#include "profiles/locators.h"

#include <vector>

#include "base/text.h"
#include "platform/debug_log.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "profiles/browser_profiles.h"
#include "profiles/firefox_profiles.h"

namespace marksafe {
namespace {

constexpr size_t kPathChars = 259;        // a path buffer less its terminator
constexpr size_t kChromePathChars = 258;  // the Chrome locator's own bound
constexpr size_t kTrayNameSize = 260;

const char16_t kIeExecutable[] = u"Internet Explorer\\iexplore.exe";
const char16_t kFirefoxBelowAppData[] = u"Mozilla\\Firefox";
const char16_t kProfilesBelowAppData[] = u"Mozilla\\Firefox\\Profiles\\";
const char16_t kChromeBelowLocalXp[] =
    u"\\Local Settings\\Application Data\\Google\\Chrome\\User Data\\Default"
    u"\\Bookmarks";
const char16_t kChromeBelowLocal[] =
    u"\\Local\\Google\\Chrome\\User Data\\Default\\Bookmarks";

// Acts as the desktop user for the life of the object: a shell-folder
// look-up is made between construction and destruction, nothing else.
class AsDesktopUser {
 public:
  AsDesktopUser() { ImpersonateAsUser(); }
  ~AsDesktopUser() { platform::RevertToSelf(); }
  AsDesktopUser(const AsDesktopUser&) = delete;
  AsDesktopUser& operator=(const AsDesktopUser&) = delete;
};

Status ShellFolderAsUser(platform::ShellFolder folder, std::u16string* path) {
  AsDesktopUser as_user;
  Status status = platform::GetShellFolder(folder, path);
  if (!status.ok()) path->clear();
  return status;
}

std::u16string ShellFolderAsUser(platform::ShellFolder folder) {
  std::u16string path;
  (void)ShellFolderAsUser(folder, &path);
  return path;
}

Status NoFirefoxProfile() {
  return Status::Error(kErrorPathNotFound, u"no Firefox profile");
}

// The first directory of profiles_folder whose name contains ".default"
// (case-sensitive, anywhere in the name), in listing order; fails when the
// folder cannot be listed or holds none.
Status PickProfile(const std::u16string& profiles_folder, std::u16string* out) {
  std::vector<platform::DirEntry> entries;
  Status status = platform::ListDirectory(profiles_folder, &entries);
  if (!status.ok()) return status;
  for (const platform::DirEntry& entry : entries) {
    if (!entry.is_directory) continue;
    if (entry.name == u"." || entry.name == u"..") continue;
    if (entry.name.find(u".default") == std::u16string::npos) continue;
    std::u16string profile = JoinPath(profiles_folder, entry.name);
    status = platform::FindEntry(profile);
    if (status.ok()) *out = std::move(profile);
    return status;
  }
  return NoFirefoxProfile();
}

enum class Native { kNotApplicable, kNone, kFound };

// Outside the Windows layout: the default profile of the family's native
// installations, as the profile search finds it (for Firefox only Firefox
// itself; for Chrome any browser of the family whose user-data folder lies
// in the configuration folder, the one whose Local State was written last).
Native NativeDefault(BrowserFamily family, BrowserProfile* out) {
  platform::BrowserDataFolders folders;
  {
    AsDesktopUser as_user;
    folders = platform::GetBrowserDataFolders();
  }
  if (folders.windows_layout) return Native::kNotApplicable;
  std::vector<BrowserProfile> native;
  for (BrowserProfile& profile : FindProfilesIn(folders)) {
    if (profile.install != InstallKind::kNative || profile.family != family ||
        (family == BrowserFamily::kFirefox && profile.browser != u"firefox")) {
      continue;
    }
    native.push_back(std::move(profile));
  }
  return PickFamilyDefault(native, family, out).ok() ? Native::kFound
                                                     : Native::kNone;
}

}  // namespace

std::u16string ParentFolder(std::u16string path) {
  while (EndsWithSeparator(path)) path.pop_back();
  size_t cut = path.find_last_of(u"\\/");
  if (cut != std::u16string::npos) path.resize(cut);
  return path;
}

int32_t ImpersonateAsUser() {
  return platform::ImpersonateDesktopUser([] {
    std::u16string name;
    ReadTrayName(&name);
    return name;
  });
}

bool ReadTrayName(std::u16string* out) {
  if (out == nullptr) return false;
  out->clear();
  const std::u16string folder = platform::LibraryFolder();
  // Without the library's own folder there is no settings file to read (a
  // bare name would be looked for in some unrelated folder).
  if (folder.empty()) return true;
  *out = platform::GetProfileString(u"TRAY", u"name", u"", kTrayNameSize,
                                    JoinPath(folder, u"Tembrel.ini"));
  return true;
}

Status LocateFavorites(std::u16string* out) {
  std::u16string program_files;
  Status status;
  {
    AsDesktopUser as_user;
    status = platform::GetShellFolder(platform::ShellFolder::kFavorites, out);
    if (!status.ok()) out->clear();
    DebugLog(u"SHGetSpecialFolderPathW: pFolderOut=%s\n", out->c_str());
    Status found = platform::GetShellFolder(
        platform::ShellFolder::kProgramFiles, &program_files);
    if (!found.ok()) program_files.clear();
    status.Update(std::move(found));
  }
  if (!status.ok()) return status;
  // A failed look-up gives no folder at all; an empty path would name the
  // root of the current drive.
  if (out->empty() || program_files.empty()) {
    return Status::Error(kErrorPathNotFound, u"no Favorites folder");
  }
  return platform::OkOr(
      platform::PathExists(JoinPath(program_files, kIeExecutable)), u"find",
      kIeExecutable);
}

// The profile in use: the one profiles.ini (or installs.ini) beside the
// profiles names, else the first "*.default" folder of the old rule.
Status LocateFirefoxProfile(std::u16string* out) {
  out->clear();
  BrowserProfile profile;
  Status status;
  switch (NativeDefault(BrowserFamily::kFirefox, &profile)) {
    case Native::kFound:
      *out = profile.folder;
      break;
    case Native::kNone:
      break;
    case Native::kNotApplicable: {
      std::u16string app_data;
      status =
          ShellFolderAsUser(platform::ShellFolder::kRoamingAppData, &app_data);
      if (!status.ok() || app_data.empty()) break;
      *out = ProfileFromIni(JoinPath(app_data, kFirefoxBelowAppData));
      if (out->empty()) {
        status = PickProfile(JoinPath(app_data, kProfilesBelowAppData), out);
      }
      break;
    }
  }
  // A path this short names no profile folder.
  if (out->size() >= 5) return Status::Ok();
  out->clear();
  return status.ok() ? NoFirefoxProfile() : status;
}

bool LocateChromeFile(std::u16string* out) {
  std::u16string path;
  BrowserProfile profile;
  switch (NativeDefault(BrowserFamily::kChromium, &profile)) {
    case Native::kFound:
      path = profile.store;
      break;
    case Native::kNone:
      return false;
    case Native::kNotApplicable: {
      const std::u16string app_data =
          ShellFolderAsUser(platform::ShellFolder::kRoamingAppData);
      if (app_data.empty()) return false;
      // The roaming folder's parent holds the local application data.
      path = ParentFolder(app_data) + (platform::OsMajorVersion() == 5
                                           ? kChromeBelowLocalXp
                                           : kChromeBelowLocal);
      break;
    }
  }
  if (!platform::PathExists(path)) return false;
  if (path.size() > 8 && out != nullptr) {
    *out = Truncated(path, kChromePathChars);
  }
  return true;
}

bool IsInstalledIe() {
  const std::u16string program_files =
      ShellFolderAsUser(platform::ShellFolder::kProgramFiles);
  if (program_files.empty()) return false;
  return platform::PathExists(JoinPath(program_files, kIeExecutable));
}

Status GetIePath(std::u16string* out) {
  std::u16string favorites;
  Status status = LocateFavorites(&favorites);
  if (status.ok()) *out = Truncated(favorites, kPathChars);
  return status;
}

bool IsInstalledFirefox(std::u16string* out) {
  std::u16string profile;
  if (!LocateFirefoxProfile(&profile).ok()) return false;
  // A native profile's path has "/" separators only; it keeps them.
  const bool native = profile[0] == u'/' &&
                      profile.find(u'\\') == std::u16string::npos;
  const std::u16string places = native ? profile + u"/places.sqlite"
                                       : JoinPath(profile, u"places.sqlite");
  // A missing file leaves the existence test's last-error value.
  if (!platform::PathExists(places)) return false;
  if (out != nullptr) *out = Truncated(places, kPathChars);
  return true;
}

bool IsInstalledChrome(std::u16string* out) { return LocateChromeFile(out); }

bool IsBrowserRunningFirefox() {
  return platform::BrowserIsRunning(platform::Browser::kFirefox);
}

bool IsBrowserRunningChrome() {
  return platform::BrowserIsRunning(platform::Browser::kChrome);
}

bool CloseFirefox() {
  platform::AskBrowserToClose(platform::Browser::kFirefox);
  return !platform::BrowserIsRunning(platform::Browser::kFirefox);
}

bool CloseChrome() {
  platform::AskBrowserToClose(platform::Browser::kChrome);
  return !platform::BrowserIsRunning(platform::Browser::kChrome);
}

}  // namespace marksafe
