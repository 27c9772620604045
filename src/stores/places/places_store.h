// A Firefox places database as a store: read whole into the tree; written
// row by row inside one transaction, committed together.
#ifndef MARKSAFE_STORES_PLACES_PLACES_STORE_H_
#define MARKSAFE_STORES_PLACES_PLACES_STORE_H_

#include <memory>
#include <string>

#include "stores/places/places_handle.h"
#include "stores/places/places_transaction.h"
#include "stores/places/places_writer.h"
#include "stores/store.h"

namespace marksafe {
namespace firefox {

class PlacesStore : public stores::Store {
 public:
  // The database at file, opened when first used and closed with the store.
  explicit PlacesStore(std::u16string file);
  // A database the caller has open; it must outlive the store.
  explicit PlacesStore(ms_places* handle);
  ~PlacesStore() override;

  // Begins the transaction every write goes into (or joins an enclosing
  // one); refuses a store Firefox holds or a damaged one.
  Status Lock() override;
  Status Read(model::Tree* tree) override;
  Status WriteAdded(model::Tree* tree, model::ItemId below,
                    model::RootReport* root_report,
                    stores::ItemSpan span) override;
  // Commits the transaction. A single refused row fails alone, the rest is
  // kept; a failure that aborts the transaction, or a failed commit, keeps
  // nothing.
  Status Commit(bool ok) override;
  // Counted with SQL, without reading the tree.
  Status Count(model::Counts* counts) override;

 private:
  Status Open();

  ms_places* handle_;
  bool owned_;
  std::unique_ptr<ImportTransaction> transaction_;
  std::unique_ptr<PlacesWriter> writer_;
};

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_STORE_H_
