#include "common/folder_swap.h"

#include "common/debug_log.h"
#include "common/text.h"
#include "model/bookmark_tree.h"
#include "platform/platform.h"

namespace marksafe {
namespace {

std::u16string Trimmed(const std::u16string& folder) {
  std::u16string path = folder;
  while (path.size() > 1 && (path.back() == u'\\' || path.back() == u'/')) {
    path.pop_back();
  }
  return path;
}

std::u16string OldFolderFor(const std::u16string& folder) {
  return Trimmed(folder) + u".marksafe-old";
}

// Flushes the folder that holds path, so that a rename in it lasts.
void SyncParentOf(const std::u16string& path) {
  const size_t slash = path.find_last_of(u"\\/");
  if (slash == std::u16string::npos) return;
  (void)platform::SyncPath(slash == 0 ? path.substr(0, 1)
                                      : path.substr(0, slash));
}

// Removes a previous folder that no reader looks at any more.
void RemovePrevious(const std::u16string& previous,
                    const std::u16string& folder, bool later) {
  if (later) {
    const std::u16string trash = Trimmed(folder) + u".marksafe-trash-" +
                                 NumberText(model::Now());
    if (platform::MoveFolder(previous, trash) &&
        platform::RemoveTreeDetached(trash)) {
      return;
    }
  }
  if (!platform::RemoveTree(previous)) {
    DebugLog(u"[swap] could not remove the previous %s: %ld\n",
             previous.c_str(), static_cast<long>(platform::GetLastError()));
  }
}

}  // namespace

std::u16string StagingFolderFor(const std::u16string& folder) {
  return Trimmed(folder) + u".marksafe-new";
}

void RecoverInterruptedSwap(const std::u16string& folder) {
  const std::u16string target = Trimmed(folder);
  const std::u16string old = OldFolderFor(folder);
  if (platform::PathExists(target) || !platform::IsDirectory(old)) return;
  if (platform::MoveFolder(old, target)) {
    DebugLog(u"[swap] put the previous %s back\n", target.c_str());
    SyncParentOf(target);
  }
}

Status SwapInFolder(const std::u16string& staging,
                    const std::u16string& folder, bool remove_later) {
  const std::u16string target = Trimmed(folder);
  if (!platform::SyncTree(staging)) {
    return Status::Error(platform::GetLastError(),
                         u"could not flush the new folder " + staging);
  }
  if (!platform::PathExists(target)) {
    if (!platform::MoveFolder(staging, target)) {
      return Status::Error(platform::GetLastError(),
                           u"could not move the new folder to " + target);
    }
    SyncParentOf(target);
    return Status::Ok();
  }
  if (platform::ExchangeFolders(staging, target)) {
    // staging now holds the previous folder.
    SyncParentOf(target);
    RemovePrevious(staging, folder, remove_later);
    return Status::Ok();
  }
  if (platform::GetLastError() != platform::kErrorNotSupported) {
    return Status::Error(platform::GetLastError(),
                         u"could not swap the new folder into " + target);
  }
  const std::u16string old = OldFolderFor(folder);
  if (platform::PathExists(old)) (void)platform::RemoveTree(old);
  if (!platform::MoveFolder(target, old)) {
    return Status::Error(platform::GetLastError(),
                         u"could not move the previous folder aside: " +
                             target);
  }
  if (!platform::MoveFolder(staging, target)) {
    const Status failed =
        Status::Error(platform::GetLastError(),
                      u"could not move the new folder to " + target);
    if (!platform::MoveFolder(old, target)) {
      DebugLog(u"[swap] the previous folder stays at %s\n", old.c_str());
    }
    return failed;
  }
  SyncParentOf(target);
  RemovePrevious(old, folder, remove_later);
  return Status::Ok();
}

}  // namespace marksafe
