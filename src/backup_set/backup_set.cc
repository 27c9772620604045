#include "backup_set/backup_set.h"

#include "base/text.h"

namespace marksafe {
bool GetBookmarkFolder(const char16_t* root, std::u16string* out) {
  if (root == nullptr || out == nullptr) return false;
  // A string, not a fixed buffer: a root too long for the system fails
  // later at the file system instead of overrunning anything here.
  *out = JoinPath(root, kBookmarksFolder);
  return true;
}

std::u16string BackupSetFolder(const std::u16string& root, BackupPart part) {
  std::u16string folder;
  GetBookmarkFolder(root.c_str(), &folder);
  folder += u'\\';
  folder += BackupPartName(part);
  return folder;
}

std::u16string ResolveBackupPath(const std::u16string& path,
                                 bool into_backup_set, BackupPart part) {
  return into_backup_set ? BackupSetFolder(path, part) : path;
}

}  // namespace marksafe
