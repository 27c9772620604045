// Reading places into the bookmark tree and writing a merged tree back:
// every root and kind of item, damaged stores, both schemas, the columns
// Firefox needs, and the SQLite layer under them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>

#include "firefox/places_reader.h"
#include "firefox/places_statements.h"
#include "firefox/places_transaction.h"
#include "firefox/places_writer.h"
#include "model/merge.h"
#include "places_fixture.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::PlacesDb;
using Lines = std::vector<std::string>;

// Merges every root of source into the store at path and writes what is
// new, as the restores do; the report of it in *report.
bool MergeInto(const model::Tree& source, const std::string& path,
               model::Report* report) {
  test::ScopedHandle handle(path);
  model::Tree target;
  if (!firefox::ReadPlaces(handle.get(), &target).ok()) return false;
  firefox::ImportTransaction transaction(handle.get());
  firefox::PlacesWriter writer(handle.get());
  model::MergeOptions options;
  options.capabilities = model::FirefoxCapabilities();
  bool ok = true;
  for (model::Root root : model::kAllRoots) {
    if (source.root(root) == model::kNoItem) continue;
    if (target.root(root) == model::kNoItem) continue;
    model::RootReport* counts = report->AddRoot(model::RootKey(root), u"");
    model::Merge(source, source.root(root), &target, target.root(root),
                 options, counts, report);
    ok = writer.WriteAdded(&target, target.root(root), counts, report).ok() &&
         ok;
  }
  return transaction.Finish(ok);
}

model::Counts Added(const model::Report& report) {
  model::Counts added;
  for (const model::RootReport& root : report.roots) added += root.added;
  return added;
}

class PlacesStoreTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  PlacesDb rich_{dir_.sub("rich/places.sqlite"), PlacesDb::Layout::kToday};
};

TEST_F(PlacesStoreTest, ReadsEveryRootInOrderWithTagsKeywordAndDates) {
  test::FillRichStore(&rich_);
  model::Tree tree;
  ASSERT_TRUE(test::ReadStore(rich_.path(), &tree));
  Lines lines = test::TreeLines(tree, false);
  const Lines menu_start = {
      "menu",
      " F Mozilla Firefox|",
      "  L Get Help|https://support.mozilla.org/products/firefox"};
  ASSERT_GT(lines.size(), 50u);
  EXPECT_TRUE(std::equal(menu_start.begin(), menu_start.end(), lines.begin()));
  const Lines expected_menu_tail = {
      " F Dup|",
      "  L A|https://a.example/",
      " F Dup|",
      "  L B|https://b.example/",
      " L  <Script> |javascript:alert('x%20y')",
      " S |",
      " L a/b:c?*|<>\"\\|file:///tmp/x.html",
      " L Recent|place:sort=8&maxResults=10",
      " L Same|https://same.example/",
      " L Same|https://same.example/",
      " L Same|https://other.example/",
      " S |",
      " L ..|https://other.example/",
      "toolbar",
      " L Tagged|https://tagged.example/|#news|#work|@tg",
      " F L1|"};
  auto tail = std::find(lines.begin(), lines.end(), " F Dup|");
  ASSERT_NE(tail, lines.end());
  EXPECT_TRUE(std::equal(expected_menu_tail.begin(), expected_menu_tail.end(),
                         tail));
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       std::string(31, ' ') + "L Deep|https://deep.example/"),
            1);
  const Lines end = {"other", " L |https://unfiled.example/", "mobile",
                     " L Phone|https://mobile.example/"};
  EXPECT_TRUE(std::equal(end.begin(), end.end(), lines.end() - 4));
  // No tag folder shows as a bookmark; store ids and dates come along.
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) {
                            return l.find("work") != std::string::npos &&
                                   l.find("#work") == std::string::npos;
                          }),
            0);
  const model::ItemId mobile = tree.root(model::Root::kMobile);
  const model::Item& phone = tree.at(tree.at(mobile).children[0]);
  EXPECT_EQ(tree.at(mobile).store_id, 6);
  EXPECT_EQ(phone.date_added, 1600000000000000 + phone.store_id * 1000);
  EXPECT_EQ(phone.last_modified, 1600000000000000 + phone.store_id * 2000);
}

// Damage: the menu lies inside its own child, two folders hold each other,
// a row names a parent that is gone. Reading ends and takes each row once.
// Folders nested deeper than the model allows are refused, not cut.
TEST_F(PlacesStoreTest, DamagedStoresEndAndTooDeepIsRefused) {
  const int64_t loop = rich_.AddFolder(2, "Loop");
  rich_.AddLink(loop, "http://loop.example/", "In the loop");
  rich_.Exec("update moz_bookmarks set parent=" + std::to_string(loop) +
             " where id=2");
  const int64_t x = rich_.AddFolder(5, "X");
  const int64_t y = rich_.AddFolder(x, "Y");
  rich_.Exec("update moz_bookmarks set parent=" + std::to_string(y) +
             " where id=" + std::to_string(x));
  rich_.AddLink(999, "http://orphan.example/", "Orphan");
  model::Tree tree;
  ASSERT_TRUE(test::ReadStore(rich_.path(), &tree));
  Lines lines = test::TreeLines(tree, false);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), " F Loop|"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "  L In the loop|http://loop.example/"),
            1);
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("Orphan"), std::string::npos);
    EXPECT_EQ(line.find(" F X|"), std::string::npos);
  }

  PlacesDb deep(dir_.sub("deep/places.sqlite"), PlacesDb::Layout::kToday);
  deep.Exec("BEGIN");
  int64_t folder = 3;
  for (int i = 0; i < model::kMaxDepth + 5; ++i) {
    folder = deep.AddFolder(folder, "D");
  }
  deep.Exec("COMMIT");
  test::ScopedHandle handle(deep.path());
  model::Tree deep_tree;
  Status status = firefox::ReadPlaces(handle.get(), &deep_tree);
  EXPECT_FALSE(status.ok());
  EXPECT_NE(test::U8(status.message()).find("deeper"), std::string::npos);
}

// Firefox -> tree -> another Firefox store keeps every item, and a second
// restore adds nothing. The rows carry what Firefox needs: guids, URL
// hashes, a foreign count that counts bookmarks and keywords, positions
// without gaps.
TEST_F(PlacesStoreTest, RoundTripIntoAnotherStoreKeepsEveryItem) {
  test::FillRichStore(&rich_);
  model::Tree source;
  ASSERT_TRUE(test::ReadStore(rich_.path(), &source));
  PlacesDb copy(dir_.sub("copy/places.sqlite"), PlacesDb::Layout::kToday);
  model::Report first;
  ASSERT_TRUE(MergeInto(source, copy.path(), &first));
  EXPECT_TRUE(first.problems.empty());
  EXPECT_EQ(Added(first), (model::Counts{13, 32, 2}));

  model::Tree copied;
  ASSERT_TRUE(test::ReadStore(copy.path(), &copied));
  EXPECT_EQ(test::TreeLines(copied), test::TreeLines(source));
  EXPECT_EQ(copy.Count("select * from moz_bookmarks where guid is null or "
                       "length(guid) != 12"),
            0);
  EXPECT_EQ(copy.Count("select * from moz_places where url_hash = 0 or guid "
                       "is null"),
            0);
  EXPECT_EQ(copy.Count("select p.id from moz_places p where foreign_count != "
                       "(select count(*) from moz_bookmarks b where b.fk = "
                       "p.id) + (select count(*) from moz_keywords k where "
                       "k.place_id = p.id)"),
            0);
  EXPECT_EQ(copy.Count("select parent from moz_bookmarks group by parent "
                       "having max(position) != count(*) - 1"),
            0);

  const std::string snapshot = copy.Snapshot();
  model::Report second;
  ASSERT_TRUE(MergeInto(source, copy.path(), &second));
  EXPECT_EQ(Added(second).total(), 0);
  EXPECT_EQ(copy.Snapshot(), snapshot);
}

// A keyword another address holds is not taken from it; an item whose
// folder could not be written fails with it and is named.
TEST_F(PlacesStoreTest, ConflictsAndFailuresAreReported) {
  test::FillRichStore(&rich_);
  model::Tree source;
  ASSERT_TRUE(test::ReadStore(rich_.path(), &source));
  PlacesDb copy(dir_.sub("copy/places.sqlite"), PlacesDb::Layout::kToday);
  copy.AddLink(5, "https://elsewhere.example/", "Elsewhere");
  copy.Exec(
      "insert into moz_keywords(keyword, place_id) values('tg', (select "
      "id from moz_places where url='https://elsewhere.example/'))");
  copy.Exec(
      "CREATE TRIGGER refuse BEFORE INSERT ON moz_bookmarks WHEN "
      "new.title='L29' BEGIN SELECT RAISE(ABORT, 'no'); END;");
  model::Report report;
  EXPECT_FALSE(MergeInto(source, copy.path(), &report));
  EXPECT_EQ(report.roots[1].failed, (model::Counts{1, 2, 0}));
  ASSERT_EQ(report.problems.size(), 4u);
  EXPECT_NE(report.problems[0].reason.find("keyword"), std::string::npos);
  EXPECT_FALSE(report.problems[0].lost);
  EXPECT_TRUE(report.problems[3].lost);
  EXPECT_EQ(test::U8(report.problems[3].url), "https://deep.example/");
  EXPECT_EQ(copy.Value("select keyword from moz_keywords k join moz_places p "
                       "on k.place_id = p.id where p.url = "
                       "'https://elsewhere.example/'"),
            "tg");
  EXPECT_NE(copy.FolderId(3, "L1"), 0);  // the rest was written
}

// The old store: the roots it has, bookmarks and places with the ids it
// counts itself, no keywords to write (named, not lost silently).
TEST_F(PlacesStoreTest, OldSchemaReadsAndTakesWhatItCanHold) {
  test::FillRichStore(&rich_);
  model::Tree source;
  ASSERT_TRUE(test::ReadStore(rich_.path(), &source));
  PlacesDb old(dir_.sub("old/places.sqlite"));
  model::Report report;
  ASSERT_TRUE(MergeInto(source, old.path(), &report));
  model::Tree copied;
  ASSERT_TRUE(test::ReadStore(old.path(), &copied));
  EXPECT_EQ(copied.root(model::Root::kMobile), model::kNoItem);
  Lines expected = test::TreeLines(source);
  expected.erase(std::find(expected.begin(), expected.end(), "mobile"),
                 expected.end());
  for (std::string& line : expected) {
    const size_t keyword = line.find("|@tg");
    if (keyword != std::string::npos) line.erase(keyword, 4);
  }
  EXPECT_EQ(test::TreeLines(copied), expected);
  ASSERT_EQ(report.problems.size(), 1u);
  EXPECT_NE(report.problems[0].reason.find("keyword"), std::string::npos);
  EXPECT_EQ(old.Value("select max(id) = count(*) from moz_places"), "1");
}

TEST(PlacesStatements, IdsCountUpFromTheLargestAndRowsKeepTheirDates) {
  test::TempDir dir;
  PlacesDb db(dir.sub("places.sqlite"));
  test::ScopedHandle handle(db.path());
  ms_places* h = handle.get();
  EXPECT_EQ(firefox::InsertURL(h, u"http://first/", u"f"), 1);
  db.Exec("insert into moz_places(id, url) values(100, 'http://x/')");
  EXPECT_EQ(firefox::InsertURL(h, u"http://y/", u"y"), 101);
  EXPECT_EQ(firefox::FindPlaceByUrl(h, u"http://y/"), 101);
  EXPECT_EQ(firefox::FindPlaceByUrl(h, u"http://none/"), 0);
  firefox::BookmarkRow row;
  row.type = 1;
  row.fk = 101;
  row.parent = 2;
  row.position = 4;
  row.title = u"y";
  row.date_added = 1700000000000001;
  const int64_t id = firefox::InsertBookmark(h, row);
  EXPECT_EQ(db.Value("select type, fk, parent, position, title, dateAdded, "
                     "lastModified from moz_bookmarks where id=" +
                     std::to_string(id)),
            "1|101|2|4|y|1700000000000001|1700000000000001");
  EXPECT_TRUE(firefox::TableHasColumn(h, firefox::PlacesTable::kBookmarks,
                                      "keyword_id"));
  EXPECT_FALSE(firefox::TableHasColumn(h, firefox::PlacesTable::kKeywords,
                                       "keyword"));
}

TEST(SqliteLayer, QueriesLeaveNoLockAndAnAbortStopsTheTransaction) {
  test::TempDir dir;
  const std::u16string path = dir.u16("layer.sqlite");
  SQLite::Database db;
  ASSERT_EQ(db.Open(path.c_str()), 0);
  ASSERT_EQ(db.Execute(u"create table t(id integer primary key);"
                       u"insert into t values(7),(8);"),
            0);
  // A row handler that throws (a failed allocation) ends the query early;
  // no read lock is left behind to keep Firefox from writing.
  EXPECT_ANY_THROW(db.ForEachRow("select id from t where id >= ?", {7},
                                 [](const SQLite::Statement&) { throw 1; }));
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(test::U8(path).c_str(), &other), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; COMMIT;", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  sqlite3_close(other);

  // A refused row fails alone; a failure that ended the transaction stops
  // everything after it until the rollback, and the commit then fails.
  ASSERT_EQ(db.Begin(), 0);
  EXPECT_EQ(db.Run("insert into t(id) values(?)", {20}), 0);
  EXPECT_NE(db.Run("insert into t(id) values(?)", {20}), 0);
  EXPECT_FALSE(db.Aborted());
  ASSERT_EQ(db.Execute(u"create temp trigger stop before insert on t when "
                       u"new.id = 21 begin select raise(rollback, 'x'); end"),
            0);
  EXPECT_NE(db.Run("insert into t(id) values(?)", {21}), 0);
  EXPECT_TRUE(db.Aborted());
  EXPECT_NE(db.Run("insert into t(id) values(?)", {22}), 0);
  EXPECT_NE(db.Commit(), 0);
  EXPECT_FALSE(db.Aborted());
  EXPECT_EQ(db.Query(u"select * from t where id >= 20").RowCount(), 0);
}

}  // namespace
}  // namespace marksafe
