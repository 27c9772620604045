// A journal: what one call added to one browser store, item by item, with
// the id the store gave each item, so that the call can be undone exactly.
// Journals are written as small JSON files (journal_files.h) and read back
// as untrusted input: ParseJournal refuses anything it does not expect.
#ifndef MARKSAFE_CONTEXT_JOURNAL_H_
#define MARKSAFE_CONTEXT_JOURNAL_H_

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "model/bookmark_tree.h"

namespace marksafe {
namespace context {

enum class StoreKind { kPlaces, kChrome, kFavorites };

// "places", "chrome", "favorites".
const char* StoreKindKey(StoreKind kind);

struct JournalEntry {
  model::ItemKind kind = model::ItemKind::kLink;
  // Places and Chrome: the store's id of the item, in decimal. Favorites:
  // the item's path below the Favorites folder, names joined with "/".
  std::u16string id;
  model::RareText guid;   // places and Chrome; empty when the store has none
  std::u16string parent;  // the parent's id (Favorites: its path, "" on top)
  std::u16string title;
  std::u16string url;     // links: as the store keeps it
  // Places links: the keyword the write gave the address, which goes with
  // the link when it is taken back.
  model::RareText keyword;
};

struct Journal {
  std::u16string id;  // the file's name without ".json"
  StoreKind store = StoreKind::kPlaces;
  std::u16string store_path;
  std::string operation;  // the export that wrote the items
  model::Time time = 0;
  bool undone = false;
  // In the order they were written: every folder before what it holds. A
  // deque grows in blocks: a write of many items never holds the list twice,
  // as a vector's growth would.
  std::deque<JournalEntry> items;
};

// The key and version that open every journal file.
constexpr char kJournalFormatKey[] = "marksafe_journal";
constexpr int kJournalFormatVersion = 1;

// The largest journal file read, and written: a million items take 200 to
// 350 MiB, by the length of their titles and addresses.
constexpr size_t kMaxJournalBytes = size_t{768} << 20;

// The journal as UTF-8 JSON text (its id is the file name, not written).
std::string JournalText(const Journal& journal);
// The same text handed to write in pieces of about a MiB, the journal's
// items freed as they are written: a journal of many items is never held
// whole, nor beside its text. Stops at the first write that fails.
[[nodiscard]] Status TakeJournalText(
    Journal* journal, const std::function<Status(const std::string&)>& write);

// Reads text written by JournalText. Fails with kErrorInvalidData and one
// line saying what is wrong for anything else: no JSON, nesting, a missing
// or mistyped member, an unknown kind, an entry without an id.
[[nodiscard]] Status ParseJournal(const std::string& text, Journal* journal);

}  // namespace context
}  // namespace marksafe

#endif  // MARKSAFE_CONTEXT_JOURNAL_H_
