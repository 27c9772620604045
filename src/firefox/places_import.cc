#include "firefox/places_import.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/debug_log.h"
#include "common/interchange.h"
#include "common/text.h"
#include "common/url_normalize.h"
#include "firefox/places_statements.h"
#include "firefox/places_transaction.h"
#include "firefox/sql_text.h"
#include "platform/platform.h"

namespace marksafe {
namespace firefox {

const char16_t kImportDateAdded[] = u"1248279149000000";

namespace {

using SQLite::Statement;

// Room for any address a browser keeps (a 260-unit buffer would cut long
// addresses and store them damaged).
constexpr size_t kUrlBufferUnits = 65536;
// This default means the file has no URL.
const char16_t kNoUrl[] = u"Fail";

const char kLinksOfFolder[] =
    "select moz_places.url, moz_bookmarks.fk from moz_bookmarks, moz_places "
    "where moz_bookmarks.parent=? and moz_bookmarks.fk=moz_places.id";
const char kFoldersOfFolder[] =
    "select id, title from moz_bookmarks where parent=? and type=2 "
    "order by position, id";
const char kFolderByTitle[] =
    "select id from moz_bookmarks where title=? and parent=? and type=2 "
    "order by position, id limit 1";
const char kNextPosition[] =
    "select max(position)+1 from moz_bookmarks where parent=?";

bool Today(const ms_places* handle) {
  return handle->schema == PlacesSchema::kToday;
}

// The form in which URLs are stored and compared: on today's schema the
// one Firefox's URL parser gives (Firefox finds a bookmark by URL only in
// that form); on the old schema the text as it stands.
std::u16string StoredForm(const ms_places* handle, const std::u16string& url) {
  return Today(handle) ? NormalizedOrSelf(url) : url;
}

// What one target folder holds directly, read once when the walk enters it
// and kept up to date as items are added, so that no file or sub-folder
// costs a look-up of its own: the URLs of its links (a link to a URL
// already there is not added again), the places they point at, its
// sub-folders by title (the first by position wins) and its next position.
class FolderIndex {
 public:
  FolderIndex(ms_places* handle, int64_t folder) {
    SQLite::Database& db = handle->database;
    db.ForEachRow(kLinksOfFolder, {folder}, [&](const Statement& row) {
      urls_.insert(StoredForm(handle, row.Text(0)));
      places_.insert(row.Integer(1));
    });
    db.ForEachRow(kFoldersOfFolder, {folder}, [&](const Statement& row) {
      folders_.emplace(row.Text(1), row.Integer(0));
    });
    db.ForEachRow(kNextPosition, {folder}, [&](const Statement& row) {
      next_position_ = row.IsNull(0) ? 0 : row.Integer(0);
    });
  }

  bool HasUrl(const std::u16string& url) const { return urls_.count(url) > 0; }
  bool HasPlace(int64_t place) const { return places_.count(place) > 0; }
  void AddLink(const std::u16string& url, int64_t place) {
    urls_.insert(url);
    places_.insert(place);
    ++next_position_;
  }
  // The sub-folder titled title; 0 when there is none.
  int64_t Folder(const std::u16string& title) const {
    auto it = folders_.find(title);
    return it == folders_.end() ? 0 : it->second;
  }
  void AddFolder(const std::u16string& title, int64_t id) {
    folders_.emplace(title, id);
    ++next_position_;
  }
  int64_t NextPosition() const { return next_position_; }

 private:
  std::unordered_set<std::u16string> urls_;
  std::unordered_set<int64_t> places_;
  std::unordered_map<std::u16string, int64_t> folders_;
  int64_t next_position_ = 0;
};

void InsertFailed(const char16_t* format) {
  platform::SetLastError(kErrorInsertFailed);
  DebugLog(format, static_cast<long>(platform::GetLastError()));
}

// The URL of a link file in the form it is stored in; an address that does
// not parse is kept as it stands and named in a diagnostic.
std::u16string UrlToStore(const ms_places* handle, const std::u16string& raw) {
  if (!Today(handle)) return raw;
  std::u16string normalized;
  if (NormalizeUrl(raw, &normalized)) return normalized;
  DebugLog(
      u"[FirefoxBookmark].Not a URL that parses, written as it stands: "
      u"%s\n",
      raw.c_str());
  return raw;
}

// Adds the link of one .url file to folder unless it is there. False when
// the file has no URL or an insert failed.
bool ImportLink(ms_places* handle, const std::u16string& file,
                const std::u16string& name, int64_t folder,
                FolderIndex* index) {
  const std::u16string raw =
      interchange::ReadShortcutUrl(file, kNoUrl, kUrlBufferUnits);
  if (EqualsNoCase(raw, kNoUrl)) {
    if (index->HasUrl(raw)) return true;
    platform::SetLastError(kErrorNoUrl);
    return false;
  }
  const std::u16string url = UrlToStore(handle, raw);
  if (index->HasUrl(url)) return true;
  std::u16string title = interchange::TitleFromFileName(name);
  int64_t place = FindPlaceByUrl(handle, url);
  if (place == 0) {
    place = InsertURL(handle, url, title);
    if (place == 0) {
      // No link may point at a place that does not exist.
      InsertFailed(u"InsertURL execute fail:%ld \n");
      return false;
    }
  }
  if (index->HasPlace(place)) return true;
  if (InsertBookmarks(handle, kTypeLink, place, folder, title, kImportDateAdded,
                      index->NextPosition()) == 0) {
    InsertFailed(u"InsertBookmarks execute fail:%ld \n");
    return false;
  }
  index->AddLink(url, place);
  return true;
}

bool IsSkippedFolder(const std::u16string& name, const char16_t* exclude) {
  return EqualsNoCase(name, interchange::kMarkerName) ||
         EqualsNoCase(name, interchange::kImportedFromFirefox) ||
         (exclude != nullptr && EqualsNoCase(name, exclude));
}

// Walks folder_path into the places folder `folder`; each sub-folder
// becomes (or merges into) a folder of its name under `folder`, with the
// same exclude. A failing sub-folder ends the walk at once.
bool ImportEntries(ms_places* handle, const std::u16string& folder_path,
                   int64_t folder, const char16_t* exclude) {
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(folder_path, &entries)) return false;
  FolderIndex index(handle, folder);
  bool result = true;
  for (const platform::DirEntry& entry : entries) {
    // A failure that ended the transaction ends the walk: nothing more
    // could be written.
    if (handle->database.Aborted()) return false;
    if (entry.is_reparse_point) continue;
    std::u16string path = folder_path + u"\\" + entry.name;
    if (entry.is_directory) {
      if (IsSkippedFolder(entry.name, exclude)) continue;
      int64_t child = index.Folder(entry.name);
      if (child == 0) {
        child = InsertBookmarks(handle, kTypeFolder, 0, folder, entry.name,
                                kImportDateAdded, index.NextPosition());
        if (child == 0) {
          // Nothing may be inserted under a parent that does not exist.
          InsertFailed(u"InsertBookmarks execute fail:%ld \n");
          return false;
        }
        index.AddFolder(entry.name, child);
      }
      if (!ImportEntries(handle, path, child, exclude)) return false;
      continue;
    }
    if (!interchange::IsShortcutFileName(entry.name)) continue;
    if (!ImportLink(handle, path, entry.name, folder, &index)) result = false;
  }
  return result;
}

// The folder titled title directly under parent, created when missing; 0
// when it can be neither found nor created.
int64_t FindOrCreateFolder(ms_places* handle, int64_t parent,
                           const std::u16string& title) {
  // Only a folder can receive the items: a link of the same title is not it.
  int64_t id = 0;
  bool found = false;
  handle->database.ForEachRow(kFolderByTitle, {title, parent},
                              [&](const Statement& row) {
                                id = row.Integer(0);
                                found = true;
                              });
  if (found) return id;
  return InsertBookmarks(handle, kTypeFolder, 0, parent, title,
                         kImportDateAdded);
}

}  // namespace

bool ImportPlacesFolder(ms_places* handle, const std::u16string& folder_path,
                        const std::u16string& parent_id,
                        const std::u16string& title,
                        const char16_t* exclude_name) {
  if (handle == nullptr) return false;
  ImportTransaction transaction(handle);
  if (transaction.Refused()) return false;
  int64_t folder = FindOrCreateFolder(handle, LeadingNumber(parent_id), title);
  if (folder == 0) {
    // Nothing may be inserted under a parent that does not exist.
    InsertFailed(u"InsertBookmarks execute fail:%ld \n");
    return transaction.Finish(false);
  }
  return transaction.Finish(
      ImportEntries(handle, folder_path, folder, exclude_name));
}

bool FixImportFromBK(ms_places* handle, const std::u16string& folder_path,
                     const std::u16string& root_id) {
  if (handle == nullptr) return false;
  if (root_id != u"2" && root_id != u"5") return false;
  ImportTransaction transaction(handle);
  if (transaction.Refused()) return false;
  return transaction.Finish(
      ImportEntries(handle, folder_path, LeadingNumber(root_id), nullptr));
}

}  // namespace firefox
}  // namespace marksafe
