#include "chrome/chrome_paths.h"

#include "common/debug_log.h"
#include "common/interchange.h"
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
  *out = ResolveBackupPath(path, into_backup_set, part);
  return FitsPath(*out);
}

bool ChromePositionFolder(const std::u16string& folder, const char16_t* key,
                          std::u16string* out, std::u16string* value_out) {
  const std::u16string position_file =
      JoinPath(folder, interchange::kChromePosIni);
  const std::u16string value =
      platform::GetProfileString(interchange::kChromePosSection, key, u"",
                                 kPositionValueSize, position_file);
  if (value_out != nullptr) *value_out = value;
  if (!interchange::ResolvePositionValue(folder, value, out)) {
    DebugLog(u"[Chrome] chrome_pos.ini value %s refused: it leaves %s\n",
             value.c_str(), folder.c_str());
    return false;
  }
  if (!FitsPath(*out)) {
    DebugLog(u"[Chrome] folder too long: %s\n", out->c_str());
    return false;
  }
  return true;
}

}  // namespace chrome
}  // namespace marksafe
