#include "stores/store.h"

#include <utility>

#include "base/error_codes.h"

namespace marksafe {
namespace stores {
namespace {

Status ReadOnly(const std::u16string& path) {
  return Status::Error(kErrorNotSupported, path + u" cannot be written");
}

class FunctionStore : public Store {
 public:
  FunctionStore(std::u16string path,
                std::function<Status(const std::u16string&, model::Tree*)> read)
      : Store(std::move(path)), read_(std::move(read)) {}

  Status Read(model::Tree* tree) override { return read_(path(), tree); }

 private:
  std::function<Status(const std::u16string&, model::Tree*)> read_;
};

}  // namespace

Status Store::Lock() { return ReadOnly(path()); }

Status Store::WriteAdded(model::Tree*, model::ItemId, model::RootReport*,
                         ItemSpan) {
  return ReadOnly(path());
}

Status Store::Commit(bool) { return ReadOnly(path()); }

Status Store::Count(model::Counts* counts) {
  model::Tree tree;
  Status status = Read(&tree);
  if (status.ok()) *counts = model::UserCounts(tree);
  return status;
}

std::unique_ptr<Store> ReadOnlyStore(
    std::u16string path,
    std::function<Status(const std::u16string&, model::Tree*)> read) {
  return std::make_unique<FunctionStore>(std::move(path), std::move(read));
}

}  // namespace stores
}  // namespace marksafe
