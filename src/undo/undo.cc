#include "undo/undo.h"

#include <unordered_set>

#include "common/error_codes.h"
#include "jobs/journal_files.h"

namespace marksafe {
namespace undo {
namespace {

// Why an item stays, or null when it may go.
const char* ReasonToKeep(const jobs::JournalEntry& entry,
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

std::vector<const jobs::JournalEntry*> Decide(
    const jobs::Journal& journal,
    const std::function<StoreItem(const jobs::JournalEntry&)>& look,
    Result* result) {
  std::vector<const jobs::JournalEntry*> chosen;
  std::unordered_set<std::u16string> removing;
  // Written parents first, so walked backwards every folder comes after
  // what it holds and sees whether all of that goes.
  for (auto it = journal.items.rbegin(); it != journal.items.rend(); ++it) {
    const jobs::JournalEntry& entry = *it;
    const StoreItem now = look(entry);
    const std::u16string name =
        journal.store == jobs::StoreKind::kFavorites ? entry.id : entry.title;
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
                   jobs::Journal* journal, Result* result) {
  std::u16string chosen = id;
  if (chosen.empty()) {
    std::vector<std::u16string> ids;
    Status listed = jobs::ListJournalIds(&ids);
    if (!listed.ok()) return listed;
    if (ids.empty()) {
      return Status::Error(kErrorFileNotFound, u"there is no journal yet");
    }
    chosen = ids.back();
  }
  Status status = jobs::ReadJournal(chosen, journal);
  if (!status.ok()) return status;
  if (journal->undone) {
    result->already_undone = true;
    return Status::Ok();
  }
  switch (journal->store) {
    case jobs::StoreKind::kPlaces:
      status = UndoPlaces(*journal, dry_run, result);
      break;
    case jobs::StoreKind::kChrome:
      status = UndoChrome(*journal, dry_run, result);
      break;
    case jobs::StoreKind::kFavorites:
      status = UndoFavorites(*journal, dry_run, result);
      break;
  }
  if (!status.ok() || dry_run) return status;
  journal->undone = true;
  return jobs::SaveJournal(*journal);
}

}  // namespace undo
}  // namespace marksafe
