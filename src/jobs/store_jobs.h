// The jobs on one store of any kind (MARKSAFE_STORE_*), each written once:
// read it, count it, write it out whole as one file, and merge a tree into
// it the way a restore merges.
#ifndef MARKSAFE_JOBS_STORE_JOBS_H_
#define MARKSAFE_JOBS_STORE_JOBS_H_

#include <cstdint>
#include <functional>
#include <string>

#include "base/status.h"
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

// Reads the store and replaces file with write(tree) in one step; the
// report counts per root what was written. Fails as ReadStore, or with
// kErrorAccessDenied when file cannot be written.
[[nodiscard]] Status ExportStore(
    int32_t kind, const std::u16string& path, const std::u16string& file,
    const std::function<std::string(const model::Tree&)>& write);

// Merges every root of source into the store's root of the same kind
// (places or Chrome; nothing doubled on a repeat), empties source (its
// memory goes before the store's grows), writes what is new and commits; a
// dry run only merges. A root the store lacks is reported, not
// carried. Fails with kErrorAccessDenied when the store cannot be locked or
// written (nothing of the merge kept), kErrorInvalidData when it cannot be
// read; the report says why.
[[nodiscard]] Status MergeIntoStore(model::Tree* source, int32_t kind,
                                    const std::u16string& path);

}  // namespace jobs
}  // namespace marksafe

#endif  // MARKSAFE_JOBS_STORE_JOBS_H_
