// Restoring a backup set into places, the single cross-imports it is made
// of, and the merge of a Firefox backup into a plain folder. Each import
// reads its source and the store into bookmark trees, merges them, and
// writes only what the merge added, in one transaction.
#ifndef MARKSAFE_STORES_PLACES_PLACES_RESTORE_H_
#define MARKSAFE_STORES_PLACES_PLACES_RESTORE_H_

#include <cstdint>

#include "base/status.h"
#include "stores/places/places_handle.h"

namespace marksafe {
namespace firefox {

// import_2_firefox: folder into the folder titled title (null: "Imported
// from IE") under the bookmarks menu; sub-folders named "url" or "Imported
// from Firefox" left out.
[[nodiscard]] Status Import2Firefox(ms_places* handle, const char16_t* folder,
                                    const char16_t* title);

// import_2_firefox_from_ie_bk: the Favorites part of a backup set (or the
// folder itself) into "Imported from IE" under the bookmarks menu.
[[nodiscard]] Status Import2FirefoxFromIeBk(ms_places* handle,
                                            const char16_t* backup_path,
                                            bool into_backup_set);

// import_chrome_bk_2_firefox: the Chrome part into "Imported from Chrome",
// one sub-folder per Chrome root named as in the part (a folder without
// "chrome_pos.ini" is imported as a plain folder).
[[nodiscard]] Status ImportChromeBk2Firefox(ms_places* handle,
                                            const char16_t* backup_path,
                                            bool into_backup_set);

// import_2_firefox_from_bk: each root of the Firefox part (menu, toolbar,
// unsorted, mobile; an older part has only the first and third) into the
// same root of places. Fails when "pos.ini" is missing or names no folder
// of the part.
[[nodiscard]] Status Import2FirefoxFromBk(ms_places* handle,
                                          const char16_t* backup_path,
                                          bool into_backup_set);

// restore_firefox_pro: the Firefox, Favorites and Chrome parts of a backup
// set, adding 2, 1 and 1 to *progress; later steps run after a failed one,
// and the last failure is the result. A null progress fails with nothing
// touched.
[[nodiscard]] Status RestoreFirefoxPro(ms_places* handle,
                                       const char16_t* backup_path,
                                       bool into_backup_set, int32_t* progress);

// import_firefox_bk_2_folder: merges the Firefox part into
// dest_folder\subfolder_name (null: "Imported from Firefox"), one folder
// per root. A sub-folder name that leaves dest_folder is refused.
[[nodiscard]] Status ImportFirefoxBk2Folder(const char16_t* firefox_backup,
                                            bool into_backup_set,
                                            const char16_t* dest_folder,
                                            const char16_t* subfolder_name);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_RESTORE_H_
