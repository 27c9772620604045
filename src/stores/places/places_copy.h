// A private copy of a places store for reading it without touching it.
// SQLite replays a -wal (or rolls back a journal) when it opens a store,
// writing the store and removing what it replayed; a read that must change
// no byte of the user's files therefore reads a copy of the store taken
// together with the files beside it.
#ifndef MARKSAFE_STORES_PLACES_PLACES_COPY_H_
#define MARKSAFE_STORES_PLACES_PLACES_COPY_H_

#include <string>

#include "base/status.h"

namespace marksafe {
namespace firefox {

// True when a file beside store holds writes that SQLite would replay or
// undo on opening it: a -wal or a -journal that is not empty.
bool HasPendingWrites(const std::u16string& store);

// A new folder in the system's temporary folder holding a copy of store
// and of its -wal and -journal files (those that exist), under the same
// names. The folder and everything in it go when the object goes.
class StoreCopy {
 public:
  StoreCopy() = default;
  ~StoreCopy();
  StoreCopy(const StoreCopy&) = delete;
  StoreCopy& operator=(const StoreCopy&) = delete;

  // Makes the copy (removing an earlier one). On failure nothing is left
  // in the temporary folder.
  [[nodiscard]] Status Make(const std::u16string& store);
  // Removes the copy now (nothing when there is none).
  void Remove();

  // The copied store; empty when there is no copy.
  const std::u16string& store() const { return store_; }

 private:
  std::u16string folder_;
  std::u16string store_;
};

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_COPY_H_
