// The backup set's layout under a host-given root:
//   ROOT\Bookmarks\Favorites, ROOT\Bookmarks\Firefox, ROOT\Bookmarks\Chrome.
#ifndef MARKSAFE_BACKUP_SET_BACKUP_SET_H_
#define MARKSAFE_BACKUP_SET_BACKUP_SET_H_

#include <string>

namespace marksafe {

enum class BackupPart { kFavorites, kFirefox, kChrome };

// The folder under ROOT that holds the parts.
inline constexpr char16_t kBookmarksFolder[] = u"Bookmarks";

// "Favorites", "Firefox" or "Chrome": the part's folder in kBookmarksFolder.
// Inline, so that the command-line host lays out the same set.
inline const char16_t* BackupPartName(BackupPart part) {
  switch (part) {
    case BackupPart::kFavorites:
      return u"Favorites";
    case BackupPart::kFirefox:
      return u"Firefox";
    case BackupPart::kChrome:
      return u"Chrome";
  }
  return u"Favorites";
}

// ROOT, "\" unless ROOT ends with one, "Bookmarks". False for a null root.
bool GetBookmarkFolder(const char16_t* root, std::u16string* out);

// The Bookmarks folder followed by "\Favorites", "\Firefox" or "\Chrome".
std::u16string BackupSetFolder(const std::u16string& root, BackupPart part);

// path itself, or with into_backup_set its part of the backup set.
std::u16string ResolveBackupPath(const std::u16string& path,
                                 bool into_backup_set, BackupPart part);

}  // namespace marksafe

#endif  // MARKSAFE_BACKUP_SET_BACKUP_SET_H_
