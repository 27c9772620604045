#include "stores/chrome/chrome_store.h"

#include <utility>

#include "base/error_codes.h"
#include "context/job.h"
#include "platform/memory.h"
#include "stores/chrome/chrome_checksum.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/chrome_paths.h"
#include "stores/chrome/chrome_reader.h"

namespace marksafe {
namespace chrome {

ChromeStore::ChromeStore(std::u16string file) : Store(std::move(file)) {}

Status ChromeStore::Lock() {
  if (ChromiumHoldsFile(path())) {
    return Status::Error(kErrorSharingViolation,
                         path() + u" is in a profile a running browser holds; "
                                  u"close it first");
  }
  return lock_.Acquire(path());
}

Status ChromeStore::Load() {
  if (load_chrome_file(path().c_str(), &document_)) return Status::Ok();
  return Status::Error(kErrorInvalidData,
                       path() + u" is not a Chrome bookmarks file");
}

Status ChromeStore::Read(model::Tree* tree) {
  Status status = Load();
  if (status.ok()) {
    status =
        ReadChromeTree(document_, tree, nullptr, &context::Current().report());
  }
  document_ = Json::Value();
  return status;
}

Status ChromeStore::ReadToWrite(model::Tree* tree) {
  Status status = Load();
  if (!status.ok()) return status;
  // Chrome ignores a file without the synced root: it is added before the
  // file is read, so that a backup's mobile bookmarks have their place.
  const bool synced_added = AddSyncedRoot(&document_);
  NodeTable nodes;
  status = ReadChromeTree(document_, tree, &nodes, nullptr);
  if (!status.ok()) return status;
  writer_ = std::make_unique<ChromeWriter>(&document_, std::move(nodes));
  if (synced_added) writer_->MarkChanged();
  return Status::Ok();
}

Status ChromeStore::WriteAdded(model::Tree* tree, model::ItemId below,
                               model::RootReport* root_report,
                               stores::ItemSpan span) {
  if (writer_ == nullptr) {
    return Store::WriteAdded(tree, below, root_report, span);
  }
  writer_->WriteAdded(*tree, below, root_report, &context::Current().report(),
                      span.first, span.end);
  return Status::Ok();
}

Status ChromeStore::Commit(bool ok) {
  if (writer_ == nullptr) return Store::Commit(ok);
  if (!ok) {
    return Status::Error(kErrorInvalidParameter,
                         u"nothing was saved to " + path());
  }
  // The merged tree is gone: its pages go back before the file's text is
  // made, the largest block the save needs.
  platform::ReleaseFreedMemory();
  return writer_->Save(path());
}

}  // namespace chrome
}  // namespace marksafe
