#include "backup_set/folder_swap.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "base/error_codes.h"
#include "base/error_words.h"
#include "base/text.h"
#include "context/job.h"
#include "model/bookmark_tree.h"
#include "model/report.h"
#include "platform/debug_log.h"
#include "platform/file_names.h"
#include "platform/platform.h"

namespace marksafe {
namespace {

constexpr char16_t kTrashInfix[] = u".marksafe-trash-";
constexpr char16_t kOldSuffix[] = u".marksafe-old";

// Previous copies that swaps put aside for a later call to remove, spelled
// as RemovePrevious names them.
std::mutex g_set_aside_mutex;
std::vector<std::u16string>& SetAside() {
  static auto* folders = new std::vector<std::u16string>();
  return *folders;
}

bool IsSetAside(const std::u16string& path) {
  std::lock_guard<std::mutex> guard(g_set_aside_mutex);
  const std::vector<std::u16string>& folders = SetAside();
  return std::find(folders.begin(), folders.end(), path) != folders.end();
}

std::u16string OldFolderFor(const std::u16string& folder) {
  return WithoutTrailingSeparators(folder) + kOldSuffix;
}

// Flushes the folder that holds path, so that a rename in it lasts.
void SyncParentOf(const std::u16string& path) {
  const size_t slash = path.find_last_of(u"\\/");
  if (slash == std::u16string::npos) return;
  (void)platform::SyncPath(slash == 0 ? path.substr(0, 1)
                                      : path.substr(0, slash))
      .ok();
}

// Whether name is a leftover of an earlier run that a backup may remove:
// "<part>.marksafe-trash-N" (a previous part that was being removed), or
// "<part>.marksafe-old" while "<part>" itself is there (the previous copy
// of a swap that completed; without "<part>" it is what a reader reads).
bool IsLeftover(const std::u16string& parent, const std::u16string& name) {
  const size_t infix = name.rfind(kTrashInfix);
  if (infix != std::u16string::npos && infix > 0) {
    const size_t digits = infix + std::char_traits<char16_t>::length(kTrashInfix);
    return digits < name.size() &&
           std::all_of(name.begin() + digits, name.end(),
                       [](char16_t c) { return c >= u'0' && c <= u'9'; });
  }
  if (!EndsWith(name, kOldSuffix)) return false;
  const std::u16string part = name.substr(
      0, name.size() - std::char_traits<char16_t>::length(kOldSuffix));
  std::u16string path;
  return platform::ChildPath(parent, part, &path) && platform::IsDirectory(path);
}

// Removes the leftovers of earlier runs cut short (or whose removal failed)
// beside folder. Only folders themselves are removed, never what a link
// points to; what cannot be removed now is left for a later run.
void SweepLeftovers(const std::u16string& folder) {
  const std::u16string target = WithoutTrailingSeparators(folder);
  const size_t slash = target.find_last_of(u"\\/");
  if (slash == std::u16string::npos || slash == 0) return;
  const std::u16string parent = target.substr(0, slash);
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(parent, &entries).ok()) return;
  for (const platform::DirEntry& entry : entries) {
    std::u16string path;
    if (entry.kind != platform::EntryKind::kDirectory || !entry.name_valid ||
        !IsLeftover(parent, entry.name) ||
        !platform::ChildPath(parent, entry.name, &path) ||
        IsSetAside(target.substr(0, slash + 1) + entry.name)) {
      continue;
    }
    LastErrorKeeper keep;
    if (!platform::RemoveTree(path).ok()) {
      DebugLog(u"[swap] could not remove the leftover %s\n", path.c_str());
    }
  }
}

void ReportNotRemoved(const std::u16string& folder, uint32_t code) {
  DebugLog(u"[swap] could not remove the previous %s: %ld\n", folder.c_str(),
           static_cast<long>(code));
  context::Current().report().AddProblem(
      DisplayPath(folder),
      "the previous copy could not be removed (" + ErrorWords(code) +
          "); the new one is in place, remove this one by hand",
      false);
}

// Removes the previous folder that a swap has put aside, unread. It first
// takes the name "<folder>.marksafe-trash-N", so that nothing is left under
// the name of a new part and a run cut short while removing leaves a name
// the next one sweeps. A job that removes later only sets the renamed
// folder aside. One that cannot be removed (read-only folders, a file held
// open) stays and is named in the report; the new folder is in place all
// the same.
void RemovePrevious(const std::u16string& previous,
                    const std::u16string& folder) {
  // The first free name from the time on: two swaps in one second (or one
  // whose previous copy is still set aside) each get their own.
  std::u16string trash;
  bool renamed = false;
  const model::Time now = model::Now();
  for (model::Time n = now; !renamed && n < now + 100; ++n) {
    trash = WithoutTrailingSeparators(folder) + kTrashInfix + NumberText(n);
    renamed = platform::MoveFolder(previous, trash).ok();
  }
  const std::u16string& doomed = renamed ? trash : previous;
  if (renamed && context::Current().options().remove_previous_later) {
    std::lock_guard<std::mutex> guard(g_set_aside_mutex);
    SetAside().push_back(trash);
    return;
  }
  const Status removed = platform::RemoveTree(doomed);
  if (!removed.ok()) ReportNotRemoved(doomed, removed.code());
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
  if (platform::MoveFolder(old, target).ok()) {
    DebugLog(u"[swap] put the previous %s back\n", target.c_str());
    SyncParentOf(target);
  }
}

Status SwapInFolder(const std::u16string& staging,
                    const std::u16string& folder) {
  const std::u16string target = WithoutTrailingSeparators(folder);
  const Status synced = platform::SyncTree(staging);
  if (!synced.ok()) {
    return Status::Error(synced.code(),
                         u"could not flush the new folder " + staging);
  }
  if (!platform::PathExists(target)) {
    const Status moved = platform::MoveFolder(staging, target);
    if (!moved.ok()) {
      return Status::Error(moved.code(),
                           u"could not move the new folder to " + target);
    }
    SyncParentOf(target);
    return Status::Ok();
  }
  const std::u16string old = OldFolderFor(folder);
  const Status exchanged = platform::ExchangeFolders(staging, target);
  if (exchanged.ok()) {
    // staging now holds the previous folder: it leaves the name that means
    // a new one before it is removed.
    SyncParentOf(target);
    SweepLeftovers(folder);
    RemovePrevious(staging, folder);
    return Status::Ok();
  }
  if (exchanged.code() != kErrorNotSupported) {
    return Status::Error(exchanged.code(),
                         u"could not swap the new folder into " + target);
  }
  if (platform::PathExists(old)) (void)platform::RemoveTree(old).ok();
  const Status aside = platform::MoveFolder(target, old);
  if (!aside.ok()) {
    return Status::Error(
        aside.code(), u"could not move the previous folder aside: " + target);
  }
  const Status moved = platform::MoveFolder(staging, target);
  if (!moved.ok()) {
    const Status failed = Status::Error(
        moved.code(), u"could not move the new folder to " + target);
    if (!platform::MoveFolder(old, target).ok()) {
      DebugLog(u"[swap] the previous folder stays at %s\n", old.c_str());
    }
    return failed;
  }
  SyncParentOf(target);
  // The previous copy leaves its "<folder>.marksafe-old" name first: with
  // "<folder>" in place that name is a leftover the sweep would remove
  // here and now, and then nothing would be left to set aside.
  RemovePrevious(old, folder);
  SweepLeftovers(folder);
  return Status::Ok();
}

size_t RemoveSetAsideFolders() {
  std::vector<std::u16string> folders;
  {
    std::lock_guard<std::mutex> guard(g_set_aside_mutex);
    folders.swap(SetAside());
  }
  size_t left = 0;
  for (const std::u16string& folder : folders) {
    const Status removed = platform::RemoveTree(folder);
    if (removed.ok()) continue;
    ReportNotRemoved(folder, removed.code());
    ++left;
  }
  return left;
}

}  // namespace marksafe
