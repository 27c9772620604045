#include "jobs/combined_backup.h"

#include <string>
#include <vector>

#include "backup_set/backup_set.h"
#include "backup_set/folder_swap.h"
#include "backup_set/folder_tree.h"
#include "backup_set/interchange.h"
#include "base/debug_log.h"
#include "base/text.h"
#include "context/job.h"
#include "context/store_lock.h"
#include "model/report.h"
#include "platform/platform.h"
#include "profiles/locators.h"
#include "stores/url_folder/favorites_backup.h"
#include "stores/url_folder/favorites_import.h"

namespace marksafe {
namespace ie {
namespace {

constexpr int32_t kProgressStep = 2;

void Advance(int32_t* progress) {
  // The host's counter wraps rather than overflows.
  *progress = static_cast<int32_t>(static_cast<uint32_t>(*progress) +
                                   static_cast<uint32_t>(kProgressStep));
}

bool Backup(const std::u16string& favorites, const std::u16string& folder,
            bool into_backup_set, bool overwrite,
            const volatile uint8_t* cancel_flag) {
  DebugLog(u"Backup_ie_pro: sourcePath=%s, destPath=%s \n", favorites.c_str(),
           folder.c_str());
  CopyCounts counts;
  bool copied =
      into_backup_set
          ? CopyFavoritesIntoPart(favorites, folder, overwrite, cancel_flag,
                                  &counts)
          : copy_folder(favorites, folder, interchange::kUrlExtension,
                        overwrite, cancel_flag, false, &counts);
  ReportFavoritesCopy(folder, true, counts);
  if (!copied) {
    DebugLog(
        u"[DllExport] [backup_ie_pro] backup IE fav. fail: %ld, "
        u"sourcePath=%s, destPath=%s\n",
        LastErrorForLog(), favorites.c_str(), folder.c_str());
  }
  return copied;
}

// Folds one Firefox or Chrome part of the set into the Favorites folder
// under subfolder_title. On failure the thread's last error is the step's
// code.
bool MergePart(const std::u16string& part, backup_set::PartKind kind,
               const std::u16string& favorites,
               const std::u16string& subfolder_title, bool overwrite) {
  const Status status =
      MergePartIntoFavorites(part, kind, favorites, subfolder_title, overwrite);
  return SucceededOrSetLastError(status);
}

// The Favorites part is copied file for file, so that Favorites, backup
// and Favorites again are the same bytes. Nothing there is replaced: a
// file of the same name with other bytes is kept and the backup's one
// written beside it. The caller holds the Favorites folder's lock.
bool CopyFavoritesPart(const std::u16string& favorites,
                       const std::u16string& folder, bool overwrite,
                       const volatile uint8_t* cancel_flag) {
  const bool existed = platform::PathExists(favorites);
  CopyCounts counts;
  std::vector<std::u16string> made;
  if (context::Current().journal() != nullptr) counts.made = &made;
  bool copied = copy_folder(ReadableFolder(folder), favorites,
                            interchange::kUrlExtension,
                            overwrite, cancel_flag, true, &counts,
                            /*never_replace=*/true);
  // The Favorites folder itself, made by the copy, is no item of it.
  if (!made.empty() && !existed) made.erase(made.begin());
  ie::JournalCopiedEntries(favorites, made);
  ReportFavoritesCopy(favorites, existed, counts);
  if (!copied) {
    DebugLog(
        u"[DllExport] [backup_ie_pro] import IE backup fail: %ld "
        u",sourcePath=%s, destPath=%s\n",
        LastErrorForLog(), folder.c_str(), favorites.c_str());
  }
  return copied;
}

bool Restore(const std::u16string& favorites, const std::u16string& folder,
             const std::u16string& root, bool overwrite,
             const volatile uint8_t* cancel_flag, int32_t* progress) {
  // One writer of the Favorites folder across the copy and the merges.
  StoreLock lock;
  if (!lock.Acquire(favorites).ok()) return false;
  const bool copied =
      CopyFavoritesPart(favorites, folder, overwrite, cancel_flag);

  // The Firefox and Chrome parts are looked for under the root whatever
  // into_backup_set says; a part that is missing counts as restored. Each
  // is merged: what the Favorites folder has already is never written
  // again, nor anything there overwritten.
  bool firefox_ok = true;
  // A part an interrupted swap left aside is read where it is.
  const std::u16string firefox =
      ReadableFolder(BackupSetFolder(root, BackupPart::kFirefox));
  if (platform::PathExists(firefox)) {
    firefox_ok = MergePart(firefox, backup_set::PartKind::kFirefox, favorites,
                           interchange::kImportedFromFirefox, overwrite);
    if (!firefox_ok) {
      DebugLog(
          u"[DllExport] [backup_ie_pro] import firefox backup to IE "
          u"fav. fail:%ld \n",
          LastErrorForLog());
      DebugLog(u"[DllExport] [backup_ie_pro] ie_fav path:%s \n",
               favorites.c_str());
    }
  }

  bool chrome_ok = true;
  const std::u16string chrome =
      ReadableFolder(BackupSetFolder(root, BackupPart::kChrome));
  if (platform::PathExists(chrome)) {
    chrome_ok = MergePart(chrome, backup_set::PartKind::kChrome, favorites,
                          interchange::kImportedFromChromeLc, overwrite);
    if (!chrome_ok) {
      DebugLog(
          u"[DllExport] [backup_ie_pro] import chrome backup to IE fav. "
          u"fail:%ld \n",
          LastErrorForLog());
    }
  }

  Advance(progress);
  bool hidden = HideMarkers(favorites, interchange::kMarkerName);
  return copied && firefox_ok && hidden && chrome_ok;
}

}  // namespace

bool RestoreFavoritesPart(const char16_t* favorites_path,
                          const char16_t* part_folder,
                          const volatile uint8_t* cancel_flag) {
  if (!platform::IsDirectory(part_folder)) return false;
  std::u16string favorites;
  if (favorites_path == nullptr) {
    if (!GetIePath(&favorites)) return false;
  } else {
    favorites = favorites_path;
  }
  StoreLock lock;
  if (!lock.Acquire(favorites).ok()) return false;
  const bool copied =
      CopyFavoritesPart(favorites, part_folder, false, cancel_flag);
  return HideMarkers(favorites, interchange::kMarkerName) && copied;
}

bool BackupIePro(const char16_t* ie_def_path, const char16_t* backup_path,
                 bool into_backup_set, bool overwrite,
                 const volatile uint8_t* cancel_flag, bool is_backup,
                 int32_t* progress) {
  // Without a cancel flag the copies could not be run as the host asks;
  // the call fails like one without a backup path.
  if (backup_path == nullptr || cancel_flag == nullptr) {
    Advance(progress);
    return false;
  }
  DebugLog(u"Backup_ie_pro params: ie_def_pat=%s, usb_pat=%s \n", ie_def_path,
           backup_path);
  const std::u16string root = backup_path;
  if (root.empty() || !platform::PathExists(root)) {
    Advance(progress);
    return false;
  }

  std::u16string favorites;
  if (ie_def_path == nullptr) {
    DebugLog(u"[DllExport] backup_ie_pro call get_ie_path func.\n");
    if (!GetIePath(&favorites)) {
      Advance(progress);
      return false;
    }
  } else {
    favorites = ie_def_path;
  }

  std::u16string folder;
  if (into_backup_set) {
    GetBookmarkFolder(backup_path, &folder);
    if (!EnsureFolder(folder)) {
      DebugLog(u"Backup_ie_pro: CreateDirectory1 %s fail \n", folder.c_str());
      return false;
    }
    folder += u"\\Favorites";
    if (!EnsureFolder(folder)) {
      DebugLog(u"Backup_ie_pro: CreateDirectory2 %s fail \n", folder.c_str());
      return false;
    }
  } else {
    folder = root;
  }

  if (is_backup) {
    return Backup(favorites, folder, into_backup_set, overwrite, cancel_flag);
  }
  return Restore(favorites, folder, root, overwrite, cancel_flag, progress);
}

}  // namespace ie
}  // namespace marksafe
