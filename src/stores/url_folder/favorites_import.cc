#include "stores/url_folder/favorites_import.h"

#include <string>
#include <utility>
#include <vector>
#include <unordered_set>

#include "backup_set/part.h"
#include "backup_set/url_files.h"
#include "backup_set/folder_swap.h"
#include "backup_set/folder_tree.h"
#include "backup_set/interchange.h"
#include "context/store_lock.h"
#include "base/text.h"
#include "stores/url_folder/favorites_backup.h"
#include "context/job.h"
#include "model/merge.h"
#include "model/names.h"
#include "platform/platform.h"

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

// "Title (N)" with N of 2 or more: the name the allocator gives the N-th
// folder of one title. *base is "Title".
bool IsNumberedName(const std::u16string& name, std::u16string* base) {
  if (name.size() < 5 || name.back() != u')') return false;
  const size_t close = name.size() - 1;
  size_t first = close;
  while (first > 0 && name[first - 1] >= u'0' && name[first - 1] <= u'9') {
    --first;
  }
  const size_t digits = close - first;
  if (digits == 0 || digits > 9 || first < 3 || name[first] == u'0' ||
      name[first - 1] != u'(' || name[first - 2] != u' ') {
    return false;
  }
  if (std::stoul(platform::ToUtf8(name.substr(first, digits))) < 2)
    return false;
  *base = name.substr(0, first - 2);
  return true;
}

// Sibling folders of one title are written as "Title", "Title (2)", ...;
// read back, they are "Title" again wherever a sibling "Title" exists, so
// that the k-th folder of a title finds the k-th one written. The same
// reading is given to both trees, so a folder really titled "Title (2)"
// beside "Title" is matched the same way on both sides.
void FoldNumberedFolders(model::Tree* tree, model::ItemId root) {
  auto fold_children = [tree](model::ItemId folder) {
    std::unordered_set<std::u16string> titles;
    for (model::ItemId child : tree->at(folder).children) {
      const model::Item& item = tree->at(child);
      if (item.kind == model::ItemKind::kFolder) {
        titles.insert(ToUpperCase(item.title));
      }
    }
    for (model::ItemId child : tree->at(folder).children) {
      model::Item& item = tree->at(child);
      std::u16string base;
      if (item.kind == model::ItemKind::kFolder &&
          IsNumberedName(item.title, &base) &&
          titles.count(ToUpperCase(base)) != 0) {
        item.title = base;
      }
    }
  };
  fold_children(root);
  tree->ForEachBelow(root, [&](model::ItemId id) {
    if (tree->at(id).kind == model::ItemKind::kFolder) fold_children(id);
  });
}

// Makes the folder when missing; a folder made here is journaled with
// what the merge writes into it.
bool EnsureFolder(const std::u16string& folder) {
  if (platform::IsDirectory(folder)) return true;
  if (!platform::CreateDirectoryTree(folder)) return false;
  if (context::JournalRecorder* journal = context::Current().journal()) {
    context::JournalEntry entry;
    entry.kind = model::ItemKind::kFolder;
    entry.id = folder;
    entry.title = LastComponent(folder);
    journal->Add(context::StoreKind::kFavorites, std::u16string(),
                 std::move(entry));
  }
  return true;
}

// The entries noted by full path become the journal of dest_folder, each
// path made relative to it ("/" between names). An entry outside it (none
// is expected) is left out.
void ClaimJournal(const std::u16string& dest_folder) {
  context::JournalRecorder* journal = context::Current().journal();
  if (journal == nullptr) return;
  context::Journal* noted =
      journal->Find(context::StoreKind::kFavorites, std::u16string());
  if (noted == nullptr) return;
  std::vector<context::JournalEntry> entries = std::move(noted->items);
  journal->Drop(context::StoreKind::kFavorites, std::u16string());
  const auto slashed = [](std::u16string path) {
    for (char16_t& c : path) {
      if (c == u'\\') c = u'/';
    }
    return path;
  };
  std::u16string prefix = slashed(WithoutTrailingSeparators(dest_folder));
  if (prefix.empty() || prefix.back() != u'/') prefix += u'/';
  for (context::JournalEntry& entry : entries) {
    const std::u16string path = slashed(entry.id);
    if (path.size() <= prefix.size() ||
        path.compare(0, prefix.size(), prefix) != 0) {
      continue;
    }
    std::u16string relative = path.substr(prefix.size());
    const size_t slash = relative.rfind(u'/');
    entry.parent =
        slash == std::u16string::npos ? u"" : relative.substr(0, slash);
    entry.id = std::move(relative);
    journal->Add(context::StoreKind::kFavorites, dest_folder, std::move(entry));
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
  const bool copied =
      copy_folder(part, imported, interchange::kUrlExtension, overwrite,
                  nullptr, true, &counts);
  ReportFavoritesCopy(imported, existed, counts);
  if (copied) return Status::Ok();
  return Status::Error(platform::GetLastError(),
                       u"could not copy " + part + u" into " + imported);
}

}  // namespace

void JournalCopiedEntries(const std::u16string& favorites,
                          const std::vector<std::u16string>& made) {
  context::JournalRecorder* journal = context::Current().journal();
  if (journal == nullptr || made.empty()) return;
  for (const std::u16string& path : made) {
    context::JournalEntry entry;
    const bool folder = path.back() == u'/' || path.back() == u'\\';
    entry.kind = folder ? model::ItemKind::kFolder : model::ItemKind::kLink;
    entry.id = folder ? WithoutTrailingSeparators(path) : path;
    entry.title = LastComponent(entry.id);
    model::Item item;
    if (!folder &&
        backup_set::ReadPlainShortcut(entry.id, entry.title, &item)) {
      entry.url = item.url;
    }
    journal->Add(context::StoreKind::kFavorites, std::u16string(),
                 std::move(entry));
  }
  ClaimJournal(favorites);
}

Status MergePartIntoFavorites(const std::u16string& part_folder,
                              backup_set::PartKind kind,
                              const std::u16string& dest_folder,
                              const std::u16string& subfolder_title,
                              model::Report* report, bool overwrite) {
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
  if (!EnsureFolder(imported)) {
    return Status::Error(platform::GetLastError(),
                         u"could not create the folder " + imported);
  }
  model::MergeOptions options;
  options.capabilities = model::FavoritesCapabilities();
  options.progress = &context::Current().progress();
  // Imports the backup itself holds are not brought back.
  options.excluded_folders = {interchange::kImportedFromIe};

  for (model::Root root : backup_set::PartRoots(kind)) {
    const model::ItemId from = source.root(root);
    if (from == model::kNoItem) continue;
    FolderTitlesAsNames(&source, from);
    FoldNumberedFolders(&source, from);
    const std::u16string name = RootNameInFavorites(source, from, kind, root);
    const std::u16string folder = JoinPath(imported, name);
    model::RootReport unused;
    const size_t index = report != nullptr ? report->roots.size() : 0;
    if (report != nullptr) {
      report->AddRoot(model::RootKey(root), subfolder_title + u"/" + name);
    }
    auto root_report = [&]() -> model::RootReport* {
      return report != nullptr ? &report->roots[index] : &unused;
    };
    if (!EnsureFolder(folder)) {
      status.Update(Status::Error(platform::GetLastError(),
                                  u"could not create the folder " + folder));
      root_report()->failed += model::CountBelow(source, from);
      continue;
    }
    model::Tree target;
    const model::ItemId into = target.AddRoot(root, name);
    const Status read = backup_set::ReadUrlFolder(folder, {}, &target, into);
    if (!read.ok()) {
      // Without knowing what is there, nothing is written beside it.
      status.Update(read);
      root_report()->failed += model::CountBelow(source, from);
      continue;
    }
    FoldNumberedFolders(&target, into);
    model::Merge(source, from, &target, into, options, root_report(), report);
    // The folder is this export's own: with overwrite an older export's
    // file of the same name is replaced, not kept beside the new one.
    status.Update(backup_set::WriteAddedToUrlFolder(
        target, into, folder, root_report(), report, overwrite));
  }
  return status;
}

}  // namespace ie
}  // namespace marksafe
