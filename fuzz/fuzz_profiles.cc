// The files a browser leaves about its profiles, read by the profile
// search: profiles.ini and installs.ini of a Firefox root and the Local
// State of a Chromium user-data folder.
//
// The input is split at lines "----" into the three files. A made-up home
// folder holds a Firefox root and a Chromium user-data folder, each with a
// few profile folders (made once per process); each input rewrites only the
// three files. Whatever the files say, every profile found must lie inside
// its installation's folder, and an installation has at most one default.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "profiles/browser_profiles.h"

namespace {

using marksafe::platform::CreateDirectoryTree;
using marksafe::platform::WriteFile;

const std::u16string& Home() {
  static const std::u16string* home = [] {
    auto* made = new std::u16string(marksafe::fuzz::ScratchFolder() + u"home");
    bool ok = true;
    for (const char16_t* dir :
         {u"/.mozilla/firefox/a.default", u"/.mozilla/firefox/b.work",
          u"/.config/chromium/Default", u"/.config/chromium/Profile 1",
          u"/.config/chromium/Work", u"/outside"}) {
      ok = ok && CreateDirectoryTree(*made + dir).ok();
    }
    ok = ok && WriteFile(*made + u"/.mozilla/firefox/a.default/prefs.js", "").ok();
    if (!ok) __builtin_trap();
    return made;
  }();
  return *home;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marksafe;
  const std::u16string& home = Home();
  const std::vector<std::string> files =
      fuzz::Pieces(std::string(reinterpret_cast<const char*>(data), size));
  const bool written =
      WriteFile(home + u"/.mozilla/firefox/profiles.ini", files[0]).ok() &&
      WriteFile(home + u"/.mozilla/firefox/installs.ini", files[1]).ok() &&
      WriteFile(home + u"/.config/chromium/Local State", files[2]).ok();
  if (!written) __builtin_trap();

  platform::BrowserDataFolders folders;
  folders.home = home;
  folders.config = home + u"/.config";
  const std::vector<BrowserProfile> found = FindProfilesIn(folders);
  std::map<std::u16string, int> defaults;
  for (const BrowserProfile& profile : found) {
    if (!platform::ResolvesInside(profile.folder, profile.data_folder)) {
      __builtin_trap();
    }
    if (profile.is_default && ++defaults[profile.data_folder] > 1) {
      __builtin_trap();
    }
    (void)DescribeProfile(profile);
  }
  BrowserProfile picked;
  (void)PickFamilyDefault(found, BrowserFamily::kFirefox, &picked);
  (void)PickProfile(found, u"chromium", u"Work", &picked);
  return 0;
}
