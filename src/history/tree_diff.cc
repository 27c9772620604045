#include "history/tree_diff.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/text.h"
#include "base/url_normalize.h"

namespace marksafe {
namespace history {
namespace {

using model::ItemId;
using model::ItemKind;
using model::Tree;

std::u16string MatchKey(const model::Item& item) {
  std::u16string key(1, item.kind == ItemKind::kFolder ? u'f' : u'l');
  if (item.kind == ItemKind::kLink) key += NormalizedOrSelf(item.url) + u'\n';
  if (item.date_added != 0) {
    key += u'@' + NumberText(item.date_added);
  } else if (item.kind == ItemKind::kFolder) {
    key += u'#' + item.title;
  }
  return key;
}

// The items of tree of one kind (folders or links, roots left out), in tree
// order.
std::vector<ItemId> ItemsOf(const Tree& tree, bool folders) {
  std::vector<ItemId> ids;
  for (model::Root root : model::kAllRoots) {
    const ItemId top = tree.root(root);
    if (top == model::kNoItem) continue;
    tree.ForEachBelow(top, [&](ItemId id) {
      const ItemKind kind = tree.at(id).kind;
      if (kind == ItemKind::kSeparator) return;
      if ((kind == ItemKind::kFolder) == folders) ids.push_back(id);
    });
  }
  return ids;
}

// Items in tree order, taken from the front (most keys hold one item).
struct Queue {
  std::vector<ItemId> ids;
  size_t next = 0;
};

// What makes a pair the first choice: the match key, the title and, for
// links, the folder (kNoItem for folders). Points into the key map and the
// trees, which outlive it.
struct Exact {
  const std::u16string* key;
  const std::u16string* title;
  ItemId parent;
  bool operator==(const Exact& other) const {
    return parent == other.parent && *key == *other.key &&
           *title == *other.title;
  }
};

struct ExactHash {
  size_t operator()(const Exact& exact) const {
    const std::hash<std::u16string> text;
    return (text(*exact.key) * 31 + text(*exact.title)) * 31 +
           static_cast<size_t>(exact.parent);
  }
};

class Matcher {
 public:
  Matcher(const Tree& before, const Tree& after)
      : before_(before), after_(after) {
    for (model::Root root : model::kAllRoots) {
      if (before.root(root) != model::kNoItem) {
        map_[before.root(root)] = after.root(root);
      }
    }
  }

  // Pairs the items of one kind; folders come first, so that links can
  // compare their folders.
  void Pair(bool folders) {
    // key -> the before items not yet paired; one queue per (key, folder,
    // title) for the first choice and one per key for the rest.
    std::unordered_map<std::u16string, Queue> by_key;
    std::unordered_map<Exact, Queue, ExactHash> exact;
    const std::vector<ItemId> old_items = ItemsOf(before_, folders);
    for (ItemId id : old_items) {
      const model::Item& item = before_.at(id);
      const auto key = by_key.try_emplace(MatchKey(item)).first;
      key->second.ids.push_back(id);
      exact[Exact{&key->first, &item.title,
                  folders ? model::kNoItem : Mapped(item.parent)}]
          .ids.push_back(id);
    }
    std::vector<std::pair<ItemId, std::u16string>> unpaired;  // and its key
    for (ItemId id : ItemsOf(after_, folders)) {
      const model::Item& item = after_.at(id);
      std::u16string key = MatchKey(item);
      auto found = exact.find(
          Exact{&key, &item.title, folders ? model::kNoItem : item.parent});
      ItemId old = TakeFree(found == exact.end() ? nullptr : &found->second);
      if (old == model::kNoItem) {
        unpaired.emplace_back(id, std::move(key));
      } else {
        map_[old] = id;
      }
    }
    for (const auto& [id, key] : unpaired) {
      auto found = by_key.find(key);
      const ItemId old =
          TakeFree(found == by_key.end() ? nullptr : &found->second);
      if (old == model::kNoItem) {
        added_.push_back(id);
      } else {
        map_[old] = id;
      }
    }
    for (ItemId id : old_items) {
      if (map_.count(id) == 0) removed_.push_back(id);
    }
  }

  TreeDiff Result() {
    TreeDiff diff;
    for (ItemId id : removed_) {
      diff.changes.push_back({ChangeKind::kRemoved, id, model::kNoItem});
      ++diff.removed;
    }
    for (const auto& [old, now] : pairs_order()) {
      const model::Item& a = before_.at(old);
      const model::Item& b = after_.at(now);
      if (Mapped(a.parent) != b.parent) {
        diff.changes.push_back({ChangeKind::kMoved, old, now});
        ++diff.moved;
      } else if (a.title != b.title) {
        diff.changes.push_back({ChangeKind::kRenamed, old, now});
        ++diff.renamed;
      }
    }
    for (ItemId id : added_) {
      diff.changes.push_back({ChangeKind::kAdded, model::kNoItem, id});
      ++diff.added;
    }
    return diff;
  }

 private:
  ItemId Mapped(ItemId old) const {
    const auto found = map_.find(old);
    return found == map_.end() ? model::kNoItem : found->second;
  }

  // The first item of queue not paired yet (taken off it).
  ItemId TakeFree(Queue* queue) {
    while (queue != nullptr && queue->next < queue->ids.size()) {
      const ItemId id = queue->ids[queue->next++];
      if (map_.count(id) == 0) return id;
    }
    return model::kNoItem;
  }

  // The pairs (roots left out), in the before tree's order.
  std::vector<std::pair<ItemId, ItemId>> pairs_order() const {
    std::vector<std::pair<ItemId, ItemId>> pairs;
    for (bool folders : {true, false}) {
      for (ItemId id : ItemsOf(before_, folders)) {
        const ItemId now = Mapped(id);
        if (now != model::kNoItem) pairs.emplace_back(id, now);
      }
    }
    return pairs;
  }

  const Tree& before_;
  const Tree& after_;
  std::unordered_map<ItemId, ItemId> map_;  // before -> after
  std::vector<ItemId> added_, removed_;
};

}  // namespace

TreeDiff DiffTrees(const Tree& before, const Tree& after) {
  Matcher matcher(before, after);
  matcher.Pair(true);
  matcher.Pair(false);
  return matcher.Result();
}

}  // namespace history
}  // namespace marksafe
