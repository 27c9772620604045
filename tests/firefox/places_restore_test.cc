// Writing into the store of today's Firefox (every column it needs, the URL
// hash and guids it computes, shared places, URLs in Firefox's form, no write
// while Firefox holds the profile or the store, one transaction per import),
// older backup sets, the restore of a backup set of all three parts, and
// the merge of a Firefox backup into a folder. Whole round trips of every
// root are in tests/roundtrip.
#include <gtest/gtest.h>

#include "model/bookmark_tree.h"
#include "places_fixture.h"
#include "platform/platform.h"
#include "stores/places/places_keys.h"
#include "stores/places/places_restore.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::Ms;
using test::PlacesDb;
using test::U16;
using Rows = std::vector<std::string>;

TEST(PlacesKeys, UrlHashAndGuidsAreFirefoxs) {
  EXPECT_EQ(firefox::UrlHash("http://www.example.com"), 0x72262C1A3496);
  EXPECT_EQ(
      firefox::UrlHash("https://github.com/mozilla/application-services/"),
      0x2B12E7BD7FCD);
  EXPECT_EQ(firefox::UrlHash("place:transition=7&sort=4"), 0xF434AC2B2DAF);
  EXPECT_EQ(firefox::UrlHash("www.example.com"), 0x8B149337);
  // Only the first 1500 bytes count; a ":" after byte 50 names no scheme.
  const std::string long_url = "https://x/" + std::string(1490, 'a');
  EXPECT_EQ(firefox::UrlHash(long_url), firefox::UrlHash(long_url + "tail"));
  EXPECT_LT(firefox::UrlHash(std::string(50, 'a') + ":b"), int64_t{1} << 32);
  // A guid of Firefox's alphabet and length.
  std::string guid;
  ASSERT_TRUE(firefox::NewGuid(&guid));
  EXPECT_EQ(guid.size(), 12u);
  EXPECT_EQ(guid.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnop"
                                   "qrstuvwxyz0123456789-_"),
            std::string::npos)
      << guid;
}

class TodayStoreTest : public ::testing::Test {
 protected:
  std::string Src(const std::string& relative) {
    return dir_.sub("src/" + relative);
  }
  // import_2_firefox of src/ into a folder titled title under the menu.
  bool Import(const std::u16string& title) {
    test::ScopedHandle handle(db_.path());
    return import_2_firefox(handle.get(), Ms(U16(Src(""))), Ms(title), 0);
  }
  test::TempDir dir_;
  PlacesDb db_{dir_.sub("profile/places.sqlite"), PlacesDb::Layout::kToday};
};

TEST_F(TodayStoreTest, RestoreWritesEveryColumnFirefoxNeeds) {
  const std::string backup = dir_.sub("backup/");
  const std::string url = "http://news.example/today";
  test::WriteBytes(backup + "pos.ini",
                   "[Menu]\r\nMain=Menu\r\nOthers=Unsorted\r\n");
  test::WriteUrlFile(backup + "Menu/News/Daily.url", url);
  test::WriteUrlFile(backup + "Unsorted/Later.url", "https://later.example/");
  const std::string start = std::to_string(model::Now());
  {
    test::ScopedHandle handle(db_.path());
    ASSERT_TRUE(import_2_firefox_from_bk(handle.get(), Ms(U16(backup)), false));
  }
  // The folder follows the default bookmarks' folder 7 in the menu. An
  // older backup has no dates: the items get the restore's time.
  const int64_t news = db_.FolderId(2, "News");
  EXPECT_EQ(db_.Value("select type, fk, parent, position, dateAdded >= " +
                      start + ", lastModified = dateAdded, syncStatus, "
                      "syncChangeCounter, length(guid) from moz_bookmarks "
                      "where id=" + std::to_string(news)),
            "2|NULL|2|1|1|1|0|1|12");
  EXPECT_EQ(db_.LinksIn(news), Rows{"Daily|" + url});
  EXPECT_EQ(db_.LinksIn(5), Rows{"Later|https://later.example/"});
  const std::string where = " from moz_places where url='" + url + "'";
  EXPECT_EQ(
      db_.Value("select foreign_count, frecency, length(guid), "
                "url_hash, rev_host" +
                where),
      "1|-1|12|" + std::to_string(firefox::UrlHash(url)) + "|elpmaxe.swen.");
  EXPECT_EQ(db_.Value("select type, position, dateAdded >= " + start +
                      ", length(guid) from moz_bookmarks where fk=(select id" +
                      where + ")"),
            "1|0|1|12");
  EXPECT_EQ(db_.Value("PRAGMA journal_mode"), "wal");  // as Firefox set it
}

// URLs are stored and compared in the form Firefox's parser gives them, and
// a place is shared by the bookmarks of its URL, which it counts.
TEST_F(TodayStoreTest, UrlsInFirefoxsFormAndSharedPlaces) {
  test::WriteUrlFile(Src("Upper.url"), "HTTP://Example.COM");
  test::WriteUrlFile(Src("Same.url"), "http://example.com:80/");
  test::WriteUrlFile(Src("Cafe.url"), "http://caf\xC3\xA9.example/a b");
  // The place of one of Firefox's default bookmarks.
  test::WriteUrlFile(Src("About.url"), "HTTPS://WWW.MOZILLA.ORG/about/");
  test::WriteUrlFile(Src("Broken.url"), "http://bad host/x");
  const int64_t places = db_.Count("select * from moz_places");
  ASSERT_TRUE(Import(u"First"));
  ASSERT_TRUE(Import(u"Second"));
  // Same.url and Upper.url are two bookmarks of one address: both kept.
  EXPECT_EQ(
      db_.LinksIn(db_.FolderId(2, "Second")),
      (Rows{"About|https://www.mozilla.org/about/", "Broken|http://bad host/x",
            "Cafe|http://xn--caf-dma.example/a%20b",
            "Same|http://example.com/", "Upper|http://example.com/"}));
  EXPECT_EQ(db_.Count("select * from moz_places"), places + 3);
  EXPECT_EQ(db_.Value("select foreign_count from moz_places where "
                      "url='https://www.mozilla.org/about/'"),
            "3");
  EXPECT_EQ(db_.Value("select foreign_count from moz_places where "
                      "url='http://example.com/'"),
            "4");
  // Nor is a link added again whose URL the store holds in another form.
  db_.Exec(
      "update moz_places set url='HTTP://Example.COM' where "
      "url='http://example.com/'");
  const std::string snapshot = db_.Snapshot();
  ASSERT_TRUE(Import(u"Second"));
  EXPECT_EQ(db_.Snapshot(), snapshot);
}

// Running Firefox holds its profile (its lock in the profile folder) and its
// store: nothing is written then.
TEST_F(TodayStoreTest, NoWriteWhileFirefoxHoldsTheProfileOrTheStore) {
  test::WriteUrlFile(Src("One.url"), "http://one.example/");
  const std::string snapshot = db_.Snapshot();
  {
    test::HeldProfile held(dir_.sub("profile"));
    EXPECT_FALSE(Import(u"Locked"));
  }
  {  // the profile was free when the handle was made; then a writer came
    test::ScopedHandle handle(db_.path());
    db_.Exec("BEGIN IMMEDIATE");
    EXPECT_FALSE(
        import_2_firefox(handle.get(), Ms(U16(Src(""))), Ms(u"Busy"), 0));
    db_.Exec("ROLLBACK");
  }
  // Firefox's exclusive lock keeps even the schema from being read.
  db_.Exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;");
  EXPECT_FALSE(Import(u"Exclusive"));
  db_.Exec("PRAGMA locking_mode=NORMAL; select count(*) from moz_places;");
  EXPECT_EQ(db_.Snapshot(), snapshot);
  EXPECT_TRUE(Import(u"Free"));
}

// One transaction per import: a row that is refused fails alone, a failure
// that ends the transaction leaves nothing behind, on either store.
TEST(ImportTransaction, RefusedRowFailsAloneAbortLeavesNothing) {
  for (auto layout : {PlacesDb::Layout::kOld, PlacesDb::Layout::kToday}) {
    SCOPED_TRACE(layout == PlacesDb::Layout::kOld ? "old" : "today");
    test::TempDir dir;
    PlacesDb db(dir.sub("places.sqlite"), layout);
    for (const char* i : {"0", "1", "2", "3", "4"}) {
      test::WriteUrlFile(dir.sub("src/L") + i + ".url",
                         std::string("http://l") + i + ".example/");
    }
    const std::u16string src = U16(dir.sub("src"));
    db.Exec(
        "CREATE TRIGGER refuse BEFORE INSERT ON moz_places WHEN "
        "new.url='http://l2.example/' BEGIN SELECT RAISE(ABORT, 'no'); "
        "END;");
    test::ScopedHandle handle(db.path());
    EXPECT_FALSE(import_2_firefox(handle.get(), Ms(src), Ms(u"Partly"), 0));
    EXPECT_EQ(db.LinksIn(db.FolderId(2, "Partly")).size(), 4u);

    db.Exec(
        "DROP TRIGGER refuse; CREATE TRIGGER stop BEFORE INSERT ON "
        "moz_bookmarks WHEN new.title='L3' BEGIN SELECT RAISE(ROLLBACK, "
        "'no'); END;");
    const std::string snapshot = db.Snapshot();
    EXPECT_FALSE(import_2_firefox(handle.get(), Ms(src), Ms(u"Whole"), 0));
    // Read at once: the system's calls made by the checks below change it.
    EXPECT_EQ(marksafe_last_error(), 4313u);
    EXPECT_EQ(db.Snapshot(), snapshot);
    db.Exec("DROP TRIGGER stop;");  // the handle stays usable
    EXPECT_TRUE(import_2_firefox(handle.get(), Ms(src), Ms(u"Whole"), 0));
    EXPECT_EQ(db.LinksIn(db.FolderId(2, "Whole")).size(), 5u);
  }
}

// A backup set whose Firefox part is what backup_firefox wrote from a store
// with a menu folder and an unsorted link, beside a Favorites and a Chrome
// part.
class RestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::PlacesDb source(dir_.sub("source/places.sqlite"));
    source.AddLink(source.AddFolder(2, "News"), "http://news.example/",
                   "Daily \xC3\xA9");
    source.AddLink(5, "http://later.example/", "Later");
    test::MakeDirs(Set(""));
    test::ScopedHandle handle(source.path());
    ASSERT_TRUE(backup_firefox(handle.get(), Ms(root_), true, 0, 0));
    test::WriteUrlFile(Set("Favorites/Links/ie.url"), "http://ie.example/");
    test::WriteUrlFile(Set("Favorites/url/skipped.url"), "http://skip/");
    test::WriteUrlFile(Set("Chrome/Bookmarks bar/chrome.url"),
                       "http://chrome.example/");
  }
  std::string Set(const std::string& relative) {
    return dir_.sub("set/Bookmarks/" + relative);
  }
  bool Restore(const std::u16string& path, bool into_backup_set,
               int32_t* progress) {
    test::ScopedHandle handle(db_.path());
    return restore_firefox_pro(handle.get(), Ms(path), into_backup_set, 1, 2, 3,
                               4, progress);
  }
  test::TempDir dir_;
  test::PlacesDb db_{dir_.sub("places.sqlite")};
  const std::u16string root_ = dir_.u16("set");
};

TEST_F(RestoreTest, LaterStepsRunAfterAFailedFirefoxStep) {
  ASSERT_TRUE(platform::DeleteFile(U16(Set("Firefox/pos.ini"))).ok());
  int32_t progress = 0;
  EXPECT_FALSE(Restore(root_, true, &progress));
  EXPECT_EQ(progress, 4);
  EXPECT_NE(db_.FolderId(2, "Imported from IE"), 0);
  EXPECT_NE(db_.FolderId(2, "Imported from Chrome"), 0);
}

// (A null handle is refused as JobTest's refused calls show.)
TEST_F(RestoreTest, NullArgumentsTouchNothing) {
  const std::string before = db_.Snapshot();
  test::ScopedHandle handle(db_.path());
  int32_t progress = 3;
  EXPECT_FALSE(Restore(root_, true, nullptr));
  EXPECT_FALSE(firefox::RestoreFirefoxPro(handle.get(), root_.c_str(), true,
                                          nullptr)
                   .ok());  // behind the export
  EXPECT_FALSE(Restore(dir_.u16("none"), true, &progress));
  EXPECT_EQ(progress, 3);
  EXPECT_EQ(import_chrome_bk_2_firefox(handle.get(), nullptr, true), 87);
  EXPECT_EQ(import_chrome_bk_2_firefox(handle.get(), Ms(dir_.u16("no")), true),
            87);
  EXPECT_FALSE(import_2_firefox(handle.get(), nullptr, nullptr, 0));
  EXPECT_FALSE(import_2_firefox_from_ie_bk(handle.get(), nullptr, true));
  EXPECT_FALSE(import_2_firefox_from_bk(nullptr, Ms(root_), true));
  EXPECT_FALSE(import_firefox_bk_2_folder(Ms(root_), true, nullptr, nullptr));
  EXPECT_EQ(db_.Snapshot(), before);
}

// The merge itself is MergePartIntoFavorites' (tests/ie): the export finds
// the part in a set or as given, under the folder name given.
TEST_F(RestoreTest, FirefoxBackupMergesIntoAFolder) {
  test::MakeDirs(dir_.sub("fav"));
  const std::u16string fav = dir_.u16("fav");
  ASSERT_TRUE(import_firefox_bk_2_folder(Ms(root_), true, Ms(fav), nullptr));
  EXPECT_TRUE(test::Exists(dir_.sub(
      "fav/Imported from Firefox/Bookmarks Menu/News/Daily \xC3\xA9.url")));
  ASSERT_TRUE(import_firefox_bk_2_folder(Ms(U16(Set("Firefox"))), false,
                                         Ms(fav), Ms(u"Old Firefox")));
  EXPECT_TRUE(
      test::Exists(dir_.sub("fav/Old Firefox/Unsorted Bookmarks/Later.url")));
  EXPECT_FALSE(import_firefox_bk_2_folder(Ms(dir_.u16("nowhere")), true,
                                          Ms(fav), nullptr));
}

}  // namespace
}  // namespace marksafe
