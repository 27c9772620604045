// Whose bookmarks a store holds, as a part's manifest records it.
#ifndef MARKSAFE_BACKUP_SET_PART_SOURCE_H_
#define MARKSAFE_BACKUP_SET_PART_SOURCE_H_

#include <string>

#include "backup_set/manifest.h"
#include "profiles/browser_profiles.h"

namespace marksafe {
namespace backup_set {

// The browser, profile name and folder of the profile that keeps store
// (places.sqlite or Bookmarks) among the user's profiles of family. A store
// in no known profile gives its folder and that folder's name, and no
// browser.
PartSource PartSourceOfStore(const std::u16string& store,
                             BrowserFamily family);

}  // namespace backup_set
}  // namespace marksafe

#endif  // MARKSAFE_BACKUP_SET_PART_SOURCE_H_
