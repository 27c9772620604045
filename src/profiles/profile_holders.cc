// Whether a running browser holds a profile, and closing only the browser
// processes that hold it: the one that owns the profile's lock, and those
// whose command line names the profile (Chromium's --user-data-dir,
// Firefox's -profile or -P). Other instances of the same browser, on other
// profiles, are left running.
#include <algorithm>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "profiles/browser_profiles.h"

namespace marksafe {
namespace {

// The folder whose lock tells whether the profile is held: Chromium locks
// the whole user-data folder, Firefox the profile folder.
const std::u16string& LockedFolder(const BrowserProfile& profile) {
  return profile.family == BrowserFamily::kChromium ? profile.data_folder
                                                    : profile.folder;
}

// Paths compared with either separator and without trailing ones; letter
// case is ignored for Windows paths (those that do not start with "/").
bool SameFolder(std::u16string a, std::u16string b) {
  for (std::u16string* path : {&a, &b}) {
    std::replace(path->begin(), path->end(), u'\\', u'/');
    while (path->size() > 1 && path->back() == u'/') path->pop_back();
  }
  if (a.empty() || b.empty()) return false;
  return a[0] == u'/' ? a == b : EqualsNoCase(a, b);
}

// The value of an option given as "name=value" or as "name" "value"; the
// names are matched exactly. False when the option is absent.
bool OptionValue(const std::vector<std::u16string>& args,
                 const std::vector<std::u16string>& names, bool separate,
                 std::u16string* value) {
  for (size_t i = 0; i < args.size(); ++i) {
    for (const std::u16string& name : names) {
      const std::u16string& arg = args[i];
      if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
          arg[name.size()] == u'=') {
        *value = arg.substr(name.size() + 1);
        return true;
      }
      if (separate && arg == name) {
        *value = i + 1 < args.size() ? args[i + 1] : std::u16string();
        return true;
      }
    }
  }
  return false;
}

enum class Claim { kOther, kThis, kUnnamed };

// Which profile a process's command line names: this one, another one, or
// none (the browser then uses its default).
Claim ClaimOf(const BrowserProfile& profile,
              const std::vector<std::u16string>& args) {
  std::u16string value;
  if (profile.family == BrowserFamily::kChromium) {
    if (!OptionValue(args, {u"--user-data-dir"}, false, &value)) {
      return Claim::kUnnamed;
    }
    return SameFolder(value, profile.data_folder) ? Claim::kThis
                                                  : Claim::kOther;
  }
  if (OptionValue(args, {u"-profile", u"--profile"}, true, &value)) {
    return SameFolder(value, profile.folder) ? Claim::kThis : Claim::kOther;
  }
  if (OptionValue(args, {u"-P", u"--P", u"-p", u"--p"}, true, &value)) {
    return value == profile.name ? Claim::kThis : Claim::kOther;
  }
  return Claim::kUnnamed;
}

// The main processes of the profile's browser that hold the profile: the
// lock's owner where the system names it, and those whose command line
// names the profile. Where no owner is known (Windows), a process that names
// no profile holds its installation's default one.
std::vector<int64_t> ProfileHolders(const BrowserProfile& profile) {
  const bool chromium = profile.family == BrowserFamily::kChromium;
  const BrowserInfo* info = FindBrowser(profile.browser);
  const std::vector<std::u16string> no_programs;
  const std::vector<platform::BrowserProcess> processes =
      platform::BrowserProcesses(
          chromium ? platform::Browser::kChrome : platform::Browser::kFirefox,
          info != nullptr ? info->programs : no_programs);
  const int64_t owner =
      platform::ProfileLockOwner(LockedFolder(profile), chromium);
  const bool default_profile =
      profile.install == InstallKind::kNative &&
      (chromium || profile.is_default);
  std::vector<int64_t> holders;
  for (const platform::BrowserProcess& process : processes) {
    const Claim claim = ClaimOf(profile, process.args);
    if (process.pid == owner || claim == Claim::kThis ||
        (owner == 0 && claim == Claim::kUnnamed && default_profile)) {
      holders.push_back(process.pid);
    }
  }
  return holders;
}

}  // namespace

bool ProfileInUse(const BrowserProfile& profile) {
  const std::u16string flatpak =
      profile.install == InstallKind::kFlatpak ? profile.app : std::u16string();
  if (profile.family == BrowserFamily::kChromium) {
    return platform::ChromiumUserDataInUse(profile.data_folder, flatpak);
  }
  return platform::FirefoxProfileInUseBy(profile.folder, flatpak);
}

bool CloseProfileHolder(const BrowserProfile& profile) {
  if (!ProfileInUse(profile)) return true;
  const std::vector<int64_t> holders = ProfileHolders(profile);
  if (!holders.empty()) platform::AskProcessesToClose(holders);
  return !ProfileInUse(profile);
}

}  // namespace marksafe
