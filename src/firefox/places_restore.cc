#include "firefox/places_restore.h"

#include <string>

#include "common/backup_set.h"
#include "common/debug_log.h"
#include "common/folder_tree.h"
#include "common/interchange.h"
#include "common/text.h"
#include "firefox/places_import.h"
#include "firefox/places_transaction.h"
#include "platform/platform.h"

namespace marksafe {
namespace firefox {
namespace {

constexpr int32_t kInvalidParameter = 87;
// "pos.ini" values are read into 260 units.
constexpr size_t kPositionValueUnits = 260;
const char16_t kExcludedSubFolder[] = u"url";

long LastErrorForLog() { return static_cast<long>(platform::GetLastError()); }

std::u16string ReadPosition(const std::u16string& position_file,
                            const char16_t* key) {
  return platform::GetProfileString(interchange::kPosSection, key, u"",
                                    kPositionValueUnits, position_file);
}

// The folder that a "pos.ini" value names inside folder; empty when the
// value would leave it.
std::u16string PositionFolder(const std::u16string& folder,
                              const std::u16string& value) {
  std::u16string out;
  if (!interchange::ResolvePositionValue(folder, value, &out)) return u"";
  return out;
}

}  // namespace

bool Import2Firefox(ms_places* handle, const char16_t* folder,
                    const char16_t* title) {
  if (handle == nullptr || folder == nullptr || !platform::PathExists(folder)) {
    return false;
  }
  return ImportPlacesFolder(
      handle, folder, u"2",
      title != nullptr ? title : interchange::kImportedFromIe,
      kExcludedSubFolder);
}

bool Import2FirefoxFromIeBk(ms_places* handle, const char16_t* backup_path,
                            bool into_backup_set) {
  if (backup_path == nullptr) return false;
  std::u16string favorites =
      ResolveBackupPath(backup_path, into_backup_set, BackupPart::kFavorites);
  if (handle == nullptr || !platform::PathExists(favorites)) return false;
  return ImportPlacesFolder(handle, favorites, u"2",
                            interchange::kImportedFromIe, kExcludedSubFolder);
}

int32_t ImportChromeBk2Firefox(ms_places* handle, const char16_t* backup_path,
                               bool into_backup_set) {
  if (handle == nullptr || backup_path == nullptr) return kInvalidParameter;
  std::u16string chrome =
      ResolveBackupPath(backup_path, into_backup_set, BackupPart::kChrome);
  if (Import2Firefox(handle, chrome.c_str(),
                     interchange::kImportedFromChrome)) {
    return 0;
  }
  DebugLog(
      u"[DllExport] [import_chrome_bk_2_firefox] import chrome backup to "
      u"firefox fail: %ld \n",
      LastErrorForLog());
  return kInvalidParameter;
}

namespace {

// One root of a Firefox backup: the folder that key of the position file
// names, merged into places root root_id. *found is false (and nothing is
// imported) when that folder does not exist.
bool ImportBackupRoot(ms_places* handle, const std::u16string& firefox,
                      const std::u16string& position_file,
                      const char16_t* key, const char16_t* label,
                      const char16_t* root_id, const char16_t* line_end,
                      bool* found) {
  std::u16string value = ReadPosition(position_file, key);
  std::u16string folder = PositionFolder(firefox, value);
  *found = !folder.empty() && platform::PathExists(folder);
  if (!*found) {
    std::u16string named = firefox + u"\\" + value;
    DebugLog(
        u"[DllExport] [import_2_firefox_from_bk] [%s] target file: %s is "
        u"not exist!\n",
        label, named.c_str());
    return false;
  }
  bool ok = FixImportFromBK(handle, folder, root_id);
  DebugLog(u"[DllExport] [import_2_firefox_from_bk] [%s] target file: %s%s",
           label, folder.c_str(), line_end);
  if (!ok) {
    DebugLog(
        u"[DllExport] [import_2_firefox_from_bk] Firefox->FixImportFromBK[%s] "
        u"fail: %ld \n",
        root_id, LastErrorForLog());
  }
  return ok;
}

// The steps of import_2_firefox_from_bk, inside the caller's transaction.
bool ImportFirefoxBackupSteps(ms_places* handle, const char16_t* backup_path,
                              bool into_backup_set) {
  std::u16string firefox = backup_path;
  if (into_backup_set) {
    firefox = BackupSetFolder(backup_path, BackupPart::kFirefox);
    DebugLog(u"[DllExport] [import_2_firefox_from_bk] backup_path=%s!\n",
             firefox.c_str());
  }
  std::u16string position_file = firefox + u"\\" + interchange::kPosIni;
  if (!platform::PathExists(position_file)) {
    DebugLog(
        u"[DllExport] [import_2_firefox_from_bk] cfg file: %s is not exist!\n",
        position_file.c_str());
    return false;
  }

  bool found = false;
  bool menu_ok = ImportBackupRoot(handle, firefox, position_file,
                                  interchange::kPosMainKey, u"Main", u"2",
                                  u"\n", &found);
  if (!found) return false;
  bool others_ok = ImportBackupRoot(handle, firefox, position_file,
                                    interchange::kPosOthersKey, u"Others",
                                    u"5", u" \n", &found);
  if (!found) return false;
  return menu_ok && others_ok;
}

}  // namespace

bool Import2FirefoxFromBk(ms_places* handle, const char16_t* backup_path,
                          bool into_backup_set) {
  if (handle == nullptr || backup_path == nullptr) return false;
  if (!platform::PathExists(backup_path)) {
    DebugLog(u"[DllExport] [import_2_firefox_from_bk] path:%s is not exist \n",
             backup_path);
    return false;
  }
  // Both roots in one transaction; what one root imported stays when the
  // other fails, unless a failure aborted the whole import.
  ImportTransaction transaction(handle);
  if (transaction.Refused()) return false;
  return transaction.Finish(
      ImportFirefoxBackupSteps(handle, backup_path, into_backup_set));
}

bool RestoreFirefoxPro(ms_places* handle, const char16_t* backup_path,
                       bool into_backup_set, int32_t* progress) {
  if (handle == nullptr || backup_path == nullptr || progress == nullptr ||
      !platform::PathExists(backup_path)) {
    return false;
  }
  // The three parts in one transaction.
  ImportTransaction transaction(handle);
  if (transaction.Refused()) return false;
  std::u16string firefox =
      ResolveBackupPath(backup_path, into_backup_set, BackupPart::kFirefox);
  bool firefox_ok = Import2FirefoxFromBk(handle, firefox.c_str(), false);
  if (!firefox_ok) {
    DebugLog(
        u"[DllExport] [restore_firefox_pro] restore backup to firefox "
        u"fail:%ld \n",
        LastErrorForLog());
    DebugLog(
        u"[DllExport] [restore_firefox_pro] import_2_firefox_from_bk "
        u"backup_path=%s\n",
        firefox.c_str());
  }
  *progress += 2;

  bool ie_ok = true;
  std::u16string favorites =
      BackupSetFolder(backup_path, BackupPart::kFavorites);
  if (platform::PathExists(favorites)) {
    ie_ok =
        ImportPlacesFolder(handle, favorites, u"2",
                           interchange::kImportedFromIe, kExcludedSubFolder);
    if (!ie_ok) {
      DebugLog(
          u"[DllExport] [restore_firefox_pro] import IE fav to firefox "
          u"fail:%ld \n",
          LastErrorForLog());
    }
  }
  *progress += 1;

  int32_t chrome_code = 0;
  std::u16string chrome = BackupSetFolder(backup_path, BackupPart::kChrome);
  if (platform::PathExists(chrome)) {
    chrome_code = ImportChromeBk2Firefox(handle, chrome.c_str(), false);
  }
  *progress += 1;
  return transaction.Finish(firefox_ok && ie_ok && chrome_code == 0);
}

bool ImportFirefoxBk2Folder(const char16_t* firefox_backup,
                            bool into_backup_set, const char16_t* dest_folder,
                            const char16_t* subfolder_name) {
  if (firefox_backup == nullptr || dest_folder == nullptr) return false;
  if (!platform::PathExists(firefox_backup)) {
    DebugLog(
        u"[DllExport] [import_firefox_bk_2_folder] firefox_bk_path: %s is not "
        u"exist! \n",
        firefox_backup);
    return false;
  }
  std::u16string firefox =
      ResolveBackupPath(firefox_backup, into_backup_set, BackupPart::kFirefox);
  std::u16string destination =
      std::u16string(dest_folder) + u"\\" + interchange::kImportedFromFirefox;
  if (subfolder_name != nullptr &&
      !interchange::ResolvePositionValue(dest_folder, subfolder_name,
                                         &destination)) {
    return false;  // the sub-folder would lie outside dest_folder
  }
  if (!platform::PathExists(destination) &&
      !platform::CreateDirectoryTree(destination)) {
    return false;
  }
  std::u16string position_file = firefox + u"\\" + interchange::kPosIni;
  if (!platform::PathExists(position_file)) return false;

  // Never set: the copy runs to its end.
  volatile uint8_t cancel = 0;

  std::u16string main_value =
      ReadPosition(position_file, interchange::kPosMainKey);
  std::u16string source = PositionFolder(firefox, main_value);
  std::u16string target = PositionFolder(destination, main_value);
  DebugLog(u"[DllExport] [import_firefox_bk_2_folder] new source path: %s  \n",
           source.c_str());
  DebugLog(u"[DllExport] [import_firefox_bk_2_folder] new dest path: %s  \n",
           target.c_str());
  if (source.empty() || target.empty() || !platform::PathExists(source)) {
    return false;
  }
  bool menu_ok = copy_folder(source, target, interchange::kUrlExtension, true,
                             &cancel, true);
  if (!menu_ok) {
    DebugLog(
        u"[DllExport] [import_firefox_bk_2_folder] copy_folder[M] fail: %ld \n",
        LastErrorForLog());
  }

  std::u16string others_value =
      ReadPosition(position_file, interchange::kPosOthersKey);
  source = PositionFolder(firefox, others_value);
  target = PositionFolder(destination, others_value);
  if (source.empty() || target.empty() || !platform::PathExists(source)) {
    return false;
  }
  bool others_ok = copy_folder(source, target, interchange::kUrlExtension, true,
                               &cancel, true);
  if (!others_ok) {
    DebugLog(
        u"[DllExport] [import_firefox_bk_2_folder] copy_folder[O] fail: %ld \n",
        LastErrorForLog());
  }
  return menu_ok && others_ok;
}

}  // namespace firefox
}  // namespace marksafe
