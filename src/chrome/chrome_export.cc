#include "chrome/chrome_export.h"

#include "chrome/chrome_document.h"
#include "chrome/chrome_paths.h"
#include "chrome/conversions.h"
#include "chrome/json_access.h"
#include "common/backup_set.h"
#include "common/debug_log.h"
#include "common/interchange.h"
#include "common/text.h"
#include "platform/platform.h"

namespace marksafe {
namespace chrome {

// The destination folder is held in 256 units.
constexpr size_t kMaxDestinationChars = 255;

bool export_url(const Json::Value& node, const std::u16string& directory) {
  if (!IsUrlNode(node)) return false;
  std::string name;
  std::string url;
  if (!StringMember(node, "name", &name) || !StringMember(node, "url", &url)) {
    DebugLog(u"[Chrome] [export_url] skipped: name or url is not a string\n");
    return false;
  }
  const std::u16string wide_name = utf8_to_wide_string(name);
  DebugLog(u"[Chrome] [export_url] name: %s \n", wide_name.c_str());
  if (!interchange::WriteChromeShortcut(directory, wide_name,
                                        utf8_to_wide_string(url))) {
    DebugLog(u"[Chrome] [export_url] write fail: %ld \n",
             static_cast<long>(platform::GetLastError()));
    return false;
  }
  const std::u16string file = JoinPath(
      directory,
      interchange::ChromeName(wide_name, interchange::NameKind::kFile) +
          interchange::kUrlSuffix);
  DebugLog(u"[FirefoxBookmark].Create file: %s\n", file.c_str());
  return true;
}

bool export_folder(const Json::Value& node, const std::u16string& parent,
                   const char16_t* fixed_name, bool use_fixed_name) {
  if (!IsFolderNode(node)) return false;
  std::u16string directory_name;
  if (use_fixed_name) {
    directory_name = FromPointer(fixed_name);
  } else {
    std::string name;
    if (!StringMember(node, "name", &name)) return false;
    directory_name = interchange::ChromeName(utf8_to_wide_string(name),
                                             interchange::NameKind::kFolder);
  }
  const std::u16string directory = JoinPath(parent, directory_name);
  if (!platform::IsDirectory(directory) &&
      !platform::CreateDirectoryTree(directory)) {
    DebugLog(u"[Chrome] [export_folder] create %s fail: %ld \n",
             directory.c_str(), static_cast<long>(platform::GetLastError()));
    return false;
  }
  const Json::Value* children = ChildrenOf(node);
  if (children == nullptr) return true;
  bool result = true;
  for (const Json::Value& child : *children) {
    if (IsUrlNode(child)) {
      result = export_url(child, directory) && result;
    } else if (IsFolderNode(child)) {
      result = export_folder(child, directory, nullptr, false) && result;
    }
  }
  return result;
}

bool export_2_folder(const std::u16string& destination,
                     const Json::Value& document) {
  if (destination.empty() || document.empty() ||
      destination.size() > kMaxDestinationChars ||
      !platform::IsDirectory(destination)) {
    return false;
  }
  const std::u16string position_file =
      JoinPath(destination, interchange::kChromePosIni);
  platform::WriteProfileString(interchange::kChromePosSection,
                               interchange::kChromePosBarKey,
                               interchange::kChromePosBarValue, position_file);
  const Json::Value* bar = RootFolder(document, "bookmark_bar");
  const bool bar_done =
      bar != nullptr &&
      export_folder(*bar, destination, interchange::kChromePosBarValue, true);
  if (!bar_done)
    DebugLog(u"export_folder [roots][bookmark_bar] execute fail! \n");
  platform::WriteProfileString(
      interchange::kChromePosSection, interchange::kChromePosOtherKey,
      interchange::kChromePosOtherValue, position_file);
  const Json::Value* other = RootFolder(document, "other");
  const bool other_done =
      other != nullptr &&
      export_folder(*other, destination, interchange::kChromePosOtherValue,
                    true);
  if (!other_done) DebugLog(u"export_folder [roots][other] execute fail! \n");
  return bar_done && other_done;
}

int32_t ExportChrome2Folder(const char16_t* chrome_file,
                            const char16_t* dest_folder) {
  if (dest_folder == nullptr) return 3;
  const std::u16string destination = FromPointer(dest_folder);
  if (!FitsPath(destination)) return 3;
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return 2;
  if (!platform::PathExists(file)) return 2;
  // A file that does not load is exported as nothing (and fails) rather
  // than in part.
  Json::Value document;
  load_chrome_file(file.c_str(), &document);
  if (!export_2_folder(destination, document)) {
    DebugLog(
        u"[DllExport] [export_chrome_2_folder] export_2_folder fail: %ld \n",
        static_cast<long>(platform::GetLastError()));
    return 87;
  }
  return 0;
}

int32_t BackupChrome(const char16_t* chrome_file, const char16_t* backup_path,
                     bool into_backup_set) {
  if (backup_path == nullptr) return 3;
  const std::u16string root = FromPointer(backup_path);
  if (!FitsPath(root) || !platform::PathExists(root)) return 3;
  std::u16string folder = root;
  if (into_backup_set) {
    std::u16string bookmarks;
    GetBookmarkFolder(root.c_str(), &bookmarks);
    folder = BackupSetFolder(root, BackupPart::kChrome);
    if (!FitsPath(folder)) return 3;
    if (!platform::IsDirectory(bookmarks) &&
        !platform::CreateDirectoryTree(bookmarks)) {
      return 87;
    }
  }
  if (!platform::IsDirectory(folder) &&
      !platform::CreateDirectoryTree(folder)) {
    return 87;
  }
  return ExportChrome2Folder(chrome_file, folder.c_str());
}

}  // namespace chrome
}  // namespace marksafe
