#include "stores/url_folder/favorites_backup.h"

#include <string>

#include "backup_set/backup_set.h"
#include "backup_set/folder_swap.h"
#include "backup_set/folder_tree.h"
#include "backup_set/interchange.h"
#include "base/text.h"
#include "context/job.h"
#include "context/store_lock.h"
#include "model/report.h"
#include "platform/debug_log.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "profiles/locators.h"

namespace marksafe {
namespace ie {
namespace {

// Shorter paths (a drive root with a short name) are refused by the
// measurement rather than walked: no Favorites folder is found there.
constexpr size_t kShortestMeasuredPath = 9;

// True when path is folder or lies below it (compared as the file system
// compares names).
bool StartsWithFolder(const std::u16string& path, const std::u16string& folder) {
  auto normal = [](const std::u16string& p) {
    std::u16string n = ToUpperCase(p);
    for (char16_t& c : n) {
      if (c == u'\\') c = u'/';
    }
    while (n.size() > 1 && n.back() == u'/') n.pop_back();
    return n;
  };
  const std::u16string p = normal(path);
  const std::u16string f = normal(folder);
  return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 &&
                    p[f.size()] == u'/');
}

// Copies the .url files of source to destination. Into a backup set's
// part it holds the part's lock, and with overwrite builds the part anew
// beside the previous one, swapped in only when the whole copy succeeded:
// a failed or cancelled backup leaves the previous part whole.
Status CopyUrlFiles(const std::u16string& source,
                    const std::u16string& destination, bool into_backup_set,
                    bool overwrite, const volatile uint8_t* cancel_flag,
                    CopyCounts* counts) {
  StoreLock lock;
  if (into_backup_set) {
    const Status locked = lock.Acquire(destination);
    if (!locked.ok()) return locked;
    RecoverInterruptedSwap(destination);
  }
  // A part inside the Favorites folder itself is copied in place, as the
  // copy skips only its own destination.
  if (!into_backup_set || !overwrite || StartsWithFolder(destination, source)) {
    return copy_folder(source, destination, interchange::kUrlExtension,
                       overwrite, cancel_flag, false, counts);
  }
  const std::u16string staging = StagingFolderFor(destination);
  if (platform::PathExists(staging)) (void)platform::RemoveTree(staging).ok();
  const Status copied = copy_folder(source, staging, interchange::kUrlExtension,
                                    overwrite, cancel_flag, false, counts);
  Status status = copied.ok() ? SwapInFolder(staging, destination)
                              : Status::Error(copied.code(), u"the copy of " +
                                                                 source +
                                                                 u" failed");
  // On failure the previous part is kept.
  if (!status.ok()) (void)platform::RemoveTree(staging).ok();
  return status;
}

}  // namespace

Status GetIeFavoritesSize(const char16_t* folder, bool into_backup_set,
                          uint64_t* size, int32_t* folder_count,
                          int32_t* link_count) {
  std::u16string path;
  if (folder == nullptr) {
    const Status found = LocateFavorites(&path);
    if (!found.ok()) return CouldNot(found.code(), u"find Favorites");
  } else {
    path = ResolveBackupPath(folder, into_backup_set, BackupPart::kFavorites);
  }
  if (path.size() < kShortestMeasuredPath) {
    return CouldNot(kErrorPathNotFound, u"measure", path);
  }
  uint64_t total = 0;
  const Status measured = MeasureTree(path, &total, interchange::kUrlExtension,
                                      folder_count, link_count);
  if (measured.ok()) *size = total;
  return measured;
}

Status BackupIe(const char16_t* ie_def_path, const char16_t* backup_path,
                bool into_backup_set, bool overwrite,
                const volatile uint8_t* cancel_flag) {
  DebugLog(u"Backup_ie: ie_def_path=%s, backup_path=%s\n", ie_def_path,
           backup_path);

  std::u16string source = FromPointer(ie_def_path);
  if (ie_def_path == nullptr) {
    DebugLog(u"[DllExport][backup_ie] call get_ie_path func.\n");
    const Status found = GetIePath(&source);
    if (!found.ok()) return CouldNot(found.code(), u"find Favorites");
  }

  std::u16string destination = backup_path;
  if (into_backup_set) {
    GetBookmarkFolder(backup_path, &destination);
    const Status made = EnsureFolder(destination);
    if (!made.ok()) {
      DebugLogFixed(u"[backup_ie] Create directory: %s fail",
                    destination.c_str());
      return made;
    }
    destination += u"\\Favorites";
  }
  const Status made = EnsureFolder(destination);
  if (!made.ok()) return made;

  return CopyFavorites(source, destination, into_backup_set, overwrite,
                       cancel_flag);
}

Status CopyFavorites(const std::u16string& source,
                     const std::u16string& destination, bool into_backup_set,
                     bool overwrite, const volatile uint8_t* cancel_flag) {
  CopyCounts counts;
  const Status copied = CopyUrlFiles(source, destination, into_backup_set,
                                     overwrite, cancel_flag, &counts);
  ReportFavoritesCopy(destination, true, counts);
  return copied;
}

void ReportFavoritesCopy(const std::u16string& label, bool top_existed,
                         const CopyCounts& counts) {
  model::RootReport* root =
      context::Current().report().AddRoot("favorites", label);
  root->added.links = counts.files_copied;
  root->present.links = counts.files_present;
  root->failed.links = counts.files_failed;
  root->added.folders = counts.folders_created - (top_existed ? 0 : 1);
  root->present.folders = counts.folders_present - (top_existed ? 1 : 0);
  if (root->added.folders < 0) root->added.folders = 0;
  if (root->present.folders < 0) root->present.folders = 0;
  root->source = root->added;
  root->source += root->present;
  root->source += root->failed;
}

}  // namespace ie
}  // namespace marksafe
