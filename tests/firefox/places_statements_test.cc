// The places statements: ids, positions, look-ups, listings, and text
// values that must stay values.
#include "firefox/places_statements.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "firefox/places_handle.h"
#include "places_fixture.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using firefox::FolderRecord;
using firefox::UrlEntry;

class PlacesStatementsTest : public ::testing::Test {
 protected:
  PlacesStatementsTest()
      : db_(dir_.sub("places.sqlite")), handle_(dir_.sub("places.sqlite")) {}
  ms_places* h() { return handle_.get(); }
  test::TempDir dir_;
  test::PlacesDb db_;
  test::ScopedHandle handle_;
};

TEST_F(PlacesStatementsTest, InsertBookmarksTakesTheNextPosition) {
  ASSERT_NE(h(), nullptr);
  int64_t empty = db_.AddFolder(2, "Empty");
  int64_t folder = db_.AddFolder(2, "Gaps");
  db_.AddLink(folder, "http://a/", "a");
  db_.AddLink(folder, "http://b/", "b");
  int64_t c = db_.AddLink(folder, "http://c/", "c");
  db_.Exec("update moz_bookmarks set position=5 where id=" + std::to_string(c));

  int64_t first =
      firefox::InsertBookmarks(h(), u"2", 0, empty, u"x", u"1248279149000000");
  ASSERT_NE(first, 0);
  EXPECT_EQ(db_.Value("select position, fk, dateAdded from moz_bookmarks "
                      "where id=" +
                      std::to_string(first)),
            "0|NULL|1248279149000000");
  int64_t second = firefox::InsertBookmarks(h(), u"1", 42, folder, u"y", u"1");
  EXPECT_EQ(second, first + 1);  // max(id) + 1
  EXPECT_EQ(db_.Value("select position, fk, type from moz_bookmarks where id=" +
                      std::to_string(second)),
            "6|42|1");
}

TEST_F(PlacesStatementsTest, InsertURLCountsUpFromTheLargestId) {
  // An empty moz_places still takes a first place.
  EXPECT_EQ(firefox::InsertURL(h(), u"http://first/", u"f"), 1);
  db_.Exec("insert into moz_places(id, url) values(100, 'http://x/')");
  EXPECT_EQ(firefox::InsertURL(h(), u"http://y/", u"y"), 101);
  EXPECT_EQ(firefox::InsertURL(h(), u"http://z/", u"z"), 102);
  EXPECT_EQ(firefox::FindPlaceByUrl(h(), u"http://y/"), 101);
  EXPECT_EQ(firefox::FindPlaceByUrl(h(), u"http://none/"), 0);
  // The unique index refuses a second place of one URL: 0.
  EXPECT_EQ(firefox::InsertURL(h(), u"http://y/", u"again"), 0);
}

TEST_F(PlacesStatementsTest, BookmarkExistsAnywhereOrInOneFolder) {
  int64_t seven = db_.AddFolder(2, "Seven");
  db_.AddLink(seven, "http://here/", "h");
  EXPECT_TRUE(firefox::BookmarkExists(h(), u"http://here/", u""));
  EXPECT_TRUE(firefox::BookmarkExists(h(), u"http://here/", NumberText(seven)));
  EXPECT_FALSE(firefox::BookmarkExists(h(), u"http://here/", u"2"));
  EXPECT_FALSE(firefox::BookmarkExists(h(), u"http://elsewhere/", u""));
}

TEST_F(PlacesStatementsTest, UrlListingKeepsWebSchemesOnly) {
  int64_t f = db_.AddFolder(2, "Mixed");
  db_.AddLink(f, "https://secure/", "s");
  db_.AddLink(f, "FTP://files/", "f");
  db_.AddLink(f, "mailto:me@example.com", "m");
  db_.AddLink(f, "javascript:alert(1)", "j");
  FolderRecord folder{NumberText(f), u"2", u"Mixed"};
  std::vector<UrlEntry> entries;
  ASSERT_TRUE(firefox::ListChildUrls(h(), &folder, &entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].url, u"https://secure/");
  EXPECT_EQ(entries[1].url, u"FTP://files/");
}

TEST_F(PlacesStatementsTest, FolderListingFollowsTheFolderOfTheSameTitle) {
  int64_t a = db_.AddFolder(2, "Twin");
  db_.AddFolder(2, "Twin");
  db_.AddFolder(a, "Child of first");
  // A link of the same title is not taken for the folder.
  db_.Exec("update moz_bookmarks set position=position+1 where parent=2");
  db_.Exec(
      "insert into moz_bookmarks(id,type,fk,parent,position,title) "
      "values(1000,1,NULL,2,0,'Twin')");
  FolderRecord second{u"0", u"2", u"Twin"};
  std::vector<FolderRecord> children;
  ASSERT_TRUE(firefox::ListChildFolders(h(), &second, &children));
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(children[0].title, u"Child of first");
}

// Titles and URLs with quotes, semicolons, SQL and column names are stored
// and found as the very text they are.
TEST_F(PlacesStatementsTest, TextValuesCannotChangeAStatement) {
  const std::u16string nasty[] = {
      u"He said \"hi\"",
      u"it's",
      u"\"); drop table moz_bookmarks; --",
      u"'); delete from moz_places; --",
      u"title",
      u"url",
      u"x\" or \"1\"=\"1",
      u"caf\u00e9 \u6771\u4eac",
  };
  for (const std::u16string& text : nasty) {
    std::u16string url = u"http://example.com/" + text;
    int64_t place = firefox::InsertURL(h(), url, text);
    ASSERT_NE(place, 0) << test::U8(text);
    EXPECT_EQ(firefox::FindPlaceByUrl(h(), url), place);
    int64_t folder =
        firefox::InsertBookmarks(h(), u"2", 0, 2, text, u"1248279149000000");
    ASSERT_NE(folder, 0);
    int64_t link = firefox::InsertBookmarks(h(), u"1", place, folder, text,
                                            u"1248279149000000");
    ASSERT_NE(link, 0);
    EXPECT_TRUE(firefox::BookmarkExists(h(), url, NumberText(folder)));
    EXPECT_EQ(db_.Value("select title from moz_bookmarks where id=" +
                        std::to_string(link)),
              test::U8(text));
  }
  EXPECT_EQ(db_.Count("select * from moz_bookmarks"), 5 + 16);
  EXPECT_EQ(db_.Count("select * from moz_places"), 8);
  // "url" is a column name: it must not match every place.
  EXPECT_EQ(firefox::FindPlaceByUrl(h(), u"url"), 0);
}

}  // namespace
}  // namespace marksafe
