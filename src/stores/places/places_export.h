// Backing up places into a Firefox part: the store is read into the
// bookmark tree and written as the part of a backup set (every root, with
// the manifest that keeps order, separators, dates, tags and keywords).
#ifndef MARKSAFE_STORES_PLACES_PLACES_EXPORT_H_
#define MARKSAFE_STORES_PLACES_PLACES_EXPORT_H_

#include "stores/places/places_handle.h"

namespace marksafe {
namespace firefox {

// export_firefox_2_folder: dest (or dest\Bookmarks\Firefox), which must
// exist; the export folder is created when missing. Inside a backup set the
// part is replaced whole. True when everything was written.
bool ExportFirefox2Folder(ms_places* handle, const char16_t* dest,
                          bool into_backup_set);

// backup_firefox: false for a missing dest, else as ExportFirefox2Folder.
bool BackupFirefox(ms_places* handle, const char16_t* dest,
                   bool into_backup_set);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_EXPORT_H_
