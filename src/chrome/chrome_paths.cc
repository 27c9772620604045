#include "chrome/chrome_paths.h"

#include "common/folder_swap.h"
#include "common/locators.h"
#include "common/text.h"
#include "platform/platform.h"

namespace marksafe {
namespace chrome {

bool FitsPath(const std::u16string& path) {
  return path.size() <= kMaxPathChars;
}

bool ChromeFileArgument(const char16_t* chrome_file, std::u16string* out) {
  if (chrome_file == nullptr) return LocateChromeFile(out);
  *out = FromPointer(chrome_file);
  return FitsPath(*out);
}

bool BackupFolderArgument(const std::u16string& path, bool into_backup_set,
                          BackupPart part, std::u16string* out) {
  if (!FitsPath(path)) return false;
  // A part an interrupted swap left aside is read where it is.
  *out = ReadableFolder(ResolveBackupPath(path, into_backup_set, part));
  return FitsPath(*out);
}

}  // namespace chrome
}  // namespace marksafe
