#include "firefox/places_statements.h"

#include "common/text.h"
#include "firefox/sql_text.h"

namespace marksafe {
namespace firefox {

const char16_t kTypeLink[] = u"1";
const char16_t kTypeFolder[] = u"2";

namespace {

// True when text is a plain decimal integer (an optional "-", then digits
// only), the only form in which a value read from the store may be spliced
// into a statement as an id.
bool IsDecimal(const std::u16string& text) {
  size_t i = (!text.empty() && text[0] == u'-') ? 1 : 0;
  if (i >= text.size() || text.size() - i > 18) return false;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
  }
  return true;
}

// Column 0 of the first row, "" when there is none.
std::u16string FirstValue(const SQLite::Table& table) {
  const char16_t* value = table.GetValue(0);
  return value == nullptr ? std::u16string() : std::u16string(value);
}

// The next id of table (max + 1, or 1 in an empty table); empty when the
// query failed.
std::u16string NextId(ms_places* handle, const char16_t* sql) {
  int rc = 0;
  SQLite::Table table = handle->database.Query(sql, &rc);
  if (rc != 0) return std::u16string();
  std::u16string id = FirstValue(table);
  if (id.empty()) return u"1";
  return IsDecimal(id) ? id : std::u16string();
}

}  // namespace

int64_t FindPlaceByUrl(ms_places* handle, const std::u16string& url) {
  SQLite::Table table = handle->database.Query(
      FormatSql(u"select id from moz_places where url=%s;", {SqlLiteral(url)})
          .c_str());
  if (table.RowCount() == 0) return 0;
  return LeadingNumber(FirstValue(table));
}

bool BookmarkExists(ms_places* handle, const std::u16string& url,
                    const std::u16string& parent) {
  if (!parent.empty() && !IsDecimal(parent)) return false;
  SQLite::Table places = handle->database.Query(
      FormatSql(u"select id from moz_places where url=%s;", {SqlLiteral(url)})
          .c_str());
  for (int32_t i = 0; i < places.RowCount(); ++i, places.NextRow()) {
    std::u16string place = FirstValue(places);
    if (!IsDecimal(place)) continue;
    std::u16string sql =
        parent.empty()
            ? FormatSql(u"select id from moz_bookmarks where fk=%s", {place})
            : FormatSql(
                  u"select id from moz_bookmarks where fk=%s and "
                  u"parent=%s",
                  {place, parent});
    if (handle->database.Query(sql.c_str()).RowCount() > 0) return true;
  }
  return false;
}

int64_t InsertURL(ms_places* handle, const std::u16string& url,
                  const std::u16string& title) {
  std::u16string id = NextId(handle, u"select max(id)+1 from moz_places");
  if (id.empty()) return 0;
  std::u16string sql = FormatSql(
      u"insert into moz_places(id, url, title, favicon_id) "
      u"values(%s, %s, %s, %s);",
      {id, SqlLiteral(url), SqlLiteral(title), u"NULL"});
  if (handle->database.Execute(sql.c_str()) != 0) return 0;
  return LeadingNumber(id);
}

int64_t InsertBookmarks(ms_places* handle, const std::u16string& type,
                        int64_t fk, int64_t parent, const std::u16string& title,
                        const std::u16string& date_added) {
  if (!IsDecimal(type) || !IsDecimal(date_added)) return 0;
  std::u16string id = NextId(handle, u"select max(id)+1 from moz_bookmarks");
  if (id.empty()) return 0;
  std::u16string position = u"0";
  // Whether the folder holds anything: one row says so, and reading every
  // child's position would make each insert cost the size of the folder.
  SQLite::Table children = handle->database.Query(
      FormatSql(u"select position from moz_bookmarks where parent=%d limit 1",
                {static_cast<long long>(parent)})
          .c_str());
  if (children.RowCount() > 0) {
    SQLite::Table next = handle->database.Query(
        FormatSql(u"select max(position)+1 from moz_bookmarks where "
                  u"parent=%d;",
                  {static_cast<long long>(parent)})
            .c_str());
    position = NumberText(LeadingNumber(FirstValue(next)));
  }
  std::u16string fk_text = fk == 0 ? std::u16string(u"NULL") : NumberText(fk);
  std::u16string sql = FormatSql(
      u"insert into moz_bookmarks values(%s, %s, %s, %d, %s, %s, "
      u"NULL,NULL,%s,NULL)",
      {id, type, fk_text, static_cast<long long>(parent), position,
       SqlLiteral(title), date_added});
  if (handle->database.Execute(sql.c_str()) != 0) return 0;
  return LeadingNumber(id);
}

bool ListChildFolders(ms_places* handle, const FolderRecord* folder,
                      std::vector<FolderRecord>* out) {
  std::u16string sql;
  if (folder == nullptr) {
    sql = u"select id, parent, title from moz_bookmarks where id=2 or id=5;";
  } else {
    std::u16string id;
    // Looked up again by title and parent; only a folder can stand for it.
    if (IsDecimal(folder->parent)) {
      id = FirstValue(handle->database.Query(
          FormatSql(u"select id from moz_bookmarks where title=%s and "
                    u"parent=%s and type=2;",
                    {SqlLiteral(folder->title), folder->parent})
              .c_str()));
    }
    if (id.empty()) id = folder->id;
    if (!IsDecimal(id)) return false;
    sql = FormatSql(
        u"select id, parent, title from moz_bookmarks where parent=%s and "
        u"type=2;",
        {id});
  }
  int rc = 0;
  SQLite::Table table = handle->database.Query(sql.c_str(), &rc);
  for (int32_t i = 0; i < table.RowCount(); ++i, table.NextRow()) {
    const char16_t* id = table.GetValue(0);
    const char16_t* parent = table.GetValue(1);
    const char16_t* title = table.GetValue(2);
    out->push_back({id ? id : u"", parent ? parent : u"", title ? title : u""});
  }
  return rc == 0;
}

bool ListChildUrls(ms_places* handle, const FolderRecord* folder,
                   std::vector<UrlEntry>* out) {
  if (folder == nullptr) return true;
  if (!IsDecimal(folder->id)) return false;
  std::u16string sql = FormatSql(
      u"select url, moz_bookmarks.title from moz_bookmarks, moz_places  "
      u"where parent=%s and type=1 and fk=moz_places.id and "
      u"(moz_places.url like 'http://%%' or moz_places.url like "
      u"'https://%%' or moz_places.url like 'ftp://%%');",
      {folder->id});
  int rc = 0;
  SQLite::Table table = handle->database.Query(sql.c_str(), &rc);
  for (int32_t i = 0; i < table.RowCount(); ++i, table.NextRow()) {
    const char16_t* url = table.GetValue(0);
    const char16_t* title = table.GetValue(1);
    out->push_back({url ? url : u"", title ? title : u""});
  }
  return rc == 0;
}

}  // namespace firefox
}  // namespace marksafe
