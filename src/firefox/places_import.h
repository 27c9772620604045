// Merging an interchange folder into places. Directories become folders
// (found by title or created), .url files become links; nothing that is
// there already is changed or removed, and what is present is not added
// again.
#ifndef MARKSAFE_FIREFOX_PLACES_IMPORT_H_
#define MARKSAFE_FIREFOX_PLACES_IMPORT_H_

#include <string>

#include "firefox/places_handle.h"

namespace marksafe {
namespace firefox {

// The date added written into every imported row.
extern const char16_t kImportDateAdded[];  // "1248279149000000"

// Last-error values the walkers leave behind.
constexpr uint32_t kErrorNoUrl = 87;           // a .url file without URL
constexpr uint32_t kErrorInsertFailed = 4313;  // an insert failed

// Both walkers run in one transaction (or in the one an enclosing import
// began), and write nothing while Firefox holds the store.
//
// Imports folder_path as the folder titled title directly under parent_id
// (found, or created). Sub-folders named ".Quillbay", "Imported from
// Firefox" or exclude_name (null: none) are left out at every depth. False
// when the folder cannot be listed or found or created, a link has no URL
// (last error 87), an insert fails (4313), or a sub-folder's walk failed
// (which ends this walk at once).
bool ImportPlacesFolder(ms_places* handle, const std::u16string& folder_path,
                        const std::u16string& parent_id,
                        const std::u16string& title,
                        const char16_t* exclude_name);

// Imports the content of folder_path straight into root "2" or "5" (any
// other root_id: false at once); each sub-folder becomes a folder of its
// own name under the root.
bool FixImportFromBK(ms_places* handle, const std::u16string& folder_path,
                     const std::u16string& root_id);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_FIREFOX_PLACES_IMPORT_H_
