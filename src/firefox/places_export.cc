#include "firefox/places_export.h"

#include <atomic>
#include <unordered_set>
#include <vector>

#include "common/backup_set.h"
#include "common/debug_log.h"
#include "common/interchange.h"
#include "common/text.h"
#include "platform/platform.h"

namespace marksafe {
namespace firefox {
namespace {

// Set by the first export that created "pos.ini" with its byte-order mark;
// never cleared.
std::atomic<bool> g_position_file_created{false};

// What one export call has seen so far: the folder rows already written
// (so that a damaged store whose folders form a cycle ends) and the depth.
struct ExportWalk {
  std::unordered_set<std::u16string> visited;
  int depth = 0;
};

bool EnsureFolder(const std::u16string& path) {
  return platform::PathExists(path) || platform::CreateDirectoryTree(path);
}

std::u16string DirectoryName(const FolderRecord& folder) {
  if (folder.parent == u"1" && folder.id == u"2") {
    return interchange::kPosMainValue;
  }
  if (folder.parent == u"1" && folder.id == u"5") {
    return interchange::kPosOthersValue;
  }
  return folder.title;
}

int32_t ExportFolder(ms_places* handle, const std::u16string& parent_path,
                     const FolderRecord& folder, ExportWalk* walk) {
  std::u16string name = interchange::FirefoxName(
      DirectoryName(folder), interchange::NameKind::kFolder);
  std::u16string path = parent_path + u"\\" + name;
  if (!EnsureFolder(path)) return -1;

  int32_t result = 0;
  std::vector<FolderRecord> children;
  if (!ListChildFolders(handle, &folder, &children)) result = -1;
  for (const FolderRecord& child : children) {
    if (!walk->visited.insert(child.id).second) continue;  // seen: a cycle
    if (walk->depth >= kMaxFolderDepth) {
      DebugLog(u"[FirefoxBookmark].Folder %s nested too deep, skipped\n",
               child.title.c_str());
      result = -1;
      continue;
    }
    ++walk->depth;
    int32_t r = ExportFolder(handle, path, child, walk);
    --walk->depth;
    if (r != 0) result = r;
  }

  std::vector<UrlEntry> entries;
  if (!ListChildUrls(handle, &folder, &entries)) result = -1;
  for (const UrlEntry& entry : entries) {
    if (!interchange::WriteFirefoxShortcut(path, entry.title, entry.url)) {
      LastErrorKeeper keep;
      result = -1;
      DebugLog(u"favorite.SetURL execute fail:%ld \n",
               static_cast<long>(keep.value()));
    }
  }
  return result;
}

// Creates "pos.ini" holding only the UTF-16LE byte-order mark.
bool CreatePositionFile(const std::u16string& path) {
  return platform::WriteFile(path, std::string("\xFF\xFE", 2));
}

}  // namespace

bool PositionFileCreated() { return g_position_file_created.load(); }

int32_t ExportPlacesFolder(ms_places* handle, const std::u16string& parent_path,
                           const FolderRecord& folder) {
  ExportWalk walk;
  walk.visited.insert(folder.id);
  return ExportFolder(handle, parent_path, folder, &walk);
}

int32_t Export2Folder(ms_places* handle, const std::u16string& folder) {
  if (handle == nullptr || !handle->database.HasConnection()) {
    return kNoDatabase;
  }
  if (!EnsureFolder(folder))
    return static_cast<int32_t>(platform::GetLastError());

  std::vector<FolderRecord> roots;
  bool roots_listed = ListChildFolders(handle, nullptr, &roots);
  std::u16string position_file = folder + u"\\" + interchange::kPosIni;
  if (!g_position_file_created.load()) {
    if (!CreatePositionFile(position_file)) return 87;
    g_position_file_created.store(true);
    DebugLog(u"[FirefoxBookmark].Create file: %s\n", position_file.c_str());
  }
  // A store that cannot be read is a failure, not an empty export.
  bool failed = !roots_listed;
  ExportWalk walk;
  for (const FolderRecord& root : roots) {
    if (root.id == u"2") {
      platform::WriteProfileString(interchange::kPosSection,
                                   interchange::kPosMainKey,
                                   interchange::kPosMainValue, position_file);
    } else if (root.id == u"5") {
      platform::WriteProfileString(interchange::kPosSection,
                                   interchange::kPosOthersKey,
                                   interchange::kPosOthersValue, position_file);
    }
    DebugLog(u"[FirefoxBookmark].Write file: %s \n", position_file.c_str());
    walk.visited.insert(root.id);
    if (ExportFolder(handle, folder, root, &walk) != 0) failed = true;
  }
  return failed ? 87 : 0;
}

bool ExportFirefox2Folder(ms_places* handle, const char16_t* dest,
                          bool into_backup_set) {
  if (handle == nullptr || dest == nullptr) return false;
  std::u16string destination(dest);
  if (!platform::PathExists(destination)) return false;
  std::u16string folder =
      ResolveBackupPath(destination, into_backup_set, BackupPart::kFirefox);
  if (!EnsureFolder(folder)) return false;
  if (Export2Folder(handle, folder) == 0) return true;
  DebugLog(
      u"[DllExport] [export_firefox_2_folder] Firefox->Export2Folder[2] "
      u"fail: %ld \n",
      static_cast<long>(platform::GetLastError()));
  return false;
}

bool BackupFirefox(ms_places* handle, const char16_t* dest,
                   bool into_backup_set) {
  if (dest == nullptr || !platform::PathExists(dest)) return false;
  return ExportFirefox2Folder(handle, dest, into_backup_set);
}

}  // namespace firefox
}  // namespace marksafe
