// The places statements on the old store: ids, positions and the folder
// look-up. (Text values as values: through the import and export tests.)
#include "firefox/places_statements.h"

#include <gtest/gtest.h>

#include "places_fixture.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using firefox::FolderRecord;

class PlacesStatementsTest : public ::testing::Test {
 protected:
  PlacesStatementsTest()
      : db_(dir_.sub("places.sqlite")), handle_(dir_.sub("places.sqlite")) {}
  ms_places* h() { return handle_.get(); }
  std::string Row(const std::string& columns, int64_t id) {
    return db_.Value("select " + columns +
                     " from moz_bookmarks where id=" + std::to_string(id));
  }
  test::TempDir dir_;
  test::PlacesDb db_;
  test::ScopedHandle handle_;
};

TEST_F(PlacesStatementsTest, IdsAndPositionsCountUpFromTheLargest) {
  ASSERT_NE(h(), nullptr);
  // An empty moz_places still takes a first place.
  EXPECT_EQ(firefox::InsertURL(h(), u"http://first/", u"f"), 1);
  db_.Exec("insert into moz_places(id, url) values(100, 'http://x/')");
  EXPECT_EQ(firefox::InsertURL(h(), u"http://y/", u"y"), 101);
  EXPECT_EQ(firefox::FindPlaceByUrl(h(), u"http://y/"), 101);
  EXPECT_EQ(firefox::FindPlaceByUrl(h(), u"http://none/"), 0);

  int64_t empty = db_.AddFolder(2, "Empty");
  int64_t gaps = db_.AddFolder(2, "Gaps");
  db_.AddLink(gaps, "http://a/", "a");
  int64_t b = db_.AddLink(gaps, "http://b/", "b");
  db_.Exec("update moz_bookmarks set position=5 where id=" + std::to_string(b));
  int64_t first =
      firefox::InsertBookmarks(h(), u"2", 0, empty, u"x", u"1248279149000000");
  EXPECT_EQ(Row("position, fk, dateAdded", first), "0|NULL|1248279149000000");
  int64_t second = firefox::InsertBookmarks(h(), u"1", 42, gaps, u"y", u"1");
  EXPECT_EQ(second, first + 1);
  EXPECT_EQ(Row("position, fk, type", second), "6|42|1");
}

// A folder is listed by the first folder of its title and parent; a link of
// that title is not taken for it.
TEST_F(PlacesStatementsTest, FolderListingFollowsTheFolderOfTheSameTitle) {
  db_.AddLink(2, "http://decoy/", "Twin");
  int64_t a = db_.AddFolder(2, "Twin");
  db_.AddFolder(2, "Twin");
  db_.AddFolder(a, "Child of first");
  FolderRecord second{u"0", u"2", u"Twin"};
  std::vector<FolderRecord> children;
  ASSERT_TRUE(firefox::ListChildFolders(h(), &second, &children));
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(children[0].title, u"Child of first");
}

}  // namespace
}  // namespace marksafe
