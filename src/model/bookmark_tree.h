// The bookmark tree: the one model every store is read into and written
// from. Places, the Chrome file, the .url folders of a backup set and the
// Favorites folder each have a reader that fills a Tree and a writer that
// drains one; naming, depth limits, merging and counting are written once,
// here and beside it.
//
// Items live in one flat vector and refer to each other by index, so that
// no walk over user data needs recursion: ForEach walks with an explicit
// stack, and a tree deeper than kMaxDepth cannot be built.
#ifndef MARKSAFE_MODEL_BOOKMARK_TREE_H_
#define MARKSAFE_MODEL_BOOKMARK_TREE_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/rare_text.h"

namespace marksafe {
namespace model {

enum class ItemKind : uint8_t { kFolder, kLink, kSeparator };

// "folder", "link" or "separator", as the manifests and journals write a
// kind; KindFromName reads one back (false for any other name).
const char* KindName(ItemKind kind);
bool KindFromName(const std::string& name, ItemKind* kind);

// The top folders a browser keeps. Firefox: menu (places id 2), toolbar (3),
// unfiled (5, "Other Bookmarks"), mobile (6). Chrome: bookmark_bar ->
// kToolbar, other -> kOther, synced -> kMobile; Chrome has no menu.
enum class Root : uint8_t { kMenu, kToolbar, kOther, kMobile };
constexpr int kRootCount = 4;
constexpr std::array<Root, kRootCount> kAllRoots = {
    Root::kMenu, Root::kToolbar, Root::kOther, Root::kMobile};

// "menu", "toolbar", "other", "mobile": the root's name in manifests and
// reports.
const char* RootKey(Root root);
// The root named key; false when key names none.
bool RootFromKey(const std::string& key, Root* root);

using ItemId = int32_t;
constexpr ItemId kNoItem = -1;

// Folders may nest this many levels below a root; a reader that meets a
// deeper tree refuses it (Tree::Add returns kNoItem).
constexpr int kMaxDepth = 1000;

// Times are microseconds since 1970-01-01 UTC; 0 means unknown.
using Time = int64_t;

struct Item {
  ItemKind kind = ItemKind::kFolder;
  // Set by Merge: the item is new in the target and a writer must create
  // it. (Beside the kind, where it takes no room of its own.)
  bool added = false;
  std::u16string title;  // exactly as the source keeps it
  std::u16string url;    // links: the address as the source stores it
  Time date_added = 0;
  Time last_modified = 0;
  std::vector<std::u16string> tags;  // links: Firefox tags
  RareText keyword;                  // links: Firefox keyword
  RareText post_data;                // links: what the keyword POSTs

  // Kept by the tree.
  ItemId parent = kNoItem;
  int depth = 0;                // a root is 0, its children 1, ...
  std::vector<ItemId> children;  // folders: in order

  // Bookkeeping of readers and writers:
  // the item's id in the store it was read from or has been written to
  // (places id, Chrome node id); 0 when it has none.
  int64_t store_id = 0;
  // The name the item has on disk (file or folder name in a .url tree);
  // empty when it came from elsewhere.
  RareText file_name;
  // Links read from a .url file as it stands (no manifest record): that
  // file's path, so that a copy into a folder of .url files takes its bytes
  // (keys such as IconFile or HotKey included) rather than writing anew.
  RareText source_file;
};

class Tree {
 public:
  Tree() { roots_.fill(kNoItem); }

  // The root folder, or kNoItem when the tree has none.
  ItemId root(Root root) const { return roots_[static_cast<int>(root)]; }
  // The root folder, made (with title) when missing.
  ItemId AddRoot(Root root, const std::u16string& title);

  // Appends item as the last child of folder `parent` and returns its id;
  // kNoItem when parent is no folder or the item would lie deeper than
  // kMaxDepth. parent, depth and children of item are set here.
  [[nodiscard]] ItemId Add(ItemId parent, Item item);

  // Takes back item id, which must be the last item added below its
  // folder, with everything added after it (all of it below id): for a
  // reader that added a folder before it knew the item was none. Does
  // nothing when id is not its folder's last child.
  void DropLast(ItemId id);

  const Item& at(ItemId id) const { return items_[static_cast<size_t>(id)]; }
  Item& at(ItemId id) { return items_[static_cast<size_t>(id)]; }
  size_t size() const { return items_.size(); }
  void Reserve(size_t n) { items_.reserve(n); }
  size_t capacity() const { return items_.capacity(); }

  // The root the item lies in (kMenu for an item outside every root).
  Root RootOf(ItemId id) const;

  // The folder titles from the root down to the item, joined with "/",
  // the item's own title last ("Bookmarks Toolbar/News/Example"): how
  // reports name an item.
  std::u16string PathOf(ItemId id) const;

  // Calls visit(id) for every item below folder (not folder itself), parents
  // before their children, siblings in order. Iterative.
  template <typename Visit>
  void ForEachBelow(ItemId folder, Visit visit) const {
    std::vector<std::pair<ItemId, size_t>> stack;
    stack.emplace_back(folder, 0);
    while (!stack.empty()) {
      auto& top = stack.back();
      const Item& parent = at(top.first);
      if (top.second >= parent.children.size()) {
        stack.pop_back();
        continue;
      }
      const ItemId child = parent.children[top.second++];
      visit(child);
      if (at(child).kind == ItemKind::kFolder) stack.emplace_back(child, 0);
    }
  }

 private:
  std::vector<Item> items_;
  std::array<ItemId, kRootCount> roots_;
};

// What a part of a tree holds.
struct Counts {
  int64_t links = 0;
  int64_t folders = 0;
  int64_t separators = 0;

  Counts& operator+=(const Counts& other) {
    links += other.links;
    folders += other.folders;
    separators += other.separators;
    return *this;
  }
  bool operator==(const Counts& other) const {
    return links == other.links && folders == other.folders &&
           separators == other.separators;
  }
  bool operator!=(const Counts& other) const { return !(*this == other); }
  int64_t total() const { return links + folders + separators; }
};

// Adds one item of this kind to counts.
void CountItem(ItemKind kind, Counts* counts);

// Everything below folder (the folder itself not counted).
Counts CountBelow(const Tree& tree, ItemId folder);

// What the user keeps in tree: everything below its roots, the roots
// themselves left out (a Chrome file's three roots, a part's root folders,
// Firefox's menu, toolbar, unsorted and mobile roots, a .url folder read as
// the menu root). The one way the command line, the reports and the
// history count a store or a backup, whatever its kind; only the size
// exports keep their own figures for the hosts (a Chrome count there
// includes the roots).
Counts UserCounts(const Tree& tree);

// The size exports' figures: UserCounts, plus the roots the tree has when
// with_roots (a Chrome count), added to *folders and *links and held
// within the hosts' 32-bit counters.
void AddHostCounts(const Tree& tree, bool with_roots, int32_t* folders,
                   int32_t* links);

// The current time in the model's unit.
Time Now();

// Conversions at the stores' edges (0 stays 0 both ways).
// Chrome: microseconds since 1601-01-01 UTC.
Time FromChromeTime(int64_t chrome_time);
int64_t ToChromeTime(Time time);
// Bookmark HTML: seconds since 1970.
Time FromSeconds(int64_t seconds);
int64_t ToSeconds(Time time);

}  // namespace model
}  // namespace marksafe

#endif  // MARKSAFE_MODEL_BOOKMARK_TREE_H_
