#include "stores/places/places_store.h"

#include <utility>

#include "base/error_codes.h"
#include "context/job.h"
#include "platform/platform.h"
#include "stores/places/places_reader.h"
#include "stores/places/places_size.h"

namespace marksafe {
namespace firefox {

PlacesStore::PlacesStore(std::u16string file)
    : Store(std::move(file)), handle_(nullptr), owned_(true) {}

PlacesStore::PlacesStore(ms_places* handle)
    : Store(handle->databasePath), handle_(handle), owned_(false) {}

PlacesStore::~PlacesStore() {
  writer_.reset();
  transaction_.reset();  // rolls back what was not committed
  if (owned_ && handle_ != nullptr) ReleaseBookmark(handle_);
}

Status PlacesStore::Open() {
  if (handle_ != nullptr) return Status::Ok();
  Status opened;
  handle_ = InitBookmark(path().c_str(), &opened);
  if (handle_ != nullptr && PlacesReadable(handle_)) return Status::Ok();
  if (handle_ != nullptr) ReleaseBookmark(handle_);
  handle_ = nullptr;
  return Status::Error(kErrorInvalidData,
                       path() + u" cannot be opened as a Firefox places "
                                u"database (is Firefox running?)");
}

Status PlacesStore::Lock() {
  Status status = Open();
  if (!status.ok()) return status;
  transaction_ = std::make_unique<ImportTransaction>(handle_);
  if (transaction_->Refused()) {
    transaction_.reset();
    return Status::Error(kErrorAccessDenied,
                         path() + u" cannot be written now");
  }
  writer_ = std::make_unique<PlacesWriter>(handle_);
  return Status::Ok();
}

Status PlacesStore::Read(model::Tree* tree) {
  Status status = Open();
  if (!status.ok()) return status;
  return ReadPlaces(handle_, tree);
}

Status PlacesStore::WriteAdded(model::Tree* tree, model::ItemId below,
                               model::RootReport* root_report,
                               stores::ItemSpan span) {
  if (writer_ == nullptr) {
    return Store::WriteAdded(tree, below, root_report, span);
  }
  return writer_->WriteAdded(tree, below, root_report,
                             &context::Current().report(), span.first,
                             span.end);
}

Status PlacesStore::Commit(bool ok) {
  if (transaction_ == nullptr) return Store::Commit(ok);
  writer_.reset();
  (void)transaction_->Finish(ok);  // a refused row is counted already
  const bool kept = transaction_->Kept();
  const uint32_t transaction_code = transaction_->code();
  transaction_.reset();
  if (kept) return Status::Ok();
  return Status::Error(transaction_code, kNothingWritten);
}

Status PlacesStore::Count(model::Counts* counts) {
  Status status = Open();
  if (!status.ok()) return status;
  int32_t folders = 0, links = 0;
  if (!CountBookmarks(handle_, &folders, &links).ok()) {
    return Status::Error(kErrorInvalidData, path() + u" cannot be counted");
  }
  counts->folders = folders;
  counts->links = links;
  return Status::Ok();
}

}  // namespace firefox
}  // namespace marksafe
