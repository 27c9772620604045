#include "firefox/places_statements.h"

#include <sqlite3.h>

#include "common/debug_log.h"
#include "common/text.h"
#include "firefox/places_keys.h"
#include "firefox/sql_text.h"
#include "platform/platform.h"

namespace marksafe {
namespace firefox {

const char16_t kTypeLink[] = u"1";
const char16_t kTypeFolder[] = u"2";

namespace {

using SQLite::Statement;
using SQLite::Value;

// Every statement is prepared once per connection and run with its values
// bound as parameters. On the old schema they are the documented
// statements of that store, whose text form was:
//   select id from moz_places where url="%s";
//   select id from moz_bookmarks where fk=%s [and parent=%s]
//   select max(id)+1 from moz_places
//   insert into moz_places(id, url, title, favicon_id)
//       values(%s, "%s", "%s", NULL);
//   select max(id)+1 from moz_bookmarks
//   select max(position)+1 from moz_bookmarks where parent=%d;
//   insert into moz_bookmarks values(%s, %s, %s, %d, %s, "%s",
//       NULL,NULL,%s,NULL)
//   select id, parent, title from moz_bookmarks where id=2 or id=5;
//   select id from moz_bookmarks where title="%s" and parent=%s;
//   select id, parent, title from moz_bookmarks where parent=%s and type=2;
//   select url, moz_bookmarks.title from moz_bookmarks, moz_places  where
//       parent=%s and type=1 and fk=moz_places.id and (moz_places.url like
//       "http://%%" or moz_places.url like "https://%%" or moz_places.url
//       like "ftp://%%");
const char kPlaceByUrlOld[] = "select id from moz_places where url=?";
const char kPlaceByUrlToday[] =
    "select id from moz_places where url_hash=? and url=?";
const char kBookmarkOfPlace[] = "select id from moz_bookmarks where fk=?";
const char kBookmarkOfPlaceIn[] =
    "select id from moz_bookmarks where fk=? and parent=?";
const char kNextPlaceId[] = "select max(id)+1 from moz_places";
const char kInsertPlaceOld[] =
    "insert into moz_places(id, url, title, favicon_id) "
    "values(?, ?, ?, NULL)";
// Today's store: the columns are named, the hash and guid are Firefox's,
// frecency keeps its default, and foreign_count counts the bookmarks that
// point at the place (raised as each one is added).
const char kInsertPlaceToday[] =
    "insert into moz_places(url, title, rev_host, guid, url_hash, "
    "foreign_count) values(?, ?, ?, ?, ?, 0)";
const char kCountBookmarkOfPlace[] =
    "update moz_places set foreign_count = foreign_count + 1 where id=?";
const char kNextBookmarkId[] = "select max(id)+1 from moz_bookmarks";
const char kNextPosition[] =
    "select max(position)+1 from moz_bookmarks where parent=?";
const char kInsertBookmarkOld[] =
    "insert into moz_bookmarks values(?, ?, ?, ?, ?, ?, NULL, NULL, ?, NULL)";
const char kInsertBookmarkToday[] =
    "insert into moz_bookmarks(type, fk, parent, position, title, "
    "dateAdded, lastModified, guid) values(?, ?, ?, ?, ?, ?, ?, ?)";
const char kDeleteBookmark[] = "delete from moz_bookmarks where id=?";
const char kRootFolders[] =
    "select id, parent, title from moz_bookmarks where id=2 or id=5";
const char kFolderByTitle[] =
    "select id from moz_bookmarks where title=? and parent=? and type=2";
const char kChildFolders[] =
    "select id, parent, title from moz_bookmarks where parent=? and type=2";
const char kChildWebLinks[] =
    "select url, moz_bookmarks.title from moz_bookmarks, moz_places  "
    "where parent=? and type=1 and fk=moz_places.id and "
    "(moz_places.url like 'http://%' or moz_places.url like 'https://%' or "
    "moz_places.url like 'ftp://%')";

// A new guid may meet one that exists (1 in 2^72): try again a few times.
constexpr int kGuidAttempts = 3;

// True when text is a plain decimal integer (an optional "-", then digits
// only), the only form in which a value read from the store names an id.
bool IsDecimal(const std::u16string& text) {
  size_t i = (!text.empty() && text[0] == u'-') ? 1 : 0;
  if (i >= text.size() || text.size() - i > 18) return false;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
  }
  return true;
}

bool Today(const ms_places* handle) {
  return handle->schema == PlacesSchema::kToday;
}

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

bool BookmarkExists(ms_places* handle, const std::u16string& url,
                    const std::u16string& parent) {
  if (!parent.empty() && !IsDecimal(parent)) return false;
  std::vector<int64_t> places;
  auto collect = [&](const Statement& row) {
    places.push_back(row.Integer(0));
  };
  if (Today(handle)) {
    const std::string utf8 = platform::ToUtf8(url);
    handle->database.ForEachRow(kPlaceByUrlToday,
                                {UrlHash(utf8), Value::Utf8(utf8)}, collect);
  } else {
    handle->database.ForEachRow(kPlaceByUrlOld, {url}, collect);
  }
  for (int64_t place : places) {
    int64_t id = 0;
    bool found = false;
    if (parent.empty()) {
      OneInteger(handle, kBookmarkOfPlace, {place}, &id, &found);
    } else {
      OneInteger(handle, kBookmarkOfPlaceIn, {place, LeadingNumber(parent)},
                 &id, &found);
    }
    if (found) return true;
  }
  return false;
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

int64_t InsertBookmarks(ms_places* handle, const std::u16string& type,
                        int64_t fk, int64_t parent, const std::u16string& title,
                        const std::u16string& date_added, int64_t position) {
  if (!IsDecimal(type) || !IsDecimal(date_added)) return 0;
  SQLite::Database& db = handle->database;
  if (position < 0) {
    bool found = false;
    if (!OneInteger(handle, kNextPosition, {parent}, &position, &found)) {
      return 0;
    }
    if (!found) position = 0;
  }
  const Value fk_value = fk == 0 ? Value() : Value(fk);
  const int64_t date = LeadingNumber(date_added);
  if (!Today(handle)) {
    int64_t id = NextId(handle, kNextBookmarkId);
    if (id == 0) return 0;
    if (db.Run(kInsertBookmarkOld, {id, LeadingNumber(type), fk_value, parent,
                                    position, title, date}) != SQLITE_OK) {
      return 0;
    }
    return id;
  }
  int rc = RunWithGuid([&](const std::string& guid) {
    return db.Run(kInsertBookmarkToday,
                  {LeadingNumber(type), fk_value, parent, position, title, date,
                   date, Value::Utf8(guid)});
  });
  if (rc != SQLITE_OK) return 0;
  const int64_t id = db.LastInsertId();
  if (fk != 0 && db.Run(kCountBookmarkOfPlace, {fk}) != SQLITE_OK) {
    // A bookmark the place does not count would be lost to Firefox's
    // expiration: take it back.
    db.Run(kDeleteBookmark, {id});
    return 0;
  }
  return id;
}

bool ListChildFolders(ms_places* handle, const FolderRecord* folder,
                      std::vector<FolderRecord>* out) {
  auto append = [&](const Statement& row) {
    out->push_back({row.Text(0), row.Text(1), row.Text(2)});
  };
  if (folder == nullptr) {
    return handle->database.ForEachRow(kRootFolders, {}, append) == SQLITE_OK;
  }
  // Looked up again by title and parent; only a folder can stand for it.
  int64_t id = 0;
  bool found = false;
  if (IsDecimal(folder->parent)) {
    OneInteger(handle, kFolderByTitle,
               {folder->title, LeadingNumber(folder->parent)}, &id, &found);
  }
  if (!found) {
    if (!IsDecimal(folder->id)) return false;
    id = LeadingNumber(folder->id);
  }
  return handle->database.ForEachRow(kChildFolders, {id}, append) == SQLITE_OK;
}

bool ListChildUrls(ms_places* handle, const FolderRecord* folder,
                   std::vector<UrlEntry>* out) {
  if (folder == nullptr) return true;
  if (!IsDecimal(folder->id)) return false;
  return handle->database.ForEachRow(
             kChildWebLinks, {LeadingNumber(folder->id)},
             [&](const Statement& row) {
               out->push_back({row.Text(0), row.Text(1)});
             }) == SQLITE_OK;
}

}  // namespace firefox
}  // namespace marksafe
