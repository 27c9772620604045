// Backups, each written once: a store is read whole into the bookmark tree
// and written as a part of a backup set (every root, with the manifest
// that keeps order, separators, dates, exact titles, tags and keywords).
#ifndef MARKSAFE_JOBS_BACKUP_JOBS_H_
#define MARKSAFE_JOBS_BACKUP_JOBS_H_

#include <cstdint>
#include <string>

#include "backup_set/part.h"
#include "backup_set/part_source.h"
#include "base/status.h"
#include "model/bookmark_tree.h"
#include "stores/places/places_handle.h"
#include "stores/store.h"

namespace marksafe {
namespace jobs {

// Reads store and writes it as the part of kind in folder, replacing the
// whole part when replace_whole; the report counts per root what the part
// holds. check (may be null) judges the tree read: its failure fails the
// backup, but what was read is still written.
[[nodiscard]] Status BackupStore(
    stores::Store* store, backup_set::PartKind kind,
    const std::u16string& folder, bool replace_whole,
    const backup_set::PartSource& source,
    Status (*check)(const model::Tree& tree) = nullptr);

// Reads the store of kind (places, a Chrome file or a Firefox backup) at
// path and writes it whole as the part in folder, its manifest naming
// browser and profile (each when not empty; else as PartSourceOfStore).
// Fails as ReadStore; *written is the failure to write the part (ok
// otherwise).
[[nodiscard]] Status BackupStoreAsPart(int32_t kind, const std::u16string& path,
                                       const std::u16string& folder,
                                       const std::u16string& browser,
                                       const std::u16string& profile,
                                       Status* written);

// export_firefox_2_folder: dest (or dest\Bookmarks\Firefox), which must
// exist; the export folder is created when missing. Inside a backup set the
// part is replaced whole. Ok when everything was written.
[[nodiscard]] Status ExportFirefox2Folder(ms_places* handle,
                                          const char16_t* dest,
                                          bool into_backup_set);

// backup_firefox: fails for a missing dest, else as ExportFirefox2Folder.
[[nodiscard]] Status BackupFirefox(ms_places* handle, const char16_t* dest,
                                   bool into_backup_set);

// export_chrome_2_folder, failing with the export's code: 3 dest too long,
// 2 Chrome file not found, 87 not loaded or export failed.
[[nodiscard]] Status ExportChrome2Folder(const char16_t* chrome_file,
                                         const char16_t* dest_folder);

// backup_chrome: 3 backup_path missing or too long, 87 a folder could not
// be created, else as ExportChrome2Folder. Into a backup set the part is
// replaced whole, and only when it was written completely.
[[nodiscard]] Status BackupChrome(const char16_t* chrome_file,
                                  const char16_t* backup_path,
                                  bool into_backup_set);

}  // namespace jobs
}  // namespace marksafe

#endif  // MARKSAFE_JOBS_BACKUP_JOBS_H_
