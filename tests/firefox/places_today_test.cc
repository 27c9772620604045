// Writing into the store of today's Firefox: every column it needs, the
// URL hash and guids it computes, places shared by several bookmarks, URLs
// in the form Firefox stores them, and no write while Firefox holds the
// profile or the store.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>

#include "firefox/places_keys.h"
#include "places_fixture.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::PlacesDb;
using test::U16;

const MS_CHAR* M(const std::u16string& text) {
  return reinterpret_cast<const MS_CHAR*>(text.c_str());
}

TEST(PlacesKeys, UrlHashIsFirefoxs) {
  EXPECT_EQ(firefox::UrlHash("http://www.example.com"), 0x72262C1A3496);
  EXPECT_EQ(
      firefox::UrlHash("https://github.com/mozilla/application-services/"),
      0x2B12E7BD7FCD);
  EXPECT_EQ(firefox::UrlHash("place:transition=7&sort=4"), 0xF434AC2B2DAF);
  EXPECT_EQ(firefox::UrlHash("www.example.com"), 0x8B149337);
  // Firefox's own rows in the fixture carry the same values.
  EXPECT_EQ(firefox::UrlHash("https://www.mozilla.org/about/"), 47357608426557);
  // Only the first 1500 bytes count; a ":" after byte 50 names no scheme.
  const std::string long_url = "https://x/" + std::string(1490, 'a');
  EXPECT_EQ(firefox::UrlHash(long_url), firefox::UrlHash(long_url + "tail"));
  const std::string late_colon = std::string(50, 'a') + ":b";
  EXPECT_LT(firefox::UrlHash(late_colon), int64_t{1} << 32);
}

TEST(PlacesKeys, GuidsAreWellFormedAndDistinct) {
  std::set<std::string> seen;
  for (int i = 0; i < 2000; ++i) {
    std::string guid;
    ASSERT_TRUE(firefox::NewGuid(&guid));
    ASSERT_TRUE(firefox::IsGuid(guid)) << guid;
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 2000u);
  EXPECT_FALSE(firefox::IsGuid("menu_______"));
  EXPECT_FALSE(firefox::IsGuid("abc+defghijk"));
  EXPECT_EQ(firefox::ReversedHost("https://User@WWW.Mozilla.org:8080/x"),
            "gro.allizom.www.");
  EXPECT_EQ(firefox::ReversedHost("place:sort=4"), "");
}

class TodayStoreTest : public ::testing::Test {
 protected:
  explicit TodayStoreTest(PlacesDb::Layout layout = PlacesDb::Layout::kToday)
      : db_(dir_.sub("profile/places.sqlite"), layout) {}

  std::string Src(const std::string& relative) {
    return dir_.sub("src/" + relative);
  }
  // import_2_firefox of src/ into a folder titled title under the menu.
  bool Import(ms_places_handle handle, const std::u16string& title) {
    return import_2_firefox(handle, M(U16(Src(""))), M(title), 0);
  }
  // A Firefox backup folder: pos.ini and the two exported roots.
  std::string Backup(const std::string& relative) {
    return dir_.sub("backup/" + relative);
  }
  void WritePosIni() {
    test::WriteBytes(Backup("pos.ini"),
                     "[Menu]\r\nMain=Bookmarks Menu\r\nOthers=Unsorted "
                     "Bookmarks\r\n");
    test::MakeDirs(Backup("Unsorted Bookmarks"));
  }
  int64_t Count(const std::string& sql) { return db_.Count(sql); }

  test::TempDir dir_;
  PlacesDb db_;
};

TEST_F(TodayStoreTest, RestoreWritesEveryColumnFirefoxNeeds) {
  WritePosIni();
  test::WriteUrlFile(Backup("Bookmarks Menu/News/Daily.url"),
                     "http://news.example/today");
  test::WriteUrlFile(Backup("Unsorted Bookmarks/Later.url"),
                     "https://later.example/");
  const std::string before_places = db_.Value("select max(id) from moz_places");
  {
    test::ScopedHandle handle(db_.path());
    ASSERT_NE(handle.get(), nullptr);
    ASSERT_TRUE(
        import_2_firefox_from_bk(handle.get(), M(U16(Backup(""))), false));
  }
  // The folder follows the default bookmarks' folder 7 in the menu.
  const int64_t news = db_.FolderId(2, "News");
  ASSERT_NE(news, 0);
  EXPECT_EQ(db_.Value("select type, fk, parent, position, dateAdded, "
                      "lastModified, syncStatus, syncChangeCounter, "
                      "length(guid) from moz_bookmarks where id=" +
                      std::to_string(news)),
            "2|NULL|2|1|1248279149000000|1248279149000000|0|1|12");
  EXPECT_EQ(db_.LinksIn(news),
            std::vector<std::string>{"Daily|http://news.example/today"});
  EXPECT_EQ(db_.LinksIn(5),
            std::vector<std::string>{"Later|https://later.example/"});

  for (const std::string url :
       {"http://news.example/today", "https://later.example/"}) {
    SCOPED_TRACE(url);
    const std::string where = " from moz_places where url='" + url + "'";
    EXPECT_EQ(db_.Value("select title, foreign_count, frecency, "
                        "length(guid), url_hash" +
                        where),
              std::string(url[4] == 's' ? "Later" : "Daily") + "|1|-1|12|" +
                  std::to_string(firefox::UrlHash(url)));
    EXPECT_GT(std::stoll(db_.Value("select id" + where)),
              std::stoll(before_places));
    EXPECT_EQ(db_.Value("select b.type || '|' || b.position || '|' || "
                        "b.dateAdded || '|' || b.lastModified || '|' || "
                        "length(b.guid) from moz_bookmarks b join moz_places p "
                        "on b.fk=p.id where p.url='" +
                        url + "'"),
              "1|0|1248279149000000|1248279149000000|12");
  }
  EXPECT_EQ(db_.Value("select rev_host from moz_places where "
                      "url='http://news.example/today'"),
            "elpmaxe.swen.");
  // Guids stay unique and in Firefox's alphabet; the journal stays WAL.
  EXPECT_EQ(Count("select guid from moz_bookmarks group by guid having "
                  "count(*) > 1"),
            0);
  EXPECT_EQ(Count("select guid from moz_places group by guid having "
                  "count(*) > 1"),
            0);
  for (const std::string& guid :
       db_.Rows("select guid from moz_bookmarks where id > 11 union all "
                "select guid from moz_places where id > 4")) {
    EXPECT_TRUE(firefox::IsGuid(guid)) << guid;
  }
  EXPECT_EQ(db_.Value("PRAGMA journal_mode"), "wal");
}

TEST_F(TodayStoreTest, PlacesAreSharedAndCountTheirBookmarks) {
  // One of Firefox's default bookmarks, and a new URL in two folders.
  test::WriteUrlFile(Src("About.url"), "https://www.mozilla.org/about/");
  test::WriteUrlFile(Src("Mine.url"), "http://mine.example/");
  test::ScopedHandle handle(db_.path());
  const int64_t places = Count("select * from moz_places");
  ASSERT_TRUE(Import(handle.get(), u"First"));
  ASSERT_TRUE(Import(handle.get(), u"Second"));
  EXPECT_EQ(Count("select * from moz_places"), places + 1);
  EXPECT_EQ(db_.Value("select foreign_count from moz_places where "
                      "url='https://www.mozilla.org/about/'"),
            "3");
  EXPECT_EQ(db_.Value("select foreign_count from moz_places where "
                      "url='http://mine.example/'"),
            "2");
  // Every foreign_count equals the bookmarks that point at the place.
  EXPECT_EQ(Count("select p.id from moz_places p where p.foreign_count != "
                  "(select count(*) from moz_bookmarks b where b.fk=p.id)"),
            0);
  // A second run adds nothing.
  const std::string snapshot = db_.Snapshot();
  ASSERT_TRUE(Import(handle.get(), u"Second"));
  EXPECT_EQ(db_.Snapshot(), snapshot);
}

TEST_F(TodayStoreTest, UrlsAreStoredAndComparedInFirefoxsForm) {
  test::WriteUrlFile(Src("Upper.url"), "HTTP://Example.COM");
  test::WriteUrlFile(Src("Same.url"), "http://example.com:80/");
  test::WriteUrlFile(Src("Cafe.url"), "http://caf\xC3\xA9.example/a b");
  test::WriteUrlFile(Src("About.url"), "HTTPS://WWW.MOZILLA.ORG/about/");
  test::WriteUrlFile(Src("Broken.url"), "http://bad host/x");
  test::ScopedHandle handle(db_.path());
  test::LogCapture log;
  ASSERT_TRUE(Import(handle.get(), u"Forms"));
  const int64_t folder = db_.FolderId(2, "Forms");
  EXPECT_EQ(db_.LinksIn(folder),
            (std::vector<std::string>{
                "About|https://www.mozilla.org/about/",
                "Broken|http://bad host/x",
                "Cafe|http://xn--caf-dma.example/a%20b",
                // Listed before Upper.url, whose address is the same.
                "Same|http://example.com/",
            }));
  // The existing place of Firefox's default bookmark is reused.
  EXPECT_EQ(Count("select * from moz_places where "
                  "url='https://www.mozilla.org/about/'"),
            1);
  EXPECT_TRUE(log.Contains("http://bad host/x")) << log.Joined();
  // A second run with the raw forms adds nothing.
  const std::string snapshot = db_.Snapshot();
  ASSERT_TRUE(Import(handle.get(), u"Forms"));
  EXPECT_EQ(db_.Snapshot(), snapshot);
}

// Running Firefox holds its profile and its store: nothing is written then,
// and the reason is named.
TEST_F(TodayStoreTest, NoWriteWhileFirefoxHoldsTheProfileOrTheStore) {
  test::WriteUrlFile(Src("One.url"), "http://one.example/");
  const std::string snapshot = db_.Snapshot();
  {
    // The lock Firefox leaves in the profile folder while it runs.
    test::HeldProfile held(dir_.sub("profile"));
    test::LogCapture log;
    test::ScopedHandle handle(db_.path());
    EXPECT_FALSE(Import(handle.get(), u"Locked"));
    EXPECT_TRUE(log.Contains("holds the profile")) << log.Joined();
  }
  {
    // The profile was free when the handle was made; then another program
    // began writing the store.
    test::ScopedHandle handle(db_.path());
    db_.Exec("BEGIN IMMEDIATE");
    test::LogCapture log;
    EXPECT_FALSE(Import(handle.get(), u"Busy"));
    EXPECT_TRUE(log.Contains("is locked")) << log.Joined();
    db_.Exec("ROLLBACK");
  }
  {
    // Firefox's exclusive lock keeps even the schema from being read.
    db_.Exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;");
    test::LogCapture log;
    test::ScopedHandle handle(db_.path());
    EXPECT_FALSE(Import(handle.get(), u"Exclusive"));
    EXPECT_TRUE(log.Contains("is locked")) << log.Joined();
    db_.Exec("PRAGMA locking_mode=NORMAL; select count(*) from moz_places;");
  }
  EXPECT_EQ(db_.Snapshot(), snapshot);
  test::ScopedHandle handle(db_.path());
  EXPECT_TRUE(Import(handle.get(), u"Free"));
}

// The old store keeps its own columns and the URLs as they were given.
class OldStoreTest : public TodayStoreTest {
 protected:
  OldStoreTest() : TodayStoreTest(PlacesDb::Layout::kOld) {}
};

TEST_F(OldStoreTest, ColumnsAndUrlsAsTheyAlwaysWere) {
  test::WriteUrlFile(Src("Upper.url"), "HTTP://Example.COM");
  test::ScopedHandle handle(db_.path());
  ASSERT_TRUE(Import(handle.get(), u"Old"));
  const int64_t folder = db_.FolderId(2, "Old");
  EXPECT_EQ(db_.Rows("select b.type, b.fk, b.parent, b.position, b.title, "
                     "b.keyword_id, b.folder_type, b.dateAdded, b.lastModified,"
                     " p.url, p.title, p.favicon_id from moz_bookmarks b join "
                     "moz_places p on b.fk = p.id"),
            std::vector<std::string>{
                "1|1|" + std::to_string(folder) +
                "|0|Upper|NULL|NULL|1248279149000000|NULL|HTTP://Example.COM|"
                "Upper|NULL"});
  // The journal is not switched off: an import must be able to roll back.
  EXPECT_NE(db_.Value("PRAGMA journal_mode"), "off");
}

// One transaction per import: a row that is refused fails alone, a failure
// that ends the transaction leaves nothing behind.
void RefusedRowFailsAloneAbortLeavesNothing(PlacesDb::Layout layout) {
  test::TempDir dir;
  PlacesDb db(dir.sub("places.sqlite"), layout);
  for (int i = 0; i < 5; ++i) {
    test::WriteUrlFile(dir.sub("src/L" + std::to_string(i) + ".url"),
                       "http://l" + std::to_string(i) + ".example/");
  }
  const std::u16string src = U16(dir.sub("src"));
  db.Exec(
      "CREATE TRIGGER refuse BEFORE INSERT ON moz_places WHEN "
      "new.url='http://l2.example/' BEGIN SELECT RAISE(ABORT, 'no'); END;");
  test::ScopedHandle handle(db.path());
  test::LogCapture log;
  EXPECT_FALSE(import_2_firefox(handle.get(), M(src), M(u"Partly"), 0));
  EXPECT_TRUE(log.Contains("InsertURL execute fail:4313")) << log.Joined();
  EXPECT_EQ(db.LinksIn(db.FolderId(2, "Partly")).size(), 4u);

  db.Exec("DROP TRIGGER refuse;");
  db.Exec(
      "CREATE TRIGGER stop BEFORE INSERT ON moz_bookmarks WHEN "
      "new.title='L3' BEGIN SELECT RAISE(ROLLBACK, 'no'); END;");
  const std::string snapshot = db.Snapshot();
  EXPECT_FALSE(import_2_firefox(handle.get(), M(src), M(u"Whole"), 0));
  // Read at once: the system's calls made by the checks below change it.
  EXPECT_EQ(marksafe_last_error(), 4313u);
  EXPECT_TRUE(log.Contains("nothing of it was written")) << log.Joined();
  EXPECT_EQ(db.Snapshot(), snapshot);
  // The handle stays usable.
  db.Exec("DROP TRIGGER stop;");
  EXPECT_TRUE(import_2_firefox(handle.get(), M(src), M(u"Whole"), 0));
  EXPECT_EQ(db.LinksIn(db.FolderId(2, "Whole")).size(), 5u);
}

TEST(ImportTransaction, RefusedRowFailsAloneAbortLeavesNothing) {
  {
    SCOPED_TRACE("old store");
    RefusedRowFailsAloneAbortLeavesNothing(PlacesDb::Layout::kOld);
  }
  SCOPED_TRACE("today's store");
  RefusedRowFailsAloneAbortLeavesNothing(PlacesDb::Layout::kToday);
}

TEST_F(TodayStoreTest, LookUpsSeeWhatTheSameCallAdded) {
  // A large folder with one URL three times, the middle one in another
  // letter case.
  for (int i = 0; i < 1500; ++i) {
    std::string url = "http://site.example/" + std::to_string(i);
    if (i == 700) url = "http://site.example/42";
    if (i == 1400) url = "http://SITE.example/42";
    char name[16];
    snprintf(name, sizeof name, "%05d.url", i);
    test::WriteUrlFile(Src(std::string("big/") + name), url);
  }
  // A restore whose Firefox part already holds "Imported from IE" with a
  // link that the Favorites part of the same set holds too.
  test::WriteBytes(dir_.sub("set/Bookmarks/Firefox/pos.ini"),
                   "[Menu]\r\nMain=Bookmarks Menu\r\nOthers=Unsorted\r\n");
  test::MakeDirs(dir_.sub("set/Bookmarks/Firefox/Unsorted"));
  test::WriteUrlFile(
      dir_.sub("set/Bookmarks/Firefox/Bookmarks Menu/Imported from IE/a.url"),
      "http://both.example/");
  test::WriteUrlFile(dir_.sub("set/Bookmarks/Favorites/b.url"),
                     "http://BOTH.example/");
  test::ScopedHandle handle(db_.path());
  ASSERT_TRUE(Import(handle.get(), u"Large"));
  const int64_t big = db_.FolderId(db_.FolderId(2, "Large"), "big");
  EXPECT_EQ(db_.LinksIn(big).size(), 1498u);
  int32_t progress = 0;
  ASSERT_TRUE(restore_firefox_pro(handle.get(), M(U16(dir_.sub("set"))), true,
                                  0, 0, 0, 0, &progress));
  EXPECT_EQ(db_.FoldersIn(2),
            (std::vector<std::string>{"Mozilla Firefox", "Large",
                                      "Imported from IE"}));
  EXPECT_EQ(db_.LinksIn(db_.FolderId(2, "Imported from IE")),
            std::vector<std::string>{"a|http://both.example/"});
}

}  // namespace
}  // namespace marksafe
