// What a call added to each store it wrote, gathered while it runs and
// kept as journals when it ends (JobScope). Writers add an entry for each
// item the store took, right where they insert it; a store whose writes
// were rolled back drops its entries.
#ifndef MARKSAFE_CONTEXT_JOURNAL_RECORDER_H_
#define MARKSAFE_CONTEXT_JOURNAL_RECORDER_H_

#include <string>
#include <vector>

#include "context/journal.h"

namespace marksafe {
namespace context {

class JournalRecorder {
 public:
  // One more item written into the store of that kind at store_path.
  void Add(StoreKind kind, const std::u16string& store_path,
           JournalEntry entry);
  // The store's writes were undone (a rolled back transaction): nothing
  // of it is journaled.
  void Drop(StoreKind kind, const std::u16string& store_path);

  // The entries of one store (null when none was added).
  Journal* Find(StoreKind kind, const std::u16string& store_path);

  std::vector<Journal>& journals() { return journals_; }

 private:
  std::vector<Journal> journals_;  // one per store, in the order first met
};

// Whether calls journal what they write unless told otherwise: on, unless
// the host turned it off or the environment says MARKSAFE_JOURNAL=off (the
// test suite's own environment does).
bool JournalDefault();
void SetJournalDefault(bool on);

// Writes every journal of the recorder that holds items, each as a new
// file (journal_files.h); operation names the call. A journal that cannot
// be written is named in *problems (one line each).
void SaveJournals(JournalRecorder* recorder, const std::string& operation,
                  std::vector<std::u16string>* problems);

}  // namespace context
}  // namespace marksafe

#endif  // MARKSAFE_CONTEXT_JOURNAL_RECORDER_H_
