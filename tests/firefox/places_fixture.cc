#include "places_fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "stores/places/places_reader.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

// parent, and the next position in it, as SQL values.
std::string ParentAndNext(int64_t parent) {
  const std::string id = std::to_string(parent);
  return id + ", (select coalesce(max(position)+1, 0) from moz_bookmarks " +
         "where parent=" + id + ")";
}

}  // namespace

PlacesDb::PlacesDb(const std::string& path, Layout layout) : path_(path) {
  MakeDirs(std::filesystem::path(path).parent_path().string());
  if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
    ADD_FAILURE() << "cannot create " << path;
    return;
  }
  if (layout != Layout::kExisting) {
    Exec(DataFile(layout == Layout::kToday ? "firefox/places-today.sql"
                                           : "firefox/places-old.sql"));
  }
}

PlacesDb::~PlacesDb() { sqlite3_close(db_); }

void PlacesDb::Exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    ADD_FAILURE() << sql << ": " << (message ? message : "?");
  }
  sqlite3_free(message);
}

std::vector<std::string> PlacesDb::Rows(const std::string& sql) {
  std::vector<std::string> rows;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
  }
  while (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW) {
    std::string row;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
      const unsigned char* text = sqlite3_column_text(stmt, c);
      row += (c > 0 ? "|" : "") +
             std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    rows.push_back(row);
  }
  sqlite3_finalize(stmt);
  return rows;
}

std::string PlacesDb::Value(const std::string& sql) {
  std::vector<std::string> rows = Rows(sql);
  return rows.empty() ? std::string() : rows[0];
}

int64_t PlacesDb::Count(const std::string& sql) {
  return std::stoll(Value("select count(*) from (" + sql + ")"));
}

int64_t PlacesDb::AddFolder(int64_t parent, const std::string& title) {
  Exec(
      "insert into moz_bookmarks(type, parent, position, title, dateAdded) "
      "values(2, " +
      ParentAndNext(parent) + ", " + Quote(title) + ", 1)");
  return sqlite3_last_insert_rowid(db_);
}

int64_t PlacesDb::AddLink(int64_t parent, const std::string& url,
                          const std::string& title) {
  Exec("insert or ignore into moz_places(url, title) values(" + Quote(url) +
       ", " + Quote(title) +
       "); insert into moz_bookmarks(type, fk, parent, "
       "position, title, dateAdded) values(1, (select id from moz_places "
       "where url=" +
       Quote(url) + "), " + ParentAndNext(parent) + ", " + Quote(title) +
       ", 1)");
  return sqlite3_last_insert_rowid(db_);
}

int64_t PlacesDb::AddSeparator(int64_t parent) {
  Exec(
      "insert into moz_bookmarks(type, parent, position, dateAdded) "
      "values(3, " +
      ParentAndNext(parent) + ", 1)");
  return sqlite3_last_insert_rowid(db_);
}

std::vector<std::string> PlacesDb::LinksIn(int64_t folder) {
  return Rows(
      "select b.title || '|' || p.url from moz_bookmarks b join moz_places p "
      "on b.fk = p.id where b.type=1 and b.parent=" +
      std::to_string(folder) + " order by b.position");
}

int64_t PlacesDb::FolderId(int64_t parent, const std::string& title) {
  return std::stoll("0" + Value("select id from moz_bookmarks where type=2 "
                                "and parent=" +
                                std::to_string(parent) +
                                " and title=" + Quote(title)));
}

std::string PlacesDb::Snapshot() {
  std::string out;
  for (const char* table : {"moz_bookmarks", "moz_places"}) {
    for (const std::string& row :
         Rows(std::string("select * from ") + table + " order by id")) {
      out += row + "\n";
    }
  }
  return out;
}

void FillRichStore(PlacesDb* db) {
  db->Exec("BEGIN");
  db->AddLink(db->AddFolder(2, "Dup"), "https://a.example/", "A");
  db->AddLink(db->AddFolder(2, "Dup"), "https://b.example/", "B");
  db->AddLink(2, "javascript:alert('x%20y')", " <Script> ");
  db->AddSeparator(2);
  db->AddLink(2, "file:///tmp/x.html", "a/b:c?*|<>\"\\");
  db->AddLink(2, "place:sort=8&maxResults=10", "Recent");
  db->AddLink(2, "https://same.example/", "Same");
  db->AddLink(2, "https://same.example/", "Same");
  db->AddLink(2, "https://other.example/", "Same");
  db->AddSeparator(2);
  db->AddLink(2, "https://other.example/", "..");
  db->AddLink(3, "https://tagged.example/", "Tagged");
  for (const char* tag : {"work", "news"}) {
    db->AddLink(db->AddFolder(4, tag), "https://tagged.example/", "");
  }
  db->Exec(
      "insert into moz_keywords(keyword, place_id) values('tg', (select "
      "min(id) from moz_places where url='https://tagged.example/'))");
  int64_t folder = 3;
  for (int i = 1; i <= 30; ++i) {
    folder = db->AddFolder(folder, "L" + std::to_string(i));
  }
  db->AddLink(folder, "https://deep.example/", "Deep");
  db->Exec("update moz_bookmarks set title=NULL where id=" +
           std::to_string(db->AddLink(5, "https://unfiled.example/", "")));
  db->AddLink(6, "https://mobile.example/", "Phone");
  db->Exec(
      "update moz_bookmarks set dateAdded = 1600000000000000 + id * 1000, "
      "lastModified = 1600000000000000 + id * 2000 where id > 11");
  db->Exec("COMMIT");
}

void LeaveLinkInWal(const std::string& path, int64_t parent,
                    const std::string& url, const std::string& title) {
  std::string store, wal;
  {
    PlacesDb db(path, PlacesDb::Layout::kExisting);
    db.Exec("PRAGMA wal_autocheckpoint=0");
    db.AddLink(parent, url, title);
    store = ReadBytes(path);
    wal = ReadBytes(path + "-wal");
  }  // closing moves the writes into the store: put the files back
  WriteBytes(path, store);
  WriteBytes(path + "-wal", wal);
  std::filesystem::remove(path + "-shm");
  EXPECT_FALSE(wal.empty());
}

bool ReadStore(const std::string& path, model::Tree* tree) {
  ScopedHandle handle(path);
  return handle.get() != nullptr &&
         firefox::ReadPlaces(handle.get(), tree).ok();
}

}  // namespace test
}  // namespace marksafe
