// Chrome to interchange folder: the bookmark bar and the other bookmarks as
// the sub-folders "Bookmarks bar" and "Other bookmarks", a directory per
// folder node, an Internet Shortcut file (Chrome form) per url node, and
// "chrome_pos.ini" naming the two sub-folders.
#ifndef MARKSAFE_CHROME_CHROME_EXPORT_H_
#define MARKSAFE_CHROME_CHROME_EXPORT_H_

#include <json/json.h>

#include <cstdint>
#include <string>

namespace marksafe {
namespace chrome {

// Writes one url node as directory\<cleaned name>.url with its URL and its
// name + ".url" as Title. False for a node that is not a url node, whose name
// or url is not a string, or whose file could not be written.
bool export_url(const Json::Value& node, const std::u16string& directory);

// Writes a folder node as the directory parent\<fixed_name> (use_fixed_name;
// null counts as empty) or parent\<cleaned name>, creating it when missing,
// and everything below it. A failing child does not stop the walk; the
// result is true only when the directory was made and every url and folder
// child was written. Other children are passed over.
bool export_folder(const Json::Value& node, const std::u16string& parent,
                   const char16_t* fixed_name, bool use_fixed_name);

// Writes "chrome_pos.ini" and both roots into destination, which must exist.
// False for an empty document, a missing or overlong destination, or a root
// that failed (the other root is still written).
bool export_2_folder(const std::u16string& destination,
                     const Json::Value& document);

// The exports: 0 done; export_chrome_2_folder: 3 dest_folder null or too
// long, 2 Chrome file not found, 87 not loaded or export failed;
// backup_chrome: 3 backup_path null, missing or too long, 87 a folder could
// not be created, else export_chrome_2_folder's result.
int32_t ExportChrome2Folder(const char16_t* chrome_file,
                            const char16_t* dest_folder);
int32_t BackupChrome(const char16_t* chrome_file, const char16_t* backup_path,
                     bool into_backup_set);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_CHROME_CHROME_EXPORT_H_
