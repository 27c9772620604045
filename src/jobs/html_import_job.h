// A bookmark HTML file merged into places or a Chrome file the way a
// restore merges (nothing doubled on a repeat); in a dry run only in
// memory.
#ifndef MARKSAFE_JOBS_HTML_IMPORT_JOB_H_
#define MARKSAFE_JOBS_HTML_IMPORT_JOB_H_

#include <cstdint>
#include <string>

#include "base/status.h"

namespace marksafe {
namespace jobs {

// Reads the bookmark HTML file and merges it as MergeIntoStore does into
// the store of kind (places or Chrome) at store_path; the report then also
// names each link the file held that no store can take. Fails with
// kErrorFileNotFound when either file is missing, kErrorAccessDenied when
// the HTML file cannot be read, kErrorInvalidData when it is no bookmark
// HTML, or as MergeIntoStore.
[[nodiscard]] Status ImportHtml(const std::u16string& html_path, int32_t kind,
                                const std::u16string& store_path);

}  // namespace jobs
}  // namespace marksafe

#endif  // MARKSAFE_JOBS_HTML_IMPORT_JOB_H_
