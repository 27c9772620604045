#include "chrome/chrome_import.h"

#include <vector>

#include "chrome/chrome_checksum.h"
#include "chrome/chrome_paths.h"
#include "chrome/conversions.h"
#include "chrome/folder_index.h"
#include "chrome/json_access.h"
#include "common/debug_log.h"
#include "common/interchange.h"
#include "common/text.h"
#include "common/url_normalize.h"
#include "platform/platform.h"

namespace marksafe {
namespace chrome {
namespace {

// URLs and titles are read whole (up to this many units), not cut to a
// short buffer: a cut URL would be another address.
constexpr size_t kShortcutValueSize = 32768;

bool IsSkippedFolderName(const std::u16string& name) {
  return EqualsNoCase(name, interchange::kMarkerName) ||
         EqualsNoCase(name, interchange::kImportedFromChrome);
}

// The Title, or the file name when there is none, less its last four
// characters (the ".url" that the Chrome export appends to every Title). A
// shorter name is kept whole.
std::u16string DisplayName(const std::u16string& title,
                           const std::u16string& file_name) {
  const std::u16string& name = title.empty() ? file_name : title;
  if (name.size() < 4) return name;
  return name.substr(0, name.size() - 4);
}

std::string IdText(IdCounter* counter) { return std::to_string((*counter)++); }

// The id the next new node would take. Imports only add nodes, each with a
// new id above every other, so the document changed exactly when this grew.
IdCounter NextId(const Json::Value& document) {
  IdCounter counter = 0;
  next_node_id(document, &counter);
  return counter;
}

// Readies the document for today's Chrome (synced root, checksum) and
// writes it over file. A document that holds nothing new is not written:
// Chrome's file keeps its bytes, and a repeated restore of a large backup
// costs no rewrite of the whole file.
bool SaveForChrome(Json::Value* document, const std::u16string& file,
                   IdCounter next_id_when_loaded) {
  if (!PrepareForChrome(document, NextId(*document) != next_id_when_loaded)) {
    return true;
  }
  return save_chrome_file(*document, file);
}

bool HasUsableChildren(const Json::Value& folder) {
  const Json::Value* children = Member(folder, "children");
  return children == nullptr || children->isNull() || children->isArray();
}

// Merges the listing of path into the folder of target.
bool ImportInto(const std::u16string& path, FolderIndex* target,
                IdCounter* counter) {
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(path, &entries)) return false;
  for (const platform::DirEntry& entry : entries) {
    if (entry.is_reparse_point) continue;
    const std::u16string entry_path = JoinPath(path, entry.name);
    if (entry.is_directory) {
      if (IsSkippedFolderName(entry.name)) continue;
      const std::string name = wide_to_utf8(entry.name);
      Json::Value* folder = target->FolderChild(name);
      if (folder == nullptr) {
        Json::Value made;
        make_folder_node(IdText(counter), name, &made);
        folder = target->Append(std::move(made));
      } else if (!HasUsableChildren(*folder)) {
        DebugLog(u"[Chrome] folder %s has children of the wrong type\n",
                 entry.name.c_str());
        return false;
      }
      FolderIndex sub_folder(folder);
      if (!ImportInto(entry_path, &sub_folder, counter)) return false;
      continue;
    }
    if (!interchange::IsShortcutFileName(entry.name)) continue;
    // URL and Title come from one reading of the file.
    const std::vector<std::u16string> values = platform::GetProfileStrings(
        interchange::kShortcutSection,
        {interchange::kUrlKey, interchange::kTitleKey}, u"", kShortcutValueSize,
        entry_path);
    const std::u16string& url = values[0];
    const std::u16string& title = values[1];
    // Chrome rewrites every address into the standard form when it loads
    // the file; stored in that form already, a bookmark reads back as
    // written and is found again by the next import.
    std::u16string stored_url;
    if (!NormalizeUrl(url, &stored_url) && !url.empty()) {
      DebugLog(u"[Chrome] [import] address kept as given: %s\n", url.c_str());
    }
    if (target->has_normalized_url_child(stored_url)) continue;
    Json::Value made;
    make_url_node(IdText(counter), wide_to_utf8(DisplayName(title, entry.name)),
                  wide_to_utf8(stored_url), &made);
    target->Append(std::move(made));
  }
  return true;
}

}  // namespace

bool import_from_folder(const std::u16string& path, const std::string& name,
                        Json::Value* parent, IdCounter* counter) {
  if (counter == nullptr || parent == nullptr || !IsFolderNode(*parent) ||
      !HasUsableChildren(*parent)) {
    return false;
  }
  FolderIndex parent_index(parent);
  Json::Value* target = parent;
  if (!name.empty()) {
    target = parent_index.FolderChild(name);
    if (target == nullptr) {
      Json::Value made;
      make_folder_node(IdText(counter), name, &made);
      target = parent_index.Append(std::move(made));
    } else if (!HasUsableChildren(*target)) {
      return false;
    }
  }
  FolderIndex target_index(target);
  return ImportInto(path, &target_index, counter);
}

bool import_folder_2_bookmark_bar(Json::Value* document, const char16_t* source,
                                  const char16_t* name) {
  if (document == nullptr || source == nullptr || name == nullptr) return false;
  IdCounter counter = 0;
  next_node_id(*document, &counter);
  return import_from_folder(
      FromPointer(source), wide_to_utf8(FromPointer(name)),
      MutableRootFolder(document, "bookmark_bar"), &counter);
}

bool import_from_chrome_bk(Json::Value* document, const char16_t* folder) {
  if (document == nullptr || folder == nullptr) return false;
  const std::u16string backup = FromPointer(folder);
  if (!platform::PathExists(JoinPath(backup, interchange::kChromePosIni))) {
    return false;
  }
  IdCounter counter = 0;
  next_node_id(*document, &counter);
  std::u16string source;
  const bool bar_done =
      ChromePositionFolder(backup, interchange::kChromePosBarKey, &source) &&
      import_from_folder(source, std::string(),
                         MutableRootFolder(document, "bookmark_bar"), &counter);
  if (!bar_done) DebugLog(u"import_from_folder [root] execute fail! \n");
  const bool other_done =
      ChromePositionFolder(backup, interchange::kChromePosOtherKey, &source) &&
      import_from_folder(source, std::string(),
                         MutableRootFolder(document, "other"), &counter);
  if (!other_done) DebugLog(u"import_from_folder [other] execute fail! \n");
  return bar_done && other_done;
}

int32_t ImportFolder2ChromeBar(const char16_t* chrome_file,
                               const char16_t* source_folder,
                               const char16_t* folder_name) {
  if (source_folder == nullptr) return 3;
  const std::u16string source = FromPointer(source_folder);
  if (!FitsPath(source) || !platform::IsDirectory(source)) return 3;
  if (folder_name == nullptr) return 87;
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return 2;
  Json::Value document;
  if (!load_chrome_file(file.c_str(), &document)) return 87;
  const IdCounter next_id_when_loaded = NextId(document);
  if (!import_folder_2_bookmark_bar(&document, source.c_str(), folder_name)) {
    DebugLog(
        u"[DllExport] [import_folder_2_chrome_bar] "
        u"import_folder_2_bookmark_bar fail: %ld \n",
        static_cast<long>(platform::GetLastError()));
    return 87;
  }
  if (!SaveForChrome(&document, file, next_id_when_loaded)) {
    DebugLog(u"[DllExport] [import_folder_2_chrome_bar] save fail: %ld \n",
             static_cast<long>(platform::GetLastError()));
    return 87;
  }
  return 0;
}

static int32_t ImportBackupPart(const char16_t* chrome_file,
                                const char16_t* backup_path,
                                bool into_backup_set, BackupPart part,
                                const char16_t* folder_name,
                                const char16_t* default_name) {
  std::u16string folder;
  if (!BackupFolderArgument(FromPointer(backup_path), into_backup_set, part,
                            &folder) ||
      !platform::IsDirectory(folder)) {
    return 3;
  }
  return ImportFolder2ChromeBar(
      chrome_file, folder.c_str(),
      folder_name != nullptr ? folder_name : default_name);
}

int32_t ImportIe2Chrome(const char16_t* chrome_file,
                        const char16_t* backup_path, bool into_backup_set,
                        const char16_t* folder_name,
                        const void* must_be_nonnull_1,
                        const void* must_be_nonnull_2) {
  if (backup_path == nullptr || must_be_nonnull_1 == nullptr ||
      must_be_nonnull_2 == nullptr) {
    return 87;
  }
  return ImportBackupPart(chrome_file, backup_path, into_backup_set,
                          BackupPart::kFavorites, folder_name,
                          interchange::kImportedFromIe);
}

int32_t ImportFirefox2Chrome(const char16_t* chrome_file,
                             const char16_t* backup_path, bool into_backup_set,
                             const char16_t* folder_name) {
  if (backup_path == nullptr) return 87;
  return ImportBackupPart(chrome_file, backup_path, into_backup_set,
                          BackupPart::kFirefox, folder_name,
                          interchange::kImportedFromFirefox);
}

int32_t RestoreChrome(const char16_t* chrome_file, const char16_t* backup_path,
                      bool into_backup_set) {
  if (backup_path == nullptr) return 87;
  std::u16string file;
  if (!ChromeFileArgument(chrome_file, &file)) return 2;
  std::u16string folder;
  if (!BackupFolderArgument(FromPointer(backup_path), into_backup_set,
                            BackupPart::kChrome, &folder) ||
      !platform::IsDirectory(folder)) {
    return 3;
  }
  Json::Value document;
  if (!load_chrome_file(file.c_str(), &document)) return 87;
  const IdCounter next_id_when_loaded = NextId(document);
  const bool imported = import_from_chrome_bk(&document, folder.c_str());
  if (!imported) {
    DebugLog(u"[DllExport] [restore_chrome] import_from_chrome_bk fail: %ld \n",
             static_cast<long>(platform::GetLastError()));
  }
  // What was imported before a failure is kept.
  if (!SaveForChrome(&document, file, next_id_when_loaded)) {
    DebugLog(u"[DllExport] [restore_chrome] save fail: %ld \n",
             static_cast<long>(platform::GetLastError()));
    return 87;
  }
  return imported ? 0 : 87;
}

}  // namespace chrome
}  // namespace marksafe
