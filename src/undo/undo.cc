#include "undo/undo.h"

#include <unordered_set>

#include "base/error_codes.h"
#include "context/journal_files.h"

namespace marksafe {
namespace undo {
namespace {

// Why an item stays, or null when it may go.
const char* ReasonToKeep(const context::JournalEntry& entry,
                         const StoreItem& now,
                         const std::unordered_set<std::u16string>& removing) {
  if (now.kind != entry.kind ||
      (!entry.guid.empty() && !now.guid.empty() && now.guid != entry.guid)) {
    return "its id now names another item";
  }
  if (now.parent != entry.parent) return "moved since";
  if (now.title != entry.title) return "renamed since";
  if (entry.kind == model::ItemKind::kLink && now.url != entry.url) {
    return "URL edited since";
  }
  for (const std::u16string& child : now.children) {
    if (removing.count(child) == 0) return "holds items it did not add";
  }
  return nullptr;
}

}  // namespace

std::vector<const context::JournalEntry*> Decide(
    const context::Journal& journal,
    const std::function<StoreItem(const context::JournalEntry&)>& look,
    Result* result) {
  std::vector<const context::JournalEntry*> chosen;
  std::unordered_set<std::u16string> removing;
  // Written parents first, so walked backwards every folder comes after
  // what it holds and sees whether all of that goes.
  for (auto it = journal.items.rbegin(); it != journal.items.rend(); ++it) {
    const context::JournalEntry& entry = *it;
    const StoreItem now = look(entry);
    const std::u16string name =
        journal.store == context::StoreKind::kFavorites ? entry.id : entry.title;
    if (!now.found) {
      ++result->gone;
      result->kept.push_back(
          Kept{name, entry.url, "no longer where it was written"});
      continue;
    }
    const char* reason = ReasonToKeep(entry, now, removing);
    if (reason != nullptr) {
      result->kept.push_back(Kept{name, entry.url, reason});
      continue;
    }
    removing.insert(entry.id);
    chosen.push_back(&entry);
  }
  return chosen;
}

Status UndoJournal(const std::u16string& id, bool dry_run,
                   context::Journal* journal, Result* result) {
  std::u16string chosen = id;
  if (chosen.empty()) {
    std::vector<std::u16string> ids;
    Status listed = context::ListJournalIds(&ids);
    if (!listed.ok()) return listed;
    if (ids.empty()) {
      return Status::Error(kErrorFileNotFound, u"there is no journal yet");
    }
    chosen = ids.back();
  }
  Status status = context::ReadJournal(chosen, journal);
  if (!status.ok()) return status;
  if (journal->undone) {
    result->already_undone = true;
    return Status::Ok();
  }
  switch (journal->store) {
    case context::StoreKind::kPlaces:
      status = UndoPlaces(*journal, dry_run, result);
      break;
    case context::StoreKind::kChrome:
      status = UndoChrome(*journal, dry_run, result);
      break;
    case context::StoreKind::kFavorites:
      status = UndoFavorites(*journal, dry_run, result);
      break;
  }
  if (!status.ok() || dry_run) return status;
  journal->undone = true;
  return context::SaveJournal(*journal);
}

}  // namespace undo
}  // namespace marksafe
