#include "firefox/places_import.h"

#include <unordered_set>
#include <vector>

#include "common/debug_log.h"
#include "common/interchange.h"
#include "common/text.h"
#include "firefox/places_statements.h"
#include "firefox/sql_text.h"
#include "platform/platform.h"

namespace marksafe {
namespace firefox {

const char16_t kImportDateAdded[] = u"1248279149000000";

namespace {

// Room for any address a browser keeps (a 260-unit buffer would cut long
// addresses and store them damaged).
constexpr size_t kUrlBufferUnits = 65536;
// This default means the file has no URL.
const char16_t kNoUrl[] = u"Fail";

// What one target folder holds directly, read once when the walk enters it
// and kept up to date as links are added, so that each file costs no
// look-up of its own: the URLs of its links (a link to a URL already there
// is not added again) and the places they point at.
class FolderIndex {
 public:
  FolderIndex(ms_places* handle, int64_t folder) {
    SQLite::Table table = handle->database.Query(
        FormatSql(u"select moz_places.url, moz_bookmarks.fk from "
                  u"moz_bookmarks, moz_places where moz_bookmarks.parent=%d "
                  u"and moz_bookmarks.fk=moz_places.id;",
                  {static_cast<long long>(folder)})
            .c_str());
    for (int32_t i = 0; i < table.RowCount(); ++i, table.NextRow()) {
      const char16_t* url = table.GetValue(0);
      const char16_t* fk = table.GetValue(1);
      if (url != nullptr) urls_.insert(url);
      if (fk != nullptr) places_.insert(LeadingNumber(fk));
    }
  }

  bool HasUrl(const std::u16string& url) const { return urls_.count(url) > 0; }
  bool HasPlace(int64_t place) const { return places_.count(place) > 0; }
  void Add(const std::u16string& url, int64_t place) {
    urls_.insert(url);
    places_.insert(place);
  }

 private:
  std::unordered_set<std::u16string> urls_;
  std::unordered_set<int64_t> places_;
};

void InsertFailed(const char16_t* format) {
  platform::SetLastError(kErrorInsertFailed);
  DebugLog(format, static_cast<long>(platform::GetLastError()));
}

// Adds the link of one .url file to folder unless it is there. False when
// the file has no URL or an insert failed.
bool ImportLink(ms_places* handle, const std::u16string& file,
                const std::u16string& name, int64_t folder,
                FolderIndex* index) {
  std::u16string url =
      interchange::ReadShortcutUrl(file, kNoUrl, kUrlBufferUnits);
  if (index->HasUrl(url)) return true;
  if (EqualsNoCase(url, kNoUrl)) {
    platform::SetLastError(kErrorNoUrl);
    return false;
  }
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
  if (InsertBookmarks(handle, kTypeLink, place, folder, title,
                      kImportDateAdded) == 0) {
    InsertFailed(u"InsertBookmarks execute fail:%ld \n");
    return false;
  }
  index->Add(url, place);
  return true;
}

bool IsSkippedFolder(const std::u16string& name, const char16_t* exclude) {
  return EqualsNoCase(name, interchange::kMarkerName) ||
         EqualsNoCase(name, interchange::kImportedFromFirefox) ||
         (exclude != nullptr && EqualsNoCase(name, exclude));
}

// Walks folder_path into the places folder `folder`; sub-folders go through
// ImportPlacesFolder under `folder`, with the same exclude.
bool ImportEntries(ms_places* handle, const std::u16string& folder_path,
                   int64_t folder, const char16_t* exclude) {
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(folder_path, &entries)) return false;
  FolderIndex index(handle, folder);
  bool result = true;
  for (const platform::DirEntry& entry : entries) {
    if (entry.is_reparse_point) continue;
    std::u16string path = folder_path + u"\\" + entry.name;
    if (entry.is_directory) {
      if (IsSkippedFolder(entry.name, exclude)) continue;
      if (!ImportPlacesFolder(handle, path, NumberText(folder), entry.name,
                              exclude)) {
        return false;
      }
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
  SQLite::Table found = handle->database.Query(
      FormatSql(u"select id from moz_bookmarks where title=%s and parent=%d "
                u"and type=2",
                {SqlLiteral(title), static_cast<long long>(parent)})
          .c_str());
  if (found.RowCount() > 0) {
    const char16_t* id = found.GetValue(0);
    return id == nullptr ? 0 : LeadingNumber(id);
  }
  return InsertBookmarks(handle, kTypeFolder, 0, parent, title,
                         kImportDateAdded);
}

}  // namespace

bool ImportPlacesFolder(ms_places* handle, const std::u16string& folder_path,
                        const std::u16string& parent_id,
                        const std::u16string& title,
                        const char16_t* exclude_name) {
  if (handle == nullptr) return false;
  int64_t folder = FindOrCreateFolder(handle, LeadingNumber(parent_id), title);
  if (folder == 0) {
    // Nothing may be inserted under a parent that does not exist.
    InsertFailed(u"InsertBookmarks execute fail:%ld \n");
    return false;
  }
  return ImportEntries(handle, folder_path, folder, exclude_name);
}

bool FixImportFromBK(ms_places* handle, const std::u16string& folder_path,
                     const std::u16string& root_id) {
  if (handle == nullptr) return false;
  if (root_id != u"2" && root_id != u"5") return false;
  return ImportEntries(handle, folder_path, LeadingNumber(root_id), nullptr);
}

}  // namespace firefox
}  // namespace marksafe
