// Chrome to backup part: the Chrome document is read into the bookmark tree
// and written as a Chrome part (backup_set::WritePart: "Bookmarks bar",
// "Other bookmarks" and "Mobile bookmarks" as .url trees, "chrome_pos.ini"
// and the manifest that keeps order, dates and exact titles).
#ifndef MARKSAFE_STORES_CHROME_CHROME_EXPORT_H_
#define MARKSAFE_STORES_CHROME_CHROME_EXPORT_H_

#include <cstdint>

namespace marksafe {
namespace chrome {

// The exports: 0 done; export_chrome_2_folder: 3 dest_folder null or too
// long, 2 Chrome file not found, 87 not loaded or export failed;
// backup_chrome: 3 backup_path null, missing or too long, 87 a folder could
// not be created, else the export's result. Into a backup set, the part is
// replaced whole, and only when it was written completely.
int32_t ExportChrome2Folder(const char16_t* chrome_file,
                            const char16_t* dest_folder);
int32_t BackupChrome(const char16_t* chrome_file, const char16_t* backup_path,
                     bool into_backup_set);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_CHROME_EXPORT_H_
