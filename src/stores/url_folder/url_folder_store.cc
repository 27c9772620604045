#include "stores/url_folder/url_folder_store.h"

#include <unordered_set>
#include <utility>

#include "backup_set/part.h"
#include "base/text.h"
#include "context/job.h"
#include "platform/file_names.h"
#include "platform/platform.h"

namespace marksafe {
namespace ie {
namespace {

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
}  // namespace

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

UrlFolderStore::UrlFolderStore(std::u16string folder, std::u16string lock_path,
                               model::Root root, std::u16string name,
                               bool overwrite)
    : Store(std::move(folder)),
      lock_path_(std::move(lock_path)),
      root_(root),
      name_(std::move(name)),
      overwrite_(overwrite) {}

Status UrlFolderStore::Read(model::Tree* tree) {
  const model::ItemId into = tree->AddRoot(root_, name_);
  Status status = backup_set::ReadUrlFolder(path(), {}, tree, into);
  if (status.ok()) FoldNumberedFolders(tree, into);
  return status;
}

Status UrlFolderStore::WriteAdded(model::Tree* tree, model::ItemId below,
                                  model::RootReport* root_report,
                                  stores::ItemSpan) {
  return backup_set::WriteAddedToUrlFolder(*tree, below, path(), root_report,
                                           &context::Current().report(),
                                           overwrite_);
}

}  // namespace ie
}  // namespace marksafe
