#include "jobs/store_jobs.h"

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "jobs/open_store.h"
#include "marksafe/marksafe.h"
#include "model/report.h"
#include "model/url_normalize.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "stores/store_merge.h"

namespace marksafe {
namespace jobs {
namespace {

// Adds the failure of a step on the store at path to the report: the step
// ("read failed"; may be empty) and the reason, without the path when the
// message starts with it. A lock another run holds has been reported by the
// lock.
void NoteFailure(const std::u16string& path, const std::string& step,
                 const Status& status) {
  if (status.code() == kErrorLockViolation) return;
  std::u16string reason = status.message();
  if (reason.compare(0, path.size(), path) == 0) {
    reason.erase(0, path.size());
    while (!reason.empty() && (reason[0] == u' ' || reason[0] == u':')) {
      reason.erase(0, 1);
    }
  }
  context::Current().report().AddProblem(
      DisplayPath(path),
      step.empty() || reason.empty() ? step + platform::ToUtf8(reason)
                                     : step + ": " + platform::ToUtf8(reason),
      true);
}

Status Failed(uint32_t code, const std::u16string& path,
              const std::string& step, const Status& status) {
  NoteFailure(path, step, status);
  return Status::Error(code, status.message());
}

Status Opened(int32_t kind, const std::u16string& path,
              std::unique_ptr<stores::Store>* store) {
  *store = OpenStore(kind, path);
  if (*store == nullptr) {
    return Status::Error(kErrorInvalidParameter, u"no such kind of store");
  }
  if (!platform::PathExists(path)) {
    return Status::Error(kErrorFileNotFound, path + u" does not exist");
  }
  return Status::Ok();
}

// Reads first, then second (not when first cannot be read).
Status ReadPair(const StoreToRead& first, model::Tree* first_tree,
                const StoreToRead& second, model::Tree* second_tree) {
  for (const auto& [store, tree] : {std::make_pair(&first, first_tree),
                                    std::make_pair(&second, second_tree)}) {
    const Status read =
        store->path == nullptr
            ? Status::Error(kErrorInvalidParameter, u"")
            : ReadStore(store->kind, FromPointer(store->path), tree);
    if (!read.ok()) {
      return Status::Error(read.code(),
                           std::u16string(store->label) + u" cannot be read");
    }
  }
  return Status::Ok();
}

// The links below each root of tree, by (root, folder path below the root,
// normalised URL); each entry keeps the title and URL as stored.
using LinkKey =
    std::pair<std::string, std::pair<std::u16string, std::u16string>>;
using LinkMap = std::map<LinkKey, std::vector<ComparedLink>>;

LinkMap LinksOf(const model::Tree& tree, const stores::Store& target) {
  LinkMap links;
  for (model::Root root : model::kAllRoots) {
    const model::ItemId top = tree.root(root);
    if (top == model::kNoItem) continue;
    const std::string key = model::RootKey(target.TargetRoot(root));
    std::unordered_map<model::ItemId, std::u16string> folder_path;
    folder_path[top] = u"";
    tree.ForEachBelow(top, [&](model::ItemId id) {
      const model::Item& item = tree.at(id);
      const std::u16string& parent = folder_path[item.parent];
      if (item.kind == model::ItemKind::kFolder) {
        folder_path[id] =
            parent.empty() ? item.title : parent + u"/" + item.title;
      } else if (item.kind == model::ItemKind::kLink) {
        links[{key, {parent, NormalizedOrSelf(item.url)}}].push_back(
            ComparedLink{item.title, item.url});
      }
    });
  }
  return links;
}

}  // namespace

Status ReadStore(int32_t kind, const std::u16string& path, model::Tree* tree) {
  std::unique_ptr<stores::Store> store;
  Status status = Opened(kind, path, &store);
  if (!status.ok()) return status;
  status = store->Read(tree);
  if (status.ok()) return status;
  return Failed(kErrorInvalidData, path, "read failed", status);
}

Status CountStore(int32_t kind, const std::u16string& path,
                  model::Counts* counts) {
  std::unique_ptr<stores::Store> store;
  Status status = Opened(kind, path, &store);
  if (!status.ok()) return status;
  status = store->Count(counts);
  if (status.ok()) return status;
  return Failed(kErrorInvalidData, path, "read failed", status);
}

Status ExportStore(
    int32_t kind, const std::u16string& path, const std::u16string& file,
    const std::function<Status(const model::Tree&, std::string*)>& write) {
  model::Tree tree;
  Status status = ReadStore(kind, path, &tree);
  if (!status.ok()) return status;
  model::Report& report = context::Current().report();
  for (model::Root root : model::kAllRoots) {
    const model::ItemId id = tree.root(root);
    if (id == model::kNoItem) continue;
    model::RootReport* root_report =
        report.AddRoot(model::RootKey(root), tree.at(id).title);
    root_report->source = root_report->added = model::CountBelow(tree, id);
  }
  std::string bytes;
  status = write(tree, &bytes);
  if (status.ok() && platform::ReplaceFileAtomically(file, bytes).ok()) {
    return Status::Ok();
  }
  // Nothing of the file was kept: what the roots counted as added failed.
  report.AddedWasNotKept(DisplayPath(file),
                         status.ok() ? "write failed"
                                     : platform::ToUtf8(status.message()));
  return status.ok() ? Status::Error(kErrorAccessDenied, file) : status;
}

Status MergeIntoStore(model::Tree* source_tree, int32_t kind,
                      const std::u16string& path,
                      const std::u16string& wrapper) {
  std::unique_ptr<stores::Store> store;
  Status status = Opened(kind, path, &store);
  if (!status.ok()) return status;
  if (!IsWritableKind(kind)) {
    return Status::Error(kErrorInvalidParameter, path + u" cannot be written");
  }
  stores::StoreMerge merge(store.get());
  // A store that cannot be opened is bad data; any other refusal keeps
  // the writer out.
  status = merge.Lock();
  if (!status.ok()) {
    return Failed(status.code() == kErrorInvalidData ? kErrorInvalidData
                                                     : kErrorAccessDenied,
                  path, "", status);
  }
  status = merge.Read();
  if (!status.ok()) return Failed(kErrorInvalidData, path, "", status);
  const model::Tree& source = *source_tree;
  if (wrapper.empty()) {
    model::Report& report = context::Current().report();
    for (model::Root root : model::kAllRoots) {
      const model::ItemId from = source.root(root);
      if (from == model::kNoItem) continue;
      model::RootReport* root_report = report.AddRoot(
          model::RootKey(store->TargetRoot(root)), source.at(from).title);
      const model::ItemId into = merge.RootFor(source, root, root_report);
      if (into == model::kNoItem) continue;
      merge.MergeOnly(source, from, into, root_report);
    }
  } else {
    // Imports go where the browser puts its own: under the menu in
    // Firefox, on the bookmark bar in Chrome.
    const bool places = kind == MARKSAFE_STORE_PLACES;
    const model::ItemId parent = merge.tree().root(
        places ? model::Root::kMenu : model::Root::kToolbar);
    if (parent == model::kNoItem) {
      return Failed(kErrorInvalidData, path, "",
                    Status::Error(kErrorInvalidData,
                                  places ? u"has no bookmarks menu"
                                         : u"has no bookmark bar"));
    }
    const std::u16string label =
        places ? merge.tree().at(parent).title + u"/" + wrapper : wrapper;
    status = merge.MergeRootsInFolders(source, parent, wrapper, label,
                                       /*write_each=*/false);
  }
  if (status.ok()) status = merge.WritePendingWithout(source_tree);
  status = merge.Finish(std::move(status));
  if (status.ok()) return status;
  return Status::Error(kErrorAccessDenied, status.message());
}

Status DiffStores(const StoreToRead& before, const StoreToRead& after,
                  StoreDiff* result) {
  const Status read = ReadPair(before, &result->before, after, &result->after);
  if (!read.ok()) return read;
  result->diff = history::DiffTrees(result->before, result->after);
  return Status::Ok();
}

Status CompareWithStore(const StoreToRead& backup, const StoreToRead& store,
                        StoreComparison* result) {
  model::Tree backup_tree, store_tree;
  const Status read = ReadPair(backup, &backup_tree, store, &store_tree);
  if (!read.ok()) return read;
  const std::unique_ptr<stores::Store> target =
      OpenStore(store.kind, FromPointer(store.path));
  const LinkMap in_backup = LinksOf(backup_tree, *target);
  const LinkMap in_store = LinksOf(store_tree, *target);
  // Per (root, folder): what one side holds beyond the other.
  std::map<std::pair<std::string, std::u16string>, ComparedFolder> folders;
  const auto add = [&](const LinkMap& side, const LinkMap& other,
                       std::vector<ComparedLink> ComparedFolder::*list,
                       int64_t* count) {
    for (const auto& [key, links] : side) {
      const auto there = other.find(key);
      const size_t matched = there == other.end() ? 0 : there->second.size();
      for (size_t i = matched; i < links.size(); ++i) {
        ComparedFolder& folder = folders[{key.first, key.second.first}];
        folder.root = key.first;
        folder.folder = key.second.first;
        (folder.*list).push_back(links[i]);
        ++*count;
      }
    }
  };
  add(in_backup, in_store, &ComparedFolder::missing, &result->missing);
  add(in_store, in_backup, &ComparedFolder::extra, &result->extra);
  for (auto& [key, folder] : folders) {
    result->folders.push_back(std::move(folder));
  }
  return Status::Ok();
}

}  // namespace jobs
}  // namespace marksafe
