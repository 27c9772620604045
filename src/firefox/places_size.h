// Measuring Firefox bookmarks before a backup: the live places database
// (file size and folder and link counts) or a Firefox backup folder.
#ifndef MARKSAFE_FIREFOX_PLACES_SIZE_H_
#define MARKSAFE_FIREFOX_PLACES_SIZE_H_

#include <cstdint>

#include "firefox/places_handle.h"

namespace marksafe {
namespace firefox {

// Writes the number of titled folders outside the toolbar and tags (less
// one) and the number of web links. A failed folder statement gives -1, a
// failed link statement 0.
void CountBookmarks(ms_places* handle, int32_t* folder_count,
                    int32_t* link_count);

// get_firefox_bookmark_size. With backup_path: as GetFirefoxBkSize, the
// counts written only on success. With null: the default profile's
// places.sqlite, its size (when the file exists) and its counts; false when
// no profile is found, Firefox runs, or the file is no readable database.
bool GetFirefoxBookmarkSize(const char16_t* backup_path, bool into_backup_set,
                            uint64_t* size, int32_t* folder_count,
                            int32_t* link_count);

// get_firefox_bk_size: size, sub-folders and .url files of the Firefox
// backup folder (backup_path, or its Bookmarks\Firefox with
// into_backup_set).
bool GetFirefoxBkSize(const char16_t* backup_path, bool into_backup_set,
                      uint64_t* size, int32_t* folder_count,
                      int32_t* link_count);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_FIREFOX_PLACES_SIZE_H_
