#include "stores/chrome/chrome_paths.h"

#include "backup_set/folder_swap.h"
#include "base/error_codes.h"
#include "base/text.h"
#include "platform/debug_log.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "profiles/locators.h"

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

bool ChromiumHoldsFile(const std::u16string& file) {
  const std::u16string user_data = ParentFolder(ParentFolder(file));
  if (user_data.empty() || !platform::ChromiumUserDataInUse(user_data, u"")) {
    return false;
  }
  DebugLog(u"[Chrome] a running browser holds %s: nothing is written to %s\n",
           user_data.c_str(), file.c_str());
  return true;
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
