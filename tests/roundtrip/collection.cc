#include "roundtrip/collection.h"

#include <gtest/gtest.h>
#include <json/json.h>
#include <sqlite3.h>

#include <algorithm>
#include <map>

#include "stores/chrome/chrome_checksum.h"
#include "stores/chrome/chrome_reader.h"
#include "stores/places/places_keys.h"
#include "stores/places/places_reader.h"
#include "support/test_support.h"
#include "support/tree_support.h"

namespace marksafe {
namespace test {
namespace {

using model::ItemId;
using model::ItemKind;
using model::Root;
using model::Tree;

// 2023-11-14 22:13:20 UTC; every item gets its own date after it.
constexpr model::Time kFirstDate = 1700000000000000;

class Builder {
 public:
  explicit Builder(Tree* tree) : tree_(tree) {}
  ItemId Folder(ItemId parent, const std::string& title) {
    return Add(parent, ItemKind::kFolder, title, "");
  }
  ItemId Link(ItemId parent, const std::string& title, const std::string& url) {
    return Add(parent, ItemKind::kLink, title, url);
  }
  void Separator(ItemId parent) { Add(parent, ItemKind::kSeparator, "", ""); }

 private:
  ItemId Add(ItemId parent, ItemKind kind, const std::string& title,
             const std::string& url) {
    model::Item item;
    item.kind = kind;
    item.title = U16(title);
    item.url = U16(url);
    // Distinct, irregular dates; modified a while after added.
    item.date_added = kFirstDate + ++count_ * 86400001234 % 977000000000;
    item.last_modified = item.date_added + count_ * 3600000017;
    const ItemId id = tree_->Add(parent, std::move(item));
    EXPECT_NE(id, model::kNoItem);
    return id;
  }
  Tree* tree_;
  int64_t count_ = 0;
};

std::string Repeat(const std::string& piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

// Copies the children of `from` below `into`, leaving out what keep does
// not allow.
void CopyBelow(const Tree& source, ItemId from, Tree* target, ItemId into,
               const model::Capabilities& keep) {
  std::map<ItemId, ItemId> copied = {{from, into}};
  source.ForEachBelow(from, [&](ItemId id) {
    const auto parent = copied.find(source.at(id).parent);
    if (parent == copied.end()) return;  // below something left out
    model::Item item = source.at(id);
    if (item.kind == ItemKind::kSeparator && !keep.separators) return;
    if (item.url.rfind(u"place:", 0) == 0 && !keep.place_queries) return;
    if (!keep.tags) {
      item.tags.clear();
      item.keyword.clear();
    }
    if (item.kind == ItemKind::kLink) item.last_modified = 0;
    item.children.clear();
    const ItemId added = target->Add(parent->second, std::move(item));
    EXPECT_NE(added, model::kNoItem);
    copied[id] = added;
  });
}

std::string PlacesGuid() {
  std::string guid;
  EXPECT_TRUE(firefox::NewGuid(&guid));
  return guid;
}

// An SQL literal.
std::string Q(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c == '\'' ? std::string("''") : std::string(1, c);
  }
  return quoted + "'";
}
std::string N(int64_t number) { return std::to_string(number); }

// A row of moz_bookmarks, after the other children of its parent.
std::string Bookmark(int64_t id, int64_t type, const std::string& fk,
                     int64_t parent, const std::string& title,
                     model::Time added, model::Time modified) {
  return "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, "
         "dateAdded, lastModified, guid, syncStatus) VALUES (" +
         N(id) + "," + N(type) + "," + fk + "," + N(parent) +
         ",(SELECT count(*) FROM moz_bookmarks WHERE parent = " + N(parent) +
         ")," + title + "," + N(added) + "," + N(modified) + "," +
         Q(PlacesGuid()) + ",1);";
}

std::string Joined(std::vector<std::u16string> tags) {
  std::sort(tags.begin(), tags.end());
  std::string text;
  for (const auto& tag : tags) text += (text.empty() ? "" : ",") + U8(tag);
  return text;
}

}  // namespace

model::Tree LinkTree(const std::string& prefix, int links) {
  model::Tree tree;
  const model::ItemId menu = tree.AddRoot(model::Root::kMenu, u"menu");
  const model::ItemId toolbar = tree.AddRoot(model::Root::kToolbar, u"toolbar");
  tree.AddRoot(model::Root::kOther, u"other");
  tree.AddRoot(model::Root::kMobile, u"mobile");
  model::ItemId folder = model::kNoItem;
  const model::Time date = 1600000000000000;
  for (int i = 0; i < links; ++i) {
    const std::string n = std::to_string(i);
    if (i % 50 == 0) {
      folder = Put(&tree, i % 100 == 0 ? toolbar : menu,
                   NewFolder(U16(prefix + " folder " + n), date));
    }
    Put(&tree, folder,
        NewLink(U16(prefix + " " + n),
                U16("https://" + prefix + ".example/" + n), date + i,
                date + i));
  }
  return tree;
}

std::map<std::string, int> UrlCounts(const model::Tree& tree) {
  std::map<std::string, int> counts;
  for (model::Root root : model::kAllRoots) {
    const model::ItemId id = tree.root(root);
    if (id == model::kNoItem) continue;
    tree.ForEachBelow(id, [&](model::ItemId item) {
      if (tree.at(item).kind == model::ItemKind::kLink) {
        ++counts[U8(tree.at(item).url)];
      }
    });
  }
  return counts;
}

bool Holds(const std::map<std::string, int>& whole,
           const std::map<std::string, int>& part) {
  for (const auto& [url, count] : part) {
    auto it = whole.find(url);
    if (it == whole.end() || it->second < count) return false;
  }
  return true;
}

Tree FirefoxCollection() {
  Tree tree;
  Builder add(&tree);
  const ItemId menu = tree.AddRoot(Root::kMenu, u"Bookmarks Menu");
  const ItemId toolbar = tree.AddRoot(Root::kToolbar, u"Bookmarks Toolbar");
  const ItemId other = tree.AddRoot(Root::kOther, u"Unsorted Bookmarks");
  const ItemId mobile = tree.AddRoot(Root::kMobile, u"Mobile Bookmarks");

  const ItemId projects = add.Folder(menu, "Projects");
  add.Link(projects, "Same title", "https://same.example/one");
  add.Link(projects, "Same title", "https://same.example/two");
  add.Link(projects, "", "https://untitled.example/1");
  add.Link(projects, "", "https://untitled.example/2");
  add.Separator(projects);
  const ItemId deep = add.Folder(add.Folder(projects, "Deep"), "Deeper");
  add.Link(deep, "Bottom", "https://deep.example/bottom?q=1&r=2#part");
  add.Link(menu, Repeat("Long title ", 27) + "end", "https://long.example/");
  add.Link(menu, Repeat("東京の天気予報と週末の行楽情報", 6),
           "https://cjk.example/%E5%A4%A9%E6%B0%97");
  add.Link(menu, "a/b:c?d*e|f<g>h\"i\\j", "https://chars.example/");
  add.Link(menu, "  outer blanks  ", "https://blanks.example/");
  add.Link(add.Folder(menu, ".."), "Inside dots", "https://dots.example/");
  add.Link(menu, "Bookmarklet",
           "javascript:(function(){alert(document.title);})()");
  add.Link(menu, "Local notes", "file:///home/user/notes%20today.txt");
  add.Link(menu, "Most visited", "place:sort=8&maxResults=10");
  const ItemId tagged = add.Link(menu, "Tagged", "https://tagged.example/");
  tree.at(tagged).tags = {u"news", u"daily"};
  tree.at(tagged).keyword = u"nw";
  add.Separator(menu);

  add.Link(toolbar, "Toolbar link", "https://toolbar.example/");
  const ItemId order = add.Folder(toolbar, "Kept order");
  for (const char* word : {"zulu", "alpha", "mike", "bravo"}) {
    add.Link(order, word, std::string("https://order.example/") + word);
  }
  add.Link(add.Folder(toolbar, "Twin"), "First twin", "https://twin.example/1");
  add.Link(add.Folder(toolbar, "Twin"), "Second twin",
           "https://twin.example/2");

  add.Link(other, "Later", "https://later.example/");
  add.Link(add.Folder(other, "Reading"), "Article", "https://read.example/a");

  add.Link(mobile, "On the phone", "https://mobile.example/");
  return tree;
}

Tree ChromeCollection() {
  const Tree firefox = FirefoxCollection();
  Tree tree;
  model::Capabilities keep;
  keep.separators = keep.tags = keep.place_queries = false;
  CopyBelow(firefox, firefox.root(Root::kToolbar), &tree,
            tree.AddRoot(Root::kToolbar, u"Bookmarks bar"), keep);
  const ItemId other = tree.AddRoot(Root::kOther, u"Other bookmarks");
  CopyBelow(firefox, firefox.root(Root::kMenu), &tree, other, keep);
  CopyBelow(firefox, firefox.root(Root::kOther), &tree, other, keep);
  CopyBelow(firefox, firefox.root(Root::kMobile), &tree,
            tree.AddRoot(Root::kMobile, u"Mobile bookmarks"), keep);
  return tree;
}

void WritePlacesStore(const Tree& tree, const std::string& path) {
  MakeDirs(path.substr(0, path.rfind('/')));
  std::string sql = DataFile("firefox/places-today.sql") + ";BEGIN;";
  std::map<ItemId, int64_t> ids;
  std::map<std::string, int64_t> places, tag_folders;
  int64_t next_id = kFirstCollectionId;
  for (Root root : model::kAllRoots) {
    const ItemId top = tree.root(root);
    if (top == model::kNoItem) continue;
    ids[top] = firefox::PlacesIdOf(root);
    tree.ForEachBelow(top, [&](ItemId id) {
      const model::Item& item = tree.at(id);
      const int64_t bookmark = next_id++;
      ids[id] = bookmark;
      const std::string title =
          item.title.empty() && item.kind != ItemKind::kFolder
              ? "NULL"
              : Q(U8(item.title));
      std::string fk = "NULL";
      if (item.kind == ItemKind::kLink) {
        const std::string url = U8(item.url);
        auto place = places.find(url);
        if (place == places.end()) {
          place = places.emplace(url, next_id++).first;
          sql += "INSERT INTO moz_places (id, url, title, rev_host, frecency, "
                 "guid, url_hash) VALUES (" +
                 N(place->second) + "," + Q(url) + "," + title + "," +
                 Q(firefox::ReversedHost(url)) + ",100," + Q(PlacesGuid()) +
                 "," + N(firefox::UrlHash(url)) + ");";
        }
        fk = N(place->second);
        for (const auto& tag : item.tags) {
          auto folder = tag_folders.find(U8(tag));
          if (folder == tag_folders.end()) {
            folder = tag_folders.emplace(U8(tag), next_id++).first;
            sql += Bookmark(folder->second, 2, "NULL", 4, Q(U8(tag)),
                            item.date_added, item.date_added);
          }
          sql += Bookmark(next_id++, 1, fk, folder->second, "NULL",
                          item.date_added, item.date_added);
        }
        if (!item.keyword.empty()) {
          sql += "INSERT INTO moz_keywords (keyword, place_id) VALUES (" +
                 Q(U8(item.keyword)) + "," + fk + ");";
        }
      }
      const int64_t type = item.kind == ItemKind::kFolder ? 2
                           : item.kind == ItemKind::kLink ? 1
                                                          : 3;
      sql += Bookmark(bookmark, type, fk, ids[item.parent], title,
                      item.date_added, item.last_modified);
    });
  }
  // Firefox counts the bookmarks and keywords that refer to a place.
  sql +=
      "UPDATE moz_places SET foreign_count = (SELECT count(*) FROM "
      "moz_bookmarks WHERE fk = moz_places.id) + (SELECT count(*) FROM "
      "moz_keywords WHERE place_id = moz_places.id);"
      "COMMIT";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
      << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

void WriteChromeStore(const Tree& tree, const std::string& path) {
  Json::Value document = ParseJson(DataFile("chrome/bookmarks-today.json"));
  std::vector<Json::Value*> nodes(tree.size(), nullptr);
  int64_t next_id = kFirstCollectionId;
  for (const chrome::ChromeRoot& root : chrome::kChromeRoots) {
    const ItemId top = tree.root(root.root);
    if (top == model::kNoItem) continue;
    nodes[static_cast<size_t>(top)] = &document["roots"][root.key];
    tree.ForEachBelow(top, [&](ItemId id) {
      const model::Item& item = tree.at(id);
      Json::Value node(Json::objectValue);
      node["date_added"] = std::to_string(model::ToChromeTime(item.date_added));
      node["date_last_used"] = "0";
      std::string guid;
      EXPECT_TRUE(chrome::NewGuid(&guid));
      node["guid"] = guid;
      node["id"] = std::to_string(next_id++);
      node["name"] = U8(item.title);
      if (item.kind == ItemKind::kFolder) {
        node["children"] = Json::Value(Json::arrayValue);
        node["date_modified"] =
            std::to_string(model::ToChromeTime(item.last_modified));
        node["type"] = "folder";
      } else {
        node["type"] = "url";
        node["url"] = U8(item.url);
      }
      Json::Value* parent = nodes[static_cast<size_t>(item.parent)];
      nodes[static_cast<size_t>(id)] = &(*parent)["children"].append(node);
    });
  }
  document["checksum"] = chrome::TreeChecksum(document);
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "   ";
  writer["emitUTF8"] = true;
  WriteBytes(path, Json::writeString(writer, document));
}

Tree ReadPlacesStore(const std::string& path) {
  Tree tree;
  ms_places_handle handle = init_bookmark(Ms(U16(path)));
  EXPECT_NE(handle, nullptr) << path;
  if (handle == nullptr) return tree;
  const Status status = firefox::ReadPlaces(handle, &tree);
  EXPECT_TRUE(status.ok()) << U8(status.message());
  release_bookmark(handle);
  return tree;
}

Tree ReadChromeStore(const std::string& path) {
  Tree tree;
  const Status status = chrome::ReadChromeTree(ParseJson(ReadBytes(path)),
                                               &tree, nullptr, nullptr);
  EXPECT_TRUE(status.ok()) << U8(status.message());
  return tree;
}

void BackUpNewStore(const Tree& tree, bool chrome, const std::string& store,
                    const std::string& root) {
  MakeDirs(root);
  if (chrome) {
    WriteChromeStore(tree, store);
    ASSERT_EQ(backup_chrome(Ms(U16(store)), Ms(U16(root)), true), 0);
    return;
  }
  WritePlacesStore(tree, store);
  const ms_places_handle places = init_bookmark(Ms(U16(store)));
  EXPECT_TRUE(backup_firefox(places, Ms(U16(root)), true, 0, 0));
  release_bookmark(places);
}

bool RestoreSet(bool chrome, const std::string& store,
                const std::string& root) {
  if (chrome) return restore_chrome(Ms(U16(store)), Ms(U16(root)), true) == 0;
  const ms_places_handle places = init_bookmark(Ms(U16(store)));
  int32_t progress = 0;
  const bool ok =
      restore_firefox_pro(places, Ms(U16(root)), true, 0, 0, 0, 0, &progress);
  release_bookmark(places);
  return ok;
}

bool operator==(const Entry& expected, const Entry& actual) {
  auto date = [](model::Time want, model::Time got) {
    return want == 0 || want == got;
  };
  return expected.path == actual.path && expected.kind == actual.kind &&
         expected.url == actual.url && date(expected.added, actual.added) &&
         date(expected.modified, actual.modified) &&
         expected.tags == actual.tags && expected.keyword == actual.keyword;
}

std::ostream& operator<<(std::ostream& out, const Entry& entry) {
  out << entry.kind << " " << entry.path;
  if (!entry.url.empty()) out << " <" << entry.url << ">";
  out << " added " << entry.added << " modified " << entry.modified;
  if (!entry.tags.empty()) out << " tags " << entry.tags;
  if (!entry.keyword.empty()) out << " keyword " << entry.keyword;
  return out;
}

std::vector<Entry> ListBelow(const Tree& tree, ItemId folder,
                             const std::string& label, const Filter& filter) {
  std::vector<Entry> entries;
  std::map<ItemId, std::string> paths = {{folder, label}};
  tree.ForEachBelow(folder, [&](ItemId id) {
    const model::Item& item = tree.at(id);
    const auto parent = paths.find(item.parent);
    if (parent == paths.end()) return;  // below something left out
    if (filter.only_collection && item.store_id < kFirstCollectionId) return;
    if (item.kind == ItemKind::kSeparator && !filter.keep.separators) return;
    if (item.url.rfind(u"place:", 0) == 0 && !filter.keep.place_queries) {
      return;
    }
    Entry entry;
    entry.path = parent->second + " ▸ " + U8(item.title);
    entry.kind = item.kind == ItemKind::kFolder ? 'F'
                 : item.kind == ItemKind::kLink ? 'L'
                                                : 'S';
    entry.url = U8(item.url);
    entry.added = item.date_added;
    if (item.kind != ItemKind::kLink || filter.link_modified) {
      entry.modified = item.last_modified;
    }
    if (filter.keep.tags) {
      entry.tags = Joined(item.tags);
      entry.keyword = U8(item.keyword);
    }
    paths[id] = entry.path;
    entries.push_back(std::move(entry));
  });
  return entries;
}

std::vector<Entry> ListRoots(const Tree& tree, const Filter& filter) {
  std::vector<Entry> entries;
  for (Root root : model::kAllRoots) {
    if (tree.root(root) == model::kNoItem) continue;
    for (Entry& entry :
         ListBelow(tree, tree.root(root), model::RootKey(root), filter)) {
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

}  // namespace test
}  // namespace marksafe
