#include "stores/places/places_writer.h"

#include <sqlite3.h>

#include <string>
#include <utility>
#include <vector>

#include "base/error_codes.h"
#include "context/job.h"
#include "model/url_normalize.h"
#include "platform/debug_log.h"
#include "platform/platform.h"
#include "stores/places/places_journal.h"
#include "stores/places/places_reader.h"
#include "stores/places/places_statements.h"
#include "stores/places/places_transaction.h"

namespace marksafe {
namespace firefox {
namespace {

using SQLite::Statement;

const char kNextPosition[] =
    "select max(position)+1 from moz_bookmarks where parent=?";
const char kTagsRoot[] = "select id from moz_bookmarks where id=? and type=2";
const char kTagFolders[] =
    "select id, title from moz_bookmarks where parent=? and type=2 "
    "order by position, id";
const char kTagEntries[] =
    "select b.parent, b.fk from moz_bookmarks b join moz_bookmarks f on "
    "b.parent = f.id where f.parent=? and b.type=1 and b.fk is not null";
const char kKeywordsByPlace[] =
    "select keyword, place_id from moz_keywords where keyword is not null";
const char kKeywordsById[] =
    "select keyword, id from moz_keywords where keyword is not null";
const char kInsertKeywordByPlace[] =
    "insert into moz_keywords(keyword, place_id) values(?, ?)";
const char kInsertKeywordWithPostData[] =
    "insert into moz_keywords(keyword, place_id, post_data) values(?, ?, ?)";
const char kInsertKeyword[] = "insert into moz_keywords(keyword) values(?)";
const char kSetKeywordOfBookmark[] =
    "update moz_bookmarks set keyword_id=? where id=?";

int64_t TypeOf(model::ItemKind kind) {
  switch (kind) {
    case model::ItemKind::kLink:
      return kTypeLinkValue;
    case model::ItemKind::kSeparator:
      return kTypeSeparatorValue;
    case model::ItemKind::kFolder:
      break;
  }
  return kTypeFolderValue;
}

// The URL in the form it is stored in: on today's schema the one Firefox's
// URL parser gives (Firefox finds a bookmark by URL only in that form); on
// the old schema the text as it stands.
std::u16string UrlToStore(const ms_places* handle, const std::u16string& raw) {
  if (!Today(handle)) return raw;
  std::u16string normalized;
  if (NormalizeUrl(raw, &normalized)) return normalized;
  DebugLog(
      u"[FirefoxBookmark].Not a URL that parses, written as it stands: "
      u"%s\n",
      raw.c_str());
  return raw;
}

void AddProblem(model::Report* report, const model::Tree& tree,
                model::ItemId id, std::string reason, bool lost) {
  if (report == nullptr) return;
  report->AddProblem(tree.PathOf(id), std::move(reason), lost, tree.at(id).url);
}

}  // namespace

int64_t* PlacesWriter::NextPosition(int64_t folder) {
  auto found = next_positions_.find(folder);
  if (found != next_positions_.end()) return &found->second;
  int64_t next = 0;
  handle_->database.ForEachRow(kNextPosition, {folder},
                               [&](const Statement& row) {
                                 if (!row.IsNull(0)) next = row.Integer(0);
                               });
  return &next_positions_.emplace(folder, next).first->second;
}

int64_t PlacesWriter::PlaceFor(const std::u16string& url,
                               const std::u16string& title) {
  int64_t place = FindPlaceByUrl(handle_, url);
  return place != 0 ? place : InsertURL(handle_, url, title);
}

Status PlacesWriter::WriteItem(const model::Tree& tree, model::ItemId id,
                               int64_t parent, int64_t* store_id,
                               int64_t* place) {
  const model::Item& item = tree.at(id);
  BookmarkRow row;
  row.type = TypeOf(item.kind);
  row.parent = parent;
  row.title = item.title;
  row.date_added = item.date_added != 0 ? item.date_added : model::Now();
  row.last_modified = item.last_modified;
  if (item.kind == model::ItemKind::kLink) {
    row.fk = PlaceFor(UrlToStore(handle_, item.url), item.title);
    *place = row.fk;
    if (row.fk == 0) {
      // No link may point at a place that does not exist.
      DebugLog(u"InsertURL execute fail:%ld \n",
               static_cast<long>(kErrorDatabaseFailure));
      return Status::Error(
          kErrorDatabaseFailure,
          u"[FirefoxBookmark].InsertURL failed for " + tree.PathOf(id));
    }
  }
  int64_t* position = NextPosition(parent);
  row.position = *position;
  *store_id = InsertBookmark(handle_, row);
  if (*store_id == 0) {
    DebugLog(u"InsertBookmarks execute fail:%ld \n",
             static_cast<long>(kErrorDatabaseFailure));
    return Status::Error(
        kErrorDatabaseFailure,
        u"[FirefoxBookmark].InsertBookmark failed for " + tree.PathOf(id));
  }
  ++*position;
  return Status::Ok();
}

void PlacesWriter::LoadTags() {
  if (tags_loaded_) return;
  tags_loaded_ = true;
  SQLite::Database& db = handle_->database;
  db.ForEachRow(kTagsRoot, {kTagsId},
                [&](const Statement&) { has_tags_root_ = true; });
  if (!has_tags_root_) return;
  db.ForEachRow(kTagFolders, {kTagsId}, [&](const Statement& row) {
    tag_folders_.emplace(row.Text(1), row.Integer(0));
  });
  db.ForEachRow(kTagEntries, {kTagsId}, [&](const Statement& row) {
    tagged_.emplace(row.Integer(0), row.Integer(1));
  });
}

void PlacesWriter::WriteTags(const model::Tree& tree, model::ItemId id,
                             int64_t place, model::Report* report) {
  const model::Item& item = tree.at(id);
  if (item.tags.empty()) return;
  LoadTags();
  if (!has_tags_root_) {
    AddProblem(report, tree, id, "tags: the store has no tags folder", true);
    return;
  }
  const model::Time now = model::Now();
  for (const std::u16string& tag : item.tags) {
    if (tag.empty()) continue;
    auto folder = tag_folders_.find(tag);
    if (folder == tag_folders_.end()) {
      int64_t* position = NextPosition(kTagsId);
      BookmarkRow row;
      row.type = kTypeFolderValue;
      row.parent = kTagsId;
      row.position = *position;
      row.title = tag;
      row.date_added = now;
      const int64_t folder_id = InsertBookmark(handle_, row);
      if (folder_id == 0) {
        AddProblem(report, tree, id, "tag " + platform::ToUtf8(tag) +
                                         ": write failed", true);
        continue;
      }
      ++*position;
      NoteWritten(handle_, model::ItemKind::kFolder, folder_id, kTagsId, tag);
      folder = tag_folders_.emplace(tag, folder_id).first;
    }
    if (!tagged_.emplace(folder->second, place).second) continue;
    int64_t* position = NextPosition(folder->second);
    BookmarkRow row;
    row.type = kTypeLinkValue;
    row.fk = place;
    row.parent = folder->second;
    row.position = *position;
    row.date_added = now;
    const int64_t entry = InsertBookmark(handle_, row);
    if (entry == 0) {
      tagged_.erase({folder->second, place});
      AddProblem(report, tree, id,
                 "tag " + platform::ToUtf8(tag) + ": write failed", true);
      continue;
    }
    NoteWritten(handle_, model::ItemKind::kLink, entry, folder->second, u"");
    ++*position;
  }
}

void PlacesWriter::LoadKeywords() {
  if (keywords_loaded_) return;
  keywords_loaded_ = true;
  SQLite::Database& db = handle_->database;
  if (TableHasColumn(handle_, PlacesTable::kKeywords, "place_id")) {
    keyword_store_ = KeywordStore::kByPlace;
    db.ForEachRow(kKeywordsByPlace, {}, [&](const Statement& row) {
      const int64_t place = row.IsNull(1) ? 0 : row.Integer(1);
      keywords_.emplace(row.Text(0), place);
      places_with_keyword_.insert(place);
    });
  } else if (TableHasColumn(handle_, PlacesTable::kKeywords, "keyword") &&
             TableHasColumn(handle_, PlacesTable::kBookmarks, "keyword_id")) {
    keyword_store_ = KeywordStore::kByBookmark;
    db.ForEachRow(kKeywordsById, {}, [&](const Statement& row) {
      keywords_.emplace(row.Text(0), row.Integer(1));
    });
  }
}

void PlacesWriter::WriteKeyword(const model::Tree& tree, model::ItemId id,
                                int64_t bookmark, int64_t place,
                                model::Report* report) {
  const std::u16string& keyword = tree.at(id).keyword;
  if (keyword.empty()) return;
  LoadKeywords();
  SQLite::Database& db = handle_->database;
  switch (keyword_store_) {
    case KeywordStore::kNone:
      AddProblem(report, tree, id, "keyword: the store keeps no keywords",
                 false);
      return;
    case KeywordStore::kByPlace: {
      auto taken = keywords_.find(keyword);
      if (taken != keywords_.end()) {
        if (taken->second != place) {
          AddProblem(report, tree, id,
                     "keyword " + platform::ToUtf8(keyword) +
                         ": taken by another address",
                     false);
        }
        return;
      }
      if (places_with_keyword_.count(place) > 0) {
        AddProblem(report, tree, id,
                   "keyword " + platform::ToUtf8(keyword) +
                       ": the address has another keyword",
                   false);
        return;
      }
      // The POST data a keyword sends is kept with it, where the store has
      // room for it.
      const std::u16string& post_data = tree.at(id).post_data;
      const bool with_post_data =
          !post_data.empty() &&
          TableHasColumn(handle_, PlacesTable::kKeywords, "post_data");
      if (!post_data.empty() && !with_post_data) {
        AddProblem(report, tree, id, "POST data: the store keeps none", false);
      }
      const int written =
          with_post_data
              ? db.Run(kInsertKeywordWithPostData, {keyword, place, post_data})
              : db.Run(kInsertKeywordByPlace, {keyword, place});
      if (written != SQLITE_OK || !CountForeignUse(handle_, place)) {
        AddProblem(report, tree, id, "keyword: write failed", true);
        return;
      }
      keywords_.emplace(keyword, place);
      places_with_keyword_.insert(place);
      NoteKeyword(handle_, bookmark, keyword);
      return;
    }
    case KeywordStore::kByBookmark: {
      if (!tree.at(id).post_data.empty()) {
        AddProblem(report, tree, id, "POST data: the store keeps none", false);
      }
      auto known = keywords_.find(keyword);
      if (known == keywords_.end()) {
        if (db.Run(kInsertKeyword, {keyword}) != SQLITE_OK) {
          AddProblem(report, tree, id, "keyword: write failed", true);
          return;
        }
        known = keywords_.emplace(keyword, db.LastInsertId()).first;
      }
      if (db.Run(kSetKeywordOfBookmark, {known->second, bookmark}) !=
          SQLITE_OK) {
        AddProblem(report, tree, id, "keyword: write failed", true);
      }
      return;
    }
  }
}

Status PlacesWriter::WriteAdded(model::Tree* tree, model::ItemId from,
                                model::RootReport* root_report,
                                model::Report* report, model::ItemId first,
                                model::ItemId end) {
  if (handle_ == nullptr || !handle_->database.HasConnection()) {
    return Status::Error(kErrorNotConnected,
                         u"[FirefoxBookmark].No connection to the places "
                         u"store");
  }
  Status result;
  SQLite::Database& db = handle_->database;
  // Collected first: the walk must not run while items change.
  std::vector<model::ItemId> added;
  tree->ForEachBelow(from, [&](model::ItemId id) {
    // Written already by an earlier call: its store_id is set.
    if (tree->at(id).added && tree->at(id).store_id == 0 && id >= first &&
        id < end) {
      added.push_back(id);
    }
  });
  for (model::ItemId id : added) {
    model::Item& item = tree->at(id);
    const int64_t parent = tree->at(item.parent).store_id;
    Status written;
    int64_t store_id = 0;
    int64_t place = 0;
    if (db.Aborted()) {
      written = Status::Error(kErrorDatabaseFailure,
                              u"[FirefoxBookmark].The import into " +
                                  handle_->databasePath +
                                  u" was stopped by a database failure");
    } else if (parent == 0) {
      written = Status::Error(
          kErrorDatabaseFailure,
          u"[FirefoxBookmark].Its folder was not written: " + tree->PathOf(id));
    } else {
      written = WriteItem(*tree, id, parent, &store_id, &place);
    }
    if (!written.ok()) {
      if (root_report != nullptr) model::CountItem(item.kind, &root_report->failed);
      AddProblem(report, *tree, id,
                 "write failed: " + platform::ToUtf8(written.message()), true);
      DebugLog(u"%s\n", written.message().c_str());
      result.Update(std::move(written));
      item.added = false;  // not to be tried again by a later call
      continue;
    }
    item.store_id = store_id;
    NoteWritten(handle_, item.kind, store_id, parent, item.title);
    if (root_report != nullptr) model::CountItem(item.kind, &root_report->added);
    context::Current().progress().Written(item.kind);
    if (item.kind == model::ItemKind::kLink) {
      WriteTags(*tree, id, place, report);
      WriteKeyword(*tree, id, store_id, place, report);
    }
  }
  return result;
}

}  // namespace firefox
}  // namespace marksafe
