#include "model/bookmark_tree.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "model/calendar.h"
#include "platform/platform.h"

namespace marksafe {
namespace model {
namespace {

const char* const kRootKeys[kRootCount] = {"menu", "toolbar", "other",
                                           "mobile"};

// Microseconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kChromeEpochOffset = 11644473600000000LL;
using history::kMicrosPerSecond;

}  // namespace

const char* RootKey(Root root) { return kRootKeys[static_cast<int>(root)]; }

bool RootFromKey(const std::string& key, Root* root) {
  for (Root candidate : kAllRoots) {
    if (key == RootKey(candidate)) {
      *root = candidate;
      return true;
    }
  }
  return false;
}

ItemId Tree::AddRoot(Root root, const std::u16string& title) {
  ItemId& slot = roots_[static_cast<int>(root)];
  if (slot != kNoItem) return slot;
  Item item;
  item.kind = ItemKind::kFolder;
  item.title = title;
  items_.push_back(std::move(item));
  slot = static_cast<ItemId>(items_.size() - 1);
  return slot;
}

ItemId Tree::Add(ItemId parent, Item item) {
  if (parent < 0 || static_cast<size_t>(parent) >= items_.size()) {
    return kNoItem;
  }
  if (items_[parent].kind != ItemKind::kFolder) return kNoItem;
  const int depth = items_[parent].depth + 1;
  if (depth > kMaxDepth) return kNoItem;
  if (items_.size() >= static_cast<size_t>(std::numeric_limits<ItemId>::max())) {
    return kNoItem;
  }
  item.parent = parent;
  item.depth = depth;
  item.children.clear();
  items_.push_back(std::move(item));
  const ItemId id = static_cast<ItemId>(items_.size() - 1);
  items_[parent].children.push_back(id);
  return id;
}

void Tree::DropLast(ItemId id) {
  if (id < 0 || static_cast<size_t>(id) >= items_.size()) return;
  const ItemId parent = items_[id].parent;
  if (parent == kNoItem || items_[parent].children.empty() ||
      items_[parent].children.back() != id) {
    return;
  }
  for (ItemId root : roots_) {
    if (root >= id) return;
  }
  items_[parent].children.pop_back();
  items_.erase(items_.begin() + id, items_.end());
}

Root Tree::RootOf(ItemId id) const {
  ItemId top = id;
  while (top != kNoItem && at(top).parent != kNoItem) top = at(top).parent;
  for (Root root : kAllRoots) {
    if (roots_[static_cast<int>(root)] == top) return root;
  }
  return Root::kMenu;
}

std::u16string Tree::PathOf(ItemId id) const {
  std::vector<ItemId> chain;
  for (ItemId at_id = id; at_id != kNoItem; at_id = at(at_id).parent) {
    chain.push_back(at_id);
  }
  std::u16string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += u'/';
    const Item& item = at(*it);
    if (item.kind == ItemKind::kSeparator) {
      path += u"(separator)";
    } else {
      path += item.title;
    }
  }
  return path;
}

void CountItem(ItemKind kind, Counts* counts) {
  switch (kind) {
    case ItemKind::kFolder:
      ++counts->folders;
      break;
    case ItemKind::kLink:
      ++counts->links;
      break;
    case ItemKind::kSeparator:
      ++counts->separators;
      break;
  }
}

Counts CountBelow(const Tree& tree, ItemId folder) {
  Counts counts;
  if (folder == kNoItem) return counts;
  tree.ForEachBelow(folder,
                    [&](ItemId id) { CountItem(tree.at(id).kind, &counts); });
  return counts;
}

Counts UserCounts(const Tree& tree) {
  Counts counts;
  for (Root root : kAllRoots) counts += CountBelow(tree, tree.root(root));
  return counts;
}

void AddHostCounts(const Tree& tree, bool with_roots, int32_t* folders,
                   int32_t* links) {
  Counts counts = UserCounts(tree);
  for (Root root : kAllRoots) {
    if (with_roots && tree.root(root) != kNoItem) ++counts.folders;
  }
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  *folders =
      static_cast<int32_t>(std::min<int64_t>(kMax, *folders + counts.folders));
  *links = static_cast<int32_t>(std::min<int64_t>(kMax, *links + counts.links));
}

const char* KindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::kFolder:
      return "folder";
    case ItemKind::kLink:
      return "link";
    case ItemKind::kSeparator:
      return "separator";
  }
  return "folder";
}

bool KindFromName(const std::string& name, ItemKind* kind) {
  if (name == "folder") {
    *kind = ItemKind::kFolder;
  } else if (name == "link") {
    *kind = ItemKind::kLink;
  } else if (name == "separator") {
    *kind = ItemKind::kSeparator;
  } else {
    return false;
  }
  return true;
}

Time Now() { return platform::NowMicros(); }

Time FromChromeTime(int64_t chrome_time) {
  if (chrome_time <= 0) return 0;
  // Before 1970 (a date Chrome never writes) reads as unknown.
  if (chrome_time <= kChromeEpochOffset) return 0;
  return chrome_time - kChromeEpochOffset;
}

int64_t ToChromeTime(Time time) {
  if (time <= 0) return 0;
  if (time > std::numeric_limits<int64_t>::max() - kChromeEpochOffset) {
    return std::numeric_limits<int64_t>::max();
  }
  return time + kChromeEpochOffset;
}

Time FromSeconds(int64_t seconds) {
  if (seconds <= 0) return 0;
  if (seconds > std::numeric_limits<int64_t>::max() / kMicrosPerSecond) {
    return std::numeric_limits<int64_t>::max();
  }
  return seconds * kMicrosPerSecond;
}

int64_t ToSeconds(Time time) { return time <= 0 ? 0 : time / kMicrosPerSecond; }

}  // namespace model
}  // namespace marksafe
