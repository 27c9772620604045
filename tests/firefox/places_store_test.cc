// Reading places into the bookmark tree and writing a merged tree back:
// damaged stores, conflicts and failures, the old schema, and the SQLite
// layer under them. Every root and kind of item, and the rows Firefox
// needs, are checked by the round trips (tests/roundtrip).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>

#include "model/merge.h"
#include "places_fixture.h"
#include "stores/places/places_reader.h"
#include "stores/places/places_statements.h"
#include "stores/places/places_transaction.h"
#include "stores/places/places_writer.h"
#include "support/faulty_env.h"
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
    model::Merge(source, source.root(root), &target, target.root(root), options,
                 counts, report);
    ok = writer.WriteAdded(&target, target.root(root), counts, report).ok() &&
         ok;
  }
  return transaction.Finish(ok);
}

class PlacesStoreTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  PlacesDb rich_{dir_.sub("rich/places.sqlite"), PlacesDb::Layout::kToday};
};

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
  EXPECT_FALSE(firefox::ReadPlaces(handle.get(), &deep_tree).ok());
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

// The old store counts its ids itself: a new place goes above the largest.
TEST(PlacesStatements, IdsCountUpFromTheLargest) {
  test::TempDir dir;
  PlacesDb db(dir.sub("places.sqlite"));
  test::ScopedHandle handle(db.path());
  ASSERT_TRUE(firefox::MakePlacesWritable(handle.get()).ok());
  EXPECT_EQ(firefox::InsertURL(handle.get(), u"http://first/", u"f"), 1);
  db.Exec("insert into moz_places(id, url) values(100, 'http://x/')");
  EXPECT_EQ(firefox::InsertURL(handle.get(), u"http://y/", u"y"), 101);
  EXPECT_EQ(firefox::FindPlaceByUrl(handle.get(), u"http://y/"), 101);
}

// (How a refused row and an ended transaction play out is ImportTransaction's
// test, on both stores.)
TEST(SqliteLayer, AQueryEndedByAThrowLeavesNoLock) {
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
}

// Databases are written through the Env in force: a write, truncation or
// flush it fails reaches SQLite as a full disk or an I/O error, whichever
// journal the file keeps, and the commit leaves the file as it was.
TEST(SqliteLayer, AWriteTheEnvFailsEndsTheCommitAndChangesNothing) {
  struct Case {
    const char16_t* journal;
    uint32_t code;
    int rc;
  };
  for (const Case& c :
       {Case{u"wal", 112, SQLITE_FULL}, Case{u"wal", 5, SQLITE_IOERR},
        Case{u"delete", 112, SQLITE_FULL}, Case{u"delete", 5, SQLITE_IOERR}}) {
    SCOPED_TRACE(test::U8(c.journal) + " " + std::to_string(c.code));
    test::TempDir dir;
    const std::u16string path = dir.u16("layer.sqlite");
    test::ScopedFaultyEnv env;
    SQLite::Database db;
    ASSERT_EQ(db.Open(path.c_str()), 0);
    ASSERT_EQ(db.Execute((u"pragma journal_mode=" + std::u16string(c.journal) +
                          u"; create table t(id); insert into t values(1);")
                             .c_str()),
              0);
    ASSERT_EQ(db.Begin(), 0);
    ASSERT_EQ(db.Run("insert into t values(2)", {}), 0);
    env->FailNth(test::FaultOp::kDatabaseWrite,
                 env->Count(test::FaultOp::kDatabaseWrite) + 1, c.code, 1000);
    EXPECT_EQ(db.Commit() & 0xFF, c.rc);
    env->Reset();
    db.Close();
    ASSERT_EQ(db.Open(path.c_str()), 0);
    std::u16string ids;
    ASSERT_EQ(db.ForEachRow("select group_concat(id) from t", {},
                            [&](const SQLite::Statement& row) {
                              ids = row.Text(0);
                            }),
              0);
    EXPECT_EQ(ids, u"1");
  }
}

}  // namespace
}  // namespace marksafe
