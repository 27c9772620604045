// The history of a backup set: snapshots written after each backup and
// pruned by retention, `marksafe history`, `marksafe diff`, and a snapshot
// taken instead of the latest part (--as-of).
#ifndef MARKSAFE_TOOLS_MARKSAFE_HISTORY_H_
#define MARKSAFE_TOOLS_MARKSAFE_HISTORY_H_

#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "scratch_folder.h"
#include "set_parts.h"

namespace marksafe_cli {

// Snapshots the Firefox and Chrome parts just written (one id for the
// backup) and, with prune, removes old snapshots by retention. Says what
// it did; a failure is a warning (the parts are written).
void SnapshotBackup(const std::filesystem::path& root,
                    const std::vector<std::filesystem::path>& part_folders,
                    const RetentionOptions& retention, bool prune);

struct HistoryOptions {
  std::string dir;
  std::string browser;  // a browser key; empty: every part
};
int RunHistory(const HistoryOptions& options);

struct DiffOptions {
  CommonOptions common;
  std::vector<std::string> sides;  // ROOT[@WHEN], once or twice
  std::string browser;
};
int RunDiff(const DiffOptions& options);

// The snapshot of part that when names; fails (exit 1, nothing written)
// when when lies before every snapshot, and with exit 2 when it is of no
// form WHEN takes.
std::filesystem::path FindSnapshot(const std::filesystem::path& root,
                                   const std::string& part_name,
                                   const std::string& when,
                                   const std::string& step);

// While alive: the snapshot written out as a part, at the place like has
// in its set, of a backup set of its own in a scratch folder (removed at
// the end), for the calls that take a part or a set.
class SnapshotPart {
 public:
  SnapshotPart(const std::filesystem::path& snapshot, const SetPart& like,
               const std::string& step);
  SnapshotPart(const SnapshotPart&) = delete;
  SnapshotPart& operator=(const SnapshotPart&) = delete;
  const SetPart& part() const { return part_; }
  // The scratch set's root.
  const std::filesystem::path& root() const { return scratch_.path(); }

 private:
  ScratchFolder scratch_;
  SetPart part_;
};

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_HISTORY_H_
