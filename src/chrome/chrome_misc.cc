#include "chrome/chrome_misc.h"

#include <string>

#include "chrome/chrome_document.h"
#include "chrome/chrome_paths.h"
#include "chrome/json_access.h"
#include "common/debug_log.h"
#include "common/folder_tree.h"
#include "common/interchange.h"
#include "common/locators.h"
#include "common/text.h"
#include "ie/favorites_backup.h"
#include "platform/platform.h"

namespace marksafe {
namespace chrome {

bool count_folder_nodes(const Json::Value& node, int32_t* folder_count,
                        int32_t* link_count) {
  if (!IsFolderNode(node)) return false;
  ++*folder_count;
  const Json::Value* children = ChildrenOf(node);
  if (children == nullptr) return true;
  for (const Json::Value& child : *children) {
    if (IsFolderNode(child)) {
      if (!count_folder_nodes(child, folder_count, link_count)) return false;
    } else if (IsUrlNode(child)) {
      ++*link_count;
    }
  }
  return true;
}

bool count_chrome_nodes(const Json::Value& document, int32_t* folder_count,
                        int32_t* link_count) {
  if (document.isNull()) return false;
  const Json::Value* bar = RootFolder(document, "bookmark_bar");
  if (bar == nullptr || !count_folder_nodes(*bar, folder_count, link_count)) {
    return false;
  }
  const Json::Value* other = RootFolder(document, "other");
  return other != nullptr &&
         count_folder_nodes(*other, folder_count, link_count);
}

int32_t GetChromeSize(const char16_t* chrome_file, uint64_t* file_size,
                      int32_t* folder_count, int32_t* link_count) {
  if (file_size == nullptr || folder_count == nullptr ||
      link_count == nullptr) {
    return 87;
  }
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return 2;
  if (!FileSize(file, file_size)) {
    const uint32_t error = platform::GetLastError();
    // A failure that left no error code still must not read as success.
    return error != 0 ? static_cast<int32_t>(error) : 2;
  }
  Json::Value document;
  load_chrome_file(file.c_str(), &document);
  count_chrome_nodes(document, folder_count, link_count);
  return 0;
}

int32_t GetChromeBkSize(const char16_t* backup_path, bool into_backup_set,
                        uint64_t* file_size, int32_t* folder_count,
                        int32_t* link_count) {
  if (file_size == nullptr || folder_count == nullptr ||
      link_count == nullptr) {
    return 87;
  }
  if (backup_path == nullptr) {
    std::u16string file;
    if (!LocateChromeFile(&file)) return 2;
    if (!platform::PathExists(file)) return 3;
    Json::Value document;
    load_chrome_file(file.c_str(), &document);
    if (!count_chrome_nodes(document, folder_count, link_count)) return 87;
    if (!FileSize(file, file_size)) return 87;
    return 0;
  }
  std::u16string folder;
  if (!BackupFolderArgument(FromPointer(backup_path), into_backup_set,
                            BackupPart::kChrome, &folder)) {
    return 87;
  }
  return ie::GetIeFavoritesSize(folder.c_str(), false, file_size, folder_count,
                                link_count)
             ? 0
             : 87;
}

int32_t MkChromeTempFile(const char16_t* chrome_file) {
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return 2;
  const std::u16string copy = file + u"~";
  // No earlier copy is no failure; one that stays is.
  if (!platform::DeleteFile(copy)) {
    const uint32_t error = platform::GetLastError();
    if (platform::PathExists(copy)) {
      platform::SetLastError(error);
      return 87;
    }
  }
  return platform::ShellCopyFile(file, copy) ? 0 : 87;
}

namespace {

// Copies the sub-folder of backup that its "chrome_pos.ini" names under key
// into the same-named sub-folder of destination.
bool CopyRootToFavorites(const std::u16string& backup,
                         const std::u16string& destination,
                         const char16_t* key) {
  std::u16string value;
  std::u16string source;
  std::u16string target;
  if (!ChromePositionFolder(backup, key, &source, &value) ||
      !interchange::ResolvePositionValue(destination, value, &target)) {
    return false;
  }
  const volatile uint8_t stop = 0;
  return copy_folder(source, target, interchange::kUrlExtension,
                     /*overwrite=*/true, &stop, /*skip_imported=*/true);
}

}  // namespace

int32_t ImportChromeBk2Ie(const char16_t* backup_path, bool into_backup_set,
                          const char16_t* ie_favorites) {
  if (backup_path == nullptr) return 87;
  std::u16string backup;
  if (!BackupFolderArgument(FromPointer(backup_path), into_backup_set,
                            BackupPart::kChrome, &backup)) {
    return 87;
  }
  std::u16string favorites;
  if (ie_favorites != nullptr) {
    favorites = FromPointer(ie_favorites);
    if (!FitsPath(favorites)) return 3;
  } else {
    DebugLog(u"[DllExport][import_chrome_bk_2_ie] call get_ie_export func.\n");
    if (!GetIePath(&favorites)) return 3;
  }
  const std::u16string imported =
      JoinPath(favorites, interchange::kImportedFromChromeLc);
  if (!platform::IsDirectory(imported) &&
      !platform::CreateDirectoryTree(imported)) {
    return 87;
  }
  const bool bar_done =
      CopyRootToFavorites(backup, imported, interchange::kChromePosBarKey);
  if (!bar_done) {
    DebugLog(u"[DllExport] [import_chrome_bk_2_ie] copy_folder[M] fail: %ld \n",
             static_cast<long>(platform::GetLastError()));
  }
  const bool other_done =
      CopyRootToFavorites(backup, imported, interchange::kChromePosOtherKey);
  if (!other_done) {
    DebugLog(u"[DllExport] [import_chrome_bk_2_ie] copy_folder[O] fail: %ld \n",
             static_cast<long>(platform::GetLastError()));
  }
  return bar_done && other_done ? 0 : 87;
}

}  // namespace chrome
}  // namespace marksafe
