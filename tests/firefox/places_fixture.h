// Test places databases (the old layout built row by row, or the store of a
// fresh Firefox profile), a reader for checking what the library wrote, and
// a profile held as a running Firefox holds it.
#ifndef MARKSAFE_TESTS_FIREFOX_PLACES_FIXTURE_H_
#define MARKSAFE_TESTS_FIREFOX_PLACES_FIXTURE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "marksafe/marksafe.h"
#include "model/bookmark_tree.h"
#include "support/test_support.h"
#include "support/tree_support.h"

struct sqlite3;

namespace marksafe {
namespace test {

class PlacesDb {
 public:
  // kOld: the root 1 holding 2 (menu), 3 (toolbar), 4 (tags), 5 (unsorted);
  // kToday: a fresh Firefox ESR 153 store (WAL, default bookmarks in 7);
  // kExisting: path as it is.
  enum class Layout { kOld, kToday, kExisting };
  explicit PlacesDb(const std::string& path, Layout layout = Layout::kOld);
  ~PlacesDb();
  const std::string& path() const { return path_; }

  // Adds a folder / a link (and its place, unless one with the URL exists)
  // at the next position of parent; returns the bookmark id.
  int64_t AddFolder(int64_t parent, const std::string& title);
  int64_t AddLink(int64_t parent, const std::string& url,
                  const std::string& title);
  int64_t AddSeparator(int64_t parent);
  void Exec(const std::string& sql);  // fails the test on error
  // Every row, cells joined by "|" (NULL as "NULL"); the first row ("" when
  // none); the number of rows.
  std::vector<std::string> Rows(const std::string& sql);
  std::string Value(const std::string& sql);
  int64_t Count(const std::string& sql);
  // "title|url" of the links directly in folder, by position; the id of
  // the folder titled title in parent (0 when none).
  std::vector<std::string> LinksIn(int64_t folder);
  int64_t FolderId(int64_t parent, const std::string& title);
  std::string Snapshot();  // every row of both tables

 private:
  std::string path_;
  sqlite3* db_ = nullptr;
};

// A places handle on a fixture, released at the end of the scope.
class ScopedHandle {
 public:
  explicit ScopedHandle(const std::string& places_path)
      : handle_(init_bookmark(Ms(U16(places_path)))) {}
  ~ScopedHandle() { release_bookmark(handle_); }
  ms_places_handle get() const { return handle_; }

 private:
  ms_places_handle handle_;
};

// Holds a profile folder the way a running Firefox does, while it lives.
class HeldProfile {
 public:
  explicit HeldProfile(const std::string& folder);
  ~HeldProfile();

 private:
  std::string lock_;
  void* handle_ = nullptr;
};

// Fills a store with what a backup must keep: every root, folders and links
// of the same title, separators, javascript:, file: and place: URLs, odd
// titles, tags, a keyword, 30 nested folders and dates of every item.
void FillRichStore(PlacesDb* db);

// Adds a link to parent of the store at path and leaves it in the -wal, as
// a Firefox stopped before it moved its writes into the store leaves them:
// the store and -wal as they were before closing, no -shm.
void LeaveLinkInWal(const std::string& path, int64_t parent,
                    const std::string& url, const std::string& title);

// Reads the store at path (through a handle of its own) into tree; false
// when that fails.
bool ReadStore(const std::string& path, model::Tree* tree);

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_FIREFOX_PLACES_FIXTURE_H_
