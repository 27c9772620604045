// The SQLite access layer: result codes, lastError, tables of wide text.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "firefox/sqlite/database.h"
#include "firefox/sqlite/utf8mbstr.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using SQLite::Database;
using SQLite::Table;

class SqliteLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.u16("layer.sqlite");
    ASSERT_EQ(db_.Open(path_.c_str()), 0);
    ASSERT_EQ(
        db_.Execute(u"create table t(id integer primary key, name text);"), 0);
  }
  test::TempDir dir_;
  std::u16string path_;
  Database db_;
};

TEST_F(SqliteLayerTest, TablesOfRows) {
  // A NULL aggregate is one empty cell; no match is an empty table.
  Table table = db_.Query(u"select max(id)+1 from t");
  EXPECT_EQ(table.RowCount(), 1);
  ASSERT_NE(table.GetValue(0), nullptr);
  EXPECT_EQ(std::u16string(table.GetValue(0)), u"");
  table = db_.Query(u"select id from t where id=7");
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_EQ(table.ColumnCount(), 0);
  EXPECT_EQ(table.GetValue(0), nullptr);

  // Rows are read in order and the last row stays.
  ASSERT_EQ(db_.Execute(u"insert into t values(1,'a');insert into t "
                        u"values(2,NULL);insert into t values(3,'c');"),
            0);
  table = db_.Query(u"select id, name from t order by id");
  ASSERT_EQ(table.RowCount(), 3);
  ASSERT_EQ(table.ColumnCount(), 2);
  EXPECT_EQ(table.GetValue(2), nullptr);  // column == columnCount
  EXPECT_EQ(std::u16string(table.GetValue(1)), u"a");
  table.NextRow();
  EXPECT_EQ(std::u16string(table.GetValue(1)), u"");  // NULL
  for (int i = 0; i < 3; ++i) table.NextRow();
  EXPECT_EQ(std::u16string(table.GetValue(0)), u"3");
  Table copy = table;  // a copy keeps the current row
  EXPECT_EQ(std::u16string(copy.GetValue(1)), u"c");
}

TEST(SqliteLayerNoConnection, StatementsFailWithOne) {
  Database db;
  EXPECT_EQ(db.Execute(u"select 1"), 1);
  EXPECT_EQ(db.LastError(), 1);
  int rc = 0;
  Table table = db.Query(u"select 1", &rc);
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(table.RowCount(), 0);
}

TEST_F(SqliteLayerTest, LastErrorKeepsTheLastFailure) {
  EXPECT_EQ(db_.LastError(), 0);
  EXPECT_NE(db_.Execute(u"insert into nowhere values(1)"), 0);
  int32_t failure = db_.LastError();
  EXPECT_NE(failure, 0);
  EXPECT_EQ(db_.Execute(u"insert into t values(5,'x')"), 0);
  EXPECT_EQ(db_.LastError(), failure);
}

TEST_F(SqliteLayerTest, NonAsciiTextRoundTrips) {
  const std::u16string text = u"Caf\u00e9 \u6771\u4eac \U0001F600";
  std::u16string sql = u"insert into t values(9, '" + text + u"')";
  ASSERT_EQ(db_.Execute(sql.c_str()), 0);
  Table table = db_.Query(u"select name from t where id=9");
  ASSERT_EQ(table.RowCount(), 1);
  EXPECT_EQ(std::u16string(table.GetValue(0)), text);
  EXPECT_STREQ(SQLite::UTF8MBSTR(u"\u00e9").buffer(), "\xC3\xA9");
  EXPECT_STREQ(
      SQLite::UTF8MBSTR(static_cast<const char16_t*>(nullptr)).buffer(), "");
}

// Bound values are values, a finished query holds no lock, and after a
// failure that ended the transaction nothing runs until the rollback.
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
  EXPECT_NE(db_.Run("insert into nowhere values(?)", {1}), 0);

  // Another connection may write at once: no read lock was left behind.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(test::U8(path_).c_str(), &other), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; COMMIT;", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);

  // While the other connection writes, Begin reports the lock.
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr),
            SQLITE_OK);
  EXPECT_EQ(db_.Begin(), SQLITE_BUSY);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);

  ASSERT_EQ(db_.Begin(), 0);
  EXPECT_EQ(db_.Run("insert into t(id, name) values(?, ?)", {20, u"kept?"}), 0);
  // A refused row fails alone...
  EXPECT_NE(db_.Run("insert into t(id, name) values(?, ?)", {20, u"dup"}), 0);
  EXPECT_FALSE(db_.Aborted());
  // ...a failure that ends the transaction stops everything after it.
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

TEST(SqliteLayerOpen, BackslashPathsReachTheFile) {
  test::TempDir dir;
  test::MakeDirs(dir.sub("sub"));
  Database db;
  std::u16string path = dir.u16() + u"\\sub\\db.sqlite";
  EXPECT_EQ(db.Open(path.c_str()), 0);
  EXPECT_EQ(db.Execute(u"create table x(a)"), 0);
  EXPECT_TRUE(test::Exists(dir.sub("sub/db.sqlite")));
}

}  // namespace
}  // namespace marksafe
