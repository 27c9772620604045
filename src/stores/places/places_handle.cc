#include "stores/places/places_handle.h"

#include <sqlite3.h>

#include <memory>
#include <new>

#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "context/store_lock.h"
#include "model/report.h"
#include "platform/debug_log.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "profiles/locators.h"

namespace marksafe {
namespace firefox {

const char16_t kPlacesFileName[] = u"\\places.sqlite";

namespace {

// A path of this many characters or fewer is never opened.
constexpr size_t kShortestOpenablePath = 4;

// The folder holding path (path without its last component).
std::u16string FolderOf(const std::u16string& path) {
  size_t cut = path.find_last_of(u"\\/");
  return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut);
}

// Reads the schema of the open store. Returns SQLite's result code of the
// first failing read (0 when all went well).
int ReadSchema(ms_places* handle) {
  SQLite::Database& db = handle->database;
  int rc = db.ForEachRow("PRAGMA user_version", {},
                         [&](const SQLite::Statement& row) {
                           handle->schemaVersion = row.Integer(0);
                         });
  if (rc != SQLITE_OK) return rc;
  bool has_table = false;
  bool has_url_hash = false;
  bool has_guid = false;
  rc = db.ForEachRow("PRAGMA table_info(moz_places)", {},
                     [&](const SQLite::Statement& row) {
                       has_table = true;
                       const std::string name = row.Utf8(1);
                       if (name == "url_hash") has_url_hash = true;
                       if (name == "guid") has_guid = true;
                     });
  if (rc != SQLITE_OK) return rc;
  if (!has_table) {
    handle->schema = PlacesSchema::kUnknown;
  } else if (has_url_hash && has_guid) {
    handle->schema = PlacesSchema::kToday;
  } else {
    handle->schema = PlacesSchema::kOld;
  }
  return SQLITE_OK;
}

}  // namespace

bool IsLockedCode(int rc) {
  return (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED;
}

namespace {

// Whether folder holds a Firefox profile's lock file: then the lock alone
// says whether the store is in use.
bool HasProfileLock(const std::u16string& folder) {
  if (folder.empty()) return false;
  for (const char16_t* name : {u".parentlock", u"parent.lock", u"lock"}) {
    std::u16string path;
    if (platform::ChildPath(folder, name, &path) &&
        platform::PathExists(path)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool FirefoxHoldsStore(const std::u16string& database_path) {
  // Only the store's own profile counts: a Firefox open on another
  // profile does not touch this file. A store with no profile around it
  // is held by any program that has it open.
  const std::u16string folder = FolderOf(database_path);
  const bool by_profile =
      !folder.empty() && platform::FirefoxProfileInUse(folder);
  if (!by_profile &&
      (HasProfileLock(folder) || !StoreHeldOpen(database_path))) {
    return false;
  }
  DebugLog(
      u"[FirefoxBookmark].%s is held by %s: nothing is written while it "
      u"runs\n",
      database_path.c_str(),
      by_profile ? u"the Firefox of its profile" : u"another program");
  return true;
}

namespace {

// Reads the schema of the freshly opened connection and sets this
// connection's own settings. Fails (the connection closed, a diagnostic)
// with kErrorSharingViolation when Firefox has the store locked.
Status PrepareConnection(ms_places* handle) {
  SQLite::Database& db = handle->database;
  const int rc = ReadSchema(handle);
  if (IsLockedCode(rc)) {
    DebugLog(
        u"[FirefoxBookmark].%s is locked: Firefox is running, nothing "
        u"is written\n",
        handle->databasePath.c_str());
    db.Close();
    handle->readCopy.Remove();
    return Status::Error(kErrorSharingViolation,
                         handle->databasePath + u" is locked");
  }
  // A page cache large enough for the indexes that an import of many links
  // touches at random (guids, hashes); it is this connection's own memory
  // and changes nothing in the file.
  db.Execute(u"PRAGMA cache_size = -65536;");
  if (handle->writable && handle->schema == PlacesSchema::kOld) {
    // The store of an old Firefox: its connection settings, but the journal
    // stays on so that a failed import rolls back whole.
    db.Execute(u"PRAGMA synchronous = OFF;");
    db.Execute(u"PRAGMA count_changes = 0;");
  }
  return Status::Ok();
}

}  // namespace

ms_places* BuildPlacesHandle(const std::u16string& path, Status* status) {
  std::unique_ptr<ms_places> handle(new (std::nothrow) ms_places);
  if (!handle) return nullptr;
  handle->databasePath = path;
  if (path.size() <= kShortestOpenablePath) return handle.release();
  if (FirefoxHoldsStore(path)) {
    *status = Status::Error(kErrorSharingViolation, path + u" is held");
    return handle.release();
  }
  // The user's places.sqlite belongs to Firefox: never create one, and
  // never change it only to read it.
  SQLite::Database& db = handle->database;
  if (HasPendingWrites(path) && platform::PathExists(path)) {
    *status = handle->readCopy.Make(path);
    if (!status->ok()) {
      DebugLog(u"[FirefoxBookmark].%s\n", status->message().c_str());
      return handle.release();  // no connection: nothing is read
    }
    // The copy is the program's own: SQLite replays the writes into it.
    db.Open(handle->readCopy.store().c_str(),
            SQLite::Database::OpenMode::kExistingOnly);
  } else {
    db.Open(path.c_str(), SQLite::Database::OpenMode::kReadOnlyUnchanging);
  }
  *status = PrepareConnection(handle.get());
  return handle.release();
}

Status MakePlacesWritable(ms_places* handle) {
  if (handle->writable && handle->database.HasConnection()) {
    return Status::Ok();
  }
  SQLite::Database& db = handle->database;
  db.Close();
  handle->readCopy.Remove();
  handle->writable = true;
  const int rc = db.Open(handle->databasePath.c_str(),
                         SQLite::Database::OpenMode::kExistingOnly);
  if (rc != 0) {
    DebugLog(u"[FirefoxBookmark].Cannot open %s for writing: %ld\n",
             handle->databasePath.c_str(), static_cast<long>(rc));
    db.Close();
    return Status::Error(
        IsLockedCode(rc) ? kErrorSharingViolation : kErrorOpenFailed,
        u"cannot open " + handle->databasePath + u" for writing");
  }
  return PrepareConnection(handle);
}

Status PlacesIntact(ms_places* handle) {
  if (handle == nullptr || !handle->database.HasConnection()) {
    return Status::Ok();
  }
  if (handle->integrity == 0) {
    std::string found;
    int rows = 0;
    const int rc = handle->database.ForEachRow(
        "PRAGMA quick_check(20)", {}, [&](const SQLite::Statement& row) {
          if (rows++ > 0) found += "; ";
          found += row.Utf8(0);
        });
    if (rc != SQLITE_OK) {
      // A locked store is no damaged one: the write is refused for that.
      if (IsLockedCode(rc)) return Status::Ok();
      found = "the check could not run (SQLite error " + std::to_string(rc) +
              ")";
    }
    handle->integrity = found == "ok" ? 1 : -1;
    handle->integrityProblem = found;
  }
  if (handle->integrity > 0) return Status::Ok();
  DebugLog(u"[FirefoxBookmark].%s is damaged (%s): nothing is written\n",
           handle->databasePath.c_str(),
           platform::FromUtf8(handle->integrityProblem).c_str());
  context::Current().report().AddProblem(
      DisplayPath(handle->databasePath),
      "places.sqlite is damaged, nothing written: " + handle->integrityProblem,
      true);
  return Status::Error(kErrorFileCorrupt,
                       handle->databasePath + u" is damaged");
}

// The connection closes before the private copy it reads goes (member
// order), so the copy is removed on every way the handle ends.
void DestroyPlacesHandle(ms_places* handle) { delete handle; }

bool PlacesReadable(ms_places* handle) {
  if (handle == nullptr || !handle->database.HasConnection()) return false;
  return handle->database.Execute(u"select count(*) from sqlite_master;") == 0;
}

ms_places* InitBookmark(const char16_t* places_file, Status* status) {
  std::u16string path;
  if (places_file == nullptr) {
    std::u16string profile;
    if (!LocateFirefoxProfile(&profile).ok()) return nullptr;
    path = profile + kPlacesFileName;
  } else {
    path = places_file;
  }
  if (!platform::PathExists(path)) return nullptr;
  // A folder, FIFO or device holds no store (only a file has a size).
  uint64_t size = 0;
  if (!platform::GetFileSize(path, &size).ok()) {
    *status = Status::Error(kErrorInvalidData, path + u" is no file");
    return nullptr;
  }
  ms_places* handle = BuildPlacesHandle(path, status);
  if (handle == nullptr) return nullptr;
  // A file that is there but holds no database would make every export
  // "succeed" on an empty store: refuse it here. (While Firefox runs the
  // handle has no connection and cannot be examined.)
  if (handle->database.HasConnection() && !PlacesReadable(handle)) {
    DestroyPlacesHandle(handle);
    *status = Status::Error(kErrorInvalidData, path + u" is no database");
    return nullptr;
  }
  return handle;
}

bool ReleaseBookmark(ms_places* handle) {
  if (handle == nullptr) return false;
  DestroyPlacesHandle(handle);
  return true;
}

}  // namespace firefox
}  // namespace marksafe
