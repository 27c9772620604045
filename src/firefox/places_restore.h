// Restoring a backup set into places, the single cross-imports it is made
// of, and the copy of a Firefox backup into a plain folder.
#ifndef MARKSAFE_FIREFOX_PLACES_RESTORE_H_
#define MARKSAFE_FIREFOX_PLACES_RESTORE_H_

#include <cstdint>

#include "firefox/places_handle.h"

namespace marksafe {
namespace firefox {

// import_2_firefox: folder into the folder titled title (null: "Imported
// from IE") under the bookmarks menu; sub-folders named "url" left out.
bool Import2Firefox(ms_places* handle, const char16_t* folder,
                    const char16_t* title);

// import_2_firefox_from_ie_bk: the Favorites part of a backup set (or the
// folder itself) into "Imported from IE" under the bookmarks menu.
bool Import2FirefoxFromIeBk(ms_places* handle, const char16_t* backup_path,
                            bool into_backup_set);

// import_chrome_bk_2_firefox: the Chrome part into "Imported from Chrome".
// 0 on success, 87 on any failure.
int32_t ImportChromeBk2Firefox(ms_places* handle, const char16_t* backup_path,
                               bool into_backup_set);

// import_2_firefox_from_bk: the folders that "pos.ini" names as "Main" and
// "Others" into the roots 2 and 5. A value that leaves the backup folder
// counts as a missing folder.
bool Import2FirefoxFromBk(ms_places* handle, const char16_t* backup_path,
                          bool into_backup_set);

// restore_firefox_pro: the Firefox, Favorites and Chrome parts of a backup
// set, adding 2, 1 and 1 to *progress; later steps run after a failed one.
// A null progress gives false with nothing touched.
bool RestoreFirefoxPro(ms_places* handle, const char16_t* backup_path,
                       bool into_backup_set, int32_t* progress);

// import_firefox_bk_2_folder: copies the "Main" and "Others" folders of a
// Firefox backup into dest_folder\subfolder_name (null: "Imported from
// Firefox"). A sub-folder name or "pos.ini" value that leaves its folder is
// refused.
bool ImportFirefoxBk2Folder(const char16_t* firefox_backup,
                            bool into_backup_set, const char16_t* dest_folder,
                            const char16_t* subfolder_name);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_FIREFOX_PLACES_RESTORE_H_
