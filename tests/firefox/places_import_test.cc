// Merging interchange folders into places (the old store): what becomes a
// folder or a link, what is skipped, what a second import does, and how
// failures show; the statements and the SQLite layer under it.
#include "firefox/places_import.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "firefox/places_statements.h"
#include "firefox/sqlite/database.h"
#include "places_fixture.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::U16;
using Links = std::vector<std::string>;

class PlacesImportTest : public ::testing::Test {
 protected:
  std::string Src(const std::string& relative) {
    return dir_.sub("src/" + relative);
  }
  bool Import(const char16_t* exclude = nullptr) {
    return firefox::ImportPlacesFolder(h_, U16(Src("")), u"2", u"Imported",
                                       exclude);
  }
  std::string Row(const std::string& columns, int64_t id) {
    return db_.Value("select " + columns +
                     " from moz_bookmarks where id=" + std::to_string(id));
  }
  test::TempDir dir_;
  test::PlacesDb db_{dir_.sub("places.sqlite")};
  test::ScopedHandle handle_{dir_.sub("places.sqlite")};
  ms_places* h_ = handle_.get();
};

// The old store keeps its own columns, the URLs as they were given, and its
// journal (an import must be able to roll back).
TEST_F(PlacesImportTest, FilesBecomeLinksAndDirectoriesFolders) {
  test::WriteUrlFile(Src("Upper.url"), "HTTP://Example.COM");
  test::WriteUrlFile(Src("a.b.URL"), "http://ab.example/");
  // Longer than the 260 units a fixed buffer would cut it to.
  const std::string long_url = "http://long.example/?" + std::string(600, 'x');
  test::WriteUrlFile(Src("Long.url"), long_url);
  test::WriteUrlFile(Src("notes.txt"), "http://notes.example/");
  test::WriteUrlFile(Src("url"), "http://nodot.example/");
  test::WriteUrlFile(Src("Sub/Caf\xC3\xA9.url"), "http://cafe.example/");
  ASSERT_TRUE(Import());
  const std::string folder = std::to_string(db_.FolderId(2, "Imported"));
  EXPECT_EQ(db_.LinksIn(std::stoll(folder)),
            (Links{"a.b|http://ab.example/", "Long|" + long_url,
                   "Upper|HTTP://Example.COM"}));
  int64_t sub = db_.FolderId(std::stoll(folder), "Sub");
  EXPECT_EQ(db_.LinksIn(sub), Links{"Caf\xC3\xA9|http://cafe.example/"});
  EXPECT_EQ(db_.Rows("select b.type, b.parent, b.title, b.keyword_id, "
                     "b.folder_type, b.dateAdded, b.lastModified,"
                     " p.title, p.favicon_id from moz_bookmarks b join "
                     "moz_places p on b.fk = p.id where b.title='Upper'"),
            Links{"1|" + folder +
                  "|Upper|NULL|NULL|1248279149000000|NULL|Upper|NULL"});
  EXPECT_EQ(Row("dateAdded", sub), "1248279149000000");
  EXPECT_NE(db_.Value("PRAGMA journal_mode"), "off");
}

TEST_F(PlacesImportTest, MergesIntoWhatIsThereAndASecondImportAddsNothing) {
  // A missing source fails but still leaves the folder.
  EXPECT_FALSE(firefox::ImportPlacesFolder(h_, U16(Src("none")), u"2", u"Gone",
                                           nullptr));
  EXPECT_NE(db_.FolderId(2, "Gone"), 0);
  // A link titled like the target folder is not that folder.
  db_.AddLink(2, "http://decoy.example/", "Imported");
  int64_t existing = db_.AddFolder(2, "Imported");
  db_.AddLink(existing, "http://same.example/", "Same, other title");
  test::WriteUrlFile(Src("Same.url"), "http://same.example/");
  test::WriteUrlFile(Src("One.url"), "http://one.example/");
  test::WriteUrlFile(Src("Two.url"), "http://one.example/");  // same URL
  test::WriteUrlFile(Src("F/G/Four.url"), "http://one.example/");
  ASSERT_TRUE(Import());
  // The new link and folder follow what was there; the place is shared.
  EXPECT_EQ(db_.Rows("select position from moz_bookmarks where parent=" +
                     std::to_string(existing) + " order by id"),
            (Links{"0", "1", "2"}));
  EXPECT_EQ(db_.Count("select * from moz_places"), 3);
  EXPECT_EQ(db_.Count("select * from moz_bookmarks where type=1"), 4);
  const std::string after_first = db_.Snapshot();
  ASSERT_TRUE(Import());
  EXPECT_EQ(db_.Snapshot(), after_first);
}

TEST_F(PlacesImportTest, LinkWithoutUrlFailsButTheRestIsImported) {
  test::WriteBytes(Src("NoKey.url"), "[InternetShortcut]\r\nIconFile=x\r\n");
  test::WriteUrlFile(Src("Word.url"), "fAiL");
  test::WriteUrlFile(Src("Good.url"), "http://good.example/");
  platform::SetLastError(0);
  EXPECT_FALSE(Import());
  EXPECT_EQ(platform::GetLastError(), firefox::kErrorNoUrl);
  EXPECT_EQ(db_.LinksIn(db_.FolderId(2, "Imported")),
            Links{"Good|http://good.example/"});
}

TEST_F(PlacesImportTest, ReservedExcludedAndLinkedFoldersAreSkipped) {
  test::WriteUrlFile(Src(".QUILLBAY/a.url"), "http://a.example/");
  test::WriteUrlFile(Src("imported FROM firefox/b.url"), "http://b.example/");
  test::WriteUrlFile(Src("Keep/url/d.url"), "http://d.example/");
  test::WriteUrlFile(Src("Keep/e.url"), "http://e.example/");
  std::error_code no_links;  // where the system has none, the rest holds
  std::filesystem::create_directory_symlink(Src("Keep"), Src("Linked"),
                                            no_links);
  ASSERT_TRUE(Import(u"URL"));
  int64_t folder = db_.FolderId(2, "Imported");
  EXPECT_EQ(db_.FoldersIn(folder), Links{"Keep"});
  EXPECT_TRUE(db_.FoldersIn(db_.FolderId(folder, "Keep")).empty());
  EXPECT_EQ(db_.Count("select * from moz_bookmarks where type=1"), 1);
}

// Straight into a root (only the menu and unsorted ones); titles are values,
// not SQL, and a link titled like a sub-folder is not that folder.
TEST_F(PlacesImportTest, FixImportGoesStraightIntoTheRoots) {
  db_.AddLink(5, "http://decoy.example/", "Title");
  test::WriteUrlFile(Src("top.url"), "http://top.example/");
  test::WriteUrlFile(Src("Title/He said 'hi'; drop table x.url"),
                     "http://q.example/?a='1';--");
  test::WriteUrlFile(Src("Title/it's.url"), "http://q.example/\"b\"");
  std::string before = db_.Snapshot();
  EXPECT_FALSE(firefox::FixImportFromBK(h_, U16(Src("")), u"3"));
  EXPECT_FALSE(firefox::FixImportFromBK(h_, U16(Src("")), u"02"));
  EXPECT_EQ(db_.Snapshot(), before);
  ASSERT_TRUE(firefox::FixImportFromBK(h_, U16(Src("")), u"5"));
  EXPECT_EQ(db_.LinksIn(5),
            (Links{"Title|http://decoy.example/", "top|http://top.example/"}));
  EXPECT_EQ(db_.LinksIn(db_.FolderId(5, "Title")),
            (Links{"He said 'hi'; drop table x|http://q.example/?a='1';--",
                   "it's|http://q.example/\"b\""}));
}

// A refused folder leaves nothing under it; a refused place leaves no link
// pointing nowhere.
TEST_F(PlacesImportTest, NoOrphanRowsAfterARefusedInsert) {
  test::WriteUrlFile(Src("a.url"), "http://a.example/");
  for (const auto& [table, message] :
       {std::pair{"moz_bookmarks when new.type=2", "InsertBookmarks"},
        std::pair{"moz_places", "InsertURL"}}) {
    db_.Exec(std::string("create trigger refuse before insert on ") + table +
             " begin select raise(abort, 'refused'); end;");
    test::LogCapture log;
    EXPECT_FALSE(Import());
    EXPECT_EQ(platform::GetLastError(), firefox::kErrorInsertFailed);
    EXPECT_TRUE(log.Contains(std::string(message) + " execute fail:4313 "));
    EXPECT_EQ(db_.Count("select * from moz_bookmarks where type=1"), 0);
    db_.Exec("drop trigger refuse");
  }
}

using PlacesStatementsTest = PlacesImportTest;

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
