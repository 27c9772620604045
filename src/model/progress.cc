#include "model/progress.h"

namespace marksafe {
namespace model {
namespace progress_detail {

std::atomic<int64_t> g_done{0};
std::atomic<int64_t> g_total{0};

}  // namespace progress_detail

ProgressScope::ProgressScope() {
  progress_detail::g_done.store(0, std::memory_order_relaxed);
  progress_detail::g_total.store(0, std::memory_order_relaxed);
}

int64_t LinksIn(const Tree& tree) {
  int64_t links = 0;
  for (size_t i = 0; i < tree.size(); ++i) {
    if (tree.at(static_cast<ItemId>(i)).kind == ItemKind::kLink) ++links;
  }
  return links;
}

void ReadProgress(int64_t* done, int64_t* total) {
  // A tick can be seen before the total it belongs to: done is held at
  // the total.
  const int64_t all = progress_detail::g_total.load(std::memory_order_relaxed);
  const int64_t written =
      progress_detail::g_done.load(std::memory_order_relaxed);
  if (total != nullptr) *total = all;
  if (done != nullptr) *done = written < all ? written : all;
}

}  // namespace model
}  // namespace marksafe
