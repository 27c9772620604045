// Undo in a places store: under the transaction a restore uses (refused
// while Firefox holds the profile), the chosen rows are deleted, their
// places' use counts lowered, and the folders they left renumbered.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/error_codes.h"
#include "base/text.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "stores/places/places_handle.h"
#include "stores/places/places_reader.h"
#include "stores/places/places_statements.h"
#include "stores/places/places_transaction.h"
#include "undo/undo.h"

namespace marksafe {
namespace undo {
namespace {

const char kItem[] =
    "select b.type, b.parent, b.title, b.guid, p.url, b.fk from moz_bookmarks "
    "b left join moz_places p on p.id = b.fk where b.id = ?";
const char kItemWithoutGuid[] =
    "select b.type, b.parent, b.title, null, p.url, b.fk from moz_bookmarks "
    "b left join moz_places p on p.id = b.fk where b.id = ?";
const char kChildren[] =
    "select id from moz_bookmarks where parent = ? order by position, id";
const char kDelete[] = "delete from moz_bookmarks where id = ?";
const char kLowerUse[] =
    "update moz_places set foreign_count = foreign_count - 1 "
    "where id = ? and foreign_count > 0";
const char kKeywordOf[] =
    "select id from moz_keywords where keyword = ? and place_id = ?";
const char kDeleteKeyword[] = "delete from moz_keywords where id = ?";
const char kSetPosition[] =
    "update moz_bookmarks set position = ? where id = ? and position <> ?";

model::ItemKind KindOfType(int64_t type) {
  if (type == firefox::kTypeFolderValue) return model::ItemKind::kFolder;
  if (type == firefox::kTypeSeparatorValue) {
    return model::ItemKind::kSeparator;
  }
  return model::ItemKind::kLink;
}

int64_t IdOf(const std::u16string& text) {
  int64_t value = 0;
  if (text.empty() || text.size() > 18) return 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    value = value * 10 + (c - u'0');
  }
  return value;
}

StoreItem Look(ms_places* handle, bool has_guid,
               const context::JournalEntry& entry, int64_t* place) {
  StoreItem now;
  const int64_t id = IdOf(entry.id);
  if (id == 0) return now;
  SQLite::Database& db = handle->database;
  db.ForEachRow(has_guid ? kItem : kItemWithoutGuid, {id},
                [&](const SQLite::Statement& row) {
                  now.found = true;
                  now.kind = KindOfType(row.Integer(0));
                  now.parent = NumberText(row.Integer(1));
                  if (!row.IsNull(2)) now.title = row.Text(2);
                  if (!row.IsNull(3)) now.guid = row.Text(3);
                  if (!row.IsNull(4)) now.url = row.Text(4);
                  *place = row.IsNull(5) ? 0 : row.Integer(5);
                });
  if (now.found && now.kind == model::ItemKind::kFolder) {
    db.ForEachRow(kChildren, {id}, [&](const SQLite::Statement& row) {
      now.children.push_back(NumberText(row.Integer(0)));
    });
  }
  return now;
}

// Removes the keyword the link's write gave its address, while the address
// still has it, and the use it counted.
bool RemoveKeyword(ms_places* handle, const context::JournalEntry& entry,
                   int64_t place, bool today) {
  if (entry.keyword.empty() || place == 0) return true;
  SQLite::Database& db = handle->database;
  int64_t row = 0;
  if (db.ForEachRow(kKeywordOf, {entry.keyword.get(), place},
                    [&](const SQLite::Statement& found) {
                      row = found.Integer(0);
                    }) != 0) {
    return false;
  }
  if (row == 0) return true;
  return db.Run(kDeleteKeyword, {row}) == 0 &&
         (!today || db.Run(kLowerUse, {place}) == 0);
}

// Positions 0, 1, ... again in each folder that lost items.
bool Renumber(ms_places* handle, const std::set<int64_t>& folders) {
  SQLite::Database& db = handle->database;
  for (int64_t folder : folders) {
    std::vector<int64_t> children;
    db.ForEachRow(kChildren, {folder}, [&](const SQLite::Statement& row) {
      children.push_back(row.Integer(0));
    });
    for (size_t i = 0; i < children.size(); ++i) {
      const int64_t position = static_cast<int64_t>(i);
      if (db.Run(kSetPosition, {position, children[i], position}) != 0) {
        return false;
      }
    }
  }
  return true;
}

Status Refused(const std::u16string& path, uint32_t code) {
  return Status::Error(code,
                       u"the places store " + DisplayPath(path) +
                           u" cannot be written now (is Firefox running?)");
}

}  // namespace

Status UndoPlaces(const context::Journal& journal, bool dry_run,
                  Result* result) {
  Status opened;
  std::unique_ptr<ms_places, bool (*)(ms_places*)> handle(
      firefox::InitBookmark(journal.store_path.c_str(), &opened),
      &firefox::ReleaseBookmark);
  if (handle == nullptr || !firefox::PlacesReadable(handle.get())) {
    return Status::Error(kErrorFileNotFound,
                         u"cannot open the places store " +
                             DisplayPath(journal.store_path));
  }
  // The same checks and lock as a restore; a dry run only reads.
  std::unique_ptr<firefox::ImportTransaction> transaction;
  if (!dry_run) {
    transaction = std::make_unique<firefox::ImportTransaction>(handle.get());
    if (transaction->Refused()) {
      return Refused(journal.store_path, transaction->code());
    }
  }
  const bool has_guid = firefox::TableHasColumn(
      handle.get(), firefox::PlacesTable::kBookmarks, "guid");
  std::map<std::u16string, int64_t> places;
  const auto chosen = Decide(
      journal,
      [&](const context::JournalEntry& entry) {
        int64_t place = 0;
        StoreItem now = Look(handle.get(), has_guid, entry, &place);
        places[entry.id] = place;
        return now;
      },
      result);
  result->removed = static_cast<int64_t>(chosen.size());
  if (dry_run) return Status::Ok();
  SQLite::Database& db = handle->database;
  const bool today = handle->schema == firefox::PlacesSchema::kToday;
  std::set<int64_t> folders;
  bool ok = true;
  for (const context::JournalEntry* entry : chosen) {
    const int64_t id = IdOf(entry->id);
    ok = ok && db.Run(kDelete, {id}) == 0;
    const int64_t place = places[entry->id];
    if (ok && today && place != 0) ok = db.Run(kLowerUse, {place}) == 0;
    ok = ok && RemoveKeyword(handle.get(), *entry, place, today);
    folders.insert(IdOf(entry->parent));
  }
  for (const context::JournalEntry* entry : chosen) folders.erase(IdOf(entry->id));
  ok = ok && Renumber(handle.get(), folders);
  if (!transaction->Finish(ok)) {
    result->removed = 0;
    return Status::Error(kErrorDatabaseFailure,
                         u"could not remove the items from " +
                             DisplayPath(journal.store_path) +
                             u": nothing was changed");
  }
  return Status::Ok();
}

}  // namespace undo
}  // namespace marksafe
