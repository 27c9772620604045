// The places handle and the size exports: counting, the live database found
// through the profile, backup folders, and a running or unusable Firefox.
#include "firefox/places_size.h"

#include <gtest/gtest.h>

#include "firefox/places_handle.h"
#include "firefox/places_import.h"
#include "places_fixture.h"
#include "support/browser_home.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::Ms;
using test::U16;

// A roaming application-data folder with one Firefox profile.
class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!home_.unusable().empty()) GTEST_SKIP() << home_.unusable();
    test::MakeDirs(profile_);
  }
  // Counts through handle, or the live store when it is null, as
  // "result|size|folders|links".
  std::string Sizes(ms_places_handle handle = nullptr) {
    uint64_t size = 77;
    int32_t folders = 99, links = 99;
    if (handle != nullptr) {
      firefox::CountBookmarks(handle, &folders, &links);
      return std::to_string(folders) + "|" + std::to_string(links);
    }
    bool ok =
        get_firefox_bookmark_size(nullptr, false, &size, &folders, &links);
    return std::to_string(ok) + "|" + std::to_string(size) + "|" +
           std::to_string(folders) + "|" + std::to_string(links);
  }
  test::TempDir dir_;
  test::BrowserHome home_;
  const std::string profile_ =
      home_.roaming() + "/Mozilla/Firefox/Profiles/ab12cd.default";
  const std::string places_ = profile_ + "/places.sqlite";
};

TEST_F(ProfileTest, CountsTitledFoldersAndWebLinks) {
  test::PlacesDb db(places_);
  // Places 1 to 3 are never counted.
  db.Exec(
      "insert into moz_places(id, url) values(1,'http://p1/'),"
      "(2,'http://p2/'),(3,'http://p3/')");
  int64_t a = db.AddFolder(2, "A");
  db.AddFolder(a, "");                             // untitled: not counted
  int64_t on_bar = db.AddFolder(3, "On the bar");  // under the toolbar: no
  db.AddFolder(on_bar, "Deeper");                  // counted
  db.AddFolder(4, "tag");                          // under tags: no
  db.AddLink(a, "http://one/", "1");
  db.AddLink(a, "HTTPS://two/", "2");
  db.AddLink(5, "ftp.example.com/x", "ftp-ish");  // "ftp" prefix counts
  db.AddLink(a, "mailto:x@y", "m");               // not a web link
  db.AddLink(on_bar, "http://hidden/", "h");      // in the first bar item
  db.AddLink(3, "http://bar/", "b");
  // 2, 5, A, Deeper less one; one, two, ftp, bar.
  EXPECT_EQ(Sizes(),
            "1|" + std::to_string(test::ReadBytes(places_).size()) + "|3|4");
}

// A missing store counts as nothing (and is not created); one that is no
// places database never reads as an empty store.
TEST_F(ProfileTest, MissingOrUnusableDatabaseFailsCleanly) {
  EXPECT_EQ(Sizes(), "1|77|-1|0");
  EXPECT_FALSE(test::Exists(places_));
  // An empty file is a database without the places tables.
  test::WriteBytes(places_, "");
  {
    test::ScopedHandle handle(places_);
    ASSERT_NE(handle.get(), nullptr);
    EXPECT_EQ(Sizes(handle.get()), "-1|0");
  }
  test::WriteBytes(places_, std::string(4096, 'x'));
  EXPECT_EQ(Sizes().substr(0, 2), "0|");
  for (const std::u16string& path :
       {U16(places_), U16(profile_), dir_.u16("none.sqlite")}) {
    EXPECT_EQ(init_bookmark(Ms(path)), nullptr) << test::U8(path);
  }
  EXPECT_EQ(init_bookmark(nullptr), nullptr);
  EXPECT_FALSE(release_bookmark(nullptr));
  int32_t folders = 0, links = 0;
  EXPECT_FALSE(
      get_firefox_bookmark_size(nullptr, false, nullptr, &folders, &links));
}

// While Firefox runs the handle has no connection: nothing is counted,
// imported or exported, and the store is not touched.
TEST_F(ProfileTest, RunningFirefoxLeavesTheStoreAlone) {
  test::PlacesDb db(places_);
  db.AddLink(2, "http://a.example/", "A");
  test::WriteUrlFile(dir_.sub("src/a.url"), "http://new.example/");
  test::MakeDirs(dir_.sub("out"));
  const std::string before = db.Snapshot();
  test::FakeFirefox firefox(dir_.path());
  ms_places_handle handle = init_bookmark(nullptr);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(Sizes(handle), "-1|0");
  EXPECT_EQ(Sizes().substr(0, 2), "0|");
  const std::u16string src = dir_.u16("src");
  EXPECT_FALSE(firefox::ImportPlacesFolder(handle, src, u"2", u"X", nullptr));
  EXPECT_FALSE(firefox::FixImportFromBK(handle, src, u"2"));
  EXPECT_FALSE(export_firefox_2_folder(handle, Ms(dir_.u16("out")), true));
  EXPECT_EQ(test::ListTree(dir_.sub("out")),
            (std::vector<std::string>{"Bookmarks/", "Bookmarks/Firefox/"}));
  EXPECT_TRUE(release_bookmark(handle));
  EXPECT_EQ(db.Snapshot(), before);
}

// A failed measurement leaves the counts of get_firefox_bookmark_size.
TEST(BackupSize, MeasuresTheFirefoxPartOfABackupSet) {
  test::TempDir dir;
  const std::string part = dir.sub("set/Bookmarks/Firefox/Bookmarks Menu/");
  test::WriteUrlFile(part + "a.url", "http://a/");
  test::WriteUrlFile(part + "N/b.url", "http://bb/");
  test::WriteBytes(part + "../pos.ini", "xx");
  const uint64_t expected = test::ReadBytes(part + "a.url").size() +
                            test::ReadBytes(part + "N/b.url").size();
  const std::u16string root = dir.u16("set");
  uint64_t size = 0;
  int32_t folders = 0, links = 0;
  ASSERT_TRUE(get_firefox_bk_size(Ms(root), true, &size, &folders, &links));
  EXPECT_EQ(size, expected);
  EXPECT_EQ(std::pair(folders, links), std::pair(2, 2));
  size = 0;
  ASSERT_TRUE(
      get_firefox_bookmark_size(Ms(root), true, &size, &folders, &links));
  EXPECT_EQ(size, expected);
  folders = links = 42;
  EXPECT_FALSE(get_firefox_bookmark_size(Ms(dir.u16("absent")), true, &size,
                                         &folders, &links));
  EXPECT_EQ(std::pair(folders, links), std::pair(42, 42));
  EXPECT_FALSE(get_firefox_bk_size(nullptr, true, &size, &folders, &links));
}

}  // namespace
}  // namespace marksafe
