// Measuring Chrome's bookmarks, the temporary copy of Chrome's file, and the
// merge of a Chrome backup into the Favorites folder.
#ifndef MARKSAFE_CHROME_CHROME_MISC_H_
#define MARKSAFE_CHROME_CHROME_MISC_H_

#include <json/json.h>

#include <cstdint>

namespace marksafe {
namespace chrome {

// Adds to *folder_count every root folder of the document and every folder
// below them, and to *link_count every bookmark below them (all three
// roots). False when the document has no roots or they cannot be read (the
// counts are then unchanged).
bool CountChromeBookmarks(const Json::Value& document, int32_t* folder_count,
                          int32_t* link_count);

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

#endif  // MARKSAFE_CHROME_CHROME_MISC_H_
