// Writing Firefox's bookmarks menu and unsorted bookmarks into an
// interchange folder: a directory per places folder, a .url file per web
// link, and "pos.ini" naming the two top-level folders.
#ifndef MARKSAFE_FIREFOX_PLACES_EXPORT_H_
#define MARKSAFE_FIREFOX_PLACES_EXPORT_H_

#include <cstdint>
#include <string>

#include "firefox/places_handle.h"
#include "firefox/places_statements.h"

namespace marksafe {
namespace firefox {

// Export2Folder's result when the handle has no connection.
constexpr int32_t kNoDatabase = 652;
// Folders deeper than this below a root are not exported (a damaged store
// could otherwise nest without end).
constexpr int kMaxFolderDepth = 256;

// export_firefox_2_folder: dest (or dest\Bookmarks\Firefox), which must
// exist; the export folder is created when missing. True when everything
// was written.
bool ExportFirefox2Folder(ms_places* handle, const char16_t* dest,
                          bool into_backup_set);

// backup_firefox: false for a missing dest, else ExportFirefox2Folder.
bool BackupFirefox(ms_places* handle, const char16_t* dest,
                   bool into_backup_set);

// Lays out the export folder. 0 on success; kNoDatabase without a
// connection; the last error when folder cannot be created; 87 when
// "pos.ini" cannot be created or any folder or file failed.
int32_t Export2Folder(ms_places* handle, const std::u16string& folder);

// Writes folder (its directory under parent_path, then its sub-folders,
// then its links). 0 on success, -1 when its directory, a listing or one of
// its files failed, else the code of the last failing sub-folder.
int32_t ExportPlacesFolder(ms_places* handle, const std::u16string& parent_path,
                           const FolderRecord& folder);

// Whether this process has created "pos.ini" afresh already (only the first
// export does; later ones write their keys into what is there).
bool PositionFileCreated();

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_FIREFOX_PLACES_EXPORT_H_
