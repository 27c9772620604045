// A store of bookmarks as the jobs see it: a Firefox places database, a
// Chrome bookmarks file, a .url folder, a backup set's part, a bookmark
// HTML file, a Firefox JSON backup or a snapshot. Every store reads itself
// into the bookmark tree; a store that can be written also takes its lock,
// writes what a merge marked as added, and commits.
#ifndef MARKSAFE_STORES_STORE_H_
#define MARKSAFE_STORES_STORE_H_

#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "base/status.h"
#include "model/bookmark_tree.h"
#include "model/merge.h"
#include "model/report.h"

namespace marksafe {
namespace stores {

// The ids of the items one merge added: [first, end).
struct ItemSpan {
  model::ItemId first = 0;
  model::ItemId end = std::numeric_limits<model::ItemId>::max();
};

class Store {
 public:
  virtual ~Store() = default;
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  const std::u16string& path() const { return path_; }

  // Readies the store to be written and keeps every other writer out until
  // the store is gone: refuses a store a running browser holds and takes
  // the store's lock. A store that cannot be written refuses.
  [[nodiscard]] virtual Status Lock();

  // Reads the whole store: its roots and everything below them.
  [[nodiscard]] virtual Status Read(model::Tree* tree) = 0;
  // Reads the store as the target of a merge, keeping what its writer
  // needs; a dry run reads it so too, so that it shows what the merge
  // would do.
  [[nodiscard]] virtual Status ReadToWrite(model::Tree* tree) {
    return Read(tree);
  }

  // What the store can hold.
  virtual model::Capabilities capabilities() const {
    return model::FirefoxCapabilities();
  }

  // The root of this store that a root of another store goes into.
  virtual model::Root TargetRoot(model::Root root) const { return root; }

  // Writes every item of tree (as Read filled it and merges grew it) that
  // is marked added below folder `below` and lies in span, with the added
  // folders above it, and counts what it wrote in *root_report (may be
  // null).
  [[nodiscard]] virtual Status WriteAdded(model::Tree* tree,
                                          model::ItemId below,
                                          model::RootReport* root_report,
                                          ItemSpan span);

  // Makes what was written lasting when ok, or takes it back when a write
  // failed. Nothing is lasting before.
  [[nodiscard]] virtual Status Commit(bool ok);

  // The user's folders and links, the roots left out.
  [[nodiscard]] virtual Status Count(model::Counts* counts);

 protected:
  explicit Store(std::u16string path) : path_(std::move(path)) {}

 private:
  std::u16string path_;
};

// A store that is read through one function and cannot be written.
std::unique_ptr<Store> ReadOnlyStore(
    std::u16string path,
    std::function<Status(const std::u16string& path, model::Tree* tree)> read);

}  // namespace stores
}  // namespace marksafe

#endif  // MARKSAFE_STORES_STORE_H_
