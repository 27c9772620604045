#include "stores/places/places_reader.h"

#include <sqlite3.h>

#include <array>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/error_codes.h"
#include "platform/platform.h"
#include "stores/places/places_statements.h"

namespace marksafe {
namespace firefox {
namespace {

using SQLite::Statement;

// Every bookmark row with its place's URL, grouped by parent and in
// position order within each parent (id breaks ties in a damaged store).
const char kAllRows[] =
    "select b.id, b.type, b.fk, b.parent, b.title, b.dateAdded, "
    "b.lastModified, p.url from moz_bookmarks b left join moz_places p on "
    "b.fk = p.id order by b.parent, b.position, b.id";
// Today's keywords belong to a place; the old ones to a bookmark.
const char kKeywordsByPlace[] =
    "select place_id, keyword from moz_keywords where keyword is not null";
const char kKeywordsByBookmark[] =
    "select b.id, k.keyword from moz_bookmarks b join moz_keywords k on "
    "b.keyword_id = k.id where k.keyword is not null";

struct Row {
  int64_t id = 0;
  int64_t type = 0;
  int64_t fk = 0;
  int64_t parent = 0;
  std::u16string title;
  model::Time date_added = 0;
  model::Time last_modified = 0;
  bool has_url = false;
  std::u16string url;
};

struct Places {
  std::vector<Row> rows;
  std::unordered_map<int64_t, size_t> by_id;
  // Row indexes of each folder's children, in position order.
  std::unordered_map<int64_t, std::vector<size_t>> children;
  // Tag titles by place, keyword by place or by bookmark.
  std::unordered_map<int64_t, std::vector<std::u16string>> tags;
  std::unordered_map<int64_t, std::u16string> place_keywords;
  std::unordered_map<int64_t, std::u16string> bookmark_keywords;
};

Status ReadFailed(ms_places* handle, const char* what) {
  return Status::Error(
      kErrorInvalidData,
      u"[FirefoxBookmark].Cannot read the " + platform::FromUtf8(what) +
          u" of " + handle->databasePath + u": " +
          platform::FromUtf8(sqlite3_errstr(handle->database.LastError())) +
          u" (SQLite " +
          platform::FromUtf8(std::to_string(handle->database.LastError())) +
          u")");
}

Status ReadRows(ms_places* handle, Places* places) {
  int rc = handle->database.ForEachRow(kAllRows, {}, [&](const Statement& r) {
    Row row;
    row.id = r.Integer(0);
    row.type = r.Integer(1);
    row.fk = r.IsNull(2) ? 0 : r.Integer(2);
    row.parent = r.IsNull(3) ? 0 : r.Integer(3);
    row.title = r.IsNull(4) ? std::u16string() : r.Text(4);
    row.date_added = r.IsNull(5) ? 0 : r.Integer(5);
    row.last_modified = r.IsNull(6) ? 0 : r.Integer(6);
    row.has_url = !r.IsNull(7);
    if (row.has_url) row.url = r.Text(7);
    places->rows.push_back(std::move(row));
  });
  if (rc != SQLITE_OK) return ReadFailed(handle, "bookmarks");
  places->by_id.reserve(places->rows.size());
  for (size_t i = 0; i < places->rows.size(); ++i) {
    const Row& row = places->rows[i];
    places->by_id.emplace(row.id, i);
    places->children[row.parent].push_back(i);
  }
  return Status::Ok();
}

// A tag is a folder under the tags root holding a link to the place.
void CollectTags(Places* places) {
  auto tag_folders = places->children.find(kTagsId);
  if (tag_folders == places->children.end()) return;
  for (size_t folder_index : tag_folders->second) {
    const Row& folder = places->rows[folder_index];
    if (folder.type != kTypeFolderValue) continue;
    auto entries = places->children.find(folder.id);
    if (entries == places->children.end()) continue;
    for (size_t entry_index : entries->second) {
      const Row& entry = places->rows[entry_index];
      if (entry.type != kTypeLinkValue || entry.fk == 0) continue;
      std::vector<std::u16string>& tags = places->tags[entry.fk];
      bool known = false;
      for (const std::u16string& tag : tags) known = known || tag == folder.title;
      if (!known) tags.push_back(folder.title);
    }
  }
}

void CollectKeywords(ms_places* handle, Places* places) {
  SQLite::Database& db = handle->database;
  if (TableHasColumn(handle, PlacesTable::kKeywords, "place_id")) {
    db.ForEachRow(kKeywordsByPlace, {}, [&](const Statement& r) {
      if (!r.IsNull(0)) places->place_keywords[r.Integer(0)] = r.Text(1);
    });
  } else if (TableHasColumn(handle, PlacesTable::kKeywords, "keyword") &&
             TableHasColumn(handle, PlacesTable::kBookmarks, "keyword_id")) {
    db.ForEachRow(kKeywordsByBookmark, {}, [&](const Statement& r) {
      places->bookmark_keywords[r.Integer(0)] = r.Text(1);
    });
  }
}

// The tree item for one row; false for rows that are no bookmark of ours
// (a link whose place is gone, or a kind this library does not know). The
// row's texts move into the item: each row becomes one item at most.
bool ToItem(const Places& places, Row& row, model::Item* item) {
  item->title = std::move(row.title);
  item->date_added = row.date_added;
  item->last_modified = row.last_modified;
  item->store_id = row.id;
  switch (row.type) {
    case kTypeFolderValue:
      item->kind = model::ItemKind::kFolder;
      return true;
    case kTypeSeparatorValue:
      item->kind = model::ItemKind::kSeparator;
      return true;
    case kTypeLinkValue: {
      if (!row.has_url) return false;
      item->kind = model::ItemKind::kLink;
      item->url = std::move(row.url);
      auto tags = places.tags.find(row.fk);
      if (tags != places.tags.end()) item->tags = tags->second;
      auto keyword = places.place_keywords.find(row.fk);
      if (keyword != places.place_keywords.end()) {
        item->keyword = keyword->second;
      } else {
        auto old = places.bookmark_keywords.find(row.id);
        if (old != places.bookmark_keywords.end()) item->keyword = old->second;
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

int64_t PlacesIdOf(model::Root root) {
  switch (root) {
    case model::Root::kMenu:
      return kMenuId;
    case model::Root::kToolbar:
      return kToolbarId;
    case model::Root::kOther:
      return kUnfiledId;
    case model::Root::kMobile:
      return kMobileId;
  }
  return 0;
}

std::u16string PlacesRootTitle(model::Root root) {
  switch (root) {
    case model::Root::kMenu:
      return u"Bookmarks Menu";
    case model::Root::kToolbar:
      return u"Bookmarks Toolbar";
    case model::Root::kOther:
      return u"Unsorted Bookmarks";
    case model::Root::kMobile:
      return u"Mobile Bookmarks";
  }
  return u"";
}

Status ReadPlaces(ms_places* handle, model::Tree* tree) {
  if (handle == nullptr || !handle->database.HasConnection()) {
    return Status::Error(
        kErrorNotConnected,
        u"[FirefoxBookmark].Cannot open the places store" +
            (handle != nullptr ? u" " + handle->databasePath : u"") +
            u": Firefox is running or holds it locked, or it is no "
            u"database");
  }
  Places places;
  Status status = ReadRows(handle, &places);
  if (!status.ok()) return status;
  CollectTags(&places);
  CollectKeywords(handle, &places);
  tree->Reserve(places.rows.size());

  // Each row is taken once: a folder that a damaged store lists below its
  // own descendant (a cycle) is not entered again.
  std::unordered_set<int64_t> taken = {kPlacesRoot, kTagsId};
  std::array<const Row*, model::kRootCount> root_rows{};
  for (model::Root root : model::kAllRoots) {
    auto found = places.by_id.find(PlacesIdOf(root));
    if (found == places.by_id.end()) continue;
    const Row& row = places.rows[found->second];
    // The old store has no mobile root: its row 6 is an ordinary item.
    if (row.type != kTypeFolderValue ||
        (root == model::Root::kMobile && row.parent != kPlacesRoot)) {
      continue;
    }
    root_rows[static_cast<size_t>(root)] = &row;
    taken.insert(row.id);
  }

  for (model::Root root : model::kAllRoots) {
    if (root_rows[static_cast<size_t>(root)] == nullptr) continue;
    const Row& root_row = *root_rows[static_cast<size_t>(root)];
    const int64_t root_id = root_row.id;
    model::ItemId root_item = tree->AddRoot(root, PlacesRootTitle(root));
    model::Item& root_entry = tree->at(root_item);
    root_entry.store_id = root_id;
    root_entry.date_added = root_row.date_added;
    root_entry.last_modified = root_row.last_modified;

    // (places folder id, tree folder) still to fill.
    std::vector<std::pair<int64_t, model::ItemId>> pending;
    pending.emplace_back(root_id, root_item);
    while (!pending.empty()) {
      const auto folder = pending.back();
      pending.pop_back();
      auto children = places.children.find(folder.first);
      if (children == places.children.end()) continue;
      for (size_t index : children->second) {
        Row& row = places.rows[index];
        if (!taken.insert(row.id).second) continue;
        model::Item item;
        if (!ToItem(places, row, &item)) continue;
        const bool is_folder = item.kind == model::ItemKind::kFolder;
        model::ItemId id = tree->Add(folder.second, std::move(item));
        if (id == model::kNoItem) {
          return Status::Error(
              kErrorInvalidData,
              u"[FirefoxBookmark].Folders of " + handle->databasePath +
                  u" nest deeper than " +
                  platform::FromUtf8(std::to_string(model::kMaxDepth)) +
                  u" levels at " + tree->PathOf(folder.second) + u": not read");
        }
        if (is_folder) pending.emplace_back(row.id, id);
      }
    }
  }
  return Status::Ok();
}

}  // namespace firefox
}  // namespace marksafe
