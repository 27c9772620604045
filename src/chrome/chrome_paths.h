// Paths handed to the Chrome exports, and the folders derived from them.
//
// A path argument is used only when it fits the 259 characters of a path
// buffer: a longer one is refused, never cut (a cut path names another file
// or folder). The same holds for a backup root once the backup-set sub-path
// is appended, and for a folder named by a "chrome_pos.ini" value.
#ifndef MARKSAFE_CHROME_CHROME_PATHS_H_
#define MARKSAFE_CHROME_CHROME_PATHS_H_

#include <string>

#include "common/backup_set.h"

namespace marksafe {
namespace chrome {

constexpr size_t kMaxPathChars = 259;

// "chrome_pos.ini" values are read with a size of 99 units.
constexpr size_t kPositionValueSize = 99;

bool FitsPath(const std::u16string& path);

// The Chrome file to work on: chrome_file itself, or (null) the one the
// Chrome file locator finds. False when none is found or chrome_file is too
// long.
bool ChromeFileArgument(const char16_t* chrome_file, std::u16string* out);

// path, or with into_backup_set its part of the backup set. False when the
// result does not fit a path buffer.
bool BackupFolderArgument(const std::u16string& path, bool into_backup_set,
                          BackupPart part, std::u16string* out);

// The folder that the key of section "Chrome_menu" of folder's
// "chrome_pos.ini" names inside folder (the folder itself for an empty or
// missing key); the value itself goes to *value when value is not null.
// False, with a diagnostic, for a value that climbs out of folder or a
// result that does not fit a path buffer.
bool ChromePositionFolder(const std::u16string& folder, const char16_t* key,
                          std::u16string* out, std::u16string* value = nullptr);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_CHROME_CHROME_PATHS_H_
