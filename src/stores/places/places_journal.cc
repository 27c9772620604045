#include "stores/places/places_journal.h"

#include <unordered_map>
#include <utility>

#include "base/text.h"
#include "context/job.h"
#include "stores/places/places_statements.h"

namespace marksafe {
namespace firefox {
namespace {

const char kRowsFrom[] =
    "select b.id, b.guid, p.url from moz_bookmarks b left join moz_places p "
    "on p.id = b.fk where b.id >= ?";
const char kRowsFromWithoutGuid[] =
    "select b.id, null, p.url from moz_bookmarks b left join moz_places p "
    "on p.id = b.fk where b.id >= ?";

}  // namespace

void NoteWritten(ms_places* handle, model::ItemKind kind, int64_t id,
                 int64_t parent, const std::u16string& title) {
  context::JournalRecorder* journal = context::Current().journal();
  if (journal == nullptr) return;
  context::JournalEntry entry;
  entry.kind = kind;
  entry.id = NumberText(id);
  entry.parent = NumberText(parent);
  entry.title = title;
  journal->Add(context::StoreKind::kPlaces, handle->databasePath,
               std::move(entry));
}

void NoteKeyword(ms_places* handle, int64_t bookmark,
                 const std::u16string& keyword) {
  context::JournalRecorder* recorder = context::Current().journal();
  if (recorder == nullptr) return;
  context::Journal* journal =
      recorder->Find(context::StoreKind::kPlaces, handle->databasePath);
  if (journal == nullptr) return;
  // Only the link's tag entries were noted after it.
  const std::u16string id = NumberText(bookmark);
  for (auto it = journal->items.rbegin(); it != journal->items.rend(); ++it) {
    if (it->id == id) {
      it->keyword = keyword;
      return;
    }
  }
}

void CompleteJournal(ms_places* handle) {
  context::JournalRecorder* recorder = context::Current().journal();
  if (recorder == nullptr) return;
  context::Journal* journal =
      recorder->Find(context::StoreKind::kPlaces, handle->databasePath);
  if (journal == nullptr || journal->items.empty()) return;
  // One walk over the rows from the first one written: the import only
  // appended rows, so they all lie at or above it.
  std::unordered_map<std::u16string, context::JournalEntry*> by_id;
  int64_t first = 0;
  for (context::JournalEntry& entry : journal->items) {
    by_id.emplace(entry.id, &entry);
    const int64_t id = std::stoll(platform::ToUtf8(entry.id));
    if (first == 0 || id < first) first = id;
  }
  const bool has_guid =
      TableHasColumn(handle, PlacesTable::kBookmarks, "guid");
  handle->database.ForEachRow(
      has_guid ? kRowsFrom : kRowsFromWithoutGuid, {first},
      [&](const SQLite::Statement& row) {
        auto found = by_id.find(NumberText(row.Integer(0)));
        if (found == by_id.end()) return;
        if (!row.IsNull(1)) found->second->guid = row.Text(1);
        if (!row.IsNull(2)) found->second->url = row.Text(2);
      });
}

void DropJournal(ms_places* handle) {
  context::JournalRecorder* journal = context::Current().journal();
  if (journal != nullptr) {
    journal->Drop(context::StoreKind::kPlaces, handle->databasePath);
  }
}

}  // namespace firefox
}  // namespace marksafe
