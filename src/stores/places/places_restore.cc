#include "stores/places/places_restore.h"

#include <functional>
#include <string>
#include <vector>

#include "backup_set/backup_set.h"
#include "backup_set/folder_swap.h"
#include "backup_set/interchange.h"
#include "backup_set/part.h"
#include "base/error_codes.h"
#include "context/job.h"
#include "model/merge.h"
#include "model/report.h"
#include "platform/debug_log.h"
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

// Merges source into the store with merge_roots, given the store's menu
// root, once source is read (read ok) and the store is read. A store
// without a menu root (every store has it) fails.
Status MergeIntoPlaces(
    ms_places* handle, Status read,
    const std::function<Status(stores::StoreMerge*, model::ItemId)>&
        merge_roots) {
  PlacesStore store(handle);
  stores::StoreMerge merge(&store);
  if (read.ok()) read = merge.Open();
  const model::ItemId menu = merge.tree().root(model::Root::kMenu);
  if (read.ok() && menu == model::kNoItem) {
    read = Status::Error(
        kErrorDatabaseFailure,
        u"[FirefoxBookmark].No bookmarks menu in " + handle->databasePath);
  }
  if (!read.ok()) return read;
  return merge.Finish(merge_roots(&merge, menu));
}

// Runs steps in one transaction, committed or rolled back after them. A
// store that must not be written now, or a transaction that kept nothing,
// fails with the transaction's code; otherwise
// the result is the steps'.
Status InTransaction(ms_places* handle, const std::function<Status()>& steps) {
  ImportTransaction transaction(handle);
  if (transaction.Refused()) {
    return CouldNot(transaction.code(), u"write", handle->databasePath);
  }
  Status status = steps();
  const bool ok = status.ok();
  if (transaction.Finish(ok)) return Status::Ok();
  if (!ok && transaction.Kept()) return status;
  return Status::Error(transaction.code(), kNothingWritten);
}

// A plain .url folder into the folder titled title under the menu.
Status ImportFolderStep(ms_places* handle, const std::u16string& folder,
                        const std::u16string& title) {
  model::Tree source;
  const model::ItemId content = source.AddRoot(model::Root::kMenu, title);
  Status status = backup_set::ReadUrlFolder(
      folder, {kExcludedSubFolder, interchange::kImportedFromFirefox}, &source,
      content);
  return MergeIntoPlaces(
      handle, std::move(status),
      [&](stores::StoreMerge* merge, model::ItemId menu) {
        model::RootReport* root_report = context::Current().report().AddRoot(
            platform::ToUtf8(title),
            PlacesRootTitle(model::Root::kMenu) + u"/" + title);
        model::ItemId into = model::kNoItem;
        Status step = merge->FolderIn(menu, title, &into);
        if (!step.ok()) return step;
        merge->MergeOnly(source, content, into, root_report);
        // The merge has copied what it adds: the files' tree goes before
        // the store's page cache and journal fill.
        return merge->WritePendingWithout(&source);
      });
}

// A plain .url folder into the folder titled title under the menu, in a
// transaction of its own.
Status ImportFolder(ms_places* handle, const std::u16string& folder,
                    const std::u16string& title) {
  const Status found = platform::FindEntry(folder);
  if (!found.ok()) return found;
  return InTransaction(handle,
                       [&] { return ImportFolderStep(handle, folder, title); });
}

// A Chrome part: a sub-folder per Chrome root under "Imported from Chrome".
Status ImportChromeStep(ms_places* handle, const std::u16string& chrome) {
  const std::u16string title = interchange::kImportedFromChrome;
  if (!platform::PathExists(chrome + u"\\" + interchange::kChromePosIni)) {
    return ImportFolderStep(handle, chrome, title);
  }
  model::Tree source;
  Status status =
      backup_set::ReadPart(chrome, backup_set::PartKind::kChrome, &source);
  return MergeIntoPlaces(
      handle, std::move(status),
      [&](stores::StoreMerge* merge, model::ItemId menu) {
        return merge->MergeRootsInFolders(
            source, menu, title,
            PlacesRootTitle(model::Root::kMenu) + u"/" + title,
            /*write_each=*/true);
      });
}

// Each root of a Firefox part into the store's root of it.
Status MergeFirefoxRoots(stores::StoreMerge* merge, const model::Tree& source) {
  model::Report& report = context::Current().report();
  Status status;
  for (model::Root root : model::kAllRoots) {
    const model::ItemId from = source.root(root);
    if (from == model::kNoItem) continue;
    model::RootReport* root_report =
        report.AddRoot(model::RootKey(root), PlacesRootTitle(root));
    const model::ItemId into = merge->RootFor(source, root, root_report);
    if (into == model::kNoItem) continue;
    DebugLog(u"[DllExport] [import_2_firefox_from_bk] [%s] target file: %s\n",
             platform::FromUtf8(model::RootKey(root)).c_str(),
             source.at(from).title.c_str());
    Status merged = merge->Merge(source, from, into, root_report);
    if (!merged.ok()) {
      DebugLog(
          u"[DllExport] [import_2_firefox_from_bk] "
          u"Firefox->FixImportFromBK[%d] "
          u"fail: %ld \n",
          static_cast<int>(PlacesIdOf(root)), static_cast<long>(merged.code()));
      status.Update(std::move(merged));
    }
  }
  return status;
}

// The steps of import_2_firefox_from_bk, inside the caller's transaction.
Status ImportFirefoxBackupSteps(ms_places* handle, const char16_t* backup_path,
                                bool into_backup_set) {
  std::u16string firefox = backup_path;
  if (into_backup_set) {
    firefox =
        ReadableFolder(BackupSetFolder(backup_path, BackupPart::kFirefox));
    DebugLog(u"[DllExport] [import_2_firefox_from_bk] backup_path=%s!\n",
             firefox.c_str());
  }
  std::u16string position_file = firefox + u"\\" + interchange::kPosIni;
  const Status found = platform::FindEntry(position_file);
  if (!found.ok()) {
    DebugLog(
        u"[DllExport] [import_2_firefox_from_bk] cfg file: %s is not exist!\n",
        position_file.c_str());
    return found;
  }
  model::Tree source;
  Status status =
      backup_set::ReadPart(firefox, backup_set::PartKind::kFirefox, &source);
  return MergeIntoPlaces(handle, std::move(status),
                         [&](stores::StoreMerge* merge, model::ItemId) {
                           return MergeFirefoxRoots(merge, source);
                         });
}

Status ImportChromeBackupSteps(ms_places* handle, const char16_t* backup_path,
                               bool into_backup_set) {
  std::u16string chrome = ReadableFolder(
      ResolveBackupPath(backup_path, into_backup_set, BackupPart::kChrome));
  Status status = platform::FindEntry(chrome);
  if (status.ok()) status = ImportChromeStep(handle, chrome);
  if (status.ok()) return status;
  DebugLog(
      u"[DllExport] [import_chrome_bk_2_firefox] import chrome backup to "
      u"firefox fail: %ld \n",
      static_cast<long>(status.code()));
  return status;
}

}  // namespace

Status Import2Firefox(ms_places* handle, const char16_t* folder,
                      const char16_t* title) {
  context::JobScope scope("import_2_firefox");
  return ImportFolder(handle, folder,
                      title != nullptr ? title : interchange::kImportedFromIe);
}

Status Import2FirefoxFromIeBk(ms_places* handle, const char16_t* backup_path,
                              bool into_backup_set) {
  context::JobScope scope("import_2_firefox_from_ie_bk");
  return ImportFolder(
      handle,
      ReadableFolder(ResolveBackupPath(backup_path, into_backup_set,
                                       BackupPart::kFavorites)),
      interchange::kImportedFromIe);
}

Status ImportChromeBk2Firefox(ms_places* handle, const char16_t* backup_path,
                              bool into_backup_set) {
  context::JobScope scope("import_chrome_bk_2_firefox");
  return InTransaction(handle, [&] {
    return ImportChromeBackupSteps(handle, backup_path, into_backup_set);
  });
}

Status Import2FirefoxFromBk(ms_places* handle, const char16_t* backup_path,
                            bool into_backup_set) {
  context::JobScope scope("import_2_firefox_from_bk");
  const Status found = platform::FindEntry(backup_path);
  if (!found.ok()) {
    DebugLog(u"[DllExport] [import_2_firefox_from_bk] path:%s is not exist \n",
             backup_path);
    return found;
  }
  // Every root in one transaction; what one root imported stays when
  // another fails, unless a failure aborted the whole import.
  return InTransaction(handle, [&] {
    return ImportFirefoxBackupSteps(handle, backup_path, into_backup_set);
  });
}

Status RestoreFirefoxPro(ms_places* handle, const char16_t* backup_path,
                         bool into_backup_set, int32_t* progress) {
  context::JobScope scope("restore_firefox_pro");
  if (progress == nullptr) {
    return Status::Error(kErrorInvalidParameter, u"no progress to report");
  }
  const Status found = platform::FindEntry(backup_path);
  if (!found.ok()) return found;
  // The three parts in one transaction; every part runs whatever the ones
  // before it gave, and the last failure is the result.
  return InTransaction(handle, [&] {
    Status result;
    const auto keep = [&result](Status status) {
      if (!status.ok()) result = std::move(status);
      return result.code();
    };
    std::u16string firefox = ReadableFolder(
        ResolveBackupPath(backup_path, into_backup_set, BackupPart::kFirefox));
    Status step = platform::FindEntry(firefox);
    if (step.ok()) {
      step = ImportFirefoxBackupSteps(handle, firefox.c_str(), false);
    }
    if (!step.ok()) {
      DebugLog(
          u"[DllExport] [restore_firefox_pro] restore backup to firefox "
          u"fail:%ld \n",
          static_cast<long>(keep(std::move(step))));
      DebugLog(
          u"[DllExport] [restore_firefox_pro] import_2_firefox_from_bk "
          u"backup_path=%s\n",
          firefox.c_str());
    }
    *progress += 2;
    std::u16string favorites =
        ReadableFolder(BackupSetFolder(backup_path, BackupPart::kFavorites));
    if (platform::PathExists(favorites)) {
      step = ImportFolderStep(handle, favorites, interchange::kImportedFromIe);
      if (!step.ok()) {
        DebugLog(
            u"[DllExport] [restore_firefox_pro] import IE fav to firefox "
            u"fail:%ld \n",
            static_cast<long>(keep(std::move(step))));
      }
    }
    *progress += 1;
    std::u16string chrome =
        ReadableFolder(BackupSetFolder(backup_path, BackupPart::kChrome));
    if (platform::PathExists(chrome)) {
      keep(ImportChromeBackupSteps(handle, chrome.c_str(), false));
    }
    *progress += 1;
    return result;
  });
}

Status ImportFirefoxBk2Folder(const char16_t* firefox_backup,
                              bool into_backup_set, const char16_t* dest_folder,
                              const char16_t* subfolder_name) {
  context::JobScope scope("import_firefox_bk_2_folder");
  const Status found = platform::FindEntry(firefox_backup);
  if (!found.ok()) {
    DebugLog(
        u"[DllExport] [import_firefox_bk_2_folder] firefox_bk_path: %s is not "
        u"exist! \n",
        firefox_backup);
    return found;
  }
  std::u16string firefox =
      ResolveBackupPath(firefox_backup, into_backup_set, BackupPart::kFirefox);
  std::u16string subfolder = subfolder_name != nullptr
                                 ? std::u16string(subfolder_name)
                                 : interchange::kImportedFromFirefox;
  std::u16string destination;
  if (!interchange::ResolvePositionValue(dest_folder, subfolder,
                                         &destination)) {
    // the sub-folder would lie outside dest_folder: a name the folder
    // cannot hold, as a ".." name is for a child path
    return CouldNot(kErrorInvalidName, u"place", subfolder);
  }
  return ie::MergePartIntoFavorites(firefox, backup_set::PartKind::kFirefox,
                                    dest_folder, subfolder);
}

}  // namespace firefox
}  // namespace marksafe
