#include "stores/url_folder/favorites_backup.h"

#include <string>

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

namespace marksafe {
namespace ie {
namespace {

// Shorter paths (a drive root with a short name) are refused by the
// measurement rather than walked.
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

}  // namespace

Status GetIeFavoritesSize(const char16_t* folder, bool into_backup_set,
                          uint64_t* size, int32_t* folder_count,
                          int32_t* link_count) {
  std::u16string path;
  if (folder == nullptr) {
    if (!LocateFavorites(&path)) {
      return platform::FailedWithLastError(u"locate the Favorites folder");
    }
  } else {
    path = ResolveBackupPath(folder, into_backup_set, BackupPart::kFavorites);
  }
  uint64_t total = 0;
  if (path.size() < kShortestMeasuredPath ||
      !MeasureTree(path, &total, interchange::kUrlExtension, folder_count,
                   link_count)) {
    return platform::FailedWithLastError(u"measure", path);
  }
  *size = total;
  return Status::Ok();
}

Status BackupIe(const char16_t* ie_def_path, const char16_t* backup_path,
                bool into_backup_set, bool overwrite,
                const volatile uint8_t* cancel_flag) {
  DebugLog(u"Backup_ie: ie_def_path=%s, backup_path=%s\n", ie_def_path,
           backup_path);
  std::u16string source;
  std::u16string destination;
  Status status = FindFavorites(ie_def_path, &source);
  if (status.ok()) {
    status =
        MakeFavoritesBackupFolder(backup_path, into_backup_set, &destination);
  }
  if (!status.ok()) return status;
  return CopyFavoritesTo(source, destination, into_backup_set, overwrite,
                         cancel_flag);
}

Status FindFavorites(const char16_t* given, std::u16string* out) {
  if (given != nullptr) {
    *out = given;
    return Status::Ok();
  }
  return platform::OkOr(GetIePath(out), u"locate the Favorites folder");
}

Status MakeFavoritesBackupFolder(const char16_t* backup_path,
                                 bool into_backup_set, std::u16string* folder) {
  *folder = backup_path;
  if (into_backup_set) {
    GetBookmarkFolder(backup_path, folder);
    if (!EnsureFolder(*folder)) {
      return platform::FailedWithLastError(u"create", *folder);
    }
    *folder += u"\\Favorites";
  }
  return platform::OkOr(EnsureFolder(*folder), u"create", *folder);
}

Status CopyFavoritesTo(const std::u16string& source,
                       const std::u16string& folder, bool into_backup_set,
                       bool overwrite, const volatile uint8_t* cancel_flag) {
  DebugLog(u"Backup_ie: sourcePath=%s, destPath=%s\n", source.c_str(),
           folder.c_str());
  CopyCounts counts;
  Status copied =
      into_backup_set
          ? CopyFavoritesIntoPart(source, folder, overwrite, cancel_flag,
                                  &counts)
          : platform::OkOr(
                copy_folder(source, folder, interchange::kUrlExtension,
                            overwrite, cancel_flag, false, &counts),
                u"copy", source);
  ReportFavoritesCopy(folder, true, counts);
  return copied;
}

Status CopyFavoritesIntoPart(const std::u16string& source,
                             const std::u16string& part, bool overwrite,
                             const volatile uint8_t* cancel_flag,
                             CopyCounts* counts) {
  StoreLock lock;
  Status status = lock.Acquire(part);
  if (!status.ok()) return status;
  RecoverInterruptedSwap(part);
  // A part inside the Favorites folder itself is copied in place, as the
  // copy skips only its own destination.
  const bool in_place = !overwrite || StartsWithFolder(part, source);
  const std::u16string target = in_place ? part : StagingFolderFor(part);
  if (!in_place && platform::PathExists(target)) {
    (void)platform::RemoveTree(target).ok();
  }
  status =
      platform::OkOr(copy_folder(source, target, interchange::kUrlExtension,
                                 overwrite, cancel_flag, false, counts),
                     u"copy", source);
  if (in_place) return status;
  if (status.ok()) status = SwapInFolder(target, part);
  // On failure the previous part is kept.
  if (!status.ok()) (void)platform::RemoveTree(target).ok();
  return status;
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
