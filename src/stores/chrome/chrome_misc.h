// Measuring Chrome's bookmarks, the temporary copy of Chrome's file, a new
// empty file, and the merge of a Chrome backup into the Favorites folder.
#ifndef MARKSAFE_STORES_CHROME_CHROME_MISC_H_
#define MARKSAFE_STORES_CHROME_CHROME_MISC_H_

#include <json/json.h>

#include <cstdint>
#include <string>

#include "base/status.h"

namespace marksafe {
namespace chrome {

// Adds to *folder_count and *link_count the figures the size exports give
// hosts: model::UserCounts of the document and its root folders. False
// when the document has no roots or they cannot be read (the counts are
// then unchanged).
bool CountChromeBookmarks(const Json::Value& document, int32_t* folder_count,
                          int32_t* link_count);

// Writes at path what a Chromium browser writes for a new profile: the
// three roots, empty, with the ids it gives them, a checksum and version 1.
// Fails with kErrorFileExists when path exists, kErrorPathNotFound when its
// folder does not, kErrorInvalidParameter when the file cannot be written.
[[nodiscard]] Status CreateChromeFile(const std::u16string& path);

// The exports; results as documented in marksafe.h.
int32_t GetChromeBkSize(const char16_t* backup_path, bool into_backup_set,
                        uint64_t* file_size, int32_t* folder_count,
                        int32_t* link_count);
int32_t GetChromeSize(const char16_t* chrome_file, uint64_t* file_size,
                      int32_t* folder_count, int32_t* link_count);
int32_t MkChromeTempFile(const char16_t* chrome_file);
int32_t ImportChromeBk2Ie(const char16_t* backup_path, bool into_backup_set,
                          const char16_t* ie_favorites);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_CHROME_MISC_H_
