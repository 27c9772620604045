// Test places databases (the old layout built row by row, or the store of a
// fresh Firefox profile), a reader for checking what the library wrote, and
// stand-ins for a running Firefox.
#ifndef MARKSAFE_TESTS_FIREFOX_PLACES_FIXTURE_H_
#define MARKSAFE_TESTS_FIREFOX_PLACES_FIXTURE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "marksafe/marksafe.h"

struct sqlite3;

namespace marksafe {
namespace test {

class PlacesDb {
 public:
  enum class Layout {
    kOld,       // the tables of the era of the places statements
    kToday,     // the store of a fresh Firefox ESR 153 profile (WAL journal)
    kExisting,  // opens path as it is
  };
  // Creates path (UTF-8) with moz_places and moz_bookmarks and the root 1
  // holding 2 (menu), 3 (toolbar), 4 (tags) and 5 (unsorted); today's
  // layout also has 6 (mobile) and the default bookmarks in folder 7.
  explicit PlacesDb(const std::string& path, Layout layout = Layout::kOld);
  ~PlacesDb();
  PlacesDb(const PlacesDb&) = delete;
  PlacesDb& operator=(const PlacesDb&) = delete;

  const std::string& path() const { return path_; }

  // Adds a folder / a link (and its place, unless one with the URL exists)
  // at the next position of parent; returns the bookmark id.
  int64_t AddFolder(int64_t parent, const std::string& title);
  int64_t AddLink(int64_t parent, const std::string& url,
                  const std::string& title);

  // Runs SQL; fails the test on error.
  void Exec(const std::string& sql);
  // Every row of a query, cells joined by "|" (NULL as "NULL").
  std::vector<std::string> Rows(const std::string& sql);
  // The first row of a query ("" when none), and the number of rows.
  std::string Value(const std::string& sql);
  int64_t Count(const std::string& sql);

  // "title|url" of every link directly in folder, ordered by position.
  std::vector<std::string> LinksIn(int64_t folder);
  // Titles of the folders directly in folder, ordered by position.
  std::vector<std::string> FoldersIn(int64_t folder);
  // The id of the folder titled title directly in parent; 0 when none.
  int64_t FolderId(int64_t parent, const std::string& title);
  // Every row of both tables, for "nothing changed" checks.
  std::string Snapshot();

 private:
  std::string path_;
  sqlite3* db_ = nullptr;
};

// A places handle on a fixture, released at the end of the scope.
class ScopedHandle {
 public:
  explicit ScopedHandle(const std::string& places_path);
  ~ScopedHandle();
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ms_places_handle get() const { return handle_; }

 private:
  ms_places_handle handle_;
};

// A process whose executable is called "firefox" (on Windows: a window of
// Firefox's class) for as long as it lives, so the library sees Firefox run.
class FakeFirefox {
 public:
  explicit FakeFirefox(const std::string& folder);
  ~FakeFirefox();
  FakeFirefox(const FakeFirefox&) = delete;
  FakeFirefox& operator=(const FakeFirefox&) = delete;

 private:
  int pid_ = -1;
  void* window_ = nullptr;
};

// Holds a profile folder the way a running Firefox does, while it lives.
class HeldProfile {
 public:
  explicit HeldProfile(const std::string& folder);
  ~HeldProfile();
  HeldProfile(const HeldProfile&) = delete;
  HeldProfile& operator=(const HeldProfile&) = delete;

 private:
  std::string lock_;
  void* handle_ = nullptr;
};

// Writes a .url file in the form the Firefox exporter and IE use.
void WriteUrlFile(const std::string& path, const std::string& url);

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_FIREFOX_PLACES_FIXTURE_H_
