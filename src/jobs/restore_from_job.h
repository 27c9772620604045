// A whole store read into memory (a browser's own backup, a snapshot, a
// part, another browser's store) merged straight into places or a Chrome
// file: as a restore into its own family, as a conversion into another.
#ifndef MARKSAFE_JOBS_RESTORE_FROM_JOB_H_
#define MARKSAFE_JOBS_RESTORE_FROM_JOB_H_

#include <cstdint>
#include <string>

#include "base/status.h"

namespace marksafe {
namespace jobs {

// Reads the source (any MARKSAFE_STORE_ kind but a .url folder) and merges
// it into the store of kind (places or Chrome) at path as MergeIntoStore
// does: root into root when the source is of the store's family (a
// snapshot is of its part's), else into an "Imported from Firefox" or
// "Imported from Chrome" folder. Fails with kErrorInvalidParameter for
// kinds it does not take, as ReadStore when the source cannot be read (a
// problem in the report says why), or as MergeIntoStore.
[[nodiscard]] Status RestoreFrom(int32_t source_kind,
                                 const std::u16string& source_path,
                                 int32_t kind, const std::u16string& path);

}  // namespace jobs
}  // namespace marksafe

#endif  // MARKSAFE_JOBS_RESTORE_FROM_JOB_H_
