// The SQLite access layer: a query left early holds no lock, and the
// transaction an import runs in.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "firefox/sqlite/database.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

// A refused row fails alone; a failure that ended the transaction stops
// everything after it until the rollback, and the commit then fails.
TEST(SqliteLayer, QueriesLeaveNoLockAndAnAbortStopsTheTransaction) {
  test::TempDir dir;
  const std::u16string path = dir.u16("layer.sqlite");
  SQLite::Database db;
  ASSERT_EQ(db.Open(path.c_str()), 0);
  ASSERT_EQ(db.Execute(u"create table t(id integer primary key);"), 0);
  ASSERT_EQ(db.Execute(u"insert into t values(7),(8);"), 0);
  // A row handler that throws (a failed allocation) ends the query early.
  EXPECT_ANY_THROW(db.ForEachRow("select id from t where id >= ?", {7},
                                 [](const SQLite::Statement&) { throw 1; }));
  // Firefox may write at once: no read lock was left behind.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(test::U8(path).c_str(), &other), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; COMMIT;", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  sqlite3_close(other);

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
