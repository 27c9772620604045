// Paths handed to the Chrome exports, and the folders derived from them.
//
// A path argument is used only when it fits the 259 characters of a path
// buffer: a longer one is refused, never cut (a cut path names another file
// or folder). The same holds for a backup root once the backup-set sub-path
// is appended.
#ifndef MARKSAFE_STORES_CHROME_CHROME_PATHS_H_
#define MARKSAFE_STORES_CHROME_CHROME_PATHS_H_

#include <string>

#include "backup_set/backup_set.h"

namespace marksafe {
namespace chrome {

constexpr size_t kMaxPathChars = 259;

bool FitsPath(const std::u16string& path);

// The Chrome file to work on: chrome_file itself, or (null) the one the
// Chrome file locator finds. False when none is found or chrome_file is too
// long.
bool ChromeFileArgument(const char16_t* chrome_file, std::u16string* out);

// True when a running browser of the Chromium family holds the user-data
// folder around file (the folder above its profile folder, where the
// browser keeps its SingletonLock): the browser writes its own copy of the
// bookmarks over the file, so nothing is written into it meanwhile. A
// diagnostic line says so.
bool ChromiumHoldsFile(const std::u16string& file);

// path, or with into_backup_set its part of the backup set. False when the
// result does not fit a path buffer.
bool BackupFolderArgument(const std::u16string& path, bool into_backup_set,
                          BackupPart part, std::u16string* out);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_CHROME_PATHS_H_
