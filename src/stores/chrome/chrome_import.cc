#include "stores/chrome/chrome_import.h"

#include <json/json.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backup_set/interchange.h"
#include "backup_set/part.h"
#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "context/store_lock.h"
#include "model/merge.h"
#include "model/report.h"
#include "platform/debug_log.h"
#include "platform/memory.h"
#include "platform/platform.h"
#include "stores/chrome/chrome_checksum.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/chrome_paths.h"
#include "stores/chrome/chrome_reader.h"
#include "stores/chrome/chrome_store.h"
#include "stores/chrome/chrome_writer.h"
#include "stores/store_merge.h"

namespace marksafe {
namespace chrome {
namespace {

// Reads source (a .url folder, or a Firefox part when firefox_part) into
// the bar folder named name (the bar itself for an empty name).
Status ImportIntoBar(stores::StoreMerge* target, const std::u16string& source,
                     const std::u16string& name, bool firefox_part) {
  model::Tree& tree = target->tree();
  const model::ItemId bar = tree.root(model::Root::kToolbar);
  if (bar == model::kNoItem) {
    return Status::Error(kErrorInvalidParameter,
                         u"the Chrome file has no bookmark bar");
  }
  const std::u16string label = name.empty() ? tree.at(bar).title : name;
  model::Tree part;
  const model::ItemId top =
      firefox_part ? model::kNoItem : part.AddRoot(model::Root::kToolbar, name);
  Status status =
      firefox_part
          ? backup_set::ReadPart(source, backup_set::PartKind::kFirefox, &part)
          : backup_set::ReadUrlFolder(
                source, {interchange::kImportedFromChrome}, &part, top);
  if (!status.ok()) return status;
  if (firefox_part) {
    // One sub-folder per Firefox root, named as in the part.
    status = target->MergeRootsInFolders(part, bar, name, label,
                                         /*write_each=*/false);
  } else {
    model::RootReport* root_report = context::Current().report().AddRoot(
        model::RootKey(model::Root::kToolbar), label);
    model::ItemId into = bar;
    if (!name.empty()) status = target->FolderIn(bar, name, &into);
    if (status.ok()) target->MergeOnly(part, top, into, root_report);
  }
  // Every root is merged first and written once the part's tree is gone,
  // before the document grows, as in a restore.
  return status.Update(target->WritePendingWithout(&part));
}

// The import of a folder or a Firefox part into the bar, with the
// diagnostic lines of import_folder_2_chrome_bar.
int32_t ImportToBar(const char16_t* chrome_file, const std::u16string& source,
                    const std::u16string& name, bool firefox_part) {
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return kErrorFileNotFound;
  ChromeStore store(file);
  stores::StoreMerge target(&store);
  if (!target.Open().ok()) return kErrorInvalidParameter;
  Status status = ImportIntoBar(&target, source, name, firefox_part);
  if (!status.ok()) {
    // Nothing is saved: Chrome's file stays as it was.
    DebugLog(u"[Chrome] %s\n", status.message());
    DebugLog(
        u"[DllExport] [import_folder_2_chrome_bar] "
        u"import_folder_2_bookmark_bar fail: %ld \n",
        static_cast<long>(status.code()));
    (void)target.Finish(status);
    return kErrorInvalidParameter;
  }
  status = target.Finish(Status::Ok());
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
    part->at(static_cast<model::ItemId>(id)).file_name.clear();
  }
  platform::ReleaseFreedMemory();
  return status;
}

}  // namespace

int32_t ImportFolder2ChromeBar(const char16_t* chrome_file,
                               const char16_t* source_folder,
                               const char16_t* folder_name) {
  context::JobScope scope("import_folder_2_chrome_bar");
  const std::u16string source = FromPointer(source_folder);
  if (!FitsPath(source) || !platform::IsDirectory(source))
    return kErrorPathNotFound;
  if (folder_name == nullptr) {
    // Refused as the export refuses a null source, only once the source is
    // known to be there (3 comes first).
    context::Current().report().Refuse();
    return kErrorInvalidParameter;
  }
  return ImportToBar(chrome_file, source, FromPointer(folder_name),
                     /*firefox_part=*/false);
}

int32_t ImportIe2Chrome(const char16_t* chrome_file,
                        const char16_t* backup_path, bool into_backup_set,
                        const char16_t* folder_name) {
  context::JobScope scope("import_ie_2_chrome");
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
  context::JobScope scope("import_firefox_2_chrome");
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
  context::JobScope scope("restore_chrome");
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
  std::vector<model::Problem>& problems = context::Current().report().problems;
  const auto problems_before = static_cast<ptrdiff_t>(problems.size());
  model::Tree part;
  Status status = ReadPartToMerge(folder, &part);
  const auto problems_read = static_cast<ptrdiff_t>(problems.size());
  ChromeStore store(file);
  stores::StoreMerge target(&store);
  if (!target.Open().ok()) {
    // Nothing is restored: the report names the Chrome file, not the part.
    problems.erase(problems.begin() + problems_before,
                   problems.begin() + problems_read);
    return kErrorInvalidParameter;
  }
  // Every root is merged first, and the part's tree dropped before the
  // document grows: the two trees and the document are not held at once.
  model::Report& report = context::Current().report();
  for (const ChromeRoot& chrome_root : kChromeRoots) {
    const model::ItemId from = part.root(chrome_root.root);
    if (from == model::kNoItem) continue;
    model::RootReport* root_report = report.AddRoot(
        model::RootKey(chrome_root.root), part.at(from).title);
    const model::ItemId into = target.tree().root(chrome_root.root);
    if (into != model::kNoItem) {
      target.MergeOnly(part, from, into, root_report);
      continue;
    }
    // The Chrome file has no such root (it is no folder there).
    const std::string key =
        chrome_root.root == model::Root::kToolbar ? "root" : chrome_root.key;
    DebugLog(u"import_from_folder [%s] execute fail! \n",
             platform::FromUtf8(key));
    root_report->source = model::CountBelow(part, from);
    root_report->failed = root_report->source;
    report.AddProblem(
        part.at(from).title,
        std::string("write failed: the Chrome file has no root ") +
            chrome_root.key,
        true);
    status.Update(Status::Error(kErrorInvalidParameter, u"Chrome root missing"));
  }
  status.Update(target.WritePendingWithout(&part));
  if (!status.ok()) {
    DebugLog(u"[Chrome] %s\n", status.message());
    DebugLog(u"[DllExport] [restore_chrome] import_from_chrome_bk fail: %ld \n",
             static_cast<long>(status.code()));
  }
  // What was merged before a failure is kept.
  const Status saved = target.Finish(Status::Ok());
  if (!saved.ok()) {
    DebugLog(u"[DllExport] [restore_chrome] save fail: %ld \n",
             static_cast<long>(saved.code()));
    return kErrorInvalidParameter;
  }
  return status.ok() ? 0 : kErrorInvalidParameter;
}

}  // namespace chrome
}  // namespace marksafe
