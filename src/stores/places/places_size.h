// Measuring Firefox bookmarks before a backup: the live places database
// (file size and folder and link counts) or a Firefox backup folder.
#ifndef MARKSAFE_STORES_PLACES_PLACES_SIZE_H_
#define MARKSAFE_STORES_PLACES_PLACES_SIZE_H_

#include <cstdint>

#include "base/status.h"
#include "stores/places/places_handle.h"

namespace marksafe {
namespace firefox {

// The folders and links a backup of the store carries: everything below
// the menu, toolbar, unsorted and mobile roots (links of every scheme; the
// roots and the tag folders are not counted). Fails when the store cannot
// be read.
[[nodiscard]] Status CountBookmarks(ms_places* handle, int32_t* folder_count,
                                    int32_t* link_count);

// get_firefox_bookmark_size. With backup_path: as GetFirefoxBkSize, the
// counts written only on success. With null: the default profile's
// places.sqlite, its size (when the file exists) and its counts; fails when
// no profile is found, Firefox runs, or the file is no readable database.
[[nodiscard]] Status GetFirefoxBookmarkSize(const char16_t* backup_path,
                                            bool into_backup_set,
                                            uint64_t* size,
                                            int32_t* folder_count,
                                            int32_t* link_count);

// get_firefox_bk_size: the size of the Firefox backup folder (backup_path,
// or its Bookmarks\Firefox with into_backup_set) and the folders and links
// below its roots; a folder that is no part is counted as .url files and
// sub-folders.
[[nodiscard]] Status GetFirefoxBkSize(const char16_t* backup_path,
                                      bool into_backup_set, uint64_t* size,
                                      int32_t* folder_count,
                                      int32_t* link_count);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_SIZE_H_
