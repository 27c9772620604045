// The combined Internet Explorer export: a backup of the Favorites folder,
// or a restore of a whole backup set (the Favorites part, then the Firefox
// and Chrome parts as sub-folders) into it.
#ifndef MARKSAFE_JOBS_COMBINED_BACKUP_H_
#define MARKSAFE_JOBS_COMBINED_BACKUP_H_

#include <cstdint>

#include "base/status.h"

namespace marksafe {
namespace ie {

// is_backup true: copies the .url files of the Favorites folder
// (ie_def_path, or located when null) into the backup folder (backup_path,
// or its Bookmarks\Favorites with into_backup_set); progress unchanged.
// is_backup false: copies the backup folder into the Favorites folder
// (leaving out "Imported from IE"), merges backup_path\Bookmarks\Firefox and
// backup_path\Bookmarks\Chrome into its "Imported from Firefox" and
// "Imported from chrome" sub-folders when they exist (MergePartIntoFavorites:
// nothing there is overwritten, a repeated restore adds nothing), adds 2 to
// *progress and hides every ".Quillbay" entry; every step runs whatever the
// earlier ones gave, and the last step that failed is the result.
// Early failures (null or missing backup_path, null cancel_flag, no Favorites
// folder) add 2 to *progress. REQUIRES: progress not null.
[[nodiscard]] Status BackupIePro(const char16_t* ie_def_path,
                                 const char16_t* backup_path,
                                 bool into_backup_set, bool overwrite,
                                 const volatile uint8_t* cancel_flag,
                                 bool is_backup, int32_t* progress);

// Copies one Favorites part (part_folder) into the Favorites folder
// (favorites, or located when null) as the restore above does, and nothing
// else of the set: what the folder holds is never replaced. Fails when the
// part is no folder or the copy fails. REQUIRES: part_folder and
// cancel_flag not null.
[[nodiscard]] Status RestoreFavoritesPart(const char16_t* favorites,
                                          const char16_t* part_folder,
                                          const volatile uint8_t* cancel_flag);

}  // namespace ie
}  // namespace marksafe

#endif  // MARKSAFE_JOBS_COMBINED_BACKUP_H_
