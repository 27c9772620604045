#include "history/snapshot.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "base/error_codes.h"
#include "base/text.h"
#include "history/snapshot_codec.h"
#include "model/calendar.h"
#include "platform/file_names.h"
#include "platform/platform.h"

namespace marksafe {
namespace history {
namespace {

constexpr size_t kIdBaseLength = 16;  // "20261207T214500Z"
constexpr int kMaxSequence = 9999;

bool Digits(const std::u16string& text, size_t from, size_t count, int* out) {
  int value = 0;
  for (size_t i = from; i < from + count; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    value = value * 10 + (text[i] - u'0');
  }
  *out = value;
  return true;
}

std::u16string IdWithSequence(const std::u16string& base, int sequence) {
  return sequence <= 1 ? base : base + u"-" + NumberText(sequence);
}

Status Refused(const std::u16string& path, const std::string& why) {
  return Status::Error(kErrorInvalidData, u"the snapshot " + DisplayPath(path) + u" " +
                               platform::FromUtf8(why));
}

// The newest snapshot file of the part, or empty.
std::u16string NewestOf(const std::u16string& root,
                        const std::u16string& part_name) {
  const std::vector<SnapshotFile> all = ListSnapshots(root);
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    if (it->part == part_name) return it->path;
  }
  return std::u16string();
}

// Makes a new id folder for time now: the second's id, or the first free
// "-N" after it.
Status NewIdFolder(const std::u16string& history, model::Time now,
                   std::u16string* id) {
  const std::u16string base = SnapshotIdAt(now);
  for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
    const std::u16string candidate = IdWithSequence(base, sequence);
    const std::u16string folder = JoinPath(history, candidate);
    if (platform::PathExists(folder)) continue;
    const Status made = platform::CreateDirectoryTree(folder);
    if (!made.ok()) {
      return Status::Error(made.code(),
                           u"could not make the snapshot folder " + folder);
    }
    *id = candidate;
    return Status::Ok();
  }
  return Status::Error(kErrorAlreadyExists, u"no free snapshot id in " + history);
}

}  // namespace

std::u16string SnapshotIdAt(model::Time time) {
  const CivilTime c = ToCivil(time);
  char text[32];
  std::snprintf(text, sizeof(text), "%04d%02d%02dT%02d%02d%02dZ", c.year,
                c.month, c.day, c.hour, c.minute, c.second);
  return platform::FromUtf8(text);
}

bool ParseSnapshotId(const std::u16string& id, model::Time* time,
                     int* sequence) {
  if (id.size() < kIdBaseLength || id[8] != u'T' ||
      id[kIdBaseLength - 1] != u'Z') {
    return false;
  }
  CivilTime c;
  if (!Digits(id, 0, 4, &c.year) || !Digits(id, 4, 2, &c.month) ||
      !Digits(id, 6, 2, &c.day) || !Digits(id, 9, 2, &c.hour) ||
      !Digits(id, 11, 2, &c.minute) || !Digits(id, 13, 2, &c.second) ||
      !FromCivil(c, time)) {
    return false;
  }
  *sequence = 1;
  if (id.size() == kIdBaseLength) return true;
  const size_t digits = id.size() - kIdBaseLength - 1;
  return id[kIdBaseLength] == u'-' && digits >= 1 && digits <= 4 &&
         id[kIdBaseLength + 1] != u'0' &&
         Digits(id, kIdBaseLength + 1, digits, sequence) && *sequence >= 2;
}

bool SnapshotIdLess(const std::u16string& a, const std::u16string& b) {
  model::Time ta = 0, tb = 0;
  int sa = 0, sb = 0;
  if (!ParseSnapshotId(a, &ta, &sa) || !ParseSnapshotId(b, &tb, &sb)) {
    return a < b;
  }
  return ta != tb ? ta < tb : sa < sb;
}

std::vector<SnapshotFile> ListSnapshots(const std::u16string& root) {
  std::vector<SnapshotFile> files;
  const std::u16string history = JoinPath(root, kHistoryFolderName);
  platform::EntryKind kind;
  if (!platform::GetEntryKind(history, &kind).ok() ||
      kind != platform::EntryKind::kDirectory) {
    return files;
  }
  std::vector<platform::DirEntry> ids;
  if (!platform::ListDirectory(history, &ids).ok()) return files;
  for (const platform::DirEntry& id : ids) {
    model::Time time = 0;
    int sequence = 0;
    if (id.kind != platform::EntryKind::kDirectory || !id.name_valid ||
        !ParseSnapshotId(id.name, &time, &sequence)) {
      continue;
    }
    const std::u16string folder = JoinPath(history, id.name);
    std::vector<platform::DirEntry> entries;
    if (!platform::ListDirectory(folder, &entries).ok()) continue;
    for (const platform::DirEntry& entry : entries) {
      if (entry.kind != platform::EntryKind::kRegular || !entry.name_valid ||
          !EndsWith(entry.name, kSnapshotSuffix)) {
        continue;
      }
      const size_t part_size =
          entry.name.size() - std::size(kSnapshotSuffix) + 1;
      files.push_back(SnapshotFile{id.name, time,
                                   entry.name.substr(0, part_size),
                                   JoinPath(folder, entry.name)});
    }
  }
  std::sort(files.begin(), files.end(),
            [](const SnapshotFile& a, const SnapshotFile& b) {
              if (a.id != b.id) return SnapshotIdLess(a.id, b.id);
              return a.part < b.part;
            });
  return files;
}

Status WriteSnapshot(const std::u16string& root,
                     const std::u16string& part_name,
                     const std::string& manifest_text, model::Time now,
                     std::u16string* id, bool* unchanged) {
  *unchanged = false;
  if (!SnapshotCodecAvailable()) {
    return Status::Error(kErrorNotSupported, u"this build keeps no snapshots (no zstd)");
  }
  const std::u16string newest = NewestOf(root, part_name);
  std::string previous;
  if (!newest.empty() && ReadSnapshotText(newest, &previous).ok() &&
      previous == manifest_text) {
    *unchanged = true;
    return Status::Ok();
  }
  std::string bytes;
  if (!CompressSnapshot(manifest_text, &bytes)) {
    return Status::Error(kErrorOutOfMemory, u"could not compress the snapshot");
  }
  const std::u16string history = JoinPath(root, kHistoryFolderName);
  std::u16string taken = *id;
  if (taken.empty()) {
    const Status made = NewIdFolder(history, now, &taken);
    if (!made.ok()) return made;
  }
  const std::u16string path = JoinPath(JoinPath(history, taken),
                                       part_name + kSnapshotSuffix);
  const Status written = platform::ReplaceFileAtomically(path, bytes);
  if (!written.ok()) {
    return Status::Error(written.code(),
                         u"could not write the snapshot " + path);
  }
  *id = taken;
  return Status::Ok();
}

Status ReadSnapshotText(const std::u16string& path, std::string* text) {
  platform::EntryKind kind;
  if (!platform::GetEntryKind(path, &kind).ok()) {
    return Status::Error(kErrorFileNotFound, u"the snapshot " + DisplayPath(path) +
                                u" was not found");
  }
  if (kind != platform::EntryKind::kRegular) {
    return Refused(path, "is not a regular file");
  }
  uint64_t size = 0;
  if (!platform::GetFileSize(path, &size).ok()) {
    return Refused(path, "cannot be read");
  }
  if (size > kMaxSnapshotFileSize) return Refused(path, "is too large");
  std::string bytes;
  if (!platform::ReadFile(path, &bytes).ok())
    return Refused(path, "cannot be read");
  if (bytes.size() > kMaxSnapshotFileSize) return Refused(path, "is too large");
  std::string why;
  if (!DecompressSnapshot(bytes, kMaxSnapshotTextSize, text, &why)) {
    return Refused(path, why);
  }
  return Status::Ok();
}

Status ReadSnapshot(const std::u16string& path, model::Tree* tree,
                    backup_set::Manifest* manifest) {
  std::string text;
  const Status read = ReadSnapshotText(path, &text);
  if (!read.ok()) return read;
  std::string why;
  if (backup_set::ParseManifest(text, nullptr, manifest, &why) !=
      backup_set::ManifestState::kRead) {
    return Refused(path, why);
  }
  if (!manifest->skipped.empty()) return Refused(path, manifest->skipped[0]);
  // The records hold what the tree needs; the text goes before it is built.
  std::string().swap(text);
  const Status built = TreeFromRecords(manifest, tree);
  if (!built.ok()) return Refused(path, platform::ToUtf8(built.message()));
  return Status::Ok();
}

Status TreeFromRecords(backup_set::Manifest* manifest, model::Tree* tree) {
  // By path, as views into the manifest's roots and records, which stay
  // in place while the tree is built (only the records' items move).
  std::unordered_map<std::u16string_view, model::ItemId> folders;
  tree->Reserve(tree->size() + manifest->roots.size() +
                manifest->records.size());
  for (const auto& [root, name] : manifest->roots) {
    if (tree->root(root) != model::kNoItem || folders.count(name) != 0) {
      return Status::Error(kErrorInvalidData, u"names a root twice");
    }
    folders[name] = tree->AddRoot(root, name);
  }
  for (backup_set::Record& record : manifest->records) {
    const bool separator = record.item.kind == model::ItemKind::kSeparator;
    std::u16string_view parent_path = record.path;
    if (!separator) {
      const size_t slash = parent_path.rfind(u'/');
      parent_path = parent_path.substr(
          0, slash == std::u16string_view::npos ? 0 : slash);
    }
    if (parent_path.empty()) {
      // A top folder's record: the root's title and dates.
      const auto top = folders.find(record.path);
      if (top == folders.end() ||
          record.item.kind != model::ItemKind::kFolder) {
        return Status::Error(kErrorInvalidData, u"has a top entry of no root: " +
                                     record.path);
      }
      model::Item& root = tree->at(top->second);
      root.title = record.item.title;
      root.date_added = record.item.date_added;
      root.last_modified = record.item.last_modified;
      continue;
    }
    const auto parent = folders.find(parent_path);
    if (parent == folders.end()) {
      return Status::Error(kErrorInvalidData,
                           u"has an entry before its folder: " + record.path);
    }
    const bool folder = record.item.kind == model::ItemKind::kFolder;
    const model::ItemId id = tree->Add(parent->second, std::move(record.item));
    if (id == model::kNoItem) {
      return Status::Error(kErrorInvalidData, u"nests too deep: " + record.path);
    }
    if (folder && !folders.emplace(std::u16string_view(record.path), id).second) {
      return Status::Error(kErrorInvalidData, u"names a folder twice: " + record.path);
    }
  }
  return Status::Ok();
}

}  // namespace history
}  // namespace marksafe
