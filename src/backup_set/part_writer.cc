// Writing a part: the .url tree of each root, the manifest, the position
// file and, last, the completion mark.
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
using model::Root;

// The mark's own text says what it is to a person who opens it.
constexpr char kCompletionMarkText[] =
    "This part of the backup set was written to its end.\r\n";

// The position file with every key of the part. "pos.ini" is begun as
// UTF-16LE with only its byte-order mark, as it always was; keys already in
// the file are replaced, other contents kept.
// The keys are written into a copy beside the file, which then replaces
// it in one step: a failure leaves the previous file whole.
Status WritePositionFile(const std::u16string& folder, PartKind kind) {
  const std::u16string path = JoinPath(folder, PositionFileName(kind));
  const std::u16string copy = path + u".marksafe-new";
  std::string bytes;
  if (platform::PathExists(path)) {
    const Status read = platform::ReadFile(path, &bytes);
    if (!read.ok()) {
      return Status::Error(read.code(),
                           u"could not read the position file " + path);
    }
  } else if (kind == PartKind::kFirefox) {
    bytes.assign("\xFF\xFE", 2);
  }
  Status step = platform::WriteFile(copy, bytes);
  for (const RootSlot& slot : Slots(kind)) {
    if (step.ok()) {
      step = platform::WriteProfileString(PositionSection(kind), slot.key,
                                          slot.folder, copy);
    }
  }
  if (step.ok()) step = platform::ReadFile(copy, &bytes);
  if (step.ok()) step = platform::ReplaceFileAtomically(path, bytes);
  const Status written =
      step.ok() ? Status::Ok()
                : FailedTo(step.code(), u"write the position file " + path);
  (void)platform::DeleteFile(copy).ok();
  return written;
}

// Writes the roots of a tree as folders of .url files and collects the
// manifest's records.
class PartWriter {
 public:
  PartWriter(const model::Tree& tree, PartKind kind,
             const std::u16string& folder, bool fresh, bool same_export,
             model::Report* report, ManifestWriter* manifest)
      : tree_(tree),
        kind_(kind),
        folder_(folder),
        fresh_(fresh),
        same_export_(same_export),
        report_(report),
        manifest_(manifest) {}

  Status Run() {
    Status status;
    for (const RootSlot& slot : Slots(kind_)) {
      model::RootReport unused;
      model::RootReport* root_report =
          report_ != nullptr
              ? report_->AddRoot(model::RootKey(slot.root), slot.folder)
              : &unused;
      if (fresh_ && !status.ok()) {
        // A part built whole is dropped at its first failure: the rest is
        // not attempted.
        root_report->source = CountRoot(slot.root);
        continue;
      }
      status.Update(WriteRoot(slot, root_report));
    }
    return status;
  }

 private:
  struct Frame {
    ItemId id;
    DiskFolder disk;
    std::u16string rel;  // in the manifest
    size_t next = 0;
    // An older export of this part there: its .url files and folders by
    // upper-cased name, each taken over once by the item of its name.
    std::unordered_map<std::u16string, std::u16string> old_files;
    std::unordered_map<std::u16string, std::u16string> old_folders;
  };

  model::Counts CountRoot(Root root) const {
    const ItemId id = tree_.root(root);
    return id == model::kNoItem ? model::Counts() : model::CountBelow(tree_, id);
  }

  Frame MakeFrame(ItemId id, const std::u16string& dir,
                  const std::u16string& rel) {
    return Frame{id, DiskFolder(dir), rel, 0, {}, {}};
  }

  // Written next to what is there: names on disk are taken, and those of
  // an older export of the same part are noted for their items.
  void ListExisting(Frame* frame) {
    std::vector<platform::DirEntry> entries;
    if (!platform::ListDirectory(frame->disk.dir, &entries).ok()) return;
    for (const platform::DirEntry& entry : entries) {
      frame->disk.names.Reserve(entry.name);
      if (!same_export_) continue;
      if (IsShortcutToRead(entry)) {
        frame->old_files.emplace(ToUpperCase(entry.name), entry.name);
      } else if (IsFolderToRead(entry)) {
        frame->old_folders.emplace(ToUpperCase(entry.name), entry.name);
      }
    }
  }

  // The item takes over the entry of its own name that an older export
  // of this part left (a file replaced in one step, a folder written
  // into). Empty when there is none; *failed when the file could not be
  // replaced (counted and named).
  std::u16string TakeOver(Frame* frame, ItemId id,
                          model::RootReport* root_report, Status* status,
                          bool* failed) {
    const model::Item& item = tree_.at(id);
    const bool is_link = item.kind == ItemKind::kLink;
    auto& old = is_link ? frame->old_files : frame->old_folders;
    if (old.empty()) return std::u16string();
    const std::u16string probe = model::NameAllocator().Allocate(
        item.title, is_link ? interchange::kUrlSuffix : u"",
        is_link ? frame->disk.file_limit : frame->disk.folder_limit);
    const auto found = old.find(ToUpperCase(probe));
    if (probe.empty() || found == old.end()) return std::u16string();
    const std::u16string name = found->second;
    old.erase(found);
    std::u16string path;
    uint32_t failure = kErrorSuccess;
    if (is_link) {
      failure = platform::ChildPath(frame->disk.dir, name, &path)
                    ? WriteShortcut(item, path, true).code()
                    : kErrorInvalidName;
    }
    if (failure != kErrorSuccess) {
      status->Update(ItemFailed(tree_, id, path, WriteFailedReason(failure),
                                failure, root_report, report_));
      *failed = true;
      return std::u16string();
    }
    model::CountItem(item.kind, &root_report->added);
    context::Current().progress().Written(item.kind);
    return name;
  }

  Status WriteRoot(const RootSlot& slot, model::RootReport* root_report) {
    const std::u16string name = slot.folder;
    const std::u16string dir = JoinPath(folder_, name);
    const ItemId root = tree_.root(slot.root);
    if (root != model::kNoItem) {
      root_report->source = model::CountBelow(tree_, root);
    }
    Frame top = MakeFrame(root, dir, name);
    if (platform::IsDirectory(dir)) {
      if (!fresh_) ListExisting(&top);
    } else if (const Status made = platform::CreateDirectoryTree(dir);
               !made.ok()) {
      const Status failed = FailedTo(made.code(), u"create the folder " + dir);
      root_report->failed += root_report->source;
      if (report_ != nullptr) {
        report_->AddProblem(name, WriteFailedReason(failed.code()), true);
      }
      return failed;
    }
    manifest_->AddRoot(slot.root, name);
    model::Item record;
    record.kind = ItemKind::kFolder;
    record.title = name;
    if (root != model::kNoItem) {
      const model::Item& item = tree_.at(root);
      record.title = item.title;
      record.date_added = item.date_added;
      record.last_modified = item.last_modified;
    }
    manifest_->Add(name, record);
    if (root == model::kNoItem) return Status::Ok();

    Status status;
    std::vector<Frame> stack;
    stack.push_back(std::move(top));
    while (!stack.empty() && (!fresh_ || status.ok())) {
      Frame& frame = stack.back();
      const model::Item& folder = tree_.at(frame.id);
      if (frame.next >= folder.children.size()) {
        stack.pop_back();
        continue;
      }
      const ItemId child = folder.children[frame.next++];
      const model::Item& item = tree_.at(child);
      if (item.kind == ItemKind::kSeparator) {
        manifest_->Add(frame.rel, item);
        ++root_report->added.separators;
        continue;
      }
      bool failed = false;
      std::u16string file_name =
          TakeOver(&frame, child, root_report, &status, &failed);
      const bool taken_over = !file_name.empty();
      if (failed) continue;
      if (!taken_over) {
        file_name =
            WriteNewEntry(tree_, child, &frame.disk, kErrorInvalidParameter,
                          root_report, report_, &status);
      }
      if (file_name.empty()) continue;
      const std::u16string rel = frame.rel + u"/" + file_name;
      manifest_->Add(rel, item);
      if (item.kind == ItemKind::kFolder) {
        Frame sub_frame =
            MakeFrame(child, JoinPath(frame.disk.dir, file_name), rel);
        if (taken_over) ListExisting(&sub_frame);
        stack.push_back(std::move(sub_frame));
      }
    }
    return status;
  }

  const model::Tree& tree_;
  PartKind kind_;
  std::u16string folder_;
  bool fresh_;
  bool same_export_;
  model::Report* report_;
  ManifestWriter* manifest_;
};

// The folder the part is built in: beside folder when the part replaces
// the previous one whole (a leftover of a run cut short is removed first),
// else folder itself; created when missing.
Status PrepareTarget(const std::u16string& folder, bool replace_whole,
                     std::u16string* target) {
  *target = folder;
  if (replace_whole) {
    *target = StagingFolderFor(folder);
    // A leftover that stays would be swapped in with the new part.
    if (platform::PathExists(*target)) {
      const Status removed = platform::RemoveTree(*target);
      if (!removed.ok()) {
        return FailedTo(removed.code(),
                        u"remove the leftover folder " + *target);
      }
    }
  } else if (platform::IsDirectory(folder)) {
    return Status::Ok();
  }
  const Status made = platform::CreateDirectoryTree(*target);
  if (!made.ok()) {
    return FailedTo(made.code(), u"create the folder " + *target);
  }
  return Status::Ok();
}

// A part built whole that failed: nothing of this run stays, the previous
// part is whole, and the report counts everything the tree held as failed.
void DropFailedPart(const std::u16string& folder, const std::u16string& target,
                    const Status& status, size_t first_root,
                    model::Report* report) {
  {
    LastErrorKeeper keep;
    platform::TryRemoveTree(target);
  }
  if (report == nullptr) return;
  for (size_t i = first_root; i < report->roots.size(); ++i) {
    model::RootReport& root = report->roots[i];
    root.failed = root.source;
    root.added = model::Counts();
  }
  report->AddProblem(DisplayPath(folder),
                     "the backup was not written: " +
                         platform::ToUtf8(DisplayPath(status.message())),
                     true);
}

}  // namespace

Status WritePart(const model::Tree& tree, PartKind kind,
                 const std::u16string& folder, bool replace_whole,
                 model::Report* report, const PartSource& source) {
  if (folder.empty()) {
    return Status::Error(kErrorInvalidParameter,
                         u"no folder to write the part into");
  }
  // One writer at a time; a swap cut short by an earlier run is repaired
  // before anything is read.
  // The lock file lies beside the part, in a folder that may not be there
  // yet.
  const std::u16string trimmed = WithoutTrailingSeparators(folder);
  const size_t slash = trimmed.find_last_of(u"\\/");
  if (slash != std::u16string::npos && slash > 0 &&
      !platform::IsDirectory(trimmed.substr(0, slash))) {
    const Status made = platform::CreateDirectoryTree(trimmed.substr(0, slash));
    if (!made.ok()) {
      return Status::Error(made.code(),
                           u"could not create the folder of " + folder);
    }
  }
  StoreLock lock;
  Status locked = lock.Acquire(folder);
  if (!locked.ok()) return locked;
  RecoverInterruptedSwap(folder);
  std::u16string target;
  Status prepared = PrepareTarget(folder, replace_whole, &target);
  if (!prepared.ok()) return prepared;

  const size_t first_root = report != nullptr ? report->roots.size() : 0;
  ManifestWriter manifest(KindName(kind));
  manifest.SetSource(source);
  const std::u16string manifest_path =
      JoinPath(target, interchange::kManifestName);
  if (!replace_whole) {
    Manifest existing;
    std::string why;
    if (ReadManifest(manifest_path, KindName(kind), &existing, &why) ==
        ManifestState::kRead) {
      manifest.KeepExisting(std::move(existing.records));
    }
  }
  // Written into a folder as it stands, the part is incomplete until the
  // end of this run: its mark goes first and comes back last.
  const std::u16string mark = JoinPath(target, interchange::kCompletionMarkName);
  if (!replace_whole) {
    const Status deleted = platform::DeleteFile(mark);
    if (!deleted.ok() && platform::PathExists(mark)) {
      return FailedTo(deleted.code(), u"remove the completion mark " + mark);
    }
  }
  // An export into a folder that holds an older export of the same part
  // replaces that export's entries of the same names (and their records)
  // instead of piling new copies beside them.
  const bool same_export =
      !replace_whole &&
      platform::PathExists(JoinPath(target, PositionFileName(kind)));
  if (same_export) manifest.ReplaceRewrittenRecords();
  context::Current().progress().AddTotal(model::LinksIn(tree));
  Status status = PartWriter(tree, kind, target, replace_whole, same_export,
                             report, &manifest)
                      .Run();
  status.Update(WritePositionFile(target, kind));
  status.Update(manifest.Write(manifest_path));
  if (status.ok()) {
    const Status marked =
        platform::ReplaceFileAtomically(mark, kCompletionMarkText);
    if (!marked.ok()) {
      status = FailedTo(marked.code(), u"write the completion mark " + mark);
    }
  }
  if (!replace_whole) return status;
  if (status.ok()) status = SwapInFolder(target, folder);
  if (!status.ok()) DropFailedPart(folder, target, status, first_root, report);
  return status;
}

}  // namespace backup_set
}  // namespace marksafe
