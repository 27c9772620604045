// Reading a whole places store into the bookmark tree: the menu, toolbar,
// unsorted and mobile roots with every folder, link and separator in
// position order, exact titles, dates, tags and keywords.
#ifndef MARKSAFE_STORES_PLACES_PLACES_READER_H_
#define MARKSAFE_STORES_PLACES_PLACES_READER_H_

#include <cstdint>
#include <string>

#include "base/status.h"
#include "model/bookmark_tree.h"
#include "stores/places/places_handle.h"

namespace marksafe {
namespace firefox {

// The places ids of the fixed folders.
constexpr int64_t kPlacesRoot = 1;
constexpr int64_t kMenuId = 2;
constexpr int64_t kToolbarId = 3;
constexpr int64_t kTagsId = 4;
constexpr int64_t kUnfiledId = 5;
constexpr int64_t kMobileId = 6;

// moz_bookmarks.type values.
constexpr int64_t kTypeLinkValue = 1;
constexpr int64_t kTypeFolderValue = 2;
constexpr int64_t kTypeSeparatorValue = 3;

// The places id of a root (menu 2, toolbar 3, unfiled 5, mobile 6).
int64_t PlacesIdOf(model::Root root);

// The title the tree gives a root ("Bookmarks Menu", "Bookmarks Toolbar",
// "Unsorted Bookmarks", "Mobile Bookmarks").
std::u16string PlacesRootTitle(model::Root root);

// Reads every root the store has into tree (which should be empty). Each
// item's store_id is its moz_bookmarks id. Children are found by their
// parent id and ordered by position; rows no root reaches (orphans, or
// folders that form a cycle in a damaged store) are left out. Fails without
// a connection, when the tables cannot be read, or when folders nest deeper
// than model::kMaxDepth.
[[nodiscard]] Status ReadPlaces(ms_places* handle, model::Tree* tree);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_READER_H_
