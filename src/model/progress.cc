#include "model/progress.h"

namespace marksafe {
namespace model {

int64_t LinksIn(const Tree& tree) {
  int64_t links = 0;
  for (size_t i = 0; i < tree.size(); ++i) {
    if (tree.at(static_cast<ItemId>(i)).kind == ItemKind::kLink) ++links;
  }
  return links;
}

void Progress::Read(int64_t* done, int64_t* total) const {
  // A tick can be seen before the total it belongs to: done is held at
  // the total.
  const int64_t all = total_.load(std::memory_order_relaxed);
  const int64_t written = done_.load(std::memory_order_relaxed);
  if (total != nullptr) *total = all;
  if (done != nullptr) *done = written < all ? written : all;
}

}  // namespace model
}  // namespace marksafe
