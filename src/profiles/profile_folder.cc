// A profile named by its folder outside every installation the search
// finds, as a person who starts a browser on a folder of its own names it.
#include <string>
#include <utility>

#include "base/text.h"
#include "platform/platform.h"
#include "profiles/browser_profiles.h"
#include "profiles/locators.h"

namespace marksafe {

bool ProfileAtFolder(const std::u16string& path, const BrowserInfo* browser,
                     BrowserProfile* out) {
  std::u16string folder = Below(path, u"");
  if (!platform::IsDirectory(folder)) {
    // A store file names its profile folder.
    const std::u16string leaf = LastComponent(folder);
    if (leaf != u"Bookmarks" && leaf != u"places.sqlite") return false;
    folder = ParentFolder(folder);
    if (folder.empty() || !platform::IsDirectory(folder)) return false;
  }
  const std::u16string user_data = ParentFolder(folder);
  BrowserFamily family = BrowserFamily::kFirefox;
  if (!user_data.empty() &&
      platform::PathExists(Below(user_data, u"Local State")) &&
      (platform::PathExists(Below(folder, u"Preferences")) ||
       platform::PathExists(Below(folder, u"Bookmarks")))) {
    family = BrowserFamily::kChromium;
  } else if (!LooksLikeFirefoxProfile(folder)) {
    return false;
  }
  if (browser != nullptr && browser->family != family) return false;
  const bool chromium = family == BrowserFamily::kChromium;
  BrowserProfile profile;
  profile.browser = browser != nullptr ? std::u16string(browser->key)
                    : chromium         ? u"chromium"
                                       : u"firefox";
  profile.family = family;
  profile.data_folder = user_data;
  profile.folder = folder;
  profile.folder_name = profile.name = LastComponent(folder);
  profile.store = Below(folder, chromium ? u"Bookmarks" : u"places.sqlite");
  *out = std::move(profile);
  return true;
}

}  // namespace marksafe
