#include "stores/places/places_statements.h"

#include <sqlite3.h>

#include "platform/debug_log.h"
#include "platform/platform.h"
#include "stores/places/places_keys.h"

namespace marksafe {
namespace firefox {

namespace {

using SQLite::Statement;
using SQLite::Value;

// Every statement is prepared once per connection and run with its values
// bound as parameters.
const char kPlaceByUrlOld[] = "select id from moz_places where url=?";
const char kPlaceByUrlToday[] =
    "select id from moz_places where url_hash=? and url=?";
const char kNextPlaceId[] = "select max(id)+1 from moz_places";
const char kInsertPlaceOld[] =
    "insert into moz_places(id, url, title, favicon_id) "
    "values(?, ?, ?, NULL)";
// Today's store: the columns are named, the hash and guid are Firefox's,
// frecency keeps its default, and foreign_count counts the bookmarks and
// keywords that point at the place (raised as each one is added).
const char kInsertPlaceToday[] =
    "insert into moz_places(url, title, rev_host, guid, url_hash, "
    "foreign_count) values(?, ?, ?, ?, ?, 0)";
const char kCountForeignUse[] =
    "update moz_places set foreign_count = foreign_count + 1 where id=?";
const char kNextBookmarkId[] = "select max(id)+1 from moz_bookmarks";
const char kInsertBookmarkOld[] =
    "insert into moz_bookmarks(id, type, fk, parent, position, title, "
    "dateAdded, lastModified) values(?, ?, ?, ?, ?, ?, ?, ?)";
const char kInsertBookmarkToday[] =
    "insert into moz_bookmarks(type, fk, parent, position, title, "
    "dateAdded, lastModified, guid) values(?, ?, ?, ?, ?, ?, ?, ?)";
const char kDeleteBookmark[] = "delete from moz_bookmarks where id=?";
const char kBookmarksColumns[] = "pragma table_info(moz_bookmarks)";
const char kKeywordsColumns[] = "pragma table_info(moz_keywords)";

// A new guid may meet one that exists (1 in 2^72): try again a few times.
constexpr int kGuidAttempts = 3;

// The first column of the first row of a one-value query, as an integer;
// *found tells whether there was a non-NULL value. False when it failed.
bool OneInteger(ms_places* handle, const char* sql,
                std::initializer_list<Value> values, int64_t* out,
                bool* found) {
  *found = false;
  *out = 0;
  int rc = handle->database.ForEachRow(sql, values, [&](const Statement& row) {
    if (*found || row.IsNull(0)) return;
    *found = true;
    *out = row.Integer(0);
  });
  return rc == SQLITE_OK;
}

// The next id of a table (max + 1, or 1 in an empty table); 0 when the
// query failed.
int64_t NextId(ms_places* handle, const char* sql) {
  int64_t id = 0;
  bool found = false;
  if (!OneInteger(handle, sql, {}, &id, &found)) return 0;
  return found ? id : 1;
}

// Runs an insert that carries a new guid as its last value, drawing a
// fresh guid when the first one is taken.
template <typename Insert>
int RunWithGuid(const Insert& insert) {
  int rc = SQLITE_ERROR;
  for (int attempt = 0; attempt < kGuidAttempts; ++attempt) {
    std::string guid;
    if (!NewGuid(&guid)) {
      DebugLog(u"[FirefoxBookmark].No random bytes for a guid\n");
      return SQLITE_ERROR;
    }
    rc = insert(guid);
    if ((rc & 0xFF) != SQLITE_CONSTRAINT) return rc;
  }
  return rc;
}

}  // namespace

int64_t FindPlaceByUrl(ms_places* handle, const std::u16string& url) {
  int64_t id = 0;
  bool found = false;
  if (Today(handle)) {
    const std::string utf8 = platform::ToUtf8(url);
    OneInteger(handle, kPlaceByUrlToday, {UrlHash(utf8), Value::Utf8(utf8)},
               &id, &found);
  } else {
    OneInteger(handle, kPlaceByUrlOld, {url}, &id, &found);
  }
  return found ? id : 0;
}

int64_t InsertURL(ms_places* handle, const std::u16string& url,
                  const std::u16string& title) {
  SQLite::Database& db = handle->database;
  if (Today(handle)) {
    const std::string utf8 = platform::ToUtf8(url);
    const std::string rev_host = ReversedHost(utf8);
    const Value host = rev_host.empty() ? Value() : Value::Utf8(rev_host);
    int rc = RunWithGuid([&](const std::string& guid) {
      return db.Run(kInsertPlaceToday, {Value::Utf8(utf8), title, host,
                                        Value::Utf8(guid), UrlHash(utf8)});
    });
    return rc == SQLITE_OK ? db.LastInsertId() : 0;
  }
  int64_t id = NextId(handle, kNextPlaceId);
  if (id == 0) return 0;
  if (db.Run(kInsertPlaceOld, {id, url, title}) != SQLITE_OK) return 0;
  return id;
}

int64_t InsertBookmark(ms_places* handle, const BookmarkRow& row) {
  SQLite::Database& db = handle->database;
  const Value fk = row.fk == 0 ? Value() : Value(row.fk);
  const int64_t modified =
      row.last_modified != 0 ? row.last_modified : row.date_added;
  if (!Today(handle)) {
    int64_t id = NextId(handle, kNextBookmarkId);
    if (id == 0) return 0;
    if (db.Run(kInsertBookmarkOld, {id, row.type, fk, row.parent,
                                    row.position, row.title, row.date_added,
                                    modified}) != SQLITE_OK) {
      return 0;
    }
    return id;
  }
  int rc = RunWithGuid([&](const std::string& guid) {
    return db.Run(kInsertBookmarkToday,
                  {row.type, fk, row.parent, row.position, row.title,
                   row.date_added, modified, Value::Utf8(guid)});
  });
  if (rc != SQLITE_OK) return 0;
  const int64_t id = db.LastInsertId();
  if (row.fk != 0 && !CountForeignUse(handle, row.fk)) {
    // A bookmark the place does not count would be lost to Firefox's
    // expiration: take it back.
    db.Run(kDeleteBookmark, {id});
    return 0;
  }
  return id;
}

bool CountForeignUse(ms_places* handle, int64_t place) {
  if (!Today(handle)) return true;
  return handle->database.Run(kCountForeignUse, {place}) == SQLITE_OK;
}

bool TableHasColumn(ms_places* handle, PlacesTable table,
                    const std::string& column) {
  bool found = false;
  handle->database.ForEachRow(
      table == PlacesTable::kBookmarks ? kBookmarksColumns : kKeywordsColumns,
      {}, [&](const Statement& row) {
        found = found || row.Utf8(1) == column;
      });
  return found;
}

}  // namespace firefox
}  // namespace marksafe
