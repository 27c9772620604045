// The history of a backup set for hosts: a snapshot of each part written
// at backup time, old ones pruned, the list of snapshots with what changed
// between them, a WHEN resolved to a snapshot, what changed between two
// stores, and a snapshot written back as a part for the restores.
#include <json/json.h>

#include <string>
#include <utility>

#include "base/json_text.h"
#include "base/text.h"
#include "context/job.h"
#include "exports/export_util.h"
#include "exports/host_stores.h"
#include "jobs/history_jobs.h"
#include "jobs/store_jobs.h"
#include "marksafe/marksafe.h"
#include "platform/file_names.h"
#include "platform/platform.h"

namespace marksafe {
namespace exports {
namespace {

constexpr int32_t kUnchanged = 1;

void PutDiffCounts(const history::TreeDiff& diff, Json::Value* out) {
  (*out)["added"] = Json::Int64(diff.added);
  (*out)["removed"] = Json::Int64(diff.removed);
  (*out)["renamed"] = Json::Int64(diff.renamed);
  (*out)["moved"] = Json::Int64(diff.moved);
}

int32_t SnapshotPart(const MS_CHAR* root, const MS_CHAR* part_folder,
                     MS_CHAR* snapshot_id) {
  if (root == nullptr || part_folder == nullptr || snapshot_id == nullptr) {
    return RefusedCode("marksafe_snapshot_part", kErrorInvalidParameter);
  }
  std::u16string id = ToU16(snapshot_id);
  bool unchanged = false;
  Status written;
  const Status status = jobs::SnapshotPart(ToU16(root), ToU16(part_folder), &id,
                                           &unchanged, &written);
  if (!status.ok()) return CodeOf(status);
  if (!OkElseLastError(written)) return kErrorInvalidParameter;
  if (unchanged) return kUnchanged;
  CopyOut(id, snapshot_id, MARKSAFE_SNAPSHOT_ID_UNITS);
  return 0;
}

int32_t PruneSnapshots(const MS_CHAR* root, int32_t last, int32_t daily, int32_t weekly,
                       int32_t monthly, int32_t* removed) {
  if (root == nullptr || removed == nullptr || last < 0 || daily < 0 || weekly < 0 ||
      monthly < 0) {
    return RefusedCode("marksafe_prune_snapshots", kErrorInvalidParameter);
  }
  return CodeOf(jobs::PruneSnapshots(
      ToU16(root), history::Retention{last, daily, weekly, monthly}, removed));
}

std::string HistoryText(const MS_CHAR* root, const MS_CHAR* part) {
  Json::Value out(Json::objectValue);
  Json::Value& list = out["snapshots"] = Json::Value(Json::arrayValue);
  Json::Value& errors = out["errors"] = Json::Value(Json::arrayValue);
  if (root == nullptr) {
    errors.append("no backup set named");
    return CompactJson(out);
  }
  const jobs::HistoryListing listing =
      jobs::ListHistory(ToU16(root), part == nullptr ? u"" : ToU16(part));
  for (const std::u16string& error : listing.errors) {
    errors.append(platform::ToUtf8(error));
  }
  for (const jobs::SnapshotSummary& summary : listing.snapshots) {
    Json::Value entry(Json::objectValue);
    entry["id"] = platform::ToUtf8(summary.file.id);
    entry["time"] = Json::Int64(summary.file.time);
    entry["part"] = platform::ToUtf8(summary.file.part);
    entry["browser"] = platform::ToUtf8(summary.source.browser);
    entry["profile"] = platform::ToUtf8(summary.source.profile);
    entry["links"] = Json::Int64(summary.counts.links);
    entry["folders"] = Json::Int64(summary.counts.folders);
    entry["first"] = summary.first;
    PutDiffCounts(summary.diff, &entry);
    list.append(std::move(entry));
  }
  return CompactJson(out);
}

int32_t FindSnapshot(const MS_CHAR* root, const MS_CHAR* part,
                     const MS_CHAR* when, MS_CHAR* snapshot) {
  if (root == nullptr || when == nullptr || snapshot == nullptr) {
    return RefusedCode("marksafe_find_snapshot", kErrorInvalidParameter);
  }
  std::u16string path;
  const Status status = jobs::FindSnapshot(
      ToU16(root), part == nullptr ? u"" : ToU16(part), ToU16(when), &path);
  if (!status.ok()) return CodeOf(status);
  CopyOut(DisplayPath(path), snapshot);
  return 0;
}

const char* ChangeName(history::ChangeKind kind) {
  switch (kind) {
    case history::ChangeKind::kAdded: return "added";
    case history::ChangeKind::kRemoved: return "removed";
    case history::ChangeKind::kRenamed: return "renamed";
    case history::ChangeKind::kMoved: return "moved";
  }
  return "added";
}

std::string DiffText(const MS_CHAR* before, int32_t before_kind,
                     const MS_CHAR* after, int32_t after_kind) {
  Json::Value out(Json::objectValue);
  jobs::StoreDiff result;
  const Status status = jobs::DiffStores(
      {AsU16(before), before_kind, u"the first store"},
      {AsU16(after), after_kind, u"the second store"}, &result);
  if (!status.ok()) {
    PutReadFailure(status, &out);
    return CompactJson(out);
  }
  PutDiffCounts(result.diff, &out);
  Json::Value& changes = out["changes"] = Json::Value(Json::arrayValue);
  for (const history::TreeChange& change : result.diff.changes) {
    const bool gone = change.kind == history::ChangeKind::kRemoved;
    const model::Tree& tree = gone ? result.before : result.after;
    const model::ItemId id = gone ? change.before : change.after;
    const model::Item& item = tree.at(id);
    Json::Value entry(Json::objectValue);
    entry["change"] = ChangeName(change.kind);
    entry["type"] = item.kind == model::ItemKind::kFolder ? "folder" : "link";
    entry["path"] = platform::ToUtf8(tree.PathOf(id));
    entry["folder"] = platform::ToUtf8(tree.PathOf(item.parent));
    entry["title"] = platform::ToUtf8(item.title);
    if (change.before != model::kNoItem && !gone) {
      entry["from"] = platform::ToUtf8(result.before.PathOf(change.before));
    }
    if (item.kind == model::ItemKind::kLink) entry["url"] = platform::ToUtf8(item.url);
    changes.append(std::move(entry));
  }
  return CompactJson(out);
}

int32_t SnapshotToPart(const MS_CHAR* snapshot, const MS_CHAR* part_folder) {
  if (snapshot == nullptr || part_folder == nullptr || *part_folder == 0) {
    return RefusedCode("marksafe_snapshot_to_part", kErrorInvalidParameter);
  }
  Status written;
  const Status read =
      jobs::SnapshotToPart(ToU16(snapshot), ToU16(part_folder), &written);
  return ReadThenWritten(read, written);
}

}  // namespace
}  // namespace exports
}  // namespace marksafe

extern "C" {

MARKSAFE_API int32_t marksafe_snapshot_part(const MS_CHAR* root,
                                            const MS_CHAR* part_folder,
                                            MS_CHAR* snapshot_id) {
  return marksafe::exports::GuardedCode([&] {
    marksafe::context::JobScope scope("marksafe_snapshot_part");
    return marksafe::exports::SnapshotPart(root, part_folder, snapshot_id);
  });
}

MARKSAFE_API int32_t marksafe_prune_snapshots(const MS_CHAR* root,
                                              int32_t last, int32_t daily, int32_t weekly,
                                              int32_t monthly,
                                              int32_t* removed) {
  return marksafe::exports::GuardedCode([&] {
    return marksafe::exports::PruneSnapshots(root, last, daily, weekly,
                                             monthly, removed);
  });
}

MARKSAFE_API const char* marksafe_history(const MS_CHAR* root,
                                          const MS_CHAR* part) {
  static marksafe::platform::ThreadSlot slot;
  return marksafe::exports::TextPerThread(
      &slot, "{\"snapshots\":[],\"errors\":[\"out of memory\"]}",
      [&] {
        return marksafe::exports::HistoryText(root, part);
      });
}

MARKSAFE_API int32_t marksafe_find_snapshot(const MS_CHAR* root,
                                            const MS_CHAR* part,
                                            const MS_CHAR* when,
                                            MS_CHAR* snapshot) {
  return marksafe::exports::GuardedCode([&] {
    return marksafe::exports::FindSnapshot(root, part, when, snapshot);
  });
}

MARKSAFE_API const char* marksafe_diff(const MS_CHAR* before,
                                       int32_t before_kind,
                                       const MS_CHAR* after,
                                       int32_t after_kind) {
  static marksafe::platform::ThreadSlot slot;
  return marksafe::exports::TextPerThread(
      &slot, "{\"error\":\"out of memory\",\"code\":14}",
      [&] {
        marksafe::context::JobScope scope("marksafe_diff");
        return marksafe::exports::DiffText(before, before_kind, after, after_kind);
      });
}

MARKSAFE_API int32_t marksafe_snapshot_to_part(const MS_CHAR* snapshot,
                                               const MS_CHAR* part_folder) {
  return marksafe::exports::GuardedCode([&] {
    marksafe::context::JobScope scope("marksafe_snapshot_to_part");
    return marksafe::exports::SnapshotToPart(snapshot, part_folder);
  });
}

}  // extern "C"
