#include "common/folder_swap.h"

#include "common/debug_log.h"
#include "common/error_codes.h"
#include "common/error_words.h"
#include "common/text.h"
#include "model/bookmark_tree.h"
#include "model/report.h"
#include "platform/platform.h"

namespace marksafe {
namespace {

std::u16string OldFolderFor(const std::u16string& folder) {
  return WithoutTrailingSeparators(folder) + u".marksafe-old";
}

// Flushes the folder that holds path, so that a rename in it lasts.
void SyncParentOf(const std::u16string& path) {
  const size_t slash = path.find_last_of(u"\\/");
  if (slash == std::u16string::npos) return;
  (void)platform::SyncPath(slash == 0 ? path.substr(0, 1)
                                      : path.substr(0, slash));
}

// Removes the previous folder that a swap has put aside under old. One
// that cannot be removed (read-only folders, a file held open) stays under
// that name, which says what it is, and is named in the report.
void RemoveOldFolder(const std::u16string& old) {
  if (platform::RemoveTree(old)) return;
  const uint32_t code = platform::GetLastError();
  DebugLog(u"[swap] could not remove the previous %s: %ld\n", old.c_str(),
           static_cast<long>(code));
  model::CurrentReport().problems.push_back(model::Problem{
      DisplayPath(old), u"",
      "the previous copy could not be removed (" + ErrorWords(code) +
          "); the new one is in place, remove this one by hand",
      false});
}

// Removes the previous folder that a swap has put aside. With later (a
// large part) it is renamed "<folder>.marksafe-trash-N" and removed in the
// background; otherwise it first takes the name "<folder>.marksafe-old", so
// that nothing is left under the name of a new part.
void RemovePrevious(std::u16string previous, const std::u16string& folder,
                    bool later) {
  if (later) {
    const std::u16string trash = WithoutTrailingSeparators(folder) +
                                 u".marksafe-trash-" + NumberText(model::Now());
    if (platform::MoveFolder(previous, trash)) {
      if (platform::RemoveTreeDetached(trash)) return;
      previous = trash;
    }
  }
  const std::u16string old = OldFolderFor(folder);
  if (previous != old) {
    if (platform::PathExists(old)) (void)platform::RemoveTree(old);
    if (platform::MoveFolder(previous, old)) previous = old;
  }
  RemoveOldFolder(previous);
}

}  // namespace

std::u16string ReadableFolder(const std::u16string& folder) {
  const std::u16string old = OldFolderFor(folder);
  if (platform::PathExists(WithoutTrailingSeparators(folder)) ||
      !platform::IsDirectory(old)) {
    return folder;
  }
  DebugLog(u"[swap] %s is missing; its previous copy %s is read\n",
           folder.c_str(), old.c_str());
  return old;
}

std::u16string StagingFolderFor(const std::u16string& folder) {
  return WithoutTrailingSeparators(folder) + u".marksafe-new";
}

void RecoverInterruptedSwap(const std::u16string& folder) {
  const std::u16string target = WithoutTrailingSeparators(folder);
  const std::u16string old = OldFolderFor(folder);
  if (platform::PathExists(target) || !platform::IsDirectory(old)) return;
  if (platform::MoveFolder(old, target)) {
    DebugLog(u"[swap] put the previous %s back\n", target.c_str());
    SyncParentOf(target);
  }
}

Status SwapInFolder(const std::u16string& staging,
                    const std::u16string& folder, bool remove_later) {
  const std::u16string target = WithoutTrailingSeparators(folder);
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
  const std::u16string old = OldFolderFor(folder);
  if (platform::ExchangeFolders(staging, target)) {
    // staging now holds the previous folder: it leaves the name that means
    // a new one before it is removed.
    SyncParentOf(target);
    RemovePrevious(staging, folder, remove_later);
    return Status::Ok();
  }
  if (platform::GetLastError() != kErrorNotSupported) {
    return Status::Error(platform::GetLastError(),
                         u"could not swap the new folder into " + target);
  }
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
