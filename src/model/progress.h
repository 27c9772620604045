// How far one call has come, in links: the total it will write once that is
// known, and the links written so far. Ticked by the thread that runs the
// call, read from any thread (marksafe_progress), so that a host can draw a
// bar while the call runs on a worker thread.
//
// A call starts at 0 of 0. The total grows as it becomes known: a backup and
// an HTML export add the links of the tree they write, a merge adds each
// link it marks added (a restore of several parts adds part by part).
// Writers tick once per link written.
#ifndef MARKSAFE_MODEL_PROGRESS_H_
#define MARKSAFE_MODEL_PROGRESS_H_

#include <atomic>
#include <cstdint>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace model {

class Progress {
 public:
  // Adds links to the total.
  void AddTotal(int64_t links) {
    total_.fetch_add(links, std::memory_order_relaxed);
  }

  // A writer has written an item of this kind; links count.
  void Written(ItemKind kind) {
    if (kind == ItemKind::kLink) done_.fetch_add(1, std::memory_order_relaxed);
  }

  // The pair as it stands (done never above total).
  void Read(int64_t* done, int64_t* total) const;

 private:
  std::atomic<int64_t> done_{0};
  std::atomic<int64_t> total_{0};
};

// The links of the whole tree (every root): a flat pass over the arena.
int64_t LinksIn(const Tree& tree);

}  // namespace model
}  // namespace marksafe

#endif  // MARKSAFE_MODEL_PROGRESS_H_
