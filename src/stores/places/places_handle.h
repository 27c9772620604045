// The places handle: one places.sqlite and its connection, shared by the
// Firefox exports between init_bookmark and release_bookmark.
#ifndef MARKSAFE_STORES_PLACES_PLACES_HANDLE_H_
#define MARKSAFE_STORES_PLACES_PLACES_HANDLE_H_

#include <cstdint>
#include <string>

#include "base/error_codes.h"
#include "base/status.h"
#include "marksafe/marksafe.h"
#include "stores/places/places_copy.h"
#include "stores/places/sqlite/database.h"

namespace marksafe {
namespace firefox {

// The layout of the places tables, seen when the store is opened.
enum class PlacesSchema {
  kUnknown,  // no moz_places table (or the store could not be read)
  kOld,      // moz_places without url_hash or guid: written as it always was
  kToday,    // moz_places with url_hash and guid (Firefox 50 and later)
};

}  // namespace firefox
}  // namespace marksafe

// The public handle type (ms_places_handle points at it).
struct ms_places {
  std::u16string databasePath;
  // The private copy read instead of the store while the store has writes
  // pending beside it (declared before the connection, which is closed
  // first).
  marksafe::firefox::StoreCopy readCopy;
  // No connection when Firefox was running as the handle was built (its
  // process, its profile lock or a locked store), when the path was too
  // short, or when the file is no readable database.
  marksafe::SQLite::Database database;
  // False while the connection only reads (the store, or readCopy): the
  // first write opens the store itself for writing.
  bool writable = false;
  marksafe::firefox::PlacesSchema schema =
      marksafe::firefox::PlacesSchema::kUnknown;
  // PRAGMA user_version of the store (0 when unread).
  int64_t schemaVersion = 0;
  // PRAGMA quick_check, run once before the first write: 0 not yet run,
  // 1 the store is whole, -1 it is damaged (integrityProblem says how).
  int integrity = 0;
  std::string integrityProblem;
};

namespace marksafe {
namespace firefox {

// The file name appended to a profile folder.
extern const char16_t kPlacesFileName[];  // "\places.sqlite"

// True when the store has today's schema.
inline bool Today(const ms_places* handle) {
  return handle->schema == PlacesSchema::kToday;
}

// Builds a handle on path. Unless Firefox holds the store (FirefoxHoldsStore)
// or the path has 4 characters or fewer, opens the
// database for reading (a missing file is never created) and reads its
// schema. Reading changes no byte of the store or the files beside it: the
// store is opened read-only, or, when a -wal or journal beside it holds
// writes, a private copy of the store with them is read. A store that
// Firefox has locked is closed again, with a diagnostic. *status says why a
// handle has no connection when Firefox holds or has locked the store or
// the copy failed (kErrorSharingViolation or the copy's code).
ms_places* BuildPlacesHandle(const std::u16string& path, Status* status);

// Opens the handle's store itself for reading and writing, unless it is
// open so already (the transaction of the first write calls it). On the
// old schema synchronous writes and change counting are switched off; the
// journal mode is never changed, since an import must be able to roll
// back. Fails (a diagnostic, no connection left) when the store cannot be
// opened so or is locked.
Status MakePlacesWritable(ms_places* handle);

// True when Firefox holds the store: the profile folder holding
// database_path is in use (platform::FirefoxProfileInUse). A Firefox that
// runs on another profile does not count. Writes a diagnostic naming the
// file when it does.
bool FirefoxHoldsStore(const std::u16string& database_path);

// Whether an SQLite result code means that another program holds the file.
bool IsLockedCode(int rc);

// True when the handle's store passes PRAGMA quick_check (run once per
// handle; a handle without a connection passes, it is refused elsewhere).
// A damaged store is never written: kErrorFileCorrupt, a diagnostic line
// and a Problem in the current report naming the file and what the check
// found.
Status PlacesIntact(ms_places* handle);

// Closes the connection and frees the handle (null is ignored).
void DestroyPlacesHandle(ms_places* handle);

// True when the handle's connection reads the file as a database.
bool PlacesReadable(ms_places* handle);

// init_bookmark: places_file, or with null the default profile's
// places.sqlite. Null when the file is missing (last error as the existence
// test left it) or exists but is no database. *status holds the code the
// export leaves as last error (see BuildPlacesHandle; kErrorInvalidData for
// no database).
ms_places* InitBookmark(const char16_t* places_file, Status* status);

// release_bookmark: false for null.
bool ReleaseBookmark(ms_places* handle);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_HANDLE_H_
