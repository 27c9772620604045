// The one way bookmarks go into a store: lock it (not in a dry run), read
// it, merge folders of a source tree into its folders, write what each
// merge added, commit. Restores, imports and conversions into every kind
// of store run through it, so that they lock, count and fail alike.
#ifndef MARKSAFE_STORES_STORE_MERGE_H_
#define MARKSAFE_STORES_STORE_MERGE_H_

#include <string>
#include <utility>
#include <vector>

#include "base/status.h"
#include "model/bookmark_tree.h"
#include "model/report.h"
#include "stores/store.h"

namespace marksafe {
namespace stores {

class StoreMerge {
 public:
  // store must outlive the merge.
  explicit StoreMerge(Store* store);
  StoreMerge(const StoreMerge&) = delete;
  StoreMerge& operator=(const StoreMerge&) = delete;

  // Locks the store (unless the call is a dry run) and reads it; Open is
  // the two in turn.
  [[nodiscard]] Status Lock();
  [[nodiscard]] Status Read();
  [[nodiscard]] Status Open();

  // Source folders with one of these names (case-insensitive) are left out
  // at every depth, with everything below them.
  void set_excluded_folders(std::vector<std::u16string> names) {
    excluded_folders_ = std::move(names);
  }

  // The store's tree: as read, grown by the merges.
  model::Tree& tree() { return tree_; }

  // The root of the store that root `root` of source goes into
  // (Store::TargetRoot). kNoItem when the store lacks it (an old places
  // store has no mobile root): what source holds there is then counted as
  // not carried in *root_report and named in the report.
  model::ItemId RootFor(const model::Tree& source, model::Root root,
                        model::RootReport* root_report);

  // The first folder titled title directly in parent, made and written
  // when there is none. A folder made here holds an import: it is no item
  // of the source and is counted nowhere.
  [[nodiscard]] Status FolderIn(model::ItemId parent,
                                const std::u16string& title,
                                model::ItemId* folder);

  // Merges the children of source folder `from` into folder `into` and
  // writes what is new; a dry run counts what it would write instead.
  // root_report must be an entry of the call's report.
  [[nodiscard]] Status Merge(const model::Tree& source, model::ItemId from,
                             model::ItemId into,
                             model::RootReport* root_report);
  // Merge in two steps, so that a job can drop its source between them:
  // MergeOnly merges; WritePending then writes what each merge since the
  // last write added, counted in that merge's root report.
  void MergeOnly(const model::Tree& source, model::ItemId from,
                 model::ItemId into, model::RootReport* root_report);
  [[nodiscard]] Status WritePending();
  // WritePending once *source, which the merges read, is gone and its
  // memory handed back: the source and the grown store are not held at once.
  [[nodiscard]] Status WritePendingWithout(model::Tree* source);

  // Merges each root of source that holds anything into a folder titled as
  // that root, in the folder titled wrapper in parent (parent itself for an
  // empty wrapper); the folders are made on first use. Every root gets a
  // report entry labelled label + "/" + its title, empty or not. With
  // write_each each root is written as it is merged and only a wrapper that
  // cannot be made ends the merges; otherwise they are left for
  // WritePending and the first folder that cannot be made ends them.
  [[nodiscard]] Status MergeRootsInFolders(const model::Tree& source,
                                           model::ItemId parent,
                                           const std::u16string& wrapper,
                                           const std::u16string& label,
                                           bool write_each);

  // Ends the merge with its result so far: commits what was written, or
  // takes it back when so_far failed. When nothing of it is kept,
  // everything the report counted as added is counted as failed. Returns
  // the first failure.
  [[nodiscard]] Status Finish(Status so_far);

 private:
  Store* store_;
  model::Tree tree_;
  bool dry_run_;
  std::vector<std::u16string> excluded_folders_;
  // A merge not yet written; its report entry by index, as later entries
  // may move the report's list.
  struct Pending {
    model::ItemId into;
    size_t report_index;
    ItemSpan span;
  };
  std::vector<Pending> pending_;
};

}  // namespace stores
}  // namespace marksafe

#endif  // MARKSAFE_STORES_STORE_MERGE_H_
