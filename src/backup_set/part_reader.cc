// Reading a part: the position file names the root folders, the manifest
// orders and completes what the .url files hold.
#include "backup_set/part.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "backup_set/folder_swap.h"
#include "backup_set/interchange.h"
#include "backup_set/manifest.h"
#include "backup_set/part_slots.h"
#include "backup_set/url_files.h"
#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "context/store_lock.h"
#include "model/names.h"
#include "model/progress.h"
#include "platform/debug_log.h"
#include "platform/file_names.h"
#include "platform/platform.h"

namespace marksafe {
namespace backup_set {
namespace {

using model::ItemId;
using model::ItemKind;

// The .url file is the truth for a link's address: a record's URL is
// taken only where it is the file's one, exact where the file cannot be
// (a line break, outer blanks). The record's title, dates, tags and keyword
// stay. False (the file is no link) when the file holds no URL.
bool TakeUrlFromFile(const std::u16string& dir, const std::u16string& name,
                     model::Item* item) {
  model::Item from_file;
  std::u16string path;
  if (!platform::ChildPath(dir, name, &path) ||
      !ReadPlainShortcut(path, name, &from_file)) {
    return false;
  }
  if (item->url.empty() ||
      interchange::ShortcutUrlValue(item->url) != from_file.url) {
    item->url = std::move(from_file.url);
  }
  return true;
}

// A folder of the .url tree still to be read: where it is on disk, its
// path in the manifest and its item.
struct PendingFolder {
  std::u16string dir;
  std::u16string rel;
  ItemId id;
};

// The children the manifest records for folder, in their order and with
// their exact values; each entry of the listing they take is marked used.
// The records' items are moved into the tree (each is read once: the caller
// drops the folder's list of records afterwards), so that the part's
// strings are not held twice.
Status ReadRecordedChildren(const PendingFolder& folder,
                            const std::vector<platform::DirEntry>& entries,
                            Manifest* manifest,
                            const std::vector<size_t>& records,
                            std::vector<bool>* used, model::Tree* tree,
                            std::vector<PendingFolder>* work) {
  std::unordered_map<std::u16string, size_t> by_name;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (IsFolderToRead(entries[i]) || IsShortcutToRead(entries[i])) {
      by_name.emplace(entries[i].name, i);
    }
  }
  for (size_t index : records) {
    Record& record = manifest->records[index];
    model::Item item = std::move(record.item);
    std::u16string name;
    if (item.kind != ItemKind::kSeparator) {
      name = LastName(record.path);
      const auto found = by_name.find(name);
      // Deleted by hand, or now of another kind: not read from here.
      if (found == by_name.end() || (*used)[found->second] ||
          IsFolderToRead(entries[found->second]) !=
              (item.kind == ItemKind::kFolder)) {
        continue;
      }
      (*used)[found->second] = true;
      if (item.kind == ItemKind::kLink &&
          !TakeUrlFromFile(folder.dir, name, &item)) {
        continue;
      }
      item.file_name = name;
    }
    std::u16string path;
    if (item.kind == ItemKind::kFolder &&
        !platform::ChildPath(folder.dir, name, &path)) {
      continue;
    }
    const ItemId id = tree->Add(folder.id, std::move(item));
    if (id == model::kNoItem) return TooDeep(folder.dir);
    if (tree->at(id).kind == ItemKind::kFolder) {
      work->push_back(PendingFolder{path, record.path, id});
    }
  }
  return Status::Ok();
}

// The entries of the listing no record took, as plain folders and .url
// files, in listing order.
Status ReadUnrecordedChildren(const PendingFolder& folder,
                              const std::vector<platform::DirEntry>& entries,
                              const std::vector<bool>& used, model::Tree* tree,
                              std::vector<PendingFolder>* work) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (used[i]) continue;
    const platform::DirEntry& entry = entries[i];
    std::u16string path;
    if (!ReadableEntryPath(folder.dir, entry, &path)) continue;
    model::Item item;
    if (!ItemOfEntry(entry, path, &item)) continue;
    const ItemId id = tree->Add(folder.id, std::move(item));
    if (id == model::kNoItem) return TooDeep(folder.dir);
    if (IsFolderToRead(entry)) {
      work->push_back(PendingFolder{path, folder.rel + u"/" + entry.name, id});
    }
  }
  return Status::Ok();
}

// Reads the .url tree below dir (relative path rel in the manifest) into
// the folder `into` of tree. With a manifest, each folder's recorded
// children come first, in their order and with their exact values, then
// the files no record names, in listing order.
Status ReadFolderTree(const std::u16string& dir, const std::u16string& rel,
                      Manifest* manifest, model::Tree* tree,
                      ItemId into) {
  std::vector<PendingFolder> work;
  work.push_back(PendingFolder{dir, rel, into});
  Status status;
  while (!work.empty()) {
    const PendingFolder folder = std::move(work.back());
    work.pop_back();
    std::vector<platform::DirEntry> entries;
    const Status listed = platform::ListDirectory(folder.dir, &entries);
    if (!listed.ok()) {
      status.Update(FailedTo(listed.code(), u"list the folder " + folder.dir));
      continue;
    }
    std::vector<bool> used(entries.size(), false);
    if (manifest != nullptr) {
      const auto records = manifest->children.find(folder.rel);
      if (records != manifest->children.end()) {
        Status read = ReadRecordedChildren(folder, entries, manifest,
                                           records->second, &used, tree, &work);
        manifest->children.erase(records);
        if (!read.ok()) return read;
      }
    }
    Status read = ReadUnrecordedChildren(folder, entries, used, tree, &work);
    if (!read.ok()) return read;
  }
  return status;
}

// True when the entry at path itself (a link is not followed) is of kind.
bool IsEntryOf(const std::u16string& path, platform::EntryKind kind) {
  platform::EntryKind found = platform::EntryKind::kOther;
  return platform::GetEntryKind(path, &found).ok() && found == kind;
}

// True when path itself is a real folder (not a link or junction to one).
bool IsRealFolder(const std::u16string& path) {
  return IsEntryOf(WithoutTrailingSeparators(path),
                   platform::EntryKind::kDirectory);
}

// True when every folder on the way from the part folder to the folder the
// position value names is a real folder: a link anywhere on that way could
// lead out of the set.
bool ReachedWithoutLinks(const std::u16string& folder,
                         const std::u16string& value) {
  std::u16string path = folder;
  size_t begin = 0;
  while (begin <= value.size()) {
    size_t end = value.find_first_of(u"\\/", begin);
    if (end == std::u16string::npos) end = value.size();
    const std::u16string part = value.substr(begin, end - begin);
    begin = end + 1;
    if (part.empty() || part == u".") continue;
    path = JoinPath(path, part);
    if (!IsRealFolder(path)) return false;
  }
  return true;
}

// The relative path of a position value as the manifest writes paths.
std::u16string ManifestPath(const std::u16string& value) {
  std::u16string path = WithoutTrailingSeparators(value);
  for (char16_t& c : path) {
    if (c == u'\\') c = u'/';
  }
  return path;
}

// A part is whole when its completion mark is there, or when it comes from
// a set written before parts had one (no manifest, or a manifest that does
// not announce a mark). Otherwise the backup that wrote it, or a copy of
// the set, was cut short: refused unless incomplete parts are accepted.
Status CheckComplete(const std::u16string& folder, ManifestState state,
                     const Manifest& manifest) {
  if (IsEntryOf(JoinPath(folder, interchange::kCompletionMarkName),
                platform::EntryKind::kRegular)) {
    return Status::Ok();
  }
  const bool cut_short =
      state == ManifestState::kDamaged ||
      (state == ManifestState::kRead && manifest.completion_mark);
  if (!cut_short) return Status::Ok();
  if (context::Current().options().accept_incomplete) {
    DebugLog(u"[backup_set] %s has no completion mark; read as it is\n",
             folder.c_str());
    return Status::Ok();
  }
  context::Current().report().AddProblem(
      DisplayPath(folder), "incomplete backup (no completion mark): not read",
      true);
  return Status::Error(kErrorInvalidData,
                       u"the backup part " + DisplayPath(folder) +
                           u" is incomplete: the backup or copy that wrote it "
                           u"did not finish (it has no completion mark)");
}

// The part folder and its position file, read only when they are a real
// folder and a regular file: a link (or a FIFO, a device) may lead anywhere.
Status CheckPartEntries(const std::u16string& folder,
                        const std::u16string& position_file) {
  if (!platform::PathExists(position_file)) {
    return Status::Error(kErrorFileNotFound,
                         u"no position file " + position_file);
  }
  if (!IsRealFolder(folder)) {
    return Status::Error(kErrorAccessDenied,
                         u"the part folder " + folder +
                             u" is a link or no folder: it is not read");
  }
  if (!IsEntryOf(position_file, platform::EntryKind::kRegular)) {
    return Status::Error(kErrorAccessDenied,
                         u"the position file " + position_file +
                             u" is no regular file: it is not read");
  }
  return Status::Ok();
}

void ReportSkippedRecords(const std::u16string& folder,
                          const Manifest& manifest) {
  for (const std::string& damage : manifest.skipped) {
    DebugLog(u"[backup_set] a record of the manifest of %s is left out: %s\n",
             folder.c_str(), platform::FromUtf8(damage).c_str());
    context::Current().report().AddProblem(
        DisplayPath(JoinPath(folder, interchange::kManifestName)),
        "damaged manifest record left out (its item is read from its file): " +
            damage,
        false);
  }
}

// The folder (relative to the part) each root's key names; empty for a
// root the position file does not name. A key that is missing from a
// position file that names other roots leaves its root folder unnamed: the
// folder the part writes for that root, when it is there and no other key
// names it, is read for it rather than dropped.
std::vector<std::u16string> RootValues(const std::u16string& folder,
                                       const std::u16string& position_file,
                                       PartKind kind) {
  std::vector<std::u16string> values;
  for (const RootSlot& slot : Slots(kind)) {
    values.push_back(platform::GetProfileString(PositionSection(kind), slot.key,
                                                u"", kPositionValueUnits,
                                                position_file));
  }
  const bool names_any =
      std::any_of(values.begin(), values.end(),
                  [](const std::u16string& value) { return !value.empty(); });
  std::vector<std::u16string> named = values;
  size_t index = 0;
  for (const RootSlot& slot : Slots(kind)) {
    std::u16string& value = named[index++];
    if (!value.empty()) continue;
    const std::u16string usual = JoinPath(folder, slot.folder);
    if (!names_any ||
        std::find(values.begin(), values.end(), slot.folder) != values.end() ||
        !IsRealFolder(usual)) {
      continue;
    }
    value = slot.folder;
    context::Current().report().AddProblem(
        DisplayPath(usual),
        "the position file does not name this root folder; read as the " +
            std::string(model::RootKey(slot.root)) + " root",
        false);
  }
  return named;
}

// The folder of one root as its position value names it; false (with a
// diagnostic line, and a Problem for what the user should know) when it
// leaves the part, is missing or is reached through a link.
bool RootFolder(const std::u16string& folder, const std::u16string& value,
                std::u16string* dir) {
  if (!interchange::ResolvePositionValue(folder, value, dir)) {
    DebugLog(u"[backup_set] position value %s refused: it leaves %s\n",
             value.c_str(), folder.c_str());
    return false;
  }
  if (!platform::PathExists(*dir)) {
    DebugLog(u"[backup_set] the root folder %s is missing\n", dir->c_str());
    context::Current().report().AddProblem(
        DisplayPath(*dir),
        "root folder missing from the backup: nothing of it is restored", true);
    return false;
  }
  if (!ReachedWithoutLinks(folder, value)) {
    DebugLog(u"[backup_set] %s is a link or no folder and is not read\n",
             dir->c_str());
    context::Current().report().AddProblem(
        *dir, "root folder is a link or no folder: not read", true);
    return false;
  }
  return true;
}

}  // namespace

Status ReadPart(const std::u16string& part_folder, PartKind kind,
                model::Tree* tree) {
  const std::u16string folder = ReadableFolder(part_folder);
  const std::u16string position_file =
      JoinPath(folder, PositionFileName(kind));
  Status entries = CheckPartEntries(folder, position_file);
  if (!entries.ok()) return entries;
  Manifest manifest;
  std::string why;
  const ManifestState state =
      ReadManifest(JoinPath(folder, interchange::kManifestName),
                   KindName(kind), &manifest, &why);
  if (state == ManifestState::kDamaged) {
    DebugLog(
        u"[backup_set] the manifest of %s %s; the part is read from its "
        u"files alone\n",
        folder.c_str(), platform::FromUtf8(why).c_str());
  }
  Manifest* used_manifest =
      state == ManifestState::kRead ? &manifest : nullptr;
  // The records tell how many items are coming: room for them at once.
  tree->Reserve(tree->size() + manifest.records.size());
  Status complete = CheckComplete(folder, state, manifest);
  if (!complete.ok()) return complete;
  ReportSkippedRecords(folder, manifest);
  const std::vector<std::u16string> values =
      RootValues(folder, position_file, kind);
  bool any = false;
  Status status;
  size_t slot_index = 0;
  for (const RootSlot& slot : Slots(kind)) {
    const std::u16string& value = values[slot_index++];
    std::u16string dir;
    if (value.empty() || !RootFolder(folder, value, &dir)) continue;
    any = true;
    const ItemId root = tree->AddRoot(slot.root, value);
    const std::u16string rel = ManifestPath(value);
    if (used_manifest != nullptr) {
      const auto top = used_manifest->top_folders.find(rel);
      if (top != used_manifest->top_folders.end()) {
        const model::Item& record = used_manifest->records[top->second].item;
        tree->at(root).date_added = record.date_added;
        tree->at(root).last_modified = record.last_modified;
      }
    }
    status.Update(ReadFolderTree(dir, rel, used_manifest, tree, root));
  }
  if (!any) {
    return Status::Error(
        kErrorPathNotFound,
        u"the position file names no root folder in " + folder);
  }
  return status;
}

bool CountPart(const std::u16string& folder, PartKind kind, bool with_roots,
               int32_t* folders, int32_t* links) {
  model::Tree part;
  if (!ReadPart(folder, kind, &part).ok()) return false;
  *folders = 0;
  *links = 0;
  model::AddHostCounts(part, with_roots, folders, links);
  return true;
}

}  // namespace backup_set
}  // namespace marksafe
