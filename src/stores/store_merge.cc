#include "stores/store_merge.h"

#include <utility>

#include "context/job.h"
#include "model/merge.h"
#include "platform/memory.h"
#include "platform/platform.h"

namespace marksafe {
namespace stores {

StoreMerge::StoreMerge(Store* store)
    : store_(store), dry_run_(context::Current().options().dry_run) {}

Status StoreMerge::Lock() { return dry_run_ ? Status::Ok() : store_->Lock(); }

Status StoreMerge::Read() { return store_->ReadToWrite(&tree_); }

Status StoreMerge::Open() {
  Status status = Lock();
  return status.ok() ? Read() : status;
}

model::ItemId StoreMerge::RootFor(const model::Tree& source, model::Root root,
                                  model::RootReport* root_report) {
  const model::ItemId into = tree_.root(store_->TargetRoot(root));
  if (into != model::kNoItem) return into;
  const model::ItemId from = source.root(root);
  const model::Counts counts = model::CountBelow(source, from);
  root_report->source += counts;
  root_report->not_carried += counts;
  if (counts.total() > 0) {
    context::Current().report().AddProblem(source.PathOf(from),
                                           "the store has no such root", false);
  }
  return model::kNoItem;
}

Status StoreMerge::FolderIn(model::ItemId parent, const std::u16string& title,
                            model::ItemId* folder) {
  for (const model::ItemId child : tree_.at(parent).children) {
    const model::Item& item = tree_.at(child);
    if (item.kind == model::ItemKind::kFolder && item.title == title) {
      *folder = child;
      return Status::Ok();
    }
  }
  model::Item made;
  made.title = title;
  made.date_added = made.last_modified = model::Now();
  made.added = true;
  *folder = tree_.Add(parent, std::move(made));
  if (*folder == model::kNoItem) {
    return Status::Error(kErrorInvalidParameter,
                         u"no folder " + title + u" can be made in " +
                             store_->path());
  }
  if (dry_run_) return Status::Ok();
  // The folder alone: merges not yet written stay for their own reports.
  model::RootReport uncounted;
  return store_->WriteAdded(&tree_, parent, &uncounted,
                            ItemSpan{*folder, *folder + 1});
}

Status StoreMerge::Merge(const model::Tree& source, model::ItemId from,
                         model::ItemId into, model::RootReport* root_report) {
  MergeOnly(source, from, into, root_report);
  return WritePending();
}

void StoreMerge::MergeOnly(const model::Tree& source, model::ItemId from,
                           model::ItemId into, model::RootReport* root_report) {
  // Room for all that the source can add, made once: merges of its roots
  // one after another would otherwise grow the tree by doubling. A few
  // spare items for the folders an import makes between them.
  constexpr size_t kSpareItems = 16;
  const size_t below = static_cast<size_t>(CountBelow(source, from).total());
  if (tree_.capacity() - tree_.size() < below) {
    tree_.Reserve(tree_.size() + source.size() + kSpareItems);
  }
  context::Job& job = context::Current();
  model::MergeOptions options;
  options.capabilities = store_->capabilities();
  options.now = model::Now();
  options.progress = &job.progress();
  options.excluded_folders = excluded_folders_;
  ItemSpan span;
  span.first = static_cast<model::ItemId>(tree_.size());
  model::Merge(source, from, &tree_, into, options, root_report, &job.report());
  span.end = static_cast<model::ItemId>(tree_.size());
  pending_.push_back(Pending{
      into, static_cast<size_t>(root_report - job.report().roots.data()),
      span});
}

Status StoreMerge::WritePending() {
  std::vector<Pending> pending;
  pending.swap(pending_);
  std::vector<model::RootReport>& roots = context::Current().report().roots;
  Status status;
  for (const Pending& merged : pending) {
    model::RootReport* root_report = &roots.at(merged.report_index);
    if (!dry_run_) {
      status.Update(
          store_->WriteAdded(&tree_, merged.into, root_report, merged.span));
      continue;
    }
    // The writers count what they write; a dry run counts what the merge
    // marked for them.
    tree_.ForEachBelow(merged.into, [&](model::ItemId id) {
      const model::Item& item = tree_.at(id);
      if (item.added && id >= merged.span.first && id < merged.span.end) {
        model::CountItem(item.kind, &root_report->added);
      }
    });
  }
  return status;
}

Status StoreMerge::WritePendingWithout(model::Tree* source) {
  *source = model::Tree();
  platform::ReleaseFreedMemory();
  return WritePending();
}

Status StoreMerge::MergeRootsInFolders(const model::Tree& source,
                                       model::ItemId parent,
                                       const std::u16string& wrapper,
                                       const std::u16string& label,
                                       bool write_each) {
  model::ItemId folder = wrapper.empty() ? parent : model::kNoItem;
  Status status;
  for (const model::Root root : model::kAllRoots) {
    const model::ItemId from = source.root(root);
    if (from == model::kNoItem) continue;
    const std::u16string& title = source.at(from).title;
    model::RootReport* root_report = context::Current().report().AddRoot(
        model::RootKey(root), label + u"/" + title);
    // A root the person left empty brings no folder of its own.
    if (source.at(from).children.empty()) continue;
    if (folder == model::kNoItem) {
      Status made = FolderIn(parent, wrapper, &folder);
      if (!made.ok()) return made;
    }
    model::ItemId into = model::kNoItem;
    Status step = FolderIn(folder, title, &into);
    if (!step.ok() && !write_each) return step;
    if (step.ok() && write_each) step = Merge(source, from, into, root_report);
    if (step.ok() && !write_each) MergeOnly(source, from, into, root_report);
    status.Update(std::move(step));
  }
  return status;
}

Status StoreMerge::Finish(Status so_far) {
  if (dry_run_) return so_far;
  // The tree has served the merges: its memory goes before the store
  // makes its file.
  tree_ = model::Tree();
  Status committed = store_->Commit(so_far.ok());
  if (committed.ok()) return so_far;
  context::Current().report().AddedWasNotKept(
      store_->path(), "write failed: " + platform::ToUtf8(committed.message()));
  return committed;
}

}  // namespace stores
}  // namespace marksafe
