// Undoing a journal: removing from its store exactly the items the journaled
// call added, and keeping every one the person changed since (moved,
// renamed, its URL edited, or a folder that holds items the call did not
// add). Each store has a backend that reads what its items look like now
// and removes the chosen ones; Decide, shared by all, chooses.
#ifndef MARKSAFE_UNDO_UNDO_H_
#define MARKSAFE_UNDO_UNDO_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "context/journal.h"

namespace marksafe {
namespace undo {

// An item the undo left in the store, and why.
struct Kept {
  std::u16string item;  // its title (Favorites: its path in the folder)
  std::u16string url;
  std::string reason;
};

struct Result {
  int64_t removed = 0;  // removed (a dry run: would be removed)
  int64_t gone = 0;     // no longer in the store where it was written
  std::vector<Kept> kept;
  bool already_undone = false;
};

// How a journaled item stands in the store now.
struct StoreItem {
  bool found = false;
  model::ItemKind kind = model::ItemKind::kLink;
  std::u16string guid;
  std::u16string parent;
  std::u16string title;
  std::u16string url;
  std::vector<std::u16string> children;  // folders: the ids of what they hold
};

// The entries of journal to remove, children before their folders, as
// look (the store's view of one entry) shows them; what stays goes to
// result (kept, gone). An item whose id now names another item (its guid or
// kind differ) is kept too.
std::vector<const context::JournalEntry*> Decide(
    const context::Journal& journal,
    const std::function<StoreItem(const context::JournalEntry&)>& look,
    Result* result);

// The backends: each checks the store as a restore into it would (the
// browser not running, the store's lock), reads it, Decides, and unless
// dry_run removes the chosen items and saves the store in one step.
[[nodiscard]] Status UndoPlaces(const context::Journal& journal, bool dry_run,
                                Result* result);
[[nodiscard]] Status UndoChrome(const context::Journal& journal, bool dry_run,
                                Result* result);
[[nodiscard]] Status UndoFavorites(const context::Journal& journal, bool dry_run,
                                   Result* result);

// Reads the journal of that id (empty: the newest), undoes it with its
// store's backend and, unless dry_run, marks it undone. A journal undone
// before changes nothing (already_undone). *journal is what was read.
[[nodiscard]] Status UndoJournal(const std::u16string& id, bool dry_run,
                                 context::Journal* journal, Result* result);

}  // namespace undo
}  // namespace marksafe

#endif  // MARKSAFE_UNDO_UNDO_H_
