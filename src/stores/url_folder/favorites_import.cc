#include "stores/url_folder/favorites_import.h"

#include <deque>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "backup_set/folder_swap.h"
#include "backup_set/folder_tree.h"
#include "backup_set/interchange.h"
#include "backup_set/part.h"
#include "backup_set/url_files.h"
#include "base/text.h"
#include "context/job.h"
#include "context/store_lock.h"
#include "model/merge.h"
#include "model/names.h"
#include "platform/platform.h"
#include "stores/store_merge.h"
#include "stores/url_folder/favorites_backup.h"
#include "stores/url_folder/url_folder_store.h"

namespace marksafe {
namespace ie {
namespace {

// A folder of the Favorites folder is titled by its name on disk, so the
// part's folders are matched by the names they get there: a folder
// "a/b" merged once is found again as "a_b" by the next merge, which adds
// nothing.
void FolderTitlesAsNames(model::Tree* tree, model::ItemId root) {
  tree->ForEachBelow(root, [tree](model::ItemId id) {
    model::Item& item = tree->at(id);
    if (item.kind == model::ItemKind::kFolder) {
      item.title = model::NameStem(item.title, 0, 0);
    }
  });
}

// Makes the folder when missing; a folder made here is journaled with
// what the merge writes into it.
Status EnsureFolder(const std::u16string& folder) {
  if (platform::IsDirectory(folder)) return Status::Ok();
  const Status made = platform::CreateDirectoryTree(folder);
  if (!made.ok()) {
    return Status::Error(made.code(), u"could not create the folder " + folder);
  }
  if (context::JournalRecorder* journal = context::Current().journal()) {
    context::JournalEntry entry;
    entry.kind = model::ItemKind::kFolder;
    entry.id = folder;
    entry.title = LastComponent(folder);
    journal->Add(context::StoreKind::kFavorites, std::u16string(),
                 std::move(entry));
  }
  return Status::Ok();
}

// Journal ids in the Favorites folder are paths below it with "/"
// between names: prefix is the folder's path so written, ending in "/".
std::u16string Slashed(std::u16string path) {
  for (char16_t& c : path) {
    if (c == u'\\') c = u'/';
  }
  return path;
}

std::u16string ClaimPrefix(const std::u16string& dest_folder) {
  std::u16string prefix = Slashed(WithoutTrailingSeparators(dest_folder));
  if (prefix.empty() || prefix.back() != u'/') prefix += u'/';
  return prefix;
}

// Makes an entry noted by its full path one of the folder of prefix: its
// id the path below the folder, its parent the id of the folder above.
// False for an entry outside the folder (none is expected).
bool ClaimEntry(const std::u16string& prefix, context::JournalEntry* entry) {
  const std::u16string path = Slashed(std::move(entry->id));
  if (path.size() <= prefix.size() ||
      path.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  std::u16string relative = path.substr(prefix.size());
  const size_t slash = relative.rfind(u'/');
  entry->parent =
      slash == std::u16string::npos ? u"" : relative.substr(0, slash);
  entry->id = std::move(relative);
  return true;
}

// The entries noted by full path become the journal of dest_folder (see
// ClaimEntry).
void ClaimJournal(const std::u16string& dest_folder) {
  context::JournalRecorder* journal = context::Current().journal();
  if (journal == nullptr) return;
  context::Journal* noted =
      journal->Find(context::StoreKind::kFavorites, std::u16string());
  if (noted == nullptr) return;
  std::deque<context::JournalEntry> entries = std::move(noted->items);
  journal->Drop(context::StoreKind::kFavorites, std::u16string());
  const std::u16string prefix = ClaimPrefix(dest_folder);
  // Taken from the front, so that the entries are not held twice.
  while (!entries.empty()) {
    context::JournalEntry entry = std::move(entries.front());
    entries.pop_front();
    if (ClaimEntry(prefix, &entry)) {
      journal->Add(context::StoreKind::kFavorites, dest_folder,
                   std::move(entry));
    }
  }
}

// A root's folder in the Favorites folder is named as the set names it (a
// localized set has its own names): the last name of its position value.
std::u16string RootNameInFavorites(const model::Tree& tree, model::ItemId root,
                                   backup_set::PartKind kind,
                                   model::Root key) {
  const std::u16string& value = tree.at(root).title;
  const size_t slash = value.find_last_of(u"\\/");
  const std::u16string last =
      slash == std::u16string::npos ? value : value.substr(slash + 1);
  if (last.empty() || last == u".") {
    return backup_set::RootFolderName(kind, key);
  }
  return model::NameStem(last, 0, 0);
}

// A Chrome folder without its position file names no roots: it is copied
// whole into the sub-folder, as such folders always were. Files there of
// the same name are replaced with overwrite, else kept (that copy fails).
Status CopyWithoutPositionFile(const std::u16string& part,
                               const std::u16string& dest_folder,
                               const std::u16string& subfolder_title,
                               bool overwrite) {
  StoreLock lock;
  Status locked = lock.Acquire(dest_folder);
  if (!locked.ok()) return locked;
  const std::u16string imported = JoinPath(dest_folder, subfolder_title);
  const bool existed = platform::IsDirectory(imported);
  CopyCounts counts;
  const Status copied = copy_folder(part, imported, interchange::kUrlExtension,
                                    overwrite, nullptr, true, &counts);
  ReportFavoritesCopy(imported, existed, counts);
  if (copied.ok()) return Status::Ok();
  return Status::Error(copied.code(),
                       u"could not copy " + part + u" into " + imported);
}

}  // namespace

void JournalCopiedEntries(const std::u16string& favorites,
                          std::vector<MadeEntry> made) {
  context::JournalRecorder* journal = context::Current().journal();
  if (journal == nullptr || made.empty()) return;
  // Entries noted before the copy keep their place ahead of its own.
  ClaimJournal(favorites);
  const std::u16string prefix = ClaimPrefix(favorites);
  for (MadeEntry& made_entry : made) {
    std::u16string& path = made_entry.path;
    context::JournalEntry entry;
    const bool folder = path.back() == u'/' || path.back() == u'\\';
    entry.kind = folder ? model::ItemKind::kFolder : model::ItemKind::kLink;
    entry.id = folder ? WithoutTrailingSeparators(path) : std::move(path);
    // A copy of many files holds each path and URL once.
    path = std::u16string();
    entry.url = std::move(made_entry.url);
    entry.title = LastComponent(entry.id);
    if (ClaimEntry(prefix, &entry)) {
      journal->Add(context::StoreKind::kFavorites, favorites,
                   std::move(entry));
    }
  }
}

Status MergePartIntoFavorites(const std::u16string& part_folder,
                              backup_set::PartKind kind,
                              const std::u16string& dest_folder,
                              const std::u16string& subfolder_title,
                              bool overwrite) {
  model::Report& report = context::Current().report();
  const std::u16string part = ReadableFolder(part_folder);
  model::Tree source;
  Status status = backup_set::ReadPart(part, kind, &source);
  if (!status.ok() && kind == backup_set::PartKind::kChrome &&
      platform::IsDirectory(part) &&
      !platform::PathExists(JoinPath(part, interchange::kChromePosIni))) {
    return CopyWithoutPositionFile(part, dest_folder, subfolder_title,
                                   overwrite);
  }
  if (!status.ok()) return status;
  // No other run writes the Favorites folder between reading what is
  // there and writing what is new.
  StoreLock lock;
  Status locked = lock.Acquire(dest_folder);
  if (!locked.ok()) return locked;

  struct Claim {
    const std::u16string& folder;
    ~Claim() { ClaimJournal(folder); }
  } claim{dest_folder};
  const std::u16string imported = JoinPath(dest_folder, subfolder_title);
  const Status made = EnsureFolder(imported);
  if (!made.ok()) return made;
  for (model::Root root : backup_set::PartRoots(kind)) {
    const model::ItemId from = source.root(root);
    if (from == model::kNoItem) continue;
    FolderTitlesAsNames(&source, from);
    FoldNumberedFolders(&source, from);
    const std::u16string name = RootNameInFavorites(source, from, kind, root);
    const std::u16string folder = JoinPath(imported, name);
    model::RootReport* root_report =
        report.AddRoot(model::RootKey(root), subfolder_title + u"/" + name);
    UrlFolderStore store(folder, dest_folder, root, name, overwrite);
    stores::StoreMerge merge(&store);
    // Imports the backup itself holds are not brought back.
    merge.set_excluded_folders({interchange::kImportedFromIe});
    Status read = EnsureFolder(folder);
    if (read.ok()) read = merge.Open();
    if (!read.ok()) {
      // Without knowing what is there, nothing is written beside it.
      status.Update(std::move(read));
      root_report->failed += model::CountBelow(source, from);
      continue;
    }
    Status written =
        merge.Merge(source, from, merge.tree().root(root), root_report);
    status.Update(merge.Finish(std::move(written)));
  }
  return status;
}

}  // namespace ie
}  // namespace marksafe
