#include "backup_set/part_source.h"

#include "base/text.h"
#include "platform/file_names.h"

namespace marksafe {
namespace backup_set {

PartSource PartSourceOfStore(const std::u16string& store,
                             BrowserFamily family) {
  PartSource source;
  BrowserProfile profile;
  if (store.find_first_of(u"\\/") != std::u16string::npos &&
      FindProfile(u"", store, &profile).ok() && profile.family == family) {
    source.browser = profile.browser;
    source.profile = profile.name;
    source.profile_folder = DisplayPath(profile.folder);
    return source;
  }
  const size_t slash = store.find_last_of(u"\\/");
  if (slash == std::u16string::npos || slash == 0) return source;
  const std::u16string folder = store.substr(0, slash);
  source.profile_folder = DisplayPath(folder);
  const size_t name = folder.find_last_of(u"\\/");
  source.profile =
      name == std::u16string::npos ? folder : folder.substr(name + 1);
  return source;
}

}  // namespace backup_set
}  // namespace marksafe
