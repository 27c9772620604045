// Snapshots: every backup of a Firefox or Chrome part also keeps the part's
// whole tree, so that a later backup does not replace the only copy.
//
//   ROOT/History/<id>/<part name>.snapshot
//
// <id> is the UTC time of the backup in ISO basic form
// ("20261207T214500Z"), with "-2", "-3", ... added when two backups fall in
// the same second; <part name> is the part's folder name under Bookmarks/
// ("Firefox", "Brave - Work"). The file is the part's manifest (the record
// form of backup_set/manifest.h: every root, order, exact titles, URLs,
// dates, tags, keywords, separators) compressed as one zstd frame. Readers
// of the parts never look into History/.
//
// Snapshot files are untrusted input: only regular files are read, the
// compressed and the decompressed size are capped, and a damaged file is
// refused as a whole with a message saying why.
#ifndef MARKSAFE_HISTORY_SNAPSHOT_H_
#define MARKSAFE_HISTORY_SNAPSHOT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "backup_set/manifest.h"
#include "base/status.h"
#include "model/bookmark_tree.h"

namespace marksafe {
namespace history {

inline constexpr char16_t kHistoryFolderName[] = u"History";
inline constexpr char16_t kSnapshotSuffix[] = u".snapshot";

// A snapshot's text is at most kMaxSnapshotTextSize; its file, the text
// compressed, may be a little larger than the text when the text does not
// compress. Every snapshot that is written can be read back.
constexpr size_t kMaxSnapshotTextSize = size_t{512} << 20;
constexpr uint64_t kMaxSnapshotFileSize =
    kMaxSnapshotTextSize + (kMaxSnapshotTextSize >> 7);

// The id of a snapshot taken at time (second precision, UTC).
std::u16string SnapshotIdAt(model::Time time);
// The time an id names and its clash number (1 for none, 2 for "-2", ...);
// false when id is no snapshot id.
bool ParseSnapshotId(const std::u16string& id, model::Time* time,
                     int* sequence);
// Time order of two valid ids.
bool SnapshotIdLess(const std::u16string& a, const std::u16string& b);

struct SnapshotFile {
  std::u16string id;
  model::Time time = 0;
  std::u16string part;  // the part's name
  std::u16string path;  // the file
};

// Every snapshot file under root's History folder, oldest first (parts of
// one id by name). Entries that are no id folder or no snapshot file
// (links included) are passed over.
std::vector<SnapshotFile> ListSnapshots(const std::u16string& root);

// Keeps manifest_text (the part's manifest as just written) as a snapshot
// of part_name. When *id is empty a new id is taken for time now and the
// folder made; otherwise the snapshot goes into that id's folder (the other
// parts of one backup). When the newest snapshot of the part holds the same
// text nothing is written, *unchanged is set and *id left as it was.
[[nodiscard]] Status WriteSnapshot(const std::u16string& root,
                                   const std::u16string& part_name,
                                   const std::string& manifest_text,
                                   model::Time now, std::u16string* id,
                                   bool* unchanged);

// Reads and decompresses a snapshot file (capped; regular files only).
[[nodiscard]] Status ReadSnapshotText(const std::u16string& path,
                                      std::string* text);

// Reads a snapshot into tree (each root titled with its folder name in the
// part) and its manifest (source, part kind; its records' items are taken
// into the tree). Fails on any damage: a snapshot is written whole, so a
// record that does not fit is no snapshot.
[[nodiscard]] Status ReadSnapshot(const std::u16string& path,
                                  model::Tree* tree,
                                  backup_set::Manifest* manifest);

// Builds the tree that manifest's records describe, taking their items.
// Fails when a record has no parent before it or a root is unknown.
[[nodiscard]] Status TreeFromRecords(backup_set::Manifest* manifest,
                                     model::Tree* tree);

}  // namespace history
}  // namespace marksafe

#endif  // MARKSAFE_HISTORY_SNAPSHOT_H_
