// Undo in a Favorites folder (a folder of .url files): with the folder's
// lock held as a restore holds it, each chosen .url file is deleted and each
// chosen folder removed once it is empty. Paths come from the journal, an
// untrusted file: each is taken name by name inside the folder, and an
// entry that is a link or lies outside the folder is never touched.
#include <string>
#include <vector>

#include "backup_set/url_files.h"
#include "base/error_codes.h"
#include "base/text.h"
#include "context/store_lock.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "undo/undo.h"

namespace marksafe {
namespace undo {
namespace {

// The entry at relative ("a/b/c.url") inside folder; false for a path
// that is empty or holds a name that is no single entry ("..", "").
bool PathInside(const std::u16string& folder, const std::u16string& relative,
                std::u16string* path) {
  if (relative.empty()) return false;
  std::u16string at = folder;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t slash = relative.find(u'/', start);
    if (slash == std::u16string::npos) slash = relative.size();
    std::u16string next;
    if (!platform::ChildPath(at, relative.substr(start, slash - start),
                             &next)) {
      return false;
    }
    at = std::move(next);
    start = slash + 1;
  }
  *path = at;
  return true;
}

StoreItem Look(const std::u16string& folder, const context::JournalEntry& entry) {
  StoreItem now;
  std::u16string path;
  platform::EntryKind kind = platform::EntryKind::kOther;
  if (!PathInside(folder, entry.id, &path) ||
      !platform::GetEntryKind(path, &kind).ok() ||
      !platform::ResolvesInside(path, folder)) {
    return now;
  }
  now.parent = entry.parent;  // a path keeps its folder
  now.title = entry.title;    // a new name is a new path
  if (kind == platform::EntryKind::kDirectory) {
    now.found = true;
    now.kind = model::ItemKind::kFolder;
    std::vector<platform::DirEntry> entries;
    if (!platform::ListDirectory(path, &entries).ok()) {
      now.children.push_back(u"");  // unreadable: kept
    }
    for (const platform::DirEntry& child : entries) {
      now.children.push_back(entry.id + u"/" + child.name);
    }
  } else if (kind == platform::EntryKind::kRegular) {
    model::Item item;
    now.found = true;
    now.kind = model::ItemKind::kLink;
    if (backup_set::ReadPlainShortcut(path, LastComponent(path), &item)) {
      now.url = item.url;
    }
  }
  return now;
}

}  // namespace

Status UndoFavorites(const context::Journal& journal, bool dry_run,
                     Result* result) {
  const std::u16string& folder = journal.store_path;
  if (!platform::IsDirectory(folder)) {
    return Status::Error(kErrorPathNotFound,
                         u"no folder " + DisplayPath(folder));
  }
  StoreLock lock;  // a dry run changes nothing and takes no lock
  const Status locked = dry_run ? Status::Ok() : lock.Acquire(folder);
  if (!locked.ok()) return locked;
  const auto chosen = Decide(
      journal,
      [&](const context::JournalEntry& entry) { return Look(folder, entry); },
      result);
  if (dry_run) {
    result->removed = static_cast<int64_t>(chosen.size());
    return Status::Ok();
  }
  Status status;
  for (const context::JournalEntry* entry : chosen) {
    std::u16string path;
    if (!PathInside(folder, entry->id, &path)) continue;
    Status removed;
    if (entry->kind == model::ItemKind::kFolder) {
      // Only a folder left empty goes.
      std::vector<platform::DirEntry> entries;
      removed = platform::ListDirectory(path, &entries);
      if (removed.ok() && !entries.empty()) {
        removed = Status::Error(kErrorDirNotEmpty, u"");
      }
      if (removed.ok()) removed = platform::RemoveTree(path);
    } else {
      removed = platform::DeleteFile(path);
    }
    if (removed.ok()) {
      ++result->removed;
    } else {
      status.Update(Status::Error(removed.code(),
                                  u"could not remove " + DisplayPath(path)));
      result->kept.push_back(Kept{entry->id, entry->url, "could not remove"});
    }
  }
  return status;
}

}  // namespace undo
}  // namespace marksafe
