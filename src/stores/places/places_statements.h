// The fixed statements on moz_places and moz_bookmarks. Every operation runs
// on the handle's connection and keeps nothing between calls; a failed
// query reads as a query without rows.
#ifndef MARKSAFE_STORES_PLACES_PLACES_STATEMENTS_H_
#define MARKSAFE_STORES_PLACES_PLACES_STATEMENTS_H_

#include <cstdint>
#include <string>

#include "stores/places/places_handle.h"

namespace marksafe {
namespace firefox {

// The tables whose columns differ between the old and today's store.
enum class PlacesTable { kBookmarks, kKeywords };

// True when the table exists and has the column.
bool TableHasColumn(ms_places* handle, PlacesTable table,
                    const std::string& column);

// The id of the place with exactly this URL (on today's schema found
// through its url_hash); 0 when there is none.
int64_t FindPlaceByUrl(ms_places* handle, const std::u16string& url);

// Adds a place with the next id (max + 1); returns that id, 0 on failure.
// On today's schema the place also gets its url_hash, a new guid, its
// reversed host and a foreign_count of 0 (raised by InsertBookmark).
int64_t InsertURL(ms_places* handle, const std::u16string& url,
                  const std::u16string& title);

// One moz_bookmarks row to add.
struct BookmarkRow {
  int64_t type = 0;  // 1 link, 2 folder, 3 separator
  int64_t fk = 0;    // the place of a link; 0 is written as NULL
  int64_t parent = 0;
  int64_t position = 0;
  std::u16string title;
  int64_t date_added = 0;     // microseconds since 1970
  int64_t last_modified = 0;  // 0: date_added
};

// Adds a bookmark row with the next id. On today's schema the row also gets
// a new guid, and the place fk's foreign_count grows by one. Returns the
// new id, 0 on failure.
int64_t InsertBookmark(ms_places* handle, const BookmarkRow& row);

// Raises the foreign_count of a place by one on today's schema (a keyword
// or a bookmark now points at it). False when the update failed.
bool CountForeignUse(ms_places* handle, int64_t place);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_STATEMENTS_H_
