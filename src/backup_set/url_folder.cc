// Plain folders of .url files (the Favorites folder and what is merged
// into it): reading one into the tree, and writing what a merge added.
#include <unordered_set>
#include <utility>

#include "backup_set/interchange.h"
#include "backup_set/part.h"
#include "backup_set/url_files.h"
#include "base/error_codes.h"
#include "base/error_words.h"
#include "base/text.h"
#include "context/job.h"
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

bool IsExcluded(const std::u16string& name,
                const std::vector<std::u16string>& excluded) {
  for (const std::u16string& other : excluded) {
    if (EqualsNoCase(name, other)) return true;
  }
  return false;
}

// A link whose first name is that of a .url file of an earlier export
// there replaces that file in one step. False when there is no such file
// (the link is then written under a name of its own).
bool ReplaceSameName(const model::Tree& tree, ItemId id, DiskFolder* folder,
                     std::unordered_set<std::u16string>* replaceable,
                     model::RootReport* root_report, model::Report* report,
                     Status* status) {
  const model::Item& item = tree.at(id);
  const std::u16string name = model::NameAllocator().Allocate(
      item.title, interchange::kUrlSuffix, folder->file_limit);
  if (name.empty() || replaceable->erase(ToUpperCase(name)) == 0) return false;
  std::u16string path;
  const uint32_t failure = platform::ChildPath(folder->dir, name, &path)
                               ? WriteShortcut(item, path, true).code()
                               : kErrorInvalidName;
  if (failure != kErrorSuccess) {
    status->Update(ItemFailed(tree, id, path, WriteFailedReason(failure),
                              failure, root_report, report));
    return true;
  }
  model::CountItem(item.kind, &root_report->added);
  context::Current().progress().Written(item.kind);
  return true;
}

}  // namespace

Status ReadUrlFolder(const std::u16string& folder,
                     const std::vector<std::u16string>& excluded,
                     model::Tree* tree, ItemId into) {
  if (tree == nullptr || into == model::kNoItem) {
    return Status::Error(kErrorInvalidParameter, u"no folder to read into");
  }
  std::vector<std::pair<std::u16string, ItemId>> work;
  work.emplace_back(folder, into);
  Status status;
  while (!work.empty()) {
    const std::pair<std::u16string, ItemId> current = std::move(work.back());
    work.pop_back();
    std::vector<platform::DirEntry> entries;
    const Status listed = platform::ListDirectory(current.first, &entries);
    if (!listed.ok()) {
      status.Update(
          FailedTo(listed.code(), u"list the folder " + current.first));
      continue;
    }
    for (const platform::DirEntry& entry : entries) {
      std::u16string path;
      if (!ReadableEntryPath(current.first, entry, &path)) continue;
      if (IsFolderToRead(entry) && IsExcluded(entry.name, excluded)) continue;
      model::Item item;
      if (!ItemOfEntry(entry, path, &item)) continue;
      const ItemId id = tree->Add(current.second, std::move(item));
      if (id == model::kNoItem) return TooDeep(current.first);
      if (IsFolderToRead(entry)) work.emplace_back(path, id);
    }
  }
  return status;
}

namespace {

// A folder on disk that WriteAddedToUrlFolder writes into.
struct AddedFrame {
  ItemId id;
  DiskFolder disk;
  size_t next = 0;
  // Upper-cased names of the .url files there that a new link of the
  // same name replaces (each once).
  std::unordered_set<std::u16string> replaceable;
};

// Puts a folder that exists on the stack: every name in it is taken,
// whatever it is. Fails when it cannot be listed.
Status PushExistingFolder(ItemId id, const std::u16string& dir,
                          bool replace_same_name,
                          std::vector<AddedFrame>* stack) {
  AddedFrame frame{id, DiskFolder(dir), 0, {}};
  std::vector<platform::DirEntry> entries;
  const Status listed = platform::ListDirectory(dir, &entries);
  if (!listed.ok()) {
    return Status::Error(listed.code(),
                         u"could not list the folder " + dir + u": " +
                             platform::FromUtf8(ErrorWords(listed.code())));
  }
  for (const platform::DirEntry& entry : entries) {
    frame.disk.names.Reserve(entry.name);
    if (replace_same_name && IsShortcutToRead(entry)) {
      frame.replaceable.insert(ToUpperCase(entry.name));
    }
  }
  stack->push_back(std::move(frame));
  return Status::Ok();
}

// Notes a new entry in the call's journal by its full path; the caller
// that knows the Favorites folder makes it relative (see favorites_import).
void NoteWrittenEntry(const model::Item& item, const std::u16string& folder,
                      const std::u16string& name) {
  context::JournalRecorder* journal = context::Current().journal();
  std::u16string path;
  if (journal == nullptr || !platform::ChildPath(folder, name, &path)) return;
  context::JournalEntry entry;
  entry.kind = item.kind;
  entry.id = path;
  entry.title = item.title;
  entry.url = item.url;
  journal->Add(context::StoreKind::kFavorites, std::u16string(),
               std::move(entry));
}

}  // namespace

Status WriteAddedToUrlFolder(const model::Tree& tree, ItemId from,
                             const std::u16string& folder,
                             model::RootReport* root_report,
                             model::Report* report, bool replace_same_name) {
  model::RootReport unused;
  if (root_report == nullptr) root_report = &unused;
  auto existing = [replace_same_name](ItemId id, const std::u16string& dir,
                                      std::vector<AddedFrame>* stack) {
    return PushExistingFolder(id, dir, replace_same_name, stack);
  };

  Status status;
  std::vector<AddedFrame> stack;
  status = existing(from, folder, &stack);
  if (!status.ok()) return status;
  while (!stack.empty()) {
    AddedFrame& frame = stack.back();
    const model::Item& parent = tree.at(frame.id);
    if (frame.next >= parent.children.size()) {
      stack.pop_back();
      continue;
    }
    const ItemId child = parent.children[frame.next++];
    const model::Item& item = tree.at(child);
    if (!item.added) {
      // Matched by the merge: walk into it for what was added below.
      if (item.kind != ItemKind::kFolder || item.file_name.empty()) continue;
      std::u16string dir;
      if (!platform::ChildPath(frame.disk.dir, item.file_name, &dir)) {
        status.Update(FailedTo(kErrorInvalidName, u"list the folder " + dir));
      } else {
        status.Update(existing(child, dir, &stack));
      }
      continue;
    }
    if (item.kind == ItemKind::kSeparator) {
      // A folder of .url files has no place for one.
      ++root_report->not_carried.separators;
      if (report != nullptr) {
        report->AddProblem(tree.PathOf(child), "separator", false);
      }
      continue;
    }
    if (item.kind == ItemKind::kLink && !frame.replaceable.empty() &&
        ReplaceSameName(tree, child, &frame.disk, &frame.replaceable,
                        root_report, report, &status)) {
      continue;
    }
    // Never over an existing entry: the file is made anew or not at all.
    const std::u16string name =
        WriteNewEntry(tree, child, &frame.disk, kErrorFilenameTooLong,
                      root_report, report, &status);
    if (!name.empty()) NoteWrittenEntry(item, frame.disk.dir, name);
    if (!name.empty() && item.kind == ItemKind::kFolder) {
      std::u16string dir;
      if (platform::ChildPath(frame.disk.dir, name, &dir)) {
        stack.push_back(AddedFrame{child, DiskFolder(dir), 0, {}});
      }
    }
  }
  return status;
}

}  // namespace backup_set
}  // namespace marksafe
