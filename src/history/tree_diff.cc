#include "history/tree_diff.h"

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/url_normalize.h"

namespace marksafe {
namespace history {
namespace {

using model::ItemId;
using model::ItemKind;
using model::Tree;

// What pairs an item when nothing closer does: its kind, for a link its
// address in stored form, the date it was added and, for a folder without
// one, its title. The texts are views into the trees or into the matcher's
// store of rewritten addresses, both of which outlive the key: a key built
// as one string copied every address, twice the trees' own text.
struct MatchKey {
  ItemKind kind;
  std::u16string_view url;
  int64_t date_added;
  std::u16string_view title;
  bool operator==(const MatchKey& other) const {
    return kind == other.kind && date_added == other.date_added &&
           url == other.url && title == other.title;
  }
};

struct MatchKeyHash {
  size_t operator()(const MatchKey& key) const {
    const std::hash<std::u16string_view> text;
    return ((text(key.url) * 31 + text(key.title)) * 31 +
            static_cast<size_t>(key.date_added)) *
               31 +
           static_cast<size_t>(key.kind);
  }
};

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

// Items in tree order, taken from the front: a list threaded through an
// array of next items, as most keys hold one item and a vector each would
// cost an allocation per item.
struct Queue {
  ItemId head = model::kNoItem;
  ItemId tail = model::kNoItem;
};

// What makes a pair the first choice: the match key, the title and, for
// links, the folder (kNoItem for folders).
struct Exact {
  MatchKey key;
  std::u16string_view title;
  ItemId parent;
  bool operator==(const Exact& other) const {
    return parent == other.parent && key == other.key && title == other.title;
  }
};

struct ExactHash {
  size_t operator()(const Exact& exact) const {
    return (MatchKeyHash()(exact.key) * 31 +
            std::hash<std::u16string_view>()(exact.title)) *
               31 +
           static_cast<size_t>(exact.parent);
  }
};

class Matcher {
 public:
  Matcher(const Tree& before, const Tree& after)
      : before_(before),
        after_(after),
        map_(before.size(), model::kNoItem),
        next_exact_(before.size(), model::kNoItem),
        next_key_(before.size(), model::kNoItem) {
    normalized_.reserve(before.size());
    for (model::Root root : model::kAllRoots) {
      if (before.root(root) != model::kNoItem) {
        map_[static_cast<size_t>(before.root(root))] = after.root(root);
      }
    }
  }

  // Pairs the items of one kind; folders come first, so that links can
  // compare their folders.
  void Pair(bool folders) {
    // key -> the before items not yet paired; one queue per (key, folder,
    // title) for the first choice and one per key for the rest.
    std::unordered_map<MatchKey, Queue, MatchKeyHash> by_key;
    std::unordered_map<Exact, Queue, ExactHash> exact;
    const std::vector<ItemId> old_items = ItemsOf(before_, folders);
    by_key.reserve(old_items.size());
    exact.reserve(old_items.size());
    for (ItemId id : old_items) {
      const model::Item& item = before_.at(id);
      const MatchKey key = KeyOf(item);
      Append(&by_key[key], &next_key_, id);
      Append(&exact[Exact{key, item.title,
                          folders ? model::kNoItem : Mapped(item.parent)}],
             &next_exact_, id);
    }
    std::vector<std::pair<ItemId, MatchKey>> unpaired;
    for (ItemId id : ItemsOf(after_, folders)) {
      const model::Item& item = after_.at(id);
      const MatchKey key = KeyOf(item);
      auto found = exact.find(
          Exact{key, item.title, folders ? model::kNoItem : item.parent});
      const ItemId old =
          found == exact.end() ? model::kNoItem
                               : TakeFree(&found->second, next_exact_);
      if (old == model::kNoItem) {
        unpaired.emplace_back(id, key);
      } else {
        map_[static_cast<size_t>(old)] = id;
      }
    }
    for (const auto& [id, key] : unpaired) {
      auto found = by_key.find(key);
      const ItemId old = found == by_key.end()
                             ? model::kNoItem
                             : TakeFree(&found->second, next_key_);
      if (old == model::kNoItem) {
        added_.push_back(id);
      } else {
        map_[static_cast<size_t>(old)] = id;
      }
    }
    for (ItemId id : old_items) {
      if (Mapped(id) == model::kNoItem) removed_.push_back(id);
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
  MatchKey KeyOf(const model::Item& item) {
    MatchKey key{item.kind, {}, item.date_added, {}};
    if (item.kind == ItemKind::kLink) {
      // Each address is normalised once: the two trees mostly hold the same
      // ones. Most are in standard form already; only those that
      // normalising rewrites are kept a second time.
      const auto [known, is_new] = normalized_.try_emplace(item.url);
      if (is_new) {
        std::u16string normalized;
        if (NormalizeUrl(item.url, &normalized) && normalized != item.url) {
          known->second = rewritten_.emplace_back(std::move(normalized));
        } else {
          known->second = item.url;
        }
      }
      key.url = known->second;
    } else if (item.date_added == 0) {
      key.title = item.title;
    }
    return key;
  }

  ItemId Mapped(ItemId old) const {
    return old == model::kNoItem ? model::kNoItem
                                 : map_[static_cast<size_t>(old)];
  }

  static void Append(Queue* queue, std::vector<ItemId>* next, ItemId id) {
    if (queue->tail == model::kNoItem) {
      queue->head = id;
    } else {
      (*next)[static_cast<size_t>(queue->tail)] = id;
    }
    queue->tail = id;
  }

  // The first item of queue not paired yet (taken off it).
  ItemId TakeFree(Queue* queue, const std::vector<ItemId>& next) {
    while (queue->head != model::kNoItem) {
      const ItemId id = queue->head;
      queue->head = next[static_cast<size_t>(id)];
      if (Mapped(id) == model::kNoItem) return id;
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
  std::vector<ItemId> map_;  // before -> after (kNoItem: not paired)
  // Per before item, the next item of its queue in exact and in by_key.
  std::vector<ItemId> next_exact_, next_key_;
  std::deque<std::u16string> rewritten_;     // addresses keys point into
  // Address as stored (in either tree) -> its form in keys.
  std::unordered_map<std::u16string_view, std::u16string_view> normalized_;
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
