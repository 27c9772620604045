#include "firefox/places_size.h"

#include <memory>
#include <string>

#include "backup_set/part.h"
#include "common/backup_set.h"
#include "common/folder_tree.h"
#include "common/locators.h"
#include "firefox/places_reader.h"
#include "ie/favorites_backup.h"
#include "platform/platform.h"

namespace marksafe {
namespace firefox {
namespace {

// Adds what lies below every root of tree.
void CountRoots(const model::Tree& tree, int32_t* folder_count,
                int32_t* link_count) {
  model::Counts counts;
  for (model::Root root : model::kAllRoots) {
    if (tree.root(root) != model::kNoItem) {
      counts += model::CountBelow(tree, tree.root(root));
    }
  }
  *folder_count += static_cast<int32_t>(counts.folders);
  *link_count += static_cast<int32_t>(counts.links);
}

struct HandleDeleter {
  void operator()(ms_places* handle) const { DestroyPlacesHandle(handle); }
};

}  // namespace

bool CountBookmarks(ms_places* handle, int32_t* folder_count,
                    int32_t* link_count) {
  model::Tree tree;
  if (!ReadPlaces(handle, &tree).ok()) return false;
  *folder_count = 0;
  *link_count = 0;
  CountRoots(tree, folder_count, link_count);
  return true;
}

bool GetFirefoxBkSize(const char16_t* backup_path, bool into_backup_set,
                      uint64_t* size, int32_t* folder_count,
                      int32_t* link_count) {
  if (backup_path == nullptr || size == nullptr) return false;
  std::u16string folder =
      ResolveBackupPath(backup_path, into_backup_set, BackupPart::kFirefox);
  int32_t folders = 0;
  int32_t links = 0;
  if (!ie::GetIeFavoritesSize(folder.c_str(), false, size, &folders,
                              &links)) {
    return false;
  }
  // A part is counted as it will be restored: its manifest knows what the
  // .url files cannot show.
  model::Tree part;
  if (backup_set::ReadPart(folder, backup_set::PartKind::kFirefox, &part)
          .ok()) {
    folders = 0;
    links = 0;
    CountRoots(part, &folders, &links);
  }
  if (folder_count != nullptr) *folder_count = folders;
  if (link_count != nullptr) *link_count = links;
  return true;
}

bool GetFirefoxBookmarkSize(const char16_t* backup_path, bool into_backup_set,
                            uint64_t* size, int32_t* folder_count,
                            int32_t* link_count) {
  if (size == nullptr || folder_count == nullptr || link_count == nullptr) {
    return false;
  }
  if (backup_path != nullptr) {
    int32_t folders = 0;
    int32_t links = 0;
    if (!GetFirefoxBkSize(backup_path, into_backup_set, size, &folders,
                          &links)) {
      return false;
    }
    *folder_count = folders;
    *link_count = links;
    return true;
  }
  std::u16string profile = LocateFirefoxProfile();
  if (profile.size() < 5) return false;
  std::u16string path = profile + kPlacesFileName;
  bool exists = platform::PathExists(path);
  if (exists && !FileSize(path, size)) return false;
  std::unique_ptr<ms_places, HandleDeleter> handle(BuildPlacesHandle(path));
  if (!handle || !handle->database.HasConnection()) return false;
  // A places file that is no database must not read as an empty store.
  if (exists && !PlacesReadable(handle.get())) return false;
  if (!exists) {  // nothing to back up: not created, nothing counted
    *folder_count = 0;
    *link_count = 0;
    return true;
  }
  return CountBookmarks(handle.get(), folder_count, link_count);
}

}  // namespace firefox
}  // namespace marksafe
