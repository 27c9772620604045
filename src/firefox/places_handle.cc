#include "firefox/places_handle.h"

#include <memory>
#include <new>

#include "common/locators.h"
#include "platform/platform.h"

namespace marksafe {
namespace firefox {

const char16_t kPlacesFileName[] = u"\\places.sqlite";

namespace {

// A path of this many characters or fewer is never opened.
constexpr size_t kShortestOpenablePath = 4;

}  // namespace

ms_places* BuildPlacesHandle(const std::u16string& path) {
  std::unique_ptr<ms_places> handle(new (std::nothrow) ms_places);
  if (!handle) return nullptr;
  handle->databasePath = path;
  if (!platform::BrowserIsRunning(platform::Browser::kFirefox) &&
      path.size() > kShortestOpenablePath) {
    // The user's places.sqlite belongs to Firefox: never create one.
    handle->database.Open(path.c_str(),
                          SQLite::Database::OpenMode::kExistingOnly);
    handle->database.Execute(u"PRAGMA synchronous = OFF;");
    handle->database.Execute(u"PRAGMA count_changes = 0;");
    handle->database.Execute(u"PRAGMA journal_mode = OFF;");
  }
  return handle.release();
}

void DestroyPlacesHandle(ms_places* handle) { delete handle; }

bool PlacesReadable(ms_places* handle) {
  if (handle == nullptr || !handle->database.HasConnection()) return false;
  int rc = 0;
  handle->database.Query(u"select count(*) from sqlite_master;", &rc);
  return rc == 0;
}

ms_places* InitBookmark(const char16_t* places_file) {
  std::u16string path;
  if (places_file == nullptr) {
    std::u16string profile = LocateFirefoxProfile();
    if (profile.size() < 5) return nullptr;
    path = profile + kPlacesFileName;
  } else {
    path = places_file;
  }
  if (!platform::PathExists(path)) return nullptr;
  ms_places* handle = BuildPlacesHandle(path);
  if (handle == nullptr) return nullptr;
  // A file that is there but holds no database would make every export
  // "succeed" on an empty store: refuse it here. (While Firefox runs the
  // handle has no connection and cannot be examined.)
  if (handle->database.HasConnection() && !PlacesReadable(handle)) {
    DestroyPlacesHandle(handle);
    platform::SetLastError(13);  // ERROR_INVALID_DATA
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
