// The jobs on stores of any kind (MARKSAFE_STORE_*), each written once:
// read one, count it, write it out whole as one file, merge a tree into it
// the way a restore merges; and compare two, item by item (what changed)
// or link by link per folder (what a backup holds that a store lacks).
#ifndef MARKSAFE_JOBS_STORE_JOBS_H_
#define MARKSAFE_JOBS_STORE_JOBS_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "history/tree_diff.h"
#include "model/bookmark_tree.h"

namespace marksafe {
namespace jobs {

// Reads the store into tree. Fails with kErrorFileNotFound when nothing is
// at path, kErrorInvalidParameter for an unknown kind, and
// kErrorInvalidData when it cannot be read; the call's report then names
// the store and the reason.
[[nodiscard]] Status ReadStore(int32_t kind, const std::u16string& path,
                               model::Tree* tree);

// The user's folders and links, the roots left out (places counts with SQL,
// without reading its tree). Fails as ReadStore.
[[nodiscard]] Status CountStore(int32_t kind, const std::u16string& path,
                                model::Counts* counts);

// Reads the store and replaces file with the bytes write makes of the tree,
// in one step; the report counts per root what was written. Fails as
// ReadStore, as write (nothing is written then), or with kErrorAccessDenied
// when file cannot be written.
[[nodiscard]] Status ExportStore(
    int32_t kind, const std::u16string& path, const std::u16string& file,
    const std::function<Status(const model::Tree&, std::string*)>& write);

// Merges every root of source into the store's root of the same kind
// (places or Chrome; nothing doubled on a repeat), empties source (its
// memory goes before the store's grows), writes what is new and commits; a
// dry run only merges. A root the store lacks is reported, not
// carried. With a wrapper, as a conversion imports: each root that holds
// anything into a folder titled as that root, in the folder titled wrapper
// in the store's menu (places) or bookmark bar (Chrome). Fails with
// kErrorAccessDenied when the store cannot be locked or written (nothing of
// the merge kept), kErrorInvalidData when it cannot be read; the report
// says why.
[[nodiscard]] Status MergeIntoStore(model::Tree* source, int32_t kind,
                                    const std::u16string& path,
                                    const std::u16string& wrapper = u"");

// One of the two stores a comparison reads: its path (null: none named),
// its MARKSAFE_STORE_ kind and the words that name it in a failure.
struct StoreToRead {
  const char16_t* path;
  int32_t kind;
  const char16_t* label;  // "the backup"
};

// The stores read and history::DiffTrees of them.
struct StoreDiff {
  model::Tree before, after;
  history::TreeDiff diff;
};

// Reads before, then after (not when before cannot be read), and compares
// them. Fails as ReadStore (kErrorInvalidParameter for a store not named)
// with the message "<label> cannot be read".
[[nodiscard]] Status DiffStores(const StoreToRead& before,
                                const StoreToRead& after, StoreDiff* result);

struct ComparedLink {
  std::u16string title, url;  // as stored
};

// The links of one folder that only one side holds. Links match by root,
// folder path below the root and normalised URL, each one once.
struct ComparedFolder {
  std::string root;       // the root's key, as the store names it
  std::u16string folder;  // below the root, "/" between names; empty: the root
  std::vector<ComparedLink> missing;  // in the backup only
  std::vector<ComparedLink> extra;    // in the store only
};

struct StoreComparison {
  std::vector<ComparedFolder> folders;  // by root key, then folder path
  int64_t missing = 0, extra = 0;
};

// Reads backup, then store, and compares their links folder by folder
// (the backup's roots mapped onto the store's). Fails as DiffStores.
[[nodiscard]] Status CompareWithStore(const StoreToRead& backup,
                                      const StoreToRead& store,
                                      StoreComparison* result);

}  // namespace jobs
}  // namespace marksafe

#endif  // MARKSAFE_JOBS_STORE_JOBS_H_
