#include "stores/places/places_restore.h"

#include <string>
#include <vector>

#include "backup_set/backup_set.h"
#include "backup_set/folder_swap.h"
#include "backup_set/interchange.h"
#include "backup_set/part.h"
#include "base/debug_log.h"
#include "base/error_codes.h"
#include "context/job.h"
#include "model/merge.h"
#include "model/report.h"
#include "platform/platform.h"
#include "stores/places/places_reader.h"
#include "stores/places/places_store.h"
#include "stores/places/places_transaction.h"
#include "stores/store_merge.h"
#include "stores/url_folder/favorites_import.h"

namespace marksafe {
namespace firefox {
namespace {
const char16_t kExcludedSubFolder[] = u"url";

long LastErrorForLog() { return static_cast<long>(platform::GetLastError()); }

// The store read for a merge whose writes go into the caller's
// transaction. False (the last error set) when it cannot be read or has no
// menu root (every store has it).
bool OpenTarget(stores::StoreMerge* merge, ms_places* handle) {
  Status status = merge->Open();
  if (status.ok() && merge->tree().root(model::Root::kMenu) == model::kNoItem) {
    status = Status::Error(
        kErrorDatabaseFailure,
        u"[FirefoxBookmark].No bookmarks menu in " + handle->databasePath);
  }
  return SucceededOrSetLastError(status);
}

// Ends a step's merge: what it wrote stays in the caller's transaction
// unless a failure aborted it. False (the last error set) when anything
// failed.
bool FinishStep(stores::StoreMerge* merge, Status so_far) {
  return SucceededOrSetLastError(merge->Finish(std::move(so_far)));
}

// A plain .url folder into the folder titled title under the menu.
bool ImportFolderStep(ms_places* handle, const std::u16string& folder,
                      const std::u16string& title) {
  model::Tree source;
  const model::ItemId content = source.AddRoot(model::Root::kMenu, title);
  Status status = backup_set::ReadUrlFolder(
      folder, {kExcludedSubFolder, interchange::kImportedFromFirefox}, &source,
      content);
  if (!SucceededOrSetLastError(status)) return false;
  PlacesStore store(handle);
  stores::StoreMerge merge(&store);
  if (!OpenTarget(&merge, handle)) return false;
  const model::ItemId menu = merge.tree().root(model::Root::kMenu);
  model::RootReport* root_report = context::Current().report().AddRoot(
      platform::ToUtf8(title), PlacesRootTitle(model::Root::kMenu) + u"/" +
                                   title);
  model::ItemId into = model::kNoItem;
  status = merge.FolderIn(menu, title, &into);
  if (status.ok()) status = merge.Merge(source, content, into, root_report);
  return FinishStep(&merge, std::move(status));
}

// A Chrome part: a sub-folder per Chrome root under "Imported from Chrome".
bool ImportChromeStep(ms_places* handle, const std::u16string& chrome) {
  const std::u16string title = interchange::kImportedFromChrome;
  if (!platform::PathExists(chrome + u"\\" + interchange::kChromePosIni)) {
    return ImportFolderStep(handle, chrome, title);
  }
  model::Tree source;
  Status status =
      backup_set::ReadPart(chrome, backup_set::PartKind::kChrome, &source);
  if (!SucceededOrSetLastError(status)) return false;
  PlacesStore store(handle);
  stores::StoreMerge merge(&store);
  if (!OpenTarget(&merge, handle)) return false;
  const model::ItemId menu = merge.tree().root(model::Root::kMenu);
  model::ItemId wrapper = model::kNoItem;
  for (model::Root root : model::kAllRoots) {
    const model::ItemId from = source.root(root);
    if (from == model::kNoItem) continue;
    const std::u16string name = source.at(from).title;
    model::RootReport* root_report = context::Current().report().AddRoot(
        model::RootKey(root), PlacesRootTitle(model::Root::kMenu) + u"/" +
                                  title + u"/" + name);
    // A root the person left empty brings no folder of its own.
    if (source.at(from).children.empty()) continue;
    if (wrapper == model::kNoItem) {
      Status made = merge.FolderIn(menu, title, &wrapper);
      if (!made.ok()) return FinishStep(&merge, std::move(made));
    }
    model::ItemId into = model::kNoItem;
    Status step = merge.FolderIn(wrapper, name, &into);
    if (step.ok()) step = merge.Merge(source, from, into, root_report);
    status.Update(std::move(step));
  }
  return FinishStep(&merge, std::move(status));
}

// The steps of import_2_firefox_from_bk, inside the caller's transaction.
bool ImportFirefoxBackupSteps(ms_places* handle, const char16_t* backup_path,
                              bool into_backup_set) {
  std::u16string firefox = backup_path;
  if (into_backup_set) {
    firefox =
        ReadableFolder(BackupSetFolder(backup_path, BackupPart::kFirefox));
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
  model::Tree source;
  Status status =
      backup_set::ReadPart(firefox, backup_set::PartKind::kFirefox, &source);
  if (!SucceededOrSetLastError(status)) return false;
  PlacesStore store(handle);
  stores::StoreMerge merge(&store);
  if (!OpenTarget(&merge, handle)) return false;
  model::Report& report = context::Current().report();
  for (model::Root root : model::kAllRoots) {
    const model::ItemId from = source.root(root);
    if (from == model::kNoItem) continue;
    model::RootReport* root_report =
        report.AddRoot(model::RootKey(root), PlacesRootTitle(root));
    const model::ItemId into = merge.RootFor(source, root, root_report);
    if (into == model::kNoItem) continue;
    DebugLog(u"[DllExport] [import_2_firefox_from_bk] [%s] target file: %s\n",
             platform::FromUtf8(model::RootKey(root)).c_str(),
             source.at(from).title.c_str());
    Status merged = merge.Merge(source, from, into, root_report);
    if (!merged.ok()) {
      DebugLog(
          u"[DllExport] [import_2_firefox_from_bk] Firefox->FixImportFromBK[%d] "
          u"fail: %ld \n",
          static_cast<int>(PlacesIdOf(root)),
          static_cast<long>(merged.code()));
      status.Update(std::move(merged));
    }
  }
  return FinishStep(&merge, std::move(status));
}

int32_t ImportChromeBackupSteps(ms_places* handle, const char16_t* backup_path,
                                bool into_backup_set) {
  std::u16string chrome = ReadableFolder(
      ResolveBackupPath(backup_path, into_backup_set, BackupPart::kChrome));
  if (platform::PathExists(chrome) && ImportChromeStep(handle, chrome)) {
    return 0;
  }
  DebugLog(
      u"[DllExport] [import_chrome_bk_2_firefox] import chrome backup to "
      u"firefox fail: %ld \n",
      LastErrorForLog());
  return kErrorInvalidParameter;
}

}  // namespace

bool Import2Firefox(ms_places* handle, const char16_t* folder,
                    const char16_t* title) {
  context::JobScope scope("import_2_firefox");
  if (!platform::PathExists(folder)) return false;
  ImportTransaction transaction(handle);
  if (transaction.Refused()) return false;
  return transaction.Finish(ImportFolderStep(
      handle, folder, title != nullptr ? title : interchange::kImportedFromIe));
}

bool Import2FirefoxFromIeBk(ms_places* handle, const char16_t* backup_path,
                            bool into_backup_set) {
  context::JobScope scope("import_2_firefox_from_ie_bk");
  std::u16string favorites = ReadableFolder(
      ResolveBackupPath(backup_path, into_backup_set, BackupPart::kFavorites));
  if (!platform::PathExists(favorites)) return false;
  ImportTransaction transaction(handle);
  if (transaction.Refused()) return false;
  return transaction.Finish(
      ImportFolderStep(handle, favorites, interchange::kImportedFromIe));
}

int32_t ImportChromeBk2Firefox(ms_places* handle, const char16_t* backup_path,
                               bool into_backup_set) {
  context::JobScope scope("import_chrome_bk_2_firefox");
  ImportTransaction transaction(handle);
  if (transaction.Refused()) return kErrorInvalidParameter;
  const int32_t code =
      ImportChromeBackupSteps(handle, backup_path, into_backup_set);
  return transaction.Finish(code == 0) ? 0 : kErrorInvalidParameter;
}

bool Import2FirefoxFromBk(ms_places* handle, const char16_t* backup_path,
                          bool into_backup_set) {
  context::JobScope scope("import_2_firefox_from_bk");
  if (!platform::PathExists(backup_path)) {
    DebugLog(u"[DllExport] [import_2_firefox_from_bk] path:%s is not exist \n",
             backup_path);
    return false;
  }
  // Every root in one transaction; what one root imported stays when
  // another fails, unless a failure aborted the whole import.
  ImportTransaction transaction(handle);
  if (transaction.Refused()) return false;
  return transaction.Finish(
      ImportFirefoxBackupSteps(handle, backup_path, into_backup_set));
}

bool RestoreFirefoxPro(ms_places* handle, const char16_t* backup_path,
                       bool into_backup_set, int32_t* progress) {
  context::JobScope scope("restore_firefox_pro");
  if (progress == nullptr || !platform::PathExists(backup_path)) return false;
  // The three parts in one transaction.
  ImportTransaction transaction(handle);
  if (transaction.Refused()) return false;
  std::u16string firefox = ReadableFolder(
      ResolveBackupPath(backup_path, into_backup_set, BackupPart::kFirefox));
  bool firefox_ok = platform::PathExists(firefox) &&
                    ImportFirefoxBackupSteps(handle, firefox.c_str(), false);
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
      ReadableFolder(BackupSetFolder(backup_path, BackupPart::kFavorites));
  if (platform::PathExists(favorites)) {
    ie_ok = ImportFolderStep(handle, favorites, interchange::kImportedFromIe);
    if (!ie_ok) {
      DebugLog(
          u"[DllExport] [restore_firefox_pro] import IE fav to firefox "
          u"fail:%ld \n",
          LastErrorForLog());
    }
  }
  *progress += 1;

  int32_t chrome_code = 0;
  std::u16string chrome =
      ReadableFolder(BackupSetFolder(backup_path, BackupPart::kChrome));
  if (platform::PathExists(chrome)) {
    chrome_code = ImportChromeBackupSteps(handle, chrome.c_str(), false);
  }
  *progress += 1;
  return transaction.Finish(firefox_ok && ie_ok && chrome_code == 0);
}

bool ImportFirefoxBk2Folder(const char16_t* firefox_backup,
                            bool into_backup_set, const char16_t* dest_folder,
                            const char16_t* subfolder_name) {
  context::JobScope scope("import_firefox_bk_2_folder");
  if (!platform::PathExists(firefox_backup)) {
    DebugLog(
        u"[DllExport] [import_firefox_bk_2_folder] firefox_bk_path: %s is not "
        u"exist! \n",
        firefox_backup);
    return false;
  }
  std::u16string firefox =
      ResolveBackupPath(firefox_backup, into_backup_set, BackupPart::kFirefox);
  std::u16string subfolder = subfolder_name != nullptr
                                 ? std::u16string(subfolder_name)
                                 : interchange::kImportedFromFirefox;
  std::u16string destination;
  if (!interchange::ResolvePositionValue(dest_folder, subfolder,
                                         &destination)) {
    return false;  // the sub-folder would lie outside dest_folder
  }
  Status status = ie::MergePartIntoFavorites(
      firefox, backup_set::PartKind::kFirefox, dest_folder, subfolder);
  return SucceededOrSetLastError(status);
}

}  // namespace firefox
}  // namespace marksafe
