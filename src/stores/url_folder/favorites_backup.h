// Measuring and backing up the Internet Explorer Favorites folder, a tree
// of Internet Shortcut files that is already an interchange folder.
#ifndef MARKSAFE_STORES_URL_FOLDER_FAVORITES_BACKUP_H_
#define MARKSAFE_STORES_URL_FOLDER_FAVORITES_BACKUP_H_

#include <cstdint>
#include <string>

#include "backup_set/folder_tree.h"
#include "base/status.h"

namespace marksafe {
namespace ie {

// Size of the .url files below folder (null: the Favorites folder; with
// into_backup_set, folder is a backup root and its Bookmarks\Favorites is
// measured), the number of sub-folders and of .url files. Fails when the
// Favorites folder cannot be located, the path has 8 characters or fewer,
// or the measurement fails (then *size is not written; the counts may
// have been). REQUIRES: size not null.
[[nodiscard]] Status GetIeFavoritesSize(const char16_t* folder,
                                        bool into_backup_set, uint64_t* size,
                                        int32_t* folder_count,
                                        int32_t* link_count);

// Copies the .url files of ie_def_path (null: the Favorites folder) into
// backup_path, or with into_backup_set into backup_path\Bookmarks\Favorites,
// creating the folders. Fails for a Favorites folder that cannot be
// located, a folder that cannot be created, or a failed or cancelled copy
// (what was copied stays). REQUIRES: backup_path not null.
[[nodiscard]] Status BackupIe(const char16_t* ie_def_path,
                              const char16_t* backup_path, bool into_backup_set,
                              bool overwrite,
                              const volatile uint8_t* cancel_flag);

// Copies the .url files of the Favorites folder source to destination and
// reports the copy. Into a backup set (destination is then the part
// folder) it holds the part's lock; with overwrite the part is built anew
// beside the previous one and swapped in only when the whole copy
// succeeded: a failed or cancelled backup leaves the previous part whole.
// Without overwrite no file there is replaced, only new ones added.
[[nodiscard]] Status CopyFavorites(const std::u16string& source,
                                   const std::u16string& destination,
                                   bool into_backup_set, bool overwrite,
                                   const volatile uint8_t* cancel_flag);

// Adds to the thread's report what a copy of a Favorites tree did, as the
// root "favorites" labelled label: .url files and folders copied (added),
// there already (present) and failed. top_existed: the copy's destination
// folder was there when the copy began (it is no bookmark folder and is
// not counted).
void ReportFavoritesCopy(const std::u16string& label, bool top_existed,
                         const CopyCounts& counts);

}  // namespace ie
}  // namespace marksafe

#endif  // MARKSAFE_STORES_URL_FOLDER_FAVORITES_BACKUP_H_
