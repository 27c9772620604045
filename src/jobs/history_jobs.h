// The jobs on a backup set's history: a part's snapshot taken, old
// snapshots pruned, the snapshots listed with what changed between them, a
// WHEN resolved to a snapshot, and a snapshot written back as a part; and
// the same WHEN resolved among a browser's own backups, which are read
// only up to a size.
#ifndef MARKSAFE_JOBS_HISTORY_JOBS_H_
#define MARKSAFE_JOBS_HISTORY_JOBS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "backup_set/manifest.h"
#include "base/status.h"
#include "history/snapshot.h"
#include "history/tree_diff.h"
#include "history/when.h"
#include "model/bookmark_tree.h"

namespace marksafe {
namespace jobs {

// Keeps the manifest the part in part_folder was written with as a
// snapshot under root (history::WriteSnapshot; *id as there, *unchanged
// when nothing new was written). Fails with kErrorNotSupported when the
// build keeps no snapshots, kErrorFileNotFound when the part has no
// manifest file, kErrorInvalidParameter when it cannot be read. *written
// is the failure to write the snapshot (ok otherwise); the report then
// names the part.
[[nodiscard]] Status SnapshotPart(const std::u16string& root,
                                  const std::u16string& part_folder,
                                  std::u16string* id, bool* unchanged,
                                  Status* written);

// Deletes the snapshots under root that retention does not keep (per part)
// and the id folders left empty; *removed counts the files deleted. Fails
// with kErrorNotSupported when the build keeps no snapshots, and with
// kErrorInvalidParameter when a file could not be deleted.
[[nodiscard]] Status PruneSnapshots(const std::u16string& root,
                                    const history::Retention& retention,
                                    int32_t* removed);

// One snapshot as the history lists it: what changed since the part's
// snapshot before it (diff holds the counts only).
struct SnapshotSummary {
  history::SnapshotFile file;
  backup_set::PartSource source;
  model::Counts counts;  // model::UserCounts
  bool first = false;    // the part's oldest readable snapshot
  history::TreeDiff diff;
};

struct HistoryListing {
  std::vector<SnapshotSummary> snapshots;  // oldest first
  std::vector<std::u16string> errors;      // the snapshots that cannot be read
};

// The snapshots under root, of the part named only (empty: every part).
HistoryListing ListHistory(const std::u16string& root,
                           const std::u16string& only);

// The snapshot file under root (of the part named only; empty: any) that
// when names. Fails with history::WhenCode's code.
[[nodiscard]] Status FindSnapshot(const std::u16string& root,
                                  const std::u16string& only,
                                  const std::u16string& when,
                                  std::u16string* path);

// The browser's own backup in profile_folder
// (firefox_json::ListBrowserBackups) that when names, dated by the day its
// name carries. Fails as FindSnapshot.
[[nodiscard]] Status FindBrowserBackup(const std::u16string& profile_folder,
                                       const std::u16string& when,
                                       std::u16string* path);

// Reads a browser's own backup file (kind MARKSAFE_STORE_FIREFOX_BACKUP or
// MARKSAFE_STORE_CHROME) into tree. Fails with kErrorInvalidData when it
// is larger than firefox_json::kMaxBackupFileBytes (the report says so),
// else as ReadStore.
[[nodiscard]] Status ReadBrowserBackup(int32_t kind, const std::u16string& file,
                                       model::Tree* tree);

// Reads the snapshot at path into tree, and its manifest (the part's kind
// and where it came from). Fails with kErrorFileNotFound when there is no
// snapshot, kErrorInvalidData when it cannot be read (the report then
// names it).
[[nodiscard]] Status ReadSnapshotFile(const std::u16string& path,
                                      model::Tree* tree,
                                      backup_set::Manifest* manifest);

// Writes the snapshot at path whole as the part in part_folder. Fails with
// kErrorFileNotFound when there is no snapshot, kErrorInvalidData when it
// cannot be read (the report then names it). *written is the failure to
// write the part (ok otherwise).
[[nodiscard]] Status SnapshotToPart(const std::u16string& path,
                                    const std::u16string& part_folder,
                                    Status* written);

}  // namespace jobs
}  // namespace marksafe

#endif  // MARKSAFE_JOBS_HISTORY_JOBS_H_
