#include "jobs/store_jobs.h"

#include <memory>
#include <string>

#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "jobs/open_store.h"
#include "model/report.h"
#include "platform/memory.h"
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
  context::Current().report().problems.push_back(model::Problem{
      DisplayPath(path), std::u16string(),
      step.empty() || reason.empty()
          ? step + platform::ToUtf8(reason)
          : step + ": " + platform::ToUtf8(reason),
      true});
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
    const std::function<std::string(const model::Tree&)>& write) {
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
  if (platform::ReplaceFileAtomically(file, write(tree)).ok())
    return Status::Ok();
  // Nothing of the file was kept: what the roots counted as added failed.
  report.AddedWasNotKept(DisplayPath(file), "write failed");
  return Status::Error(kErrorAccessDenied, file);
}

Status MergeIntoStore(model::Tree* source_tree, int32_t kind,
                      const std::u16string& path) {
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
  *source_tree = model::Tree();
  platform::ReleaseFreedMemory();
  status = merge.Finish(merge.WritePending());
  if (status.ok()) return status;
  return Status::Error(kErrorAccessDenied, status.message());
}

}  // namespace jobs
}  // namespace marksafe
