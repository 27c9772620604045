// Interchange folder to Chrome: merges a tree of Internet Shortcut files
// into a folder node of the Chrome document (folders found by exact name,
// bookmarks skipped when the folder already holds their URL, compared
// without regard to ASCII case), then saves the document over Chrome's file.
#ifndef MARKSAFE_CHROME_CHROME_IMPORT_H_
#define MARKSAFE_CHROME_CHROME_IMPORT_H_

#include <json/json.h>

#include <cstdint>
#include <string>

#include "chrome/chrome_document.h"

namespace marksafe {
namespace chrome {

// Merges the tree at path into parent (name empty) or into the first folder
// child of parent named name exactly, made at the end of parent when there
// is none. New nodes take their ids from *counter in listing order and go to
// the end of their folder. False when the counter is null, parent is not a
// folder node or has a "children" member that is not an array, a folder
// cannot be listed (the system's error stays the last error), or a
// sub-folder failed; what was added before the failure stays.
bool import_from_folder(const std::u16string& path, const std::string& name,
                        Json::Value* parent, IdCounter* counter);

// import_from_folder of source into the folder named name (UTF-16) on the
// bookmark bar, with ids from next_node_id. False for a null source or name.
bool import_folder_2_bookmark_bar(Json::Value* document, const char16_t* source,
                                  const char16_t* name);

// Imports the two sub-folders that folder's "chrome_pos.ini" names into the
// bookmark bar and the other bookmarks. False when folder is null, has no
// "chrome_pos.ini", or either import failed (the other one still runs).
bool import_from_chrome_bk(Json::Value* document, const char16_t* folder);

// The exports; results as documented in marksafe.h. A save that fails makes
// the call return 87. The file is saved for today's Chrome (a synced root
// added when missing, the checksum of a changed tree) and left untouched
// when the import added nothing and the root was there.
int32_t ImportFolder2ChromeBar(const char16_t* chrome_file,
                               const char16_t* source_folder,
                               const char16_t* folder_name);
int32_t ImportIe2Chrome(const char16_t* chrome_file,
                        const char16_t* backup_path, bool into_backup_set,
                        const char16_t* folder_name,
                        const void* must_be_nonnull_1,
                        const void* must_be_nonnull_2);
int32_t ImportFirefox2Chrome(const char16_t* chrome_file,
                             const char16_t* backup_path, bool into_backup_set,
                             const char16_t* folder_name);
int32_t RestoreChrome(const char16_t* chrome_file, const char16_t* backup_path,
                      bool into_backup_set);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_CHROME_CHROME_IMPORT_H_
