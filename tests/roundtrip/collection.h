// One realistic collection of bookmarks, written into the stores that
// today's browsers make (a places.sqlite of a fresh Firefox profile with
// rows added, Chromium's Bookmarks file with nodes added, a Favorites folder
// of .url files), and read back through the library's own readers into
// lists that can be compared item by item.
#ifndef MARKSAFE_TESTS_ROUNDTRIP_COLLECTION_H_
#define MARKSAFE_TESTS_ROUNDTRIP_COLLECTION_H_

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "model/bookmark_tree.h"
#include "model/merge.h"

namespace marksafe {
namespace test {

// Items the collection adds get store ids from here on; lower ids are the
// browsers' own default bookmarks.
constexpr int64_t kFirstCollectionId = 100;

// Every case in one tree with Firefox's four roots: nested folders, two
// links with one title, untitled links, a 300-byte title and one of 90 CJK
// characters, titles with / : ? * | < > " \ and outer blanks, a folder
// titled "..", a bookmarklet, a file: link, a place: query, a folder in a
// non-alphabetical order, separators, tags, a keyword, two sibling folders
// with one title, and distinct dates on everything.
model::Tree FirefoxCollection();
// What of it a Chrome file can hold: no separators, place: queries, tags,
// keywords or link modification dates; Chrome has no menu, so the menu's
// items open "other".
model::Tree ChromeCollection();

// A tree with Firefox's four roots and `links` links whose URLs start with
// prefix, spread over folders of 50 (for the stores of the fault tests).
model::Tree LinkTree(const std::string& prefix, int links);
// How often each URL occurs below the roots of tree; whether every URL of
// part occurs in whole at least as often.
std::map<std::string, int> UrlCounts(const model::Tree& tree);
bool Holds(const std::map<std::string, int>& whole,
           const std::map<std::string, int>& part);

// A fresh Firefox store (tests/data/firefox/places-today.sql) with the
// tree's items after the default ones.
void WritePlacesStore(const model::Tree& tree, const std::string& path);
// Chromium's fresh Bookmarks file (tests/data/chrome/bookmarks-today.json)
// with the tree's items after the default one, checksum updated.
void WriteChromeStore(const model::Tree& tree, const std::string& path);

// The stores as the library reads them (a failed read fails the test).
model::Tree ReadPlacesStore(const std::string& path);
model::Tree ReadChromeStore(const std::string& path);

// A Chrome file (chrome) or a places store at store holding tree, backed up
// into the backup set at root (made when missing).
void BackUpNewStore(const model::Tree& tree, bool chrome,
                    const std::string& store, const std::string& root);
// restore_chrome or restore_firefox_pro of the set at root into store.
bool RestoreSet(bool chrome, const std::string& store, const std::string& root);

// One item as a round trip must keep it.
struct Entry {
  std::string path;  // root or start folder, then every folder title, " ▸ "
  char kind = 'L';   // 'F' folder, 'L' link, 'S' separator
  std::string url;
  model::Time added = 0, modified = 0;  // 0 in an expectation: any date
  std::string tags, keyword;
};
bool operator==(const Entry& expected, const Entry& actual);
std::ostream& operator<<(std::ostream& out, const Entry& entry);

// Which items to list and what of them a target keeps.
struct Filter {
  model::Capabilities keep;      // what the target can hold
  bool link_modified = true;     // the target keeps a link's modification date
  bool only_collection = false;  // leave out the browsers' default items
};

// Every item below folder, parents first, siblings in order; each path
// starts with label.
std::vector<Entry> ListBelow(const model::Tree& tree, model::ItemId folder,
                             const std::string& label, const Filter& filter);
// ListBelow of every root, labelled with its key ("menu", "toolbar", ...).
std::vector<Entry> ListRoots(const model::Tree& tree, const Filter& filter);

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_ROUNDTRIP_COLLECTION_H_
