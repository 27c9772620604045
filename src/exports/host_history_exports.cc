// The history of a backup set for hosts: a snapshot of each part written
// at backup time, old ones pruned, the list of snapshots with what changed
// between them, a WHEN resolved to a snapshot, what changed between two
// stores, and a snapshot written back as a part for the restores.
#include <json/json.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "backup_set/interchange.h"
#include "backup_set/part.h"
#include "base/json_text.h"
#include "base/text.h"
#include "context/job.h"
#include "exports/export_util.h"
#include "exports/host_stores.h"
#include "history/snapshot.h"
#include "history/snapshot_codec.h"
#include "history/tree_diff.h"
#include "history/when.h"
#include "jobs/store_jobs.h"
#include "marksafe/marksafe.h"
#include "model/report.h"
#include "platform/platform.h"

namespace marksafe {
namespace exports {
namespace {

constexpr int32_t kUnchanged = 1;


// The manifest a part was written with, read as the snapshot's text.
int32_t ReadPartManifest(const std::u16string& part_folder, std::string* text) {
  const std::u16string path =
      JoinPath(part_folder, interchange::kManifestName);
  platform::EntryKind kind;
  uint64_t size = 0;
  if (!platform::GetEntryKind(path, &kind).ok() ||
      kind != platform::EntryKind::kRegular) {
    return kErrorFileNotFound;
  }
  if (!platform::GetFileSize(path, &size).ok() ||
      size > history::kMaxSnapshotTextSize ||
      !platform::ReadFile(path, text).ok()) {
    return kErrorInvalidParameter;
  }
  return 0;
}

int32_t SnapshotPart(const MS_CHAR* root, const MS_CHAR* part_folder,
                     MS_CHAR* snapshot_id) {
  if (root == nullptr || part_folder == nullptr || snapshot_id == nullptr) {
    return RefusedCode("marksafe_snapshot_part", kErrorInvalidParameter);
  }
  if (!history::SnapshotCodecAvailable()) return kErrorNotSupported;
  std::string text;
  const int32_t read = ReadPartManifest(ToU16(part_folder), &text);
  if (read != 0) return read;
  std::u16string part_name = ToU16(part_folder);
  while (!part_name.empty() &&
         (part_name.back() == u'/' || part_name.back() == u'\\')) {
    part_name.pop_back();
  }
  part_name = part_name.substr(part_name.find_last_of(u"/\\") + 1);
  std::u16string id = ToU16(snapshot_id);
  bool unchanged = false;
  const Status status = history::WriteSnapshot(ToU16(root), part_name, text,
                                               model::Now(), &id, &unchanged);
  if (!status.ok()) {
    context::Current().report().problems.push_back(
        model::Problem{part_name, u"", platform::ToUtf8(status.message()), true});
    platform::SetLastError(status.code());
    return kErrorInvalidParameter;
  }
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
  *removed = 0;
  if (!history::SnapshotCodecAvailable()) return kErrorNotSupported;
  const std::u16string root_path = ToU16(root);
  std::map<std::u16string, std::vector<history::SnapshotFile>> by_part;
  for (history::SnapshotFile& file : history::ListSnapshots(root_path)) {
    by_part[file.part].push_back(std::move(file));
  }
  const history::Retention retention{last, daily, weekly, monthly};
  bool ok = true;
  std::map<std::u16string, bool> touched;  // id folders that lost a file
  for (const auto& [part, files] : by_part) {
    std::vector<model::Time> times;
    for (const history::SnapshotFile& file : files) times.push_back(file.time);
    const std::vector<bool> kept = history::ChooseKept(times, retention);
    for (size_t i = 0; i < files.size(); ++i) {
      if (kept[i]) continue;
      if (platform::DeleteFile(files[i].path).ok()) {
        ++*removed;
        touched[files[i].id] = true;
      } else {
        ok = false;
      }
    }
  }
  const std::u16string history_folder =
      JoinPath(root_path, history::kHistoryFolderName);
  for (const auto& [id, unused] : touched) {
    const std::u16string folder = JoinPath(history_folder, id);
    std::vector<platform::DirEntry> left;
    if (platform::ListDirectory(folder, &left).ok() && left.empty()) {
      platform::TryRemoveTree(folder);
    }
  }
  return ok ? 0 : kErrorInvalidParameter;
}

std::string HistoryText(const MS_CHAR* root, const MS_CHAR* part) {
  Json::Value out(Json::objectValue);
  Json::Value& list = out["snapshots"] = Json::Value(Json::arrayValue);
  Json::Value& errors = out["errors"] = Json::Value(Json::arrayValue);
  if (root == nullptr) {
    errors.append("no backup set named");
    return CompactJson(out);
  }
  const std::u16string only = part == nullptr ? u"" : ToU16(part);
  // The tree of each part's snapshot before the one being listed.
  std::map<std::u16string, model::Tree> previous;
  for (const history::SnapshotFile& file : history::ListSnapshots(ToU16(root))) {
    if (!only.empty() && file.part != only) continue;
    model::Tree tree;
    backup_set::Manifest manifest;
    const Status read = history::ReadSnapshot(file.path, &tree, &manifest);
    if (!read.ok()) {
      errors.append(platform::ToUtf8(read.message()));
      continue;
    }
    Json::Value entry(Json::objectValue);
    entry["id"] = platform::ToUtf8(file.id);
    entry["time"] = Json::Int64(file.time);
    entry["part"] = platform::ToUtf8(file.part);
    entry["browser"] = platform::ToUtf8(manifest.source.browser);
    entry["profile"] = platform::ToUtf8(manifest.source.profile);
    const model::Counts counts = model::UserCounts(tree);
    entry["links"] = Json::Int64(counts.links);
    entry["folders"] = Json::Int64(counts.folders);
    const auto before = previous.find(file.part);
    entry["first"] = before == previous.end();
    history::TreeDiff diff;
    if (before != previous.end()) diff = history::DiffTrees(before->second, tree);
    entry["added"] = Json::Int64(diff.added);
    entry["removed"] = Json::Int64(diff.removed);
    entry["renamed"] = Json::Int64(diff.renamed);
    entry["moved"] = Json::Int64(diff.moved);
    list.append(std::move(entry));
    previous[file.part] = std::move(tree);
  }
  return CompactJson(out);
}

int32_t FindSnapshot(const MS_CHAR* root, const MS_CHAR* part,
                     const MS_CHAR* when, MS_CHAR* snapshot) {
  if (root == nullptr || when == nullptr || snapshot == nullptr) {
    return RefusedCode("marksafe_find_snapshot", kErrorInvalidParameter);
  }
  const std::u16string only = part == nullptr ? u"" : ToU16(part);
  std::vector<history::SnapshotFile> files;
  for (history::SnapshotFile& file : history::ListSnapshots(ToU16(root))) {
    if (only.empty() || file.part == only) files.push_back(std::move(file));
  }
  std::vector<history::Dated> all;
  for (const history::SnapshotFile& file : files) {
    all.push_back(history::Dated{file.id, file.time, file.time});
  }
  size_t index = 0;
  const uint32_t code = history::WhenCode(
      history::ResolveWhen(ToU16(when), all, model::Now(), &index));
  if (code != 0) return static_cast<int32_t>(code);
  CopyOut(DisplayPath(files[index].path), snapshot);
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
  out["added"] = Json::Int64(result.diff.added);
  out["removed"] = Json::Int64(result.diff.removed);
  out["renamed"] = Json::Int64(result.diff.renamed);
  out["moved"] = Json::Int64(result.diff.moved);
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
  const std::u16string path = ToU16(snapshot);
  if (!platform::PathExists(path)) return kErrorFileNotFound;
  model::Tree tree;
  backup_set::Manifest manifest;
  const Status read = history::ReadSnapshot(path, &tree, &manifest);
  if (!read.ok()) {
    context::Current().report().problems.push_back(model::Problem{
        DisplayPath(path), u"", platform::ToUtf8(read.message()), true});
    return read.code() == kErrorFileNotFound ? kErrorFileNotFound
                                                 : kErrorInvalidData;
  }
  const backup_set::PartKind kind = manifest.part == "firefox"
                                        ? backup_set::PartKind::kFirefox
                                        : backup_set::PartKind::kChrome;
  const Status written =
      backup_set::WritePart(tree, kind, ToU16(part_folder),
                            /*replace_whole=*/true, nullptr, manifest.source);
  return SucceededOrSetLastError(written) ? 0 : kErrorInvalidParameter;
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
