// The places statements on the old store (ids, positions, the folder
// look-up), and the SQLite layer under them: a query left early holds no
// lock, and a failure that ends the transaction stops what follows.
#include "firefox/places_statements.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "firefox/sqlite/database.h"
#include "places_fixture.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

class PlacesStatementsTest : public ::testing::Test {
 protected:
  std::string Row(const std::string& columns, int64_t id) {
    return db_.Value("select " + columns +
                     " from moz_bookmarks where id=" + std::to_string(id));
  }
  test::TempDir dir_;
  test::PlacesDb db_{dir_.sub("places.sqlite")};
  test::ScopedHandle handle_{dir_.sub("places.sqlite")};
  ms_places* h_ = handle_.get();
};

TEST_F(PlacesStatementsTest, IdsAndPositionsCountUpFromTheLargest) {
  ASSERT_NE(h_, nullptr);
  EXPECT_EQ(firefox::InsertURL(h_, u"http://first/", u"f"), 1);
  db_.Exec("insert into moz_places(id, url) values(100, 'http://x/')");
  EXPECT_EQ(firefox::InsertURL(h_, u"http://y/", u"y"), 101);
  EXPECT_EQ(firefox::FindPlaceByUrl(h_, u"http://y/"), 101);
  EXPECT_EQ(firefox::FindPlaceByUrl(h_, u"http://none/"), 0);

  int64_t empty = db_.AddFolder(2, "Empty");
  int64_t gaps = db_.AddFolder(2, "Gaps");
  db_.AddLink(gaps, "http://a/", "a");
  db_.Exec("update moz_bookmarks set position=5 where id=" +
           std::to_string(db_.AddLink(gaps, "http://b/", "b")));
  int64_t first =
      firefox::InsertBookmarks(h_, u"2", 0, empty, u"x", u"1248279149000000");
  EXPECT_EQ(Row("position, fk, dateAdded", first), "0|NULL|1248279149000000");
  int64_t second = firefox::InsertBookmarks(h_, u"1", 42, gaps, u"y", u"1");
  EXPECT_EQ(second, first + 1);
  EXPECT_EQ(Row("position, fk, type", second), "6|42|1");
}

// A folder is listed by the first folder of its title and parent; a link of
// that title is not taken for it.
TEST_F(PlacesStatementsTest, FolderListingFollowsTheFolderOfTheSameTitle) {
  db_.AddLink(2, "http://decoy/", "Twin");
  db_.AddFolder(db_.AddFolder(2, "Twin"), "Child of first");
  db_.AddFolder(2, "Twin");
  firefox::FolderRecord second{u"0", u"2", u"Twin"};
  std::vector<firefox::FolderRecord> children;
  ASSERT_TRUE(firefox::ListChildFolders(h_, &second, &children));
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(children[0].title, u"Child of first");
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
