#include "history/tree_diff.h"

#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "history/flat_table.h"
#include "model/url_normalize.h"

namespace marksafe {
namespace history {
namespace {

using model::ItemId;
using model::ItemKind;
using model::Tree;

// What pairs an item when nothing closer does: its kind, for a link its
// address in stored form, the date it was added and, for a folder without
// one, its title. Kept small, as there is one per item: the item itself,
// and the address in stored form (in the trees or in the matcher's store of
// rewritten addresses, both of which outlive the key).
struct MatchKey {
  const model::Item* item = nullptr;
  const std::u16string* url = nullptr;  // links only
  size_t hash = 0;                      // of all the key holds
  bool operator==(const MatchKey& other) const {
    if (hash != other.hash || item->kind != other.item->kind ||
        item->date_added != other.item->date_added) {
      return false;
    }
    if (item->kind == ItemKind::kLink) return *url == *other.url;
    return item->date_added != 0 || item->title == other.item->title;
  }
};

size_t HashText(std::u16string_view text) {
  return std::hash<std::u16string_view>()(text);
}

size_t Combine(size_t seed, size_t value) {
  return seed ^ (value + 0x9E3779B97F4A7C15u + (seed << 6) + (seed >> 2));
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

// Before items in tree order, taken from the front: a list threaded through
// an array of next items, as most keys hold one item and a vector each
// would cost an allocation per item. first is the item the queue was made
// for, whose key it holds.
struct Queue {
  ItemId first = model::kNoItem;
  ItemId head = model::kNoItem;
  ItemId tail = model::kNoItem;
};

// A stored address and its form in keys.
struct Normalized {
  const std::u16string* url = nullptr;
  const std::u16string* key = nullptr;
  size_t key_hash = 0;
};

class Matcher {
 public:
  Matcher(const Tree& before, const Tree& after)
      : before_(before),
        after_(after),
        map_(before.size(), model::kNoItem),
        keys_(before.size()),
        next_exact_(before.size(), model::kNoItem),
        next_key_(before.size(), model::kNoItem),
        normalized_(before.size()) {
    for (model::Root root : model::kAllRoots) {
      if (before.root(root) != model::kNoItem) {
        map_[Index(before.root(root))] = after.root(root);
      }
    }
  }

  // Pairs the items of one kind; folders come first, so that links can
  // compare their folders. Each key has a queue of the before items not
  // yet paired, and so has each (key, title, folder) for the first choice.
  void Pair(bool folders) {
    const auto same_key = [this](const MatchKey& key) {
      return [this, &key](const Queue& queue) {
        return keys_[Index(queue.first)] == key;
      };
    };
    // The parent of a link is its folder in the after tree; kNoItem for
    // folders.
    const auto same_exact = [this](const MatchKey& key,
                                   std::u16string_view title, ItemId parent) {
      return [this, &key, title, parent](const Queue& queue) {
        const model::Item& first = before_.at(queue.first);
        const ItemId first_parent = first.kind == ItemKind::kFolder
                                        ? model::kNoItem
                                        : Mapped(first.parent);
        return first_parent == parent && keys_[Index(queue.first)] == key &&
               first.title == title;
      };
    };
    const std::vector<ItemId> old_items = ItemsOf(before_, folders);
    FlatTable<Queue> by_key(old_items.size()), exact(old_items.size());
    bool added = false;
    for (ItemId id : old_items) {
      const model::Item& item = before_.at(id);
      const MatchKey& key = keys_[Index(id)] = KeyOf(item);
      const ItemId parent = folders ? model::kNoItem : Mapped(item.parent);
      Append(by_key.FindOrAdd(key.hash, same_key(key), &added), &next_key_, id);
      Append(exact.FindOrAdd(ExactHash(key, item.title, parent),
                             same_exact(key, item.title, parent), &added),
             &next_exact_, id);
    }
    std::vector<std::pair<ItemId, MatchKey>> unpaired;
    for (ItemId id : ItemsOf(after_, folders)) {
      const model::Item& item = after_.at(id);
      const MatchKey key = KeyOf(item);
      const ItemId parent = folders ? model::kNoItem : item.parent;
      const ItemId old =
          TakeFree(exact.Find(ExactHash(key, item.title, parent),
                              same_exact(key, item.title, parent)),
                   next_exact_);
      if (old == model::kNoItem) {
        unpaired.emplace_back(id, key);
      } else {
        map_[Index(old)] = id;
      }
    }
    for (const auto& [id, key] : unpaired) {
      const ItemId old =
          TakeFree(by_key.Find(key.hash, same_key(key)), next_key_);
      if (old == model::kNoItem) {
        added_.push_back(id);
      } else {
        map_[Index(old)] = id;
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
  static size_t Index(ItemId id) { return static_cast<size_t>(id); }

  MatchKey KeyOf(const model::Item& item) {
    MatchKey key{&item};
    size_t text_hash = 0;
    if (item.kind == ItemKind::kLink) {
      // Each address is normalised once: the two trees mostly hold the same
      // ones. Most are in standard form already; only those that
      // normalising rewrites are kept a second time.
      bool added = false;
      Normalized* known = normalized_.FindOrAdd(
          HashText(item.url),
          [&](const Normalized& n) { return *n.url == item.url; }, &added);
      if (added) {
        known->url = &item.url;
        std::u16string normalized;
        if (NormalizeUrl(item.url, &normalized) && normalized != item.url) {
          known->key = &rewritten_.emplace_back(std::move(normalized));
        } else {
          known->key = &item.url;
        }
        known->key_hash = HashText(*known->key);
      }
      key.url = known->key;
      text_hash = known->key_hash;
    } else if (item.date_added == 0) {
      text_hash = HashText(item.title);
    }
    key.hash = Combine(Combine(text_hash, static_cast<size_t>(item.date_added)),
                       static_cast<size_t>(item.kind));
    return key;
  }

  static size_t ExactHash(const MatchKey& key, std::u16string_view title,
                          ItemId parent) {
    return Combine(Combine(key.hash, HashText(title)),
                   static_cast<size_t>(parent));
  }

  ItemId Mapped(ItemId old) const {
    return old == model::kNoItem ? model::kNoItem : map_[Index(old)];
  }

  static void Append(Queue* queue, std::vector<ItemId>* next, ItemId id) {
    if (queue->tail == model::kNoItem) {
      queue->first = queue->head = id;
    } else {
      (*next)[Index(queue->tail)] = id;
    }
    queue->tail = id;
  }

  // The first item of queue (none when null) not paired yet, taken off it.
  ItemId TakeFree(Queue* queue, const std::vector<ItemId>& next) {
    while (queue != nullptr && queue->head != model::kNoItem) {
      const ItemId id = queue->head;
      queue->head = next[Index(id)];
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
  std::vector<MatchKey> keys_;  // of the before items
  // Per before item, the next item of its queue in exact and in by_key.
  std::vector<ItemId> next_exact_, next_key_;
  std::deque<std::u16string> rewritten_;  // addresses keys point into
  FlatTable<Normalized> normalized_;      // by the stored address
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
