// The SQLite access layer: tables of wide text, bound values, and the
// transaction an import runs in.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "firefox/sqlite/database.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using SQLite::Table;

class SqliteLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(db_.Open(path_.c_str()), 0);
    ASSERT_EQ(db_.Execute(u"create table t(id integer primary key, name);"), 0);
  }
  test::TempDir dir_;
  std::u16string path_ = dir_.u16("layer.sqlite");
  SQLite::Database db_;
};

// The counting statements rely on these: a NULL aggregate is one empty
// cell, no match is an empty table, a cell beyond the row is null.
TEST_F(SqliteLayerTest, TablesOfRows) {
  Table table = db_.Query(u"select max(id)+1 from t");
  ASSERT_EQ(table.RowCount(), 1);
  EXPECT_EQ(std::u16string(table.GetValue(0)), u"");
  table = db_.Query(u"select id from t where id=7");
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_EQ(table.GetValue(0), nullptr);

  ASSERT_EQ(db_.Execute(u"insert into t values(1,'a'),(2,NULL),(3,'c');"), 0);
  table = db_.Query(u"select id, name from t order by id");
  ASSERT_EQ(table.RowCount(), 3);
  EXPECT_EQ(table.GetValue(2), nullptr);
  EXPECT_EQ(std::u16string(table.GetValue(1)), u"a");
  table.NextRow();
  EXPECT_EQ(std::u16string(table.GetValue(1)), u"");  // NULL
  for (int i = 0; i < 3; ++i) table.NextRow();        // the last row stays
  EXPECT_EQ(std::u16string(table.GetValue(0)), u"3");
}

// Bound values stay values, a finished query holds no lock, a refused row
// fails alone, and a failure that ended the transaction stops everything
// after it until the rollback.
TEST_F(SqliteLayerTest, PreparedStatementsAndTheTransaction) {
  const std::u16string nasty = u"x'); drop table t; --";
  ASSERT_EQ(db_.Run("insert into t(id, name) values(?, ?)", {7, nasty}), 0);
  ASSERT_EQ(db_.Run("insert into t(id, name) values(?, ?)", {8, nullptr}), 0);
  std::vector<std::u16string> names;
  EXPECT_EQ(
      db_.ForEachRow("select name from t where id >= ? order by id", {7},
                     [&](const SQLite::Statement& row) {
                       names.push_back(row.IsNull(0) ? u"NULL" : row.Text(0));
                     }),
      0);
  EXPECT_EQ(names, (std::vector<std::u16string>{nasty, u"NULL"}));

  // Firefox may write at once: no read lock was left behind.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(test::U8(path_).c_str(), &other), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; COMMIT;", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  sqlite3_close(other);

  ASSERT_EQ(db_.Begin(), 0);
  EXPECT_EQ(db_.Run("insert into t(id) values(?)", {20}), 0);
  EXPECT_NE(db_.Run("insert into t(id) values(?)", {20}), 0);
  EXPECT_FALSE(db_.Aborted());
  ASSERT_EQ(db_.Execute(u"create temp trigger stop before insert on t when "
                        u"new.id = 21 begin select raise(rollback, 'x'); end"),
            0);
  EXPECT_NE(db_.Run("insert into t(id) values(?)", {21}), 0);
  EXPECT_TRUE(db_.Aborted());
  EXPECT_NE(db_.Run("insert into t(id) values(?)", {22}), 0);
  EXPECT_NE(db_.Commit(), 0);
  EXPECT_FALSE(db_.Aborted());
  EXPECT_EQ(db_.Query(u"select * from t where id >= 20").RowCount(), 0);
}

}  // namespace
}  // namespace marksafe
