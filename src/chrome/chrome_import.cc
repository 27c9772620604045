#include "chrome/chrome_import.h"

#include <json/json.h>

#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backup_set/part.h"
#include "chrome/chrome_checksum.h"
#include "chrome/chrome_document.h"
#include "chrome/chrome_paths.h"
#include "chrome/chrome_reader.h"
#include "chrome/chrome_writer.h"
#include "chrome/conversions.h"
#include "common/debug_log.h"
#include "common/error_codes.h"
#include "common/interchange.h"
#include "common/store_lock.h"
#include "common/text.h"
#include "jobs/job.h"
#include "model/merge.h"
#include "model/report.h"
#include "platform/memory.h"
#include "platform/platform.h"

namespace marksafe {
namespace chrome {
namespace {

// Chrome's file as the target of merges: the document, the tree read from
// it, and the writer that appends what the merges add.
class ChromeTarget {
 public:
  ChromeTarget() = default;
  ChromeTarget(const ChromeTarget&) = delete;
  ChromeTarget& operator=(const ChromeTarget&) = delete;

  // Loads and reads file. Fails when it does not load as JSON or holds no
  // roots; nothing is written then.
  // The store's lock is taken first and held until the target is gone, so
  // that no other run writes the file between this read and the save.
  Status Open(const std::u16string& file) {
    file_ = file;
    if (ChromiumHoldsFile(file)) {
      return Status::Error(kErrorSharingViolation,
                           u"a running browser holds the profile of " + file);
    }
    Status locked = lock_.Acquire(file);
    if (!locked.ok()) return locked;
    if (!load_chrome_file(file.c_str(), &document_)) {
      return Status::Error(kErrorInvalidParameter,
                           u"cannot load the Chrome file " + file);
    }
    // Chrome ignores a file without the synced root: it is added before the
    // file is read, so that a backup's mobile bookmarks have their place.
    const bool synced_added = AddSyncedRoot(&document_);
    NodeTable nodes;
    Status status = ReadChromeTree(document_, &tree_, &nodes, nullptr);
    if (!status.ok()) return status;
    writer_ = std::make_unique<ChromeWriter>(&document_, std::move(nodes));
    if (synced_added) writer_->MarkChanged();
    return Status::Ok();
  }

  model::Tree& tree() { return tree_; }

  // The merge alone: the tree gains what is new, the document not yet.
  void MergeOnly(const model::Tree& source, model::ItemId from,
                 model::ItemId into, model::RootReport* root_report) {
    model::MergeOptions options;
    options.capabilities = model::ChromeCapabilities();
    options.progress = &jobs::Current().progress();
    model::Merge(source, from, &tree_, into, options, root_report,
                 &jobs::Current().report());
  }

  // Appends what the merges added below folder `into` to the document
  // (only items with ids in [first, end): see ChromeWriter::WriteAdded).
  void Write(model::ItemId into, model::RootReport* root_report,
             model::ItemId first = 0,
             model::ItemId end = std::numeric_limits<model::ItemId>::max()) {
    writer_->WriteAdded(tree_, into, root_report, &jobs::Current().report(),
                        first, end);
  }

  // The first folder below parent titled exactly title, made when missing.
  // A folder made here holds an import; it is no item of the source and is
  // not counted.
  model::ItemId FolderIn(model::ItemId parent, const std::u16string& title) {
    for (const model::ItemId child : tree_.at(parent).children) {
      const model::Item& item = tree_.at(child);
      if (item.kind == model::ItemKind::kFolder && item.title == title) {
        return child;
      }
    }
    model::Item folder;
    folder.title = title;
    folder.date_added = folder.last_modified = model::Now();
    folder.added = true;
    return tree_.Add(parent, std::move(folder));
  }

  // Saves the document when it changed. When that fails, everything the
  // report counts as added is counted as failed instead.
  Status Save() {
    // The tree has served the merges: its memory goes before the file's
    // text is made.
    tree_ = model::Tree();
    platform::ReleaseFreedMemory();
    Status status = writer_->Save(file_);
    if (status.ok()) return status;
    model::Report& report = jobs::Current().report();
    for (model::RootReport& root : report.roots) {
      root.failed += root.added;
      root.added = model::Counts();
    }
    report.problems.push_back(model::Problem{
        file_, std::u16string(), "write failed: " + wide_to_utf8(status.message()),
        true});
    return status;
  }

 private:
  StoreLock lock_;
  std::u16string file_;
  Json::Value document_;
  model::Tree tree_;
  std::unique_ptr<ChromeWriter> writer_;
};

// Reads source (a .url folder, or a Firefox part when firefox_part) into
// the bar folder named name (the bar itself for an empty name).
Status ImportIntoBar(ChromeTarget* target, const std::u16string& source,
                     const std::u16string& name, bool firefox_part) {
  model::Tree& tree = target->tree();
  const model::ItemId bar = tree.root(model::Root::kToolbar);
  if (bar == model::kNoItem) {
    return Status::Error(kErrorInvalidParameter,
                         u"the Chrome file has no bookmark bar");
  }
  model::Report& report = jobs::Current().report();
  const std::u16string label = name.empty() ? tree.at(bar).title : name;
  model::Tree part;
  if (!firefox_part) {
    const model::ItemId top = part.AddRoot(model::Root::kToolbar, name);
    Status status = backup_set::ReadUrlFolder(
        source, {interchange::kImportedFromChrome}, &part, top);
    if (!status.ok()) return status;
    model::RootReport* root_report =
        report.AddRoot(model::RootKey(model::Root::kToolbar), label);
    const model::ItemId into =
        name.empty() ? bar : target->FolderIn(bar, name);
    if (into == model::kNoItem) {
      return Status::Error(kErrorInvalidParameter,
                           u"no folder " + name + u" on the bar");
    }
    // The source tree goes before the document grows, as in a restore.
    target->MergeOnly(part, top, into, root_report);
    part = model::Tree();
    platform::ReleaseFreedMemory();
    target->Write(into, root_report);
    return Status::Ok();
  }
  Status status =
      backup_set::ReadPart(source, backup_set::PartKind::kFirefox, &part);
  if (!status.ok()) return status;
  // One sub-folder per Firefox root, named as in the part. Every root is
  // merged first and written once the part's tree is gone, each with the
  // items its merge added (two roots of one title share a folder); root
  // reports are kept by index, as later entries may move the report's list.
  struct Merged {
    model::ItemId into;
    size_t report_index;
    model::ItemId first, end;
  };
  std::vector<Merged> merged;
  Status result;
  model::ItemId folder = name.empty() ? bar : model::kNoItem;
  for (const model::Root root :
       backup_set::PartRoots(backup_set::PartKind::kFirefox)) {
    const model::ItemId from = part.root(root);
    if (from == model::kNoItem) continue;
    const auto first = static_cast<model::ItemId>(tree.size());
    const std::u16string& title = part.at(from).title;
    model::RootReport* root_report =
        report.AddRoot(model::RootKey(root), label + u"/" + title);
    // A root the person left empty brings no folder of its own.
    if (part.at(from).children.empty()) continue;
    if (folder == model::kNoItem) {
      folder = target->FolderIn(bar, name);
    }
    const model::ItemId into =
        folder == model::kNoItem ? model::kNoItem
                                 : target->FolderIn(folder, title);
    if (into == model::kNoItem) {
      result = Status::Error(kErrorInvalidParameter,
                             u"no folder " + label + u"/" + title);
      break;
    }
    target->MergeOnly(part, from, into, root_report);
    merged.push_back(Merged{into, report.roots.size() - 1, first,
                            static_cast<model::ItemId>(tree.size())});
  }
  part = model::Tree();
  platform::ReleaseFreedMemory();
  for (const Merged& m : merged) {
    target->Write(m.into, &report.roots[m.report_index], m.first, m.end);
  }
  return result;
}

// The import of a folder or a Firefox part into the bar, with the
// diagnostic lines of import_folder_2_chrome_bar.
int32_t ImportToBar(const char16_t* chrome_file, const std::u16string& source,
                    const std::u16string& name, bool firefox_part) {
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return kErrorFileNotFound;
  ChromeTarget target;
  if (!target.Open(file).ok()) return kErrorInvalidParameter;
  Status status = ImportIntoBar(&target, source, name, firefox_part);
  if (!status.ok()) {
    // Nothing is saved: Chrome's file stays as it was.
    DebugLog(u"[Chrome] %s\n", status.message());
    DebugLog(
        u"[DllExport] [import_folder_2_chrome_bar] "
        u"import_folder_2_bookmark_bar fail: %ld \n",
        static_cast<long>(status.code()));
    return kErrorInvalidParameter;
  }
  status = target.Save();
  if (!status.ok()) {
    DebugLog(u"[DllExport] [import_folder_2_chrome_bar] save fail: %ld \n",
             static_cast<long>(status.code()));
    return kErrorInvalidParameter;
  }
  return 0;
}

// The part of a backup set (or the folder itself), when it is a folder.
bool BackupFolder(const char16_t* backup_path, bool into_backup_set,
                  BackupPart part, std::u16string* folder) {
  return BackupFolderArgument(FromPointer(backup_path), into_backup_set, part,
                              folder) &&
         platform::IsDirectory(*folder);
}

std::u16string NameOr(const char16_t* name, const char16_t* default_name) {
  return FromPointer(name != nullptr ? name : default_name);
}

// Reads the Chrome part in folder into *part for a merge, and hands back
// what reading took beside the tree: the manifest, and the names the items
// have on disk (they serve writers of .url folders only).
Status ReadPartToMerge(const std::u16string& folder, model::Tree* part) {
  Status status =
      backup_set::ReadPart(folder, backup_set::PartKind::kChrome, part);
  for (size_t id = 0; id < part->size(); ++id) {
    std::u16string().swap(part->at(static_cast<model::ItemId>(id)).file_name);
  }
  platform::ReleaseFreedMemory();
  return status;
}

}  // namespace

int32_t ImportFolder2ChromeBar(const char16_t* chrome_file,
                               const char16_t* source_folder,
                               const char16_t* folder_name) {
  jobs::JobScope scope("import_folder_2_chrome_bar");
  if (source_folder == nullptr) return kErrorPathNotFound;
  const std::u16string source = FromPointer(source_folder);
  if (!FitsPath(source) || !platform::IsDirectory(source))
    return kErrorPathNotFound;
  if (folder_name == nullptr) return kErrorInvalidParameter;
  return ImportToBar(chrome_file, source, FromPointer(folder_name),
                     /*firefox_part=*/false);
}

int32_t ImportIe2Chrome(const char16_t* chrome_file,
                        const char16_t* backup_path, bool into_backup_set,
                        const char16_t* folder_name,
                        const void* must_be_nonnull_1,
                        const void* must_be_nonnull_2) {
  jobs::JobScope scope("import_ie_2_chrome");
  if (backup_path == nullptr || must_be_nonnull_1 == nullptr ||
      must_be_nonnull_2 == nullptr) {
    return kErrorInvalidParameter;
  }
  std::u16string folder;
  if (!BackupFolder(backup_path, into_backup_set, BackupPart::kFavorites,
                    &folder)) {
    return kErrorPathNotFound;
  }
  return ImportToBar(chrome_file, folder,
                     NameOr(folder_name, interchange::kImportedFromIe),
                     /*firefox_part=*/false);
}

int32_t ImportFirefox2Chrome(const char16_t* chrome_file,
                             const char16_t* backup_path, bool into_backup_set,
                             const char16_t* folder_name) {
  jobs::JobScope scope("import_firefox_2_chrome");
  if (backup_path == nullptr) return kErrorInvalidParameter;
  std::u16string folder;
  if (!BackupFolder(backup_path, into_backup_set, BackupPart::kFirefox,
                    &folder)) {
    return kErrorPathNotFound;
  }
  // A Firefox part has its position file; any other folder is read as
  // plain .url files.
  const bool firefox_part =
      platform::PathExists(JoinPath(folder, interchange::kPosIni));
  return ImportToBar(chrome_file, folder,
                     NameOr(folder_name, interchange::kImportedFromFirefox),
                     firefox_part);
}

int32_t RestoreChrome(const char16_t* chrome_file, const char16_t* backup_path,
                      bool into_backup_set) {
  jobs::JobScope scope("restore_chrome");
  if (backup_path == nullptr) return kErrorInvalidParameter;
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return kErrorFileNotFound;
  std::u16string folder;
  if (!BackupFolder(backup_path, into_backup_set, BackupPart::kChrome,
                    &folder)) {
    return kErrorPathNotFound;
  }
  // The part is read first: reading it holds its manifest beside the tree,
  // a peak that then does not add to the document's. What could be read is
  // restored even when a part of it could not.
  std::vector<model::Problem>& problems = jobs::Current().report().problems;
  const auto problems_before = static_cast<ptrdiff_t>(problems.size());
  model::Tree part;
  Status status = ReadPartToMerge(folder, &part);
  const auto problems_read = static_cast<ptrdiff_t>(problems.size());
  ChromeTarget target;
  if (!target.Open(file).ok()) {
    // Nothing is restored: the report names the Chrome file, not the part.
    problems.erase(problems.begin() + problems_before,
                   problems.begin() + problems_read);
    return kErrorInvalidParameter;
  }
  {
    model::Report& report = jobs::Current().report();
    // Every root is merged first, and the part's tree dropped before the
    // document grows: the two trees and the document are not held at once.
    // Each root report is kept at its own index: later entries may move
    // the report's list.
    std::vector<std::pair<model::ItemId, size_t>> merged;
    for (const ChromeRoot& chrome_root : kChromeRoots) {
      const model::ItemId from = part.root(chrome_root.root);
      if (from == model::kNoItem) continue;
      model::RootReport* root_report = report.AddRoot(
          model::RootKey(chrome_root.root), part.at(from).title);
      const model::ItemId into = target.tree().root(chrome_root.root);
      if (into != model::kNoItem) {
        target.MergeOnly(part, from, into, root_report);
        merged.emplace_back(into, report.roots.size() - 1);
        continue;
      }
      // The Chrome file has no such root (it is no folder there).
      const std::string key = chrome_root.root == model::Root::kToolbar
                                  ? "root"
                                  : chrome_root.key;
      DebugLog(u"import_from_folder [%s] execute fail! \n",
               utf8_to_wide_string(key));
      root_report->source = model::CountBelow(part, from);
      root_report->failed = root_report->source;
      report.problems.push_back(model::Problem{
          part.at(from).title, std::u16string(),
          std::string("write failed: the Chrome file has no root ") +
              chrome_root.key,
          true});
      status.Update(
          Status::Error(kErrorInvalidParameter, u"Chrome root missing"));
    }
    part = model::Tree();
    platform::ReleaseFreedMemory();
    for (const auto& [into, index] : merged) {
      target.Write(into, &report.roots[index]);
    }
  }
  if (!status.ok()) {
    DebugLog(u"[Chrome] %s\n", status.message());
    DebugLog(u"[DllExport] [restore_chrome] import_from_chrome_bk fail: %ld \n",
             static_cast<long>(status.code()));
  }
  // What was merged before a failure is kept.
  const Status saved = target.Save();
  if (!saved.ok()) {
    DebugLog(u"[DllExport] [restore_chrome] save fail: %ld \n",
             static_cast<long>(saved.code()));
    return kErrorInvalidParameter;
  }
  return status.ok() ? 0 : kErrorInvalidParameter;
}

}  // namespace chrome
}  // namespace marksafe
