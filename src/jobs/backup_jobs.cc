#include "jobs/backup_jobs.h"

#include "backup_set/backup_set.h"
#include "backup_set/folder_tree.h"
#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "jobs/store_jobs.h"
#include "marksafe/marksafe.h"
#include "model/report.h"
#include "platform/debug_log.h"
#include "platform/platform.h"
#include "stores/chrome/chrome_paths.h"
#include "stores/chrome/chrome_store.h"
#include "stores/places/places_store.h"

namespace marksafe {
namespace jobs {
namespace {

// The export folder of a Chrome part is held in 256 units.
constexpr size_t kMaxDestinationChars = 255;

// The export without its own report scope.
Status ExportFirefox(ms_places* handle, const char16_t* dest,
                     bool into_backup_set) {
  const std::u16string destination(dest);
  Status status = platform::FindEntry(destination);
  if (!status.ok()) return status;
  const std::u16string folder =
      ResolveBackupPath(destination, into_backup_set, BackupPart::kFirefox);
  status = EnsureFolder(folder);
  if (!status.ok()) return status;
  firefox::PlacesStore store(handle);
  status = BackupStore(&store, backup_set::PartKind::kFirefox, folder,
                       into_backup_set,
                       backup_set::PartSourceOfStore(handle->databasePath,
                                                     BrowserFamily::kFirefox));
  if (!status.ok()) {
    DebugLog(
        u"[DllExport] [export_firefox_2_folder] Firefox->Export2Folder[2] "
        u"fail: %ld \n",
        static_cast<long>(status.code()));
  }
  return status;
}

// Roots Chrome always has: a file that lacks one fails its backup, though
// the roots it has are still written.
Status ChromeRootsPresent(const model::Tree& tree) {
  Status roots;
  if (tree.root(model::Root::kToolbar) == model::kNoItem) {
    DebugLog(u"export_folder [roots][bookmark_bar] execute fail! \n");
    roots = Status::Error(kErrorInvalidParameter,
                          u"the Chrome file has no bookmark bar");
  }
  if (tree.root(model::Root::kOther) == model::kNoItem) {
    DebugLog(u"export_folder [roots][other] execute fail! \n");
    roots.Update(Status::Error(kErrorInvalidParameter,
                               u"the Chrome file has no other bookmarks"));
  }
  return roots;
}

Status ExportChrome(const char16_t* chrome_file, const std::u16string& folder,
                    bool replace_whole) {
  std::u16string file;
  if (!chrome::ChromeFileArgument(chrome_file, &file) ||
      !platform::PathExists(file)) {
    return Status::Error(kErrorFileNotFound, u"no Chrome file " + file);
  }
  Status status;
  if (!replace_whole && (folder.size() > kMaxDestinationChars ||
                         !platform::IsDirectory(folder))) {
    status = Status::Error(kErrorPathNotFound, u"no usable folder " + folder);
  } else {
    chrome::ChromeStore store(file);
    status = BackupStore(
        &store, backup_set::PartKind::kChrome, folder, replace_whole,
        backup_set::PartSourceOfStore(file, BrowserFamily::kChromium),
        &ChromeRootsPresent);
  }
  if (status.ok()) return status;
  DebugLog(u"[Chrome] %s\n", status.message());
  DebugLog(u"[DllExport] [export_chrome_2_folder] export_2_folder fail: %ld \n",
           static_cast<long>(status.code()));
  // The caller is told 87 for any failure of the backup; the message keeps
  // its reason.
  return Status::Error(kErrorInvalidParameter, status.message());
}

}  // namespace

Status BackupStore(stores::Store* store, backup_set::PartKind kind,
                   const std::u16string& folder, bool replace_whole,
                   const backup_set::PartSource& source,
                   Status (*check)(const model::Tree& tree)) {
  model::Tree tree;
  Status status = store->Read(&tree);
  if (!status.ok()) return status;
  Status checked = check != nullptr ? check(tree) : Status::Ok();
  status = backup_set::WritePart(tree, kind, folder, replace_whole,
                                 &context::Current().report(), source);
  return status.Update(std::move(checked));
}

Status BackupStoreAsPart(int32_t kind, const std::u16string& path,
                         const std::u16string& folder,
                         const std::u16string& browser,
                         const std::u16string& profile, Status* written) {
  *written = Status::Ok();
  model::Tree tree;
  const Status read = ReadStore(kind, path, &tree);
  if (!read.ok()) return read;
  const bool firefox = kind != MARKSAFE_STORE_CHROME;
  backup_set::PartSource source = backup_set::PartSourceOfStore(
      path, firefox ? BrowserFamily::kFirefox : BrowserFamily::kChromium);
  if (!browser.empty()) source.browser = browser;
  if (!profile.empty()) source.profile = profile;
  *written = backup_set::WritePart(
      tree,
      firefox ? backup_set::PartKind::kFirefox : backup_set::PartKind::kChrome,
      folder, /*replace_whole=*/true, &context::Current().report(), source);
  return Status::Ok();
}

Status ExportFirefox2Folder(ms_places* handle, const char16_t* dest,
                            bool into_backup_set) {
  context::JobScope scope("export_firefox_2_folder");
  return ExportFirefox(handle, dest, into_backup_set);
}

Status BackupFirefox(ms_places* handle, const char16_t* dest,
                     bool into_backup_set) {
  context::JobScope scope("backup_firefox");
  return ExportFirefox(handle, dest, into_backup_set);
}

Status ExportChrome2Folder(const char16_t* chrome_file,
                           const char16_t* dest_folder) {
  context::JobScope scope("export_chrome_2_folder");
  const std::u16string destination = FromPointer(dest_folder);
  if (!chrome::FitsPath(destination)) {
    return Status::Error(kErrorPathNotFound, u"too long a path " + destination);
  }
  return ExportChrome(chrome_file, destination, /*replace_whole=*/false);
}

Status BackupChrome(const char16_t* chrome_file, const char16_t* backup_path,
                    bool into_backup_set) {
  context::JobScope scope("backup_chrome");
  const std::u16string root = FromPointer(backup_path);
  if (!chrome::FitsPath(root) || !platform::PathExists(root)) {
    return Status::Error(kErrorPathNotFound, u"no usable folder " + root);
  }
  std::u16string folder = root;
  if (into_backup_set) {
    std::u16string bookmarks;
    GetBookmarkFolder(root.c_str(), &bookmarks);
    folder = BackupSetFolder(root, BackupPart::kChrome);
    if (!chrome::FitsPath(folder)) {
      return Status::Error(kErrorPathNotFound, u"too long a path " + folder);
    }
    if (!platform::IsDirectory(bookmarks) &&
        !platform::CreateDirectoryTree(bookmarks).ok()) {
      return Status::Error(kErrorInvalidParameter,
                           u"could not create " + bookmarks);
    }
  }
  return ExportChrome(chrome_file, folder, /*replace_whole=*/into_backup_set);
}

}  // namespace jobs
}  // namespace marksafe
