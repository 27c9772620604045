// What changed between two trees of the same bookmarks: items added,
// removed, renamed or moved. Items are matched by what a rename or a move
// keeps: a link by its normalised URL and the date it was added, a folder by
// the date it was added (by its title when it has none). Within one match
// key the item with the same title (and, for links, the same folder) wins,
// the rest pair in tree order. Separators and order are not compared.
#ifndef MARKSAFE_HISTORY_TREE_DIFF_H_
#define MARKSAFE_HISTORY_TREE_DIFF_H_

#include <cstdint>
#include <vector>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace history {

enum class ChangeKind { kAdded, kRemoved, kRenamed, kMoved };

struct TreeChange {
  ChangeKind kind = ChangeKind::kAdded;
  model::ItemId before = model::kNoItem;  // removed, renamed, moved
  model::ItemId after = model::kNoItem;   // added, renamed, moved
};

struct TreeDiff {
  std::vector<TreeChange> changes;  // removed and moved first, in tree order
  int64_t added = 0, removed = 0, renamed = 0, moved = 0;
  bool empty() const { return changes.empty(); }
};

// A moved item that was also renamed counts as moved.
TreeDiff DiffTrees(const model::Tree& before, const model::Tree& after);

}  // namespace history
}  // namespace marksafe

#endif  // MARKSAFE_HISTORY_TREE_DIFF_H_
