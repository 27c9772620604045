// How far the export call running now has come, in links: the total it
// will write once that is known, and the links written so far. One pair for
// the process, read from any thread (marksafe_progress), so that a host can
// draw a bar while the call runs on a worker thread.
//
// Each export that moves bookmarks starts at 0 of 0 (ProgressScope, part of
// ReportScope). The total grows as it becomes known: a backup and an HTML
// export add the links of the tree they write, a merge adds each link it
// marks added (a restore of several parts adds part by part). Writers tick
// once per link written. When two exports run at once on different threads
// the pair mixes both: it describes "the" running call, as a host has one.
#ifndef MARKSAFE_MODEL_PROGRESS_H_
#define MARKSAFE_MODEL_PROGRESS_H_

#include <atomic>
#include <cstdint>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace model {

namespace progress_detail {
extern std::atomic<int64_t> g_done;
extern std::atomic<int64_t> g_total;
}  // namespace progress_detail

// Resets the pair to 0 of 0 when an export call starts.
class ProgressScope {
 public:
  ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
};

// Adds links to the total of the running call.
inline void AddProgressTotal(int64_t links) {
  progress_detail::g_total.fetch_add(links, std::memory_order_relaxed);
}

// A writer has written an item of this kind; links count.
inline void ProgressWritten(ItemKind kind) {
  if (kind == ItemKind::kLink) {
    progress_detail::g_done.fetch_add(1, std::memory_order_relaxed);
  }
}

// The links of the whole tree (every root): a flat pass over the arena.
int64_t LinksIn(const Tree& tree);

// The pair as it stands (done never above total).
void ReadProgress(int64_t* done, int64_t* total);

}  // namespace model
}  // namespace marksafe

#endif  // MARKSAFE_MODEL_PROGRESS_H_
