// The backup set's layout under a host-given root:
//   ROOT\Bookmarks\Favorites, ROOT\Bookmarks\Firefox, ROOT\Bookmarks\Chrome.
#ifndef MARKSAFE_COMMON_BACKUP_SET_H_
#define MARKSAFE_COMMON_BACKUP_SET_H_

#include <string>

namespace marksafe {

enum class BackupPart { kFavorites, kFirefox, kChrome };

// ROOT, "\" unless ROOT ends with one, "Bookmarks". False for a null root.
bool GetBookmarkFolder(const char16_t* root, std::u16string* out);

// The Bookmarks folder followed by "\Favorites", "\Firefox" or "\Chrome".
std::u16string BackupSetFolder(const std::u16string& root, BackupPart part);

// path itself, or with into_backup_set its part of the backup set.
std::u16string ResolveBackupPath(const std::u16string& path,
                                 bool into_backup_set, BackupPart part);

}  // namespace marksafe

#endif  // MARKSAFE_COMMON_BACKUP_SET_H_
