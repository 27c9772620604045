// The places handle: one places.sqlite and its connection, shared by the
// Firefox exports between init_bookmark and release_bookmark.
#ifndef MARKSAFE_FIREFOX_PLACES_HANDLE_H_
#define MARKSAFE_FIREFOX_PLACES_HANDLE_H_

#include <cstdint>
#include <string>

#include "firefox/sqlite/database.h"
#include "marksafe/marksafe.h"

// The public handle type (ms_places_handle points at it).
struct ms_places {
  std::u16string databasePath;
  // No connection when Firefox was running as the handle was built, when
  // the path was too short, or when the file is no readable database.
  marksafe::SQLite::Database database;
};

namespace marksafe {
namespace firefox {

// The file name appended to a profile folder.
extern const char16_t kPlacesFileName[];  // "\places.sqlite"

// Builds a handle on path. Unless Firefox runs or the path has 4 characters
// or fewer, opens the database (a missing file is not created) and switches
// off synchronous writes, change counting and the journal.
ms_places* BuildPlacesHandle(const std::u16string& path);

// Closes the connection and frees the handle (null is ignored).
void DestroyPlacesHandle(ms_places* handle);

// True when the handle's connection reads the file as a database.
bool PlacesReadable(ms_places* handle);

// init_bookmark: places_file, or with null the default profile's
// places.sqlite. Null when the file is missing (last error as the existence
// test left it) or exists but is no database.
ms_places* InitBookmark(const char16_t* places_file);

// release_bookmark: false for null.
bool ReleaseBookmark(ms_places* handle);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_FIREFOX_PLACES_HANDLE_H_
