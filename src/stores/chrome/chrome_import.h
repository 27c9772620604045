// Into Chrome: a backup part or a folder of .url files is read into the
// bookmark tree, merged (model::Merge, Chrome's capabilities) into the tree
// read from Chrome's file, and what is new is appended to the document,
// which is saved once for today's Chrome. Nothing in Chrome's file is
// changed or removed, a repeated import adds nothing, and a file that
// gains nothing keeps its bytes.
#ifndef MARKSAFE_STORES_CHROME_CHROME_IMPORT_H_
#define MARKSAFE_STORES_CHROME_CHROME_IMPORT_H_

#include <cstdint>

namespace marksafe {
namespace chrome {

// The exports; results as documented in marksafe.h. A save that fails makes
// the call return 87 (the file is then as it was).
//
// import_folder_2_chrome_bar: any .url folder into the bar folder named
// folder_name (found by its exact name, made when missing; an empty name
// is the bar itself). import_ie_2_chrome: the Favorites part of a backup
// set, by default into "Imported from IE". import_firefox_2_chrome: the
// Firefox part, by default into "Imported from Firefox", one sub-folder per
// Firefox root named as in the part (a folder without "pos.ini" is read as
// a plain .url folder). restore_chrome: the Chrome part, each root into
// the same root.
int32_t ImportFolder2ChromeBar(const char16_t* chrome_file,
                               const char16_t* source_folder,
                               const char16_t* folder_name);
int32_t ImportIe2Chrome(const char16_t* chrome_file,
                        const char16_t* backup_path, bool into_backup_set,
                        const char16_t* folder_name);
int32_t ImportFirefox2Chrome(const char16_t* chrome_file,
                             const char16_t* backup_path, bool into_backup_set,
                             const char16_t* folder_name);
int32_t RestoreChrome(const char16_t* chrome_file, const char16_t* backup_path,
                      bool into_backup_set);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_CHROME_IMPORT_H_
