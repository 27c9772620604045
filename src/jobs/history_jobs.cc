#include "jobs/history_jobs.h"

#include <map>
#include <utility>

#include "backup_set/interchange.h"
#include "backup_set/part.h"
#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "history/snapshot_codec.h"
#include "jobs/store_jobs.h"
#include "model/calendar.h"
#include "model/report.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "stores/firefox_json/backup_listing.h"
#include "stores/firefox_json/firefox_json_reader.h"

namespace marksafe {
namespace jobs {

Status SnapshotPart(const std::u16string& root,
                    const std::u16string& part_folder, std::u16string* id,
                    bool* unchanged, Status* written) {
  *written = Status::Ok();
  if (!history::SnapshotCodecAvailable()) {
    return Status::Error(kErrorNotSupported, u"this build keeps no snapshots");
  }
  // The manifest the part was written with is the snapshot's text.
  const std::u16string path = JoinPath(part_folder, interchange::kManifestName);
  platform::EntryKind kind;
  uint64_t size = 0;
  std::string text;
  if (!platform::GetEntryKind(path, &kind).ok() ||
      kind != platform::EntryKind::kRegular) {
    return Status::Error(kErrorFileNotFound, path + u" does not exist");
  }
  if (!platform::GetFileSize(path, &size).ok() ||
      size > history::kMaxSnapshotTextSize ||
      !platform::ReadFile(path, &text).ok()) {
    return Status::Error(kErrorInvalidParameter, path + u" cannot be read");
  }
  const std::u16string part_name =
      LastComponent(WithoutTrailingSeparators(part_folder));
  *written = history::WriteSnapshot(root, part_name, text, model::Now(), id,
                                    unchanged);
  if (!written->ok()) {
    context::Current().report().AddProblem(
        part_name, platform::ToUtf8(written->message()), true);
  }
  return Status::Ok();
}

Status PruneSnapshots(const std::u16string& root,
                      const history::Retention& retention, int32_t* removed) {
  *removed = 0;
  if (!history::SnapshotCodecAvailable()) {
    return Status::Error(kErrorNotSupported, u"this build keeps no snapshots");
  }
  std::map<std::u16string, std::vector<history::SnapshotFile>> by_part;
  for (history::SnapshotFile& file : history::ListSnapshots(root)) {
    by_part[file.part].push_back(std::move(file));
  }
  Status status;
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
        status.Update(Status::Error(kErrorInvalidParameter,
                                    u"could not delete " + files[i].path));
      }
    }
  }
  const std::u16string history_folder =
      JoinPath(root, history::kHistoryFolderName);
  for (const auto& [id, unused] : touched) {
    const std::u16string folder = JoinPath(history_folder, id);
    std::vector<platform::DirEntry> left;
    if (platform::ListDirectory(folder, &left).ok() && left.empty()) {
      platform::TryRemoveTree(folder);
    }
  }
  return status;
}

HistoryListing ListHistory(const std::u16string& root,
                           const std::u16string& only) {
  HistoryListing listing;
  // The tree of each part's snapshot before the one being listed.
  std::map<std::u16string, model::Tree> previous;
  for (history::SnapshotFile& file : history::ListSnapshots(root)) {
    if (!only.empty() && file.part != only) continue;
    model::Tree tree;
    SnapshotSummary summary;
    {
      // The records' items now live in the tree: the rest of the manifest
      // goes before the two trees are compared.
      backup_set::Manifest manifest;
      const Status read = history::ReadSnapshot(file.path, &tree, &manifest);
      if (!read.ok()) {
        listing.errors.push_back(read.message());
        continue;
      }
      summary.source = std::move(manifest.source);
    }
    summary.counts = model::UserCounts(tree);
    const auto before = previous.find(file.part);
    summary.first = before == previous.end();
    if (!summary.first) {
      summary.diff = history::DiffTrees(before->second, tree);
      std::vector<history::TreeChange>().swap(summary.diff.changes);
    }
    summary.file = std::move(file);
    previous[summary.file.part] = std::move(tree);
    listing.snapshots.push_back(std::move(summary));
  }
  return listing;
}

namespace {

// The index in all that when names now; fails with history::WhenCode's code
// and the message "no <what> for <when>".
Status ResolveDated(const std::u16string& when,
                    const std::vector<history::Dated>& all,
                    const std::u16string& what, size_t* index) {
  const uint32_t code =
      history::WhenCode(history::ResolveWhen(when, all, model::Now(), index));
  if (code != 0) return Status::Error(code, u"no " + what + u" for " + when);
  return Status::Ok();
}

}  // namespace

Status FindSnapshot(const std::u16string& root, const std::u16string& only,
                    const std::u16string& when, std::u16string* path) {
  std::vector<history::SnapshotFile> files;
  for (history::SnapshotFile& file : history::ListSnapshots(root)) {
    if (only.empty() || file.part == only) files.push_back(std::move(file));
  }
  std::vector<history::Dated> all;
  for (const history::SnapshotFile& file : files) {
    all.push_back(history::Dated{file.id, file.time, file.time});
  }
  size_t index = 0;
  const Status found = ResolveDated(when, all, u"snapshot", &index);
  if (found.ok()) *path = files[index].path;
  return found;
}

Status FindBrowserBackup(const std::u16string& profile_folder,
                         const std::u16string& when, std::u16string* path) {
  const std::vector<firefox_json::BrowserBackup> backups =
      firefox_json::ListBrowserBackups(profile_folder);
  std::vector<history::Dated> all;
  for (const firefox_json::BrowserBackup& backup : backups) {
    int64_t day = 0;
    if (!firefox_json::TimeOfDate(backup.date, &day)) day = backup.time;
    all.push_back(history::Dated{backup.name,
                                 backup.time * history::kMicrosPerSecond,
                                 day * history::kMicrosPerSecond});
  }
  size_t index = 0;
  const Status found = ResolveDated(when, all, u"browser backup", &index);
  if (found.ok()) *path = backups[index].file;
  return found;
}

Status ReadBrowserBackup(int32_t kind, const std::u16string& file,
                         model::Tree* tree) {
  uint64_t size = 0;
  if (!platform::GetFileSize(file, &size).ok() ||
      size > firefox_json::kMaxBackupFileBytes) {
    context::Current().report().AddProblem(
        DisplayPath(file),
        "is larger than " +
            std::to_string(firefox_json::kMaxBackupFileBytes >> 20) + " MiB",
        true);
    return Status::Error(kErrorInvalidData, file + u" is too large");
  }
  return ReadStore(kind, file, tree);
}

Status ReadSnapshotFile(const std::u16string& path, model::Tree* tree,
                        backup_set::Manifest* manifest) {
  if (!platform::PathExists(path)) {
    return Status::Error(kErrorFileNotFound, path + u" does not exist");
  }
  const Status read = history::ReadSnapshot(path, tree, manifest);
  if (read.ok()) return read;
  context::Current().report().AddProblem(
      DisplayPath(path), platform::ToUtf8(read.message()), true);
  return Status::Error(read.code() == kErrorFileNotFound ? kErrorFileNotFound
                                                         : kErrorInvalidData,
                       read.message());
}

Status SnapshotToPart(const std::u16string& path,
                      const std::u16string& part_folder, Status* written) {
  *written = Status::Ok();
  model::Tree tree;
  backup_set::Manifest manifest;
  const Status read = ReadSnapshotFile(path, &tree, &manifest);
  if (!read.ok()) return read;
  const backup_set::PartKind kind = manifest.part == "firefox"
                                        ? backup_set::PartKind::kFirefox
                                        : backup_set::PartKind::kChrome;
  *written =
      backup_set::WritePart(tree, kind, part_folder,
                            /*replace_whole=*/true, nullptr, manifest.source);
  return Status::Ok();
}

}  // namespace jobs
}  // namespace marksafe
