#include "stores/places/places_size.h"

#include <sqlite3.h>

#include <memory>
#include <string>

#include "backup_set/backup_set.h"
#include "backup_set/folder_tree.h"
#include "backup_set/part.h"
#include "platform/platform.h"
#include "profiles/locators.h"
#include "stores/places/places_reader.h"
#include "stores/places/sqlite/statement.h"
#include "stores/url_folder/favorites_backup.h"

namespace marksafe {
namespace firefox {
namespace {

// What a read of the store would put below its roots, counted in the
// database: the menu, toolbar, unsorted and mobile roots (mobile only as a
// child of the places root), each row taken once (a root listed below
// another root is not entered again, nor are the places root and the tags
// root), folders entered down to the deepest level a tree holds, links only
// with a place that has a URL. The third figure counts the items below
// that level, which make a read fail. The folders are taken in one pass
// over the table and walked on their own; the other rows are then counted
// in a second pass by the depth of their folder. Walking the whole tree
// through the parent index instead would visit the table's rows in tree
// order, each a page of its own once the store outgrows the cache.
const char kCountBelowRoots[] =
    "with recursive roots(id) as (select id from moz_bookmarks where type = 2 "
    "and (id in (2, 3, 5) or (id = 6 and parent = 1))), "
    "all_folders(id, parent) as materialized (select id, parent from "
    "moz_bookmarks where type = 2), "
    "folders(id, depth) as (select id, 0 from roots union all select a.id, "
    "f.depth + 1 from all_folders a join folders f on a.parent = f.id where "
    "f.depth <= ?1 and a.id not in (1, 4) and a.id not in (select id from "
    "roots)), "
    "depths(id, depth) as materialized (select id, depth from folders), "
    "others(type, linked, depth) as (select b.type, b.type = 1 and exists "
    "(select 1 from moz_places p where p.id = b.fk and p.url is not null), "
    "d.depth + 1 from moz_bookmarks b cross join depths d on b.parent = d.id "
    "where d.depth <= ?1 and b.type != 2 and b.id not in (1, 4)) "
    "select (select count(*) from depths where depth between 1 and ?1), "
    "coalesce(sum(linked and depth <= ?1), 0), "
    "coalesce(sum(depth > ?1 and (type = 3 or linked)), 0) + "
    "(select count(*) from depths where depth > ?1) from others";

struct HandleDeleter {
  void operator()(ms_places* handle) const { DestroyPlacesHandle(handle); }
};

}  // namespace

Status CountBookmarks(ms_places* handle, int32_t* folder_count,
                      int32_t* link_count) {
  if (handle == nullptr || !handle->database.HasConnection()) {
    return CouldNot(kErrorNotConnected, u"count the bookmarks");
  }
  int64_t folders = 0, links = 0, too_deep = 0;
  bool counted = false;
  const int rc = handle->database.ForEachRow(
      kCountBelowRoots, {model::kMaxDepth}, [&](const SQLite::Statement& r) {
        folders = r.Integer(0);
        links = r.Integer(1);
        too_deep = r.Integer(2);
        counted = true;
      });
  // A tree deeper than a backup can hold is not read, so not counted; a
  // store that cannot be read fails as the reader's own reads do.
  if (rc != SQLITE_OK || !counted || too_deep != 0) {
    return CouldNot(kErrorInvalidData, u"count the bookmarks of",
                    handle->databasePath);
  }
  *folder_count = static_cast<int32_t>(folders);
  *link_count = static_cast<int32_t>(links);
  return Status::Ok();
}

Status GetFirefoxBkSize(const char16_t* backup_path, bool into_backup_set,
                        uint64_t* size, int32_t* folder_count,
                        int32_t* link_count) {
  std::u16string folder =
      ResolveBackupPath(backup_path, into_backup_set, BackupPart::kFirefox);
  int32_t folders = 0;
  int32_t links = 0;
  Status measured =
      ie::GetIeFavoritesSize(folder.c_str(), false, size, &folders, &links);
  if (!measured.ok()) return measured;
  // A part is counted as it will be restored.
  static_cast<void>(backup_set::CountPart(
      folder, backup_set::PartKind::kFirefox, false, &folders, &links));
  if (folder_count != nullptr) *folder_count = folders;
  if (link_count != nullptr) *link_count = links;
  return Status::Ok();
}

Status GetFirefoxBookmarkSize(const char16_t* backup_path, bool into_backup_set,
                              uint64_t* size, int32_t* folder_count,
                              int32_t* link_count) {
  if (backup_path != nullptr) {
    return GetFirefoxBkSize(backup_path, into_backup_set, size, folder_count,
                            link_count);
  }
  std::u16string profile;
  const Status found = LocateFirefoxProfile(&profile);
  if (!found.ok()) return CouldNot(found.code(), u"find the Firefox profile");
  std::u16string path = profile + kPlacesFileName;
  bool exists = platform::PathExists(path);
  Status sized = exists ? platform::GetFileSize(path, size) : Status::Ok();
  if (!sized.ok()) return sized;
  Status built;
  std::unique_ptr<ms_places, HandleDeleter> handle(
      BuildPlacesHandle(path, &built));
  // A places file that is no database must not read as an empty store
  // (InitBookmark refuses it the same way).
  if (!handle || !handle->database.HasConnection() ||
      (exists && !PlacesReadable(handle.get()))) {
    return CouldNot(built.ok() ? kErrorInvalidData : built.code(), u"open",
                    path);
  }
  if (!exists) {  // nothing to back up: not created, nothing counted
    *folder_count = 0;
    *link_count = 0;
    return Status::Ok();
  }
  return CountBookmarks(handle.get(), folder_count, link_count);
}

}  // namespace firefox
}  // namespace marksafe
