// One transaction around a whole import into places: everything an import
// adds is committed together, a failure that aborts the transaction leaves
// nothing half-written, and a store that Firefox holds is not written at
// all. A single refused row still fails alone, as before.
#ifndef MARKSAFE_STORES_PLACES_PLACES_TRANSACTION_H_
#define MARKSAFE_STORES_PLACES_PLACES_TRANSACTION_H_

#include "stores/places/places_handle.h"

namespace marksafe {
namespace firefox {

// Why nothing of an import was kept, as its report names it.
inline constexpr char16_t kNothingWritten[] =
    u"nothing of the import was written";

class ImportTransaction {
 public:
  // Begins a transaction on the handle's connection, or joins the one an
  // enclosing import has begun. Without a connection nothing is begun (the
  // statements then fail one by one, as they always did).
  explicit ImportTransaction(ms_places* handle);
  // Rolls back a transaction that was begun here and not finished.
  ~ImportTransaction();
  ImportTransaction(const ImportTransaction&) = delete;
  ImportTransaction& operator=(const ImportTransaction&) = delete;

  // True when the store must not be written now: Firefox runs, holds the
  // profile or has the database locked, or the store is damaged (fails
  // its quick_check). A diagnostic has been written and code() says why;
  // nothing was begun.
  bool Refused() const { return refused_; }

  // Ends the import with its result so far. When the transaction was begun
  // here it is committed, or rolled back when a failure aborted it (or the
  // commit fails). Returns result, made false by an abort or a failed
  // commit (code() 4313, with a diagnostic); then the call's report
  // counts what it counted as added as failed.
  bool Finish(bool result);
  // Why the transaction was refused or kept nothing (0 when neither).
  uint32_t code() const { return code_; }
  // After Finish: whether what was written is kept (committed here, or
  // left to the enclosing import whose transaction is still whole).
  bool Kept() const { return kept_; }

 private:
  void NothingKept();

  ms_places* handle_;
  bool owner_ = false;
  bool refused_ = false;
  bool kept_ = false;
  uint32_t code_ = kErrorSuccess;
};

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_TRANSACTION_H_
