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

// The Favorites part is copied file for file, so that Favorites, backup
// and Favorites again are the same bytes. Nothing there is replaced: a
// file of the same name with other bytes is kept and the backup's one
// written beside it. The caller holds the Favorites folder's lock.
Status CopyFavoritesPart(const std::u16string& favorites,
                         const std::u16string& folder, bool overwrite,
                         const volatile uint8_t* cancel_flag) {
  const bool existed = platform::PathExists(favorites);
  CopyCounts counts;
  std::vector<std::u16string> made;
  if (context::Current().journal() != nullptr) counts.made = &made;
  Status copied = platform::OkOr(
      copy_folder(ReadableFolder(folder), favorites, interchange::kUrlExtension,
                  overwrite, cancel_flag, true, &counts,
                  /*never_replace=*/true),
      u"copy the backup into", favorites);
  // The Favorites folder itself, made by the copy, is no item of it.
  if (!made.empty() && !existed) made.erase(made.begin());
  ie::JournalCopiedEntries(favorites, made);
  ReportFavoritesCopy(favorites, existed, counts);
  return copied;
}

// Runs every step whatever the earlier ones gave; the result is the last
// failure, as the last step that failed names the reason.
void KeepLastFailure(Status* result, Status step) {
  if (!step.ok()) *result = std::move(step);
}

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
  // again, nor anything there overwritten. A part an interrupted swap left
  // aside is read where it is.
  const std::u16string firefox =
      ReadableFolder(BackupSetFolder(root, BackupPart::kFirefox));
  if (platform::PathExists(firefox)) {
    KeepLastFailure(&result,
                    MergePartIntoFavorites(
                        firefox, backup_set::PartKind::kFirefox, favorites,
                        interchange::kImportedFromFirefox, overwrite));
  }
  const std::u16string chrome =
      ReadableFolder(BackupSetFolder(root, BackupPart::kChrome));
  if (platform::PathExists(chrome)) {
    KeepLastFailure(
        &result,
        MergePartIntoFavorites(chrome, backup_set::PartKind::kChrome, favorites,
                               interchange::kImportedFromChromeLc, overwrite));
  }

  Advance(progress);
  KeepLastFailure(
      &result, platform::OkOr(HideMarkers(favorites, interchange::kMarkerName),
                              u"hide the markers in", favorites));
  return result;
}

}  // namespace

Status RestoreFavoritesPart(const char16_t* favorites_path,
                            const char16_t* part_folder,
                            const volatile uint8_t* cancel_flag) {
  if (!platform::IsDirectory(part_folder)) {
    return platform::FailedWithLastError(u"find the folder", part_folder);
  }
  std::u16string favorites;
  Status result = FindFavorites(favorites_path, &favorites);
  if (!result.ok()) return result;
  StoreLock lock;
  result = lock.Acquire(favorites);
  if (!result.ok()) return result;
  result = CopyFavoritesPart(favorites, part_folder, false, cancel_flag);
  KeepLastFailure(
      &result, platform::OkOr(HideMarkers(favorites, interchange::kMarkerName),
                              u"hide the markers in", favorites));
  return result;
}

Status BackupIePro(const char16_t* ie_def_path, const char16_t* backup_path,
                   bool into_backup_set, bool overwrite,
                   const volatile uint8_t* cancel_flag, bool is_backup,
                   int32_t* progress) {
  // Without a cancel flag the copies could not be run as the host asks;
  // the call fails like one without a backup path.
  const std::u16string root = FromPointer(backup_path);
  if (root.empty() || cancel_flag == nullptr || !platform::PathExists(root)) {
    Advance(progress);
    return platform::FailedWithLastError(u"find the backup folder", root);
  }
  DebugLog(u"Backup_ie_pro params: ie_def_pat=%s, usb_pat=%s \n", ie_def_path,
           backup_path);

  std::u16string favorites;
  Status status = FindFavorites(ie_def_path, &favorites);
  if (!status.ok()) {
    Advance(progress);
    return status;
  }
  std::u16string folder;
  status = MakeFavoritesBackupFolder(backup_path, into_backup_set, &folder);
  if (!status.ok()) return status;
  if (is_backup) {
    return CopyFavoritesTo(favorites, folder, into_backup_set, overwrite,
                           cancel_flag);
  }
  return Restore(favorites, folder, root, overwrite, cancel_flag, progress);
}

}  // namespace ie
}  // namespace marksafe
