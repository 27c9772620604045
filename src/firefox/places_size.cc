#include "firefox/places_size.h"

#include <memory>
#include <string>

#include "common/backup_set.h"
#include "common/folder_tree.h"
#include "common/locators.h"
#include "common/text.h"
#include "firefox/sql_text.h"
#include "ie/favorites_backup.h"
#include "platform/platform.h"

namespace marksafe {
namespace firefox {
namespace {

struct HandleDeleter {
  void operator()(ms_places* handle) const { DestroyPlacesHandle(handle); }
};

}  // namespace

void CountBookmarks(ms_places* handle, int32_t* folder_count,
                    int32_t* link_count) {
  SQLite::Database& db = handle->database;
  SQLite::Table folders = db.Query(
      u"select bookmark.id from moz_bookmarks as bookmark where "
      u"bookmark.type=2 and bookmark.title!='' and id!=4 and id!=3 and "
      u"parent!=3 and parent!=4 order by bookmark.id asc;");
  *folder_count = folders.RowCount() - 1;

  SQLite::Table toolbar_items =
      db.Query(u"select id from moz_bookmarks where parent=3 and fk is null;");
  std::u16string sql;
  const char16_t* first = toolbar_items.GetValue(0);
  // The first non-link item under the toolbar is left out of the links.
  if (toolbar_items.RowCount() > 0 && first != nullptr) {
    sql = FormatSql(
        u"select moz_bookmarks.id from moz_bookmarks, moz_places \t\twhere "
        u"moz_bookmarks.type=1 and moz_bookmarks.fk=moz_places.id and "
        u"moz_bookmarks.parent>=2 and moz_places.id>3 and parent!=%s and "
        u"(moz_places.url like 'ftp%%' or moz_places.url like 'http://%%' "
        u"or moz_places.url like 'https://%%')",
        {NumberText(LeadingNumber(first))});
  } else {
    sql =
        u"select moz_bookmarks.id from moz_bookmarks, moz_places \t\twhere "
        u"moz_bookmarks.type=1 and moz_bookmarks.fk=moz_places.id and "
        u"moz_bookmarks.parent>=2 and moz_places.id>3 and "
        u"(moz_places.url like 'ftp%' or moz_places.url like 'http://%' or "
        u"moz_places.url like 'https://%')";
  }
  *link_count = db.Query(sql.c_str()).RowCount();
}

bool GetFirefoxBkSize(const char16_t* backup_path, bool into_backup_set,
                      uint64_t* size, int32_t* folder_count,
                      int32_t* link_count) {
  if (backup_path == nullptr || size == nullptr) return false;
  std::u16string folder =
      ResolveBackupPath(backup_path, into_backup_set, BackupPart::kFirefox);
  return ie::GetIeFavoritesSize(folder.c_str(), false, size, folder_count,
                                link_count);
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
  CountBookmarks(handle.get(), folder_count, link_count);
  return true;
}

}  // namespace firefox
}  // namespace marksafe
