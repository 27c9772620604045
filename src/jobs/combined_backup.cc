#include "jobs/combined_backup.h"

#include <string>
#include <utility>
#include <vector>

#include "backup_set/backup_set.h"
#include "backup_set/folder_swap.h"
#include "backup_set/folder_tree.h"
#include "backup_set/interchange.h"
#include "base/text.h"
#include "context/job.h"
#include "context/store_lock.h"
#include "platform/debug_log.h"
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

Status Backup(const std::u16string& favorites, const std::u16string& folder,
              bool into_backup_set, bool overwrite,
              const volatile uint8_t* cancel_flag) {
  DebugLog(u"Backup_ie_pro: sourcePath=%s, destPath=%s \n", favorites.c_str(),
           folder.c_str());
  const Status copied =
      CopyFavorites(favorites, folder, into_backup_set, overwrite, cancel_flag);
  if (!copied.ok()) {
    DebugLog(
        u"[DllExport] [backup_ie_pro] backup IE fav. fail: %ld, "
        u"sourcePath=%s, destPath=%s\n",
        static_cast<long>(copied.code()), favorites.c_str(), folder.c_str());
  }
  return copied;
}

// The Favorites part is copied file for file, so that Favorites, backup
// and Favorites again are the same bytes. Nothing there is replaced: a
// file of the same name with other bytes is kept and the backup's one
// written beside it. The caller holds the Favorites folder's lock.
Status CopyFavoritesPart(const std::u16string& favorites,
                         const std::u16string& folder, bool overwrite,
                         const volatile uint8_t* cancel_flag) {
  const bool existed = platform::PathExists(favorites);
  CopyCounts counts;
  std::vector<MadeEntry> made;
  if (context::Current().journal() != nullptr) counts.made = &made;
  const Status copied =
      copy_folder(ReadableFolder(folder), favorites, interchange::kUrlExtension,
                  overwrite, cancel_flag, true, &counts,
                  /*never_replace=*/true);
  // The Favorites folder itself, made by the copy, is no item of it.
  if (!made.empty() && !existed) made.erase(made.begin());
  ie::JournalCopiedEntries(favorites, std::move(made));
  ReportFavoritesCopy(favorites, existed, counts);
  if (copied.ok()) return Status::Ok();
  DebugLog(
      u"[DllExport] [backup_ie_pro] import IE backup fail: %ld "
      u",sourcePath=%s, destPath=%s\n",
      static_cast<long>(copied.code()), folder.c_str(), favorites.c_str());
  return CouldNot(copied.code(), u"copy", folder);
}

// Every step runs whatever the earlier ones gave; the last one that failed
// is the result.
Status Restore(const std::u16string& favorites, const std::u16string& folder,
               const std::u16string& root, bool overwrite,
               const volatile uint8_t* cancel_flag, int32_t* progress) {
  // One writer of the Favorites folder across the copy and the merges.
  StoreLock lock;
  Status result = lock.Acquire(favorites);
  if (!result.ok()) return result;
  result = CopyFavoritesPart(favorites, folder, overwrite, cancel_flag);

  // The Firefox and Chrome parts are looked for under the root whatever
  // into_backup_set says; a part that is missing counts as restored. Each
  // is merged: what the Favorites folder has already is never written
  // again, nor anything there overwritten.
  // A part an interrupted swap left aside is read where it is.
  const std::u16string firefox =
      ReadableFolder(BackupSetFolder(root, BackupPart::kFirefox));
  if (platform::PathExists(firefox)) {
    Status merged = MergePartIntoFavorites(
        firefox, backup_set::PartKind::kFirefox, favorites,
        interchange::kImportedFromFirefox, overwrite);
    if (!merged.ok()) {
      DebugLog(
          u"[DllExport] [backup_ie_pro] import firefox backup to IE "
          u"fav. fail:%ld \n",
          static_cast<long>(merged.code()));
      DebugLog(u"[DllExport] [backup_ie_pro] ie_fav path:%s \n",
               favorites.c_str());
      result = std::move(merged);
    }
  }

  const std::u16string chrome =
      ReadableFolder(BackupSetFolder(root, BackupPart::kChrome));
  if (platform::PathExists(chrome)) {
    Status merged =
        MergePartIntoFavorites(chrome, backup_set::PartKind::kChrome, favorites,
                               interchange::kImportedFromChromeLc, overwrite);
    if (!merged.ok()) {
      DebugLog(
          u"[DllExport] [backup_ie_pro] import chrome backup to IE fav. "
          u"fail:%ld \n",
          static_cast<long>(merged.code()));
      result = std::move(merged);
    }
  }

  Advance(progress);
  return HideMarkers(favorites, interchange::kMarkerName)
      .Update(std::move(result));
}

}  // namespace

Status RestoreFavoritesPart(const char16_t* favorites_path,
                            const char16_t* part_folder,
                            const volatile uint8_t* cancel_flag) {
  const Status found = platform::FindEntry(part_folder, /*folder=*/true);
  if (!found.ok()) return found;
  std::u16string favorites = FromPointer(favorites_path);
  if (favorites_path == nullptr) {
    const Status found = GetIePath(&favorites);
    if (!found.ok()) return CouldNot(found.code(), u"find Favorites");
  }
  StoreLock lock;
  Status result = lock.Acquire(favorites);
  if (!result.ok()) return result;
  result = CopyFavoritesPart(favorites, part_folder, false, cancel_flag);
  return HideMarkers(favorites, interchange::kMarkerName)
      .Update(std::move(result));
}

Status BackupIePro(const char16_t* ie_def_path, const char16_t* backup_path,
                   bool into_backup_set, bool overwrite,
                   const volatile uint8_t* cancel_flag, bool is_backup,
                   int32_t* progress) {
  // Without a cancel flag the copies could not be run as the host asks;
  // the call fails like one without a backup path.
  if (backup_path == nullptr || cancel_flag == nullptr) {
    Advance(progress);
    return Status::Error(kErrorInvalidParameter, u"no folder or cancel flag");
  }
  DebugLog(u"Backup_ie_pro params: ie_def_pat=%s, usb_pat=%s \n", ie_def_path,
           backup_path);
  const std::u16string root = backup_path;
  // An empty path names no folder (the system would take the current one).
  const Status found = root.empty()
                           ? Status::Error(kErrorPathNotFound, u"no folder")
                           : platform::FindEntry(root);
  if (!found.ok()) {
    Advance(progress);
    return found;
  }

  std::u16string favorites = FromPointer(ie_def_path);
  if (ie_def_path == nullptr) {
    DebugLog(u"[DllExport] backup_ie_pro call get_ie_path func.\n");
    const Status found = GetIePath(&favorites);
    if (!found.ok()) {
      Advance(progress);
      return CouldNot(found.code(), u"find Favorites");
    }
  }

  std::u16string folder = root;
  if (into_backup_set) {
    GetBookmarkFolder(backup_path, &folder);
    Status made = EnsureFolder(folder);
    if (!made.ok()) {
      DebugLog(u"Backup_ie_pro: CreateDirectory1 %s fail \n", folder.c_str());
      return made;
    }
    folder += u"\\Favorites";
    made = EnsureFolder(folder);
    if (!made.ok()) {
      DebugLog(u"Backup_ie_pro: CreateDirectory2 %s fail \n", folder.c_str());
      return made;
    }
  }

  if (is_backup) {
    return Backup(favorites, folder, into_backup_set, overwrite, cancel_flag);
  }
  return Restore(favorites, folder, root, overwrite, cancel_flag, progress);
}

}  // namespace ie
}  // namespace marksafe
