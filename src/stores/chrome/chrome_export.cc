#include "stores/chrome/chrome_export.h"

#include <json/json.h>

#include "backup_set/backup_set.h"
#include "backup_set/part.h"
#include "backup_set/part_source.h"
#include "base/debug_log.h"
#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "model/report.h"
#include "platform/platform.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/chrome_paths.h"
#include "stores/chrome/chrome_reader.h"

namespace marksafe {
namespace chrome {
namespace {

// The destination folder is held in 256 units.
constexpr size_t kMaxDestinationChars = 255;

// Reads the Chrome file into a tree and writes it as a Chrome part into
// folder. Roots Chrome always has that the file lacks are logged and make
// the export fail; the others are still written.
Status ExportChrome(const std::u16string& file, const std::u16string& folder,
                    bool replace_whole) {
  if (!replace_whole && (folder.size() > kMaxDestinationChars ||
                         !platform::IsDirectory(folder))) {
    return Status::Error(kErrorPathNotFound, u"no usable folder " + folder);
  }
  model::Tree tree;
  {
    // The document is let go once read: the tree is the one copy the
    // writing needs.
    Json::Value document;
    if (!load_chrome_file(file.c_str(), &document)) {
      return Status::Error(kErrorInvalidParameter, u"cannot load the Chrome file " + file);
    }
    Status read = ReadChromeTree(document, &tree, nullptr,
                                 &context::Current().report());
    if (!read.ok()) return read;
  }
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
  Status status = backup_set::WritePart(
      tree, backup_set::PartKind::kChrome, folder, replace_whole,
      &context::Current().report(),
      backup_set::PartSourceOfStore(file, BrowserFamily::kChromium));
  return status.Update(std::move(roots));
}

int32_t Export(const char16_t* chrome_file, const std::u16string& destination,
               bool replace_whole) {
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return kErrorFileNotFound;
  if (!platform::PathExists(file)) return kErrorFileNotFound;
  const Status status = ExportChrome(file, destination, replace_whole);
  if (!status.ok()) {
    DebugLog(u"[Chrome] %s\n", status.message());
    DebugLog(
        u"[DllExport] [export_chrome_2_folder] export_2_folder fail: %ld \n",
        static_cast<long>(status.code()));
    return kErrorInvalidParameter;
  }
  return 0;
}

}  // namespace

int32_t ExportChrome2Folder(const char16_t* chrome_file,
                            const char16_t* dest_folder) {
  context::JobScope scope("export_chrome_2_folder");
  const std::u16string destination = FromPointer(dest_folder);
  if (!FitsPath(destination)) return kErrorPathNotFound;
  return Export(chrome_file, destination, /*replace_whole=*/false);
}

int32_t BackupChrome(const char16_t* chrome_file, const char16_t* backup_path,
                     bool into_backup_set) {
  context::JobScope scope("backup_chrome");
  const std::u16string root = FromPointer(backup_path);
  if (!FitsPath(root) || !platform::PathExists(root)) return kErrorPathNotFound;
  std::u16string folder = root;
  if (into_backup_set) {
    std::u16string bookmarks;
    GetBookmarkFolder(root.c_str(), &bookmarks);
    folder = BackupSetFolder(root, BackupPart::kChrome);
    if (!FitsPath(folder)) return kErrorPathNotFound;
    if (!platform::IsDirectory(bookmarks) &&
        !platform::CreateDirectoryTree(bookmarks).ok()) {
      return kErrorInvalidParameter;
    }
  }
  return Export(chrome_file, folder, /*replace_whole=*/into_backup_set);
}

}  // namespace chrome
}  // namespace marksafe
