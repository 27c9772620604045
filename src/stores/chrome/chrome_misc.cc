#include "stores/chrome/chrome_misc.h"

#include <algorithm>
#include <limits>
#include <string>

#include "backup_set/folder_tree.h"
#include "backup_set/interchange.h"
#include "backup_set/part.h"
#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "model/report.h"
#include "platform/debug_log.h"
#include "platform/platform.h"
#include "profiles/locators.h"
#include "stores/chrome/chrome_checksum.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/chrome_paths.h"
#include "stores/chrome/chrome_reader.h"
#include "stores/chrome/json_access.h"
#include "stores/url_folder/favorites_backup.h"
#include "stores/url_folder/favorites_import.h"

namespace marksafe {
namespace chrome {

namespace {

// True when every root the document has is a folder node, and the bar and
// "other" are there: a file Chrome itself would load.
bool RootsAreFolders(const Json::Value& document) {
  const Json::Value* roots = Member(document, "roots");
  if (roots == nullptr || !roots->isObject()) return false;
  for (const ChromeRoot& root : kChromeRoots) {
    const Json::Value* node = Member(*roots, root.key);
    const bool required = root.root != model::Root::kMobile;
    if (node == nullptr ? required : RootFolder(document, root.key) == nullptr) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool CountChromeBookmarks(const Json::Value& document, int32_t* folder_count,
                          int32_t* link_count) {
  if (!RootsAreFolders(document)) return false;
  model::Tree tree;
  if (!ReadChromeTree(document, &tree, nullptr, nullptr).ok()) return false;
  model::AddHostCounts(tree, true, folder_count, link_count);
  return true;
}

int32_t GetChromeSize(const char16_t* chrome_file, uint64_t* file_size,
                      int32_t* folder_count, int32_t* link_count) {
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return kErrorFileNotFound;
  const Status sized = platform::GetFileSize(file, file_size);
  if (!sized.ok()) return static_cast<int32_t>(sized.code());
  // A file that is no JSON, or whose roots are no folders, is no count of
  // nothing: it fails.
  Json::Value document;
  if (!load_chrome_file(file.c_str(), &document)) return kErrorInvalidParameter;
  if (!CountChromeBookmarks(document, folder_count, link_count))
    return kErrorInvalidParameter;
  return 0;
}

int32_t GetChromeBkSize(const char16_t* backup_path, bool into_backup_set,
                        uint64_t* file_size, int32_t* folder_count,
                        int32_t* link_count) {
  if (backup_path == nullptr) {
    std::u16string file;
    if (!LocateChromeFile(&file)) return kErrorFileNotFound;
    if (!platform::PathExists(file)) return kErrorPathNotFound;
    Json::Value document;
    if (!load_chrome_file(file.c_str(), &document))
      return kErrorInvalidParameter;
    if (!CountChromeBookmarks(document, folder_count, link_count))
      return kErrorInvalidParameter;
    if (!platform::GetFileSize(file, file_size).ok()) {
      return kErrorInvalidParameter;
    }
    return 0;
  }
  std::u16string folder;
  if (!BackupFolderArgument(FromPointer(backup_path), into_backup_set,
                            BackupPart::kChrome, &folder)) {
    return kErrorInvalidParameter;
  }
  int32_t folders = 0, links = 0;
  if (!ie::GetIeFavoritesSize(folder.c_str(), false, file_size, &folders,
                              &links)
           .ok()) {
    return kErrorInvalidParameter;
  }
  // A part is counted as it will be restored, its roots with it, as the
  // Chrome file they came from is.
  static_cast<void>(backup_set::CountPart(folder, backup_set::PartKind::kChrome,
                                          true, &folders, &links));
  *folder_count = folders;
  *link_count = links;
  return 0;
}

Status CreateChromeFile(const std::u16string& path) {
  if (platform::PathExists(path)) {
    return Status::Error(kErrorFileExists, path + u" exists");
  }
  const size_t slash = path.find_last_of(u"/\\");
  if (slash == std::u16string::npos ||
      !platform::IsDirectory(path.substr(0, slash))) {
    return Status::Error(kErrorPathNotFound, u"no folder for " + path);
  }
  Json::Value document(Json::objectValue);
  Json::Value& roots = document["roots"] = Json::Value(Json::objectValue);
  struct Root {
    const char* key;
    const char* id;
    const char* name;
  };
  const Root kRoots[] = {{"bookmark_bar", "1", "Bookmarks bar"},
                         {"other", "2", "Other bookmarks"},
                         {"synced", "3", "Mobile bookmarks"}};
  const int64_t now = model::ToChromeTime(model::Now());
  for (const Root& root : kRoots) {
    make_folder_node(root.id, root.name, now, 0, &roots[root.key]);
  }
  document["version"] = 1;
  PrepareForChrome(&document, true);
  if (save_chrome_file(document, path).ok()) return Status::Ok();
  return Status::Error(kErrorInvalidParameter, u"could not write " + path);
}

int32_t MkChromeTempFile(const char16_t* chrome_file) {
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return kErrorFileNotFound;
  // The new copy replaces an earlier one in one step, so that a failed
  // copy (a full disk) still leaves the earlier one.
  std::string bytes;
  if (!platform::ReadFile(file, &bytes).ok()) return kErrorInvalidParameter;
  return platform::ReplaceFileAtomically(file + u"~", bytes).ok()
             ? 0
             : kErrorInvalidParameter;
}

int32_t ImportChromeBk2Ie(const char16_t* backup_path, bool into_backup_set,
                          const char16_t* ie_favorites) {
  context::JobScope scope("import_chrome_bk_2_ie");
  std::u16string backup;
  if (!BackupFolderArgument(FromPointer(backup_path), into_backup_set,
                            BackupPart::kChrome, &backup)) {
    return kErrorInvalidParameter;
  }
  std::u16string favorites;
  if (ie_favorites != nullptr) {
    favorites = FromPointer(ie_favorites);
    if (!FitsPath(favorites)) return kErrorPathNotFound;
  } else {
    DebugLog(u"[DllExport][import_chrome_bk_2_ie] call get_ie_export func.\n");
    if (!GetIePath(&favorites).ok()) return kErrorPathNotFound;
  }
  const Status status = ie::MergePartIntoFavorites(
      backup, backup_set::PartKind::kChrome, favorites,
      interchange::kImportedFromChromeLc);
  if (!status.ok()) {
    DebugLog(u"[DllExport] [import_chrome_bk_2_ie] %s: %ld \n",
             status.message(), static_cast<long>(status.code()));
    return kErrorInvalidParameter;
  }
  return 0;
}

}  // namespace chrome
}  // namespace marksafe
