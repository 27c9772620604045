// Round trips of one realistic collection through the library's exports:
// backed up, then restored or converted into a fresh browser store, and
// read back through the library's readers. Every item must arrive with its
// root, folder path, order, exact title, URL and dates; a second restore
// must add nothing; the report must account for every item of the source.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>

#include "backup_set/part.h"
#include "context/job.h"
#include "marksafe/marksafe.h"
#include "model/report.h"
#include "roundtrip/collection.h"
#include "support/test_support.h"

namespace marksafe {
namespace model {

// How gtest shows counts that differ.
void PrintTo(const Counts& counts, std::ostream* out) {
  *out << counts.links << " links, " << counts.folders << " folders, "
       << counts.separators << " separators";
}

}  // namespace model

namespace test {
namespace {

using model::Counts;
using model::Root;
using model::Tree;

enum class Store { kFirefox, kChrome };
const char* Name(Store store) {
  return store == Store::kFirefox ? "Firefox" : "Chrome";
}
void PrintTo(Store store, std::ostream* out) { *out << Name(store); }

// What the call reported (as marksafe_last_report shows it, which the
// program's tests read), summed over its roots.
struct Reported {
  bool lost = true;
  Counts source, added, present, not_carried, failed;
  std::vector<model::Problem> problems;
};

Reported LastReport() {
  const model::Report& report = context::LastReport();
  Reported reported;
  reported.lost = report.AnythingLost();
  for (const model::RootReport& root : report.roots) {
    reported.source += root.source;
    reported.added += root.added;
    reported.present += root.present;
    reported.not_carried += root.not_carried;
    reported.failed += root.failed;
  }
  reported.problems = report.problems;
  return reported;
}

// Element by element, naming the first difference.
void ExpectSameEntries(const std::vector<Entry>& expected,
                       const std::vector<Entry>& actual) {
  for (size_t i = 0; i < std::min(expected.size(), actual.size()); ++i) {
    if (!(expected[i] == actual[i])) {
      ADD_FAILURE() << "item " << i << "\n  expected: " << expected[i]
                    << "\n  actual:   " << actual[i];
      return;
    }
  }
  EXPECT_EQ(expected.size(), actual.size())
      << "first extra: "
      << (expected.size() > actual.size() ? expected[actual.size()]
                                          : actual[expected.size()]);
}

// Rows Firefox would refuse or repair: a bookmark or place without its guid
// or URL hash, a place whose foreign count is not the number of its
// bookmarks and keywords, positions with gaps.
int64_t BadPlacesRows(const std::string& path) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  int64_t bad = 0;
  for (const char* sql :
       {"select count(*) from moz_bookmarks where length(guid) is not 12",
        "select count(*) from moz_places where url_hash = 0 or guid is null",
        "select count(*) from moz_places p where foreign_count != (select "
        "count(*) from moz_bookmarks b where b.fk = p.id) + (select count(*) "
        "from moz_keywords k where k.place_id = p.id)",
        "select count(*) from (select parent from moz_bookmarks group by "
        "parent having max(position) != count(*) - 1)"}) {
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr), SQLITE_OK);
    if (sqlite3_step(stmt) == SQLITE_ROW) bad += sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return bad;
}

Filter Everything() {
  return Filter{model::FirefoxCapabilities(), true, false};
}

// What a store of this kind keeps of the other's items.
Filter KeptBy(Store store) {
  if (store == Store::kFirefox) return Everything();
  return Filter{model::ChromeCapabilities(), false, false};
}

backup_set::PartKind PartOf(Store store) {
  return store == Store::kFirefox ? backup_set::PartKind::kFirefox
                                  : backup_set::PartKind::kChrome;
}

Counts PartCounts(const Tree& tree, Store store) {
  Counts counts;
  for (Root root : backup_set::PartRoots(PartOf(store))) {
    if (tree.root(root) != model::kNoItem) {
      counts += model::CountBelow(tree, tree.root(root));
    }
  }
  return counts;
}

class RoundTripTest : public ::testing::TestWithParam<std::pair<Store, Store>> {
 protected:
  Store from() const { return GetParam().first; }
  Store to() const { return GetParam().second; }
  std::string StorePath(const std::string& name, Store store) const {
    return dir_.sub(
        name + (store == Store::kFirefox ? "/places.sqlite" : "/Bookmarks"));
  }
  static void Write(Store store, const Tree& tree, const std::string& path) {
    if (store == Store::kFirefox) {
      WritePlacesStore(tree, path);
    } else {
      WriteChromeStore(tree, path);
    }
  }
  static Tree Read(Store store, const std::string& path) {
    return store == Store::kFirefox ? ReadPlacesStore(path)
                                    : ReadChromeStore(path);
  }
  bool Backup(const std::string& source, Reported* reported) const {
    MakeDirs(U8(set_));
    if (from() == Store::kChrome) {
      const bool ok = backup_chrome(Ms(U16(source)), Ms(set_), true) == 0;
      *reported = LastReport();
      return ok;
    }
    const ms_places_handle places = init_bookmark(Ms(U16(source)));
    const bool ok = backup_firefox(places, Ms(set_), true, 0, 0);
    *reported = LastReport();
    release_bookmark(places);
    return ok;
  }
  // Restores or converts the set into target; the report is read before
  // the places handle is let go.
  bool Transfer(const std::string& target, Reported* reported) const {
    bool ok = false;
    if (to() == Store::kChrome) {
      ok = from() == Store::kChrome
               ? restore_chrome(Ms(U16(target)), Ms(set_), true) == 0
               : import_firefox_2_chrome(Ms(U16(target)), Ms(set_), true,
                                         nullptr) == 0;
      *reported = LastReport();
      return ok;
    }
    const ms_places_handle places = init_bookmark(Ms(U16(target)));
    int32_t progress = 0;
    ok =
        from() == Store::kFirefox
            ? restore_firefox_pro(places, Ms(set_), true, 0, 0, 0, 0, &progress)
            : import_chrome_bk_2_firefox(places, Ms(set_), true) == 0;
    *reported = LastReport();
    release_bookmark(places);
    return ok;
  }
  // The target as it must be: what it held, and for a conversion the
  // folder "Imported from ..." at the end of the bookmarks menu (Firefox)
  // or bar (Chrome) with one folder per root of the source's part.
  std::vector<Entry> Expected(const Tree& before, const Tree& source) const {
    if (from() == to()) return ListRoots(source, Everything());
    const std::string imported = from() == Store::kFirefox
                                     ? "Imported from Firefox"
                                     : "Imported from Chrome";
    const Root into = to() == Store::kFirefox ? Root::kMenu : Root::kToolbar;
    std::vector<Entry> entries;
    for (Root root : model::kAllRoots) {
      if (before.root(root) == model::kNoItem) continue;
      const std::string key = model::RootKey(root);
      for (Entry& entry :
           ListBelow(before, before.root(root), key, Everything())) {
        entries.push_back(std::move(entry));
      }
      if (root != into) continue;
      const std::string folder = key + " ▸ " + imported;
      entries.push_back(Entry{folder, 'F', "", 0, 0, "", ""});
      for (Root part_root : backup_set::PartRoots(PartOf(from()))) {
        if (source.root(part_root) == model::kNoItem) continue;
        const std::string sub =
            folder + " ▸ " +
            U8(backup_set::RootFolderName(PartOf(from()), part_root));
        entries.push_back(Entry{sub, 'F', "", 0, 0, "", ""});
        for (Entry& entry :
             ListBelow(source, source.root(part_root), sub, KeptBy(to()))) {
          entries.push_back(std::move(entry));
        }
      }
    }
    return entries;
  }

  TempDir dir_;
  std::u16string set_ = dir_.u16("set");
};

TEST_P(RoundTripTest, KeepsEveryItemAndAddsNothingTwice) {
  const std::string source = StorePath("source", from());
  const Tree collection =
      from() == Store::kFirefox ? FirefoxCollection() : ChromeCollection();
  Write(from(), collection, source);
  const Tree source_tree = Read(from(), source);
  // The store holds the collection exactly, after the browser's defaults.
  Filter only_collection = Everything();
  only_collection.only_collection = true;
  ExpectSameEntries(ListRoots(collection, Everything()),
                    ListRoots(source_tree, only_collection));

  Reported backup;
  ASSERT_TRUE(Backup(source, &backup));
  EXPECT_FALSE(backup.lost);
  const Counts held = PartCounts(source_tree, from());
  EXPECT_EQ(backup.source, held);
  EXPECT_EQ(backup.added, held);

  const std::string target = StorePath("target", to());
  Write(to(), Tree(), target);
  const Tree before = Read(to(), target);
  Reported first;
  ASSERT_TRUE(Transfer(target, &first));
  const Tree after = Read(to(), target);
  // Everything the target holds is listed: an item it should not have
  // taken shows up as a difference.
  Filter all = Everything();
  all.link_modified = to() == Store::kFirefox;
  ExpectSameEntries(Expected(before, source_tree), ListRoots(after, all));
  if (to() == Store::kFirefox) {
    EXPECT_EQ(BadPlacesRows(target), 0);
  }

  // The report accounts for every item of the source; only what the
  // target cannot hold stays out, and it is named.
  EXPECT_EQ(first.source, held);
  Counts accounted = first.added;
  accounted += first.present;
  accounted += first.not_carried;
  EXPECT_EQ(accounted.links, held.links);
  EXPECT_EQ(accounted.separators, held.separators);
  // A conversion also writes the folders that hold it.
  EXPECT_GE(accounted.folders, held.folders);
  EXPECT_EQ(first.failed, Counts());
  EXPECT_FALSE(first.lost);
  if (from() == Store::kFirefox && to() == Store::kChrome) {
    // Two separators and the place: query; the tagged link goes, its tags
    // and keyword do not.
    EXPECT_EQ(first.not_carried, (Counts{1, 0, 2}));
    EXPECT_EQ(first.problems.size(), 4u);
    std::multiset<std::string> urls;
    for (const model::Problem& problem : first.problems) {
      urls.insert(U8(problem.url));
    }
    EXPECT_EQ(urls.count("place:sort=8&maxResults=10"), 1u);
    EXPECT_EQ(urls.count("https://tagged.example/"), 1u);
  } else {
    EXPECT_EQ(first.not_carried, Counts());
    EXPECT_EQ(first.problems.size(), 0u);
  }

  // Again: nothing is added, and a Chrome file is not even rewritten.
  const std::string written = ReadBytes(target);
  Reported second;
  ASSERT_TRUE(Transfer(target, &second));
  EXPECT_EQ(second.added, Counts());
  if (to() == Store::kChrome) {
    EXPECT_EQ(ReadBytes(target), written);
  }
  ExpectSameEntries(ListRoots(after, Everything()),
                    ListRoots(Read(to(), target), Everything()));
}

INSTANTIATE_TEST_SUITE_P(
    Stores, RoundTripTest,
    ::testing::Values(std::make_pair(Store::kFirefox, Store::kFirefox),
                      std::make_pair(Store::kChrome, Store::kChrome),
                      std::make_pair(Store::kFirefox, Store::kChrome),
                      std::make_pair(Store::kChrome, Store::kFirefox)),
    [](const ::testing::TestParamInfo<std::pair<Store, Store>>& info) {
      return std::string(Name(info.param.first)) + "To" +
             Name(info.param.second);
    });

// Favorites as Internet Explorer writes them: plain and UTF-16 .url files
// with their extra sections, nested folders, names in several scripts.
TEST(FavoritesRoundTripTest, RestoresByteIdenticalFiles) {
  TempDir dir;
  const std::string favorites = dir.sub("Favorites");
  const std::string ie = "[InternetShortcut]\r\nURL=";
  const std::map<std::string, std::string> files = {
      {"Links/Start page.url",
       "[DEFAULT]\r\nBASEURL=https://start.example/\r\n" + ie +
           "https://start.example/\r\nIDList=\r\nIconFile=https://"
           "start.example/favicon.ico\r\nIconIndex=1\r\n[{000214A0-0000-0000-"
           "C000-000000000046}]\r\nProp3=19,11\r\n"},
      {"Projects/Same title.url", ie + "https://same.example/one\r\n"},
      {"Projects/Same title (2).url", ie + "https://same.example/two\r\n"},
      {"Projects/Deep/Deeper/Bottom.url",
       ie + "https://deep.example/bottom?q=1&r=2#part\r\n"},
      {"Bookmarklet.url",
       ie + "javascript:(function(){alert(document.title);})()\r\n"},
      {"Local notes.url", ie + "file:///C:/Users/me/notes%20today.txt\r\n"},
      {"a_b_c_d_e_f_g_h_i_j.url", ie + "https://chars.example/\r\n"},
      {"東京の天気予報と週末の行楽情報東京の天気予報と週末の行楽情報.url",
       "\xFF\xFE" + Utf16le(u"[InternetShortcut]\r\nURL=https://cjk.example/"
                            u"天気\r\n")},
      {"Новости/Погода.url", ie + "https://weather.example.ru/\r\n"}};
  for (const auto& [name, bytes] : files) {
    WriteBytes(favorites + "/" + name, bytes);
  }
  const std::string set = dir.sub("set");
  const uint8_t cancel = 0;
  ASSERT_TRUE(backup_ie(Ms(U16(favorites)), Ms(U16(set)), true, true, &cancel));

  const std::string fresh = dir.sub("Fresh Favorites");
  MakeDirs(fresh);
  for (int round = 0; round < 2; ++round) {
    int32_t progress = 0;
    ASSERT_TRUE(backup_ie_pro(Ms(U16(fresh)), Ms(U16(set)), true, true, &cancel,
                              false, 0, 0, 0, 0, &progress));
    EXPECT_EQ(ListTree(fresh), ListTree(favorites)) << "round " << round;
    for (const auto& [name, bytes] : files) {
      EXPECT_EQ(ReadBytes(fresh + "/" + name), bytes) << name;
    }
  }
}

}  // namespace
}  // namespace test
}  // namespace marksafe
