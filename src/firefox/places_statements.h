// The fixed statements on moz_places and moz_bookmarks. Every operation runs
// on the handle's connection and keeps nothing between calls; a failed
// query reads as a query without rows.
#ifndef MARKSAFE_FIREFOX_PLACES_STATEMENTS_H_
#define MARKSAFE_FIREFOX_PLACES_STATEMENTS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "firefox/places_handle.h"

namespace marksafe {
namespace firefox {

// moz_bookmarks types and the fixed folders.
extern const char16_t kTypeLink[];    // "1"
extern const char16_t kTypeFolder[];  // "2"
constexpr int64_t kMenuRoot = 2;
constexpr int64_t kUnsortedRoot = 5;

// A folder row: id, parent and title as text (NULL reads as "").
struct FolderRecord {
  std::u16string id;
  std::u16string parent;
  std::u16string title;
};

// A link: the place's URL and the bookmark's title.
struct UrlEntry {
  std::u16string url;
  std::u16string title;
};

// The id of the place with exactly this URL (on today's schema found
// through its url_hash); 0 when there is none.
int64_t FindPlaceByUrl(ms_places* handle, const std::u16string& url);

// True when a bookmark points at a place with this URL and, unless parent is
// empty, lies directly in folder parent.
bool BookmarkExists(ms_places* handle, const std::u16string& url,
                    const std::u16string& parent);

// Adds a place with the next id (max + 1); returns that id, 0 on failure.
// On today's schema the place also gets its url_hash, a new guid, its
// reversed host and a foreign_count of 0 (raised by InsertBookmarks).
int64_t InsertURL(ms_places* handle, const std::u16string& url,
                  const std::u16string& title);

// Adds a bookmark row with the next id at position (-1: the next free
// position of parent, 0 in an empty folder); fk 0 is written as NULL.
// On today's schema the row also gets a new guid and lastModified = date
// added, and the place fk's foreign_count grows by one. Returns the new id,
// 0 on failure.
int64_t InsertBookmarks(ms_places* handle, const std::u16string& type,
                        int64_t fk, int64_t parent, const std::u16string& title,
                        const std::u16string& date_added,
                        int64_t position = -1);

// Appends the sub-folders of folder (null: the roots 2 and 5) to out. The
// folder is first looked up again by its title and parent. False when a
// query failed (out then holds what was found before).
bool ListChildFolders(ms_places* handle, const FolderRecord* folder,
                      std::vector<FolderRecord>* out);

// Appends the http, https and ftp links lying directly in folder to out
// (nothing for null). False when the query failed.
bool ListChildUrls(ms_places* handle, const FolderRecord* folder,
                   std::vector<UrlEntry>* out);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_FIREFOX_PLACES_STATEMENTS_H_
