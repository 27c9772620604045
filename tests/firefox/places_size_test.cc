// The places handle and the size exports: counting, the live database found
// through the profile, backup folders, and a running or unusable Firefox.
#include "firefox/places_size.h"

#include <gtest/gtest.h>

#include "firefox/places_handle.h"
#include "places_fixture.h"
#include "support/browser_home.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::U16;

const MS_CHAR* M(const std::u16string& text) {
  return reinterpret_cast<const MS_CHAR*>(text.c_str());
}

// A roaming application-data folder with one Firefox profile.
class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!home_.unusable().empty()) GTEST_SKIP() << home_.unusable();
    profile_ = home_.roaming() + "/Mozilla/Firefox/Profiles/ab12cd.default";
    test::MakeDirs(profile_);
  }
  std::string Places() const { return profile_ + "/places.sqlite"; }
  test::TempDir dir_;
  test::BrowserHome home_;
  std::string profile_;
};

void Count(const std::string& places, int32_t* folders, int32_t* links) {
  test::ScopedHandle handle(places);
  ASSERT_NE(handle.get(), nullptr);
  firefox::CountBookmarks(handle.get(), folders, links);
}

TEST_F(ProfileTest, CountsTitledFoldersAndWebLinks) {
  test::PlacesDb db(Places());
  int32_t folders = 99, links = 99;
  Count(Places(), &folders, &links);
  EXPECT_EQ(folders, 1);  // 2 and 5, less one
  EXPECT_EQ(links, 0);

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
  Count(Places(), &folders, &links);
  EXPECT_EQ(folders, 3);  // 2, 5, A, Deeper, less one
  EXPECT_EQ(links, 4);    // one, two, ftp-ish, bar
}

TEST_F(ProfileTest, LiveSizeMeasuresTheProfileDatabase) {
  {
    test::PlacesDb db(Places());
    db.Exec("insert into moz_places(id, url) values(3,'http://p3/')");
    db.AddLink(2, "http://a.example/", "A");
  }
  uint64_t size = 0;
  int32_t folders = 0, links = 0;
  ASSERT_TRUE(
      get_firefox_bookmark_size(nullptr, false, &size, &folders, &links));
  EXPECT_EQ(size, test::ReadBytes(Places()).size());
  EXPECT_EQ(folders, 1);
  EXPECT_EQ(links, 1);
}

TEST_F(ProfileTest, MissingOrUnusableDatabaseFailsCleanly) {
  // No places file: counted as nothing, and not created.
  uint64_t size = 77;
  int32_t folders = 0, links = 9;
  EXPECT_TRUE(
      get_firefox_bookmark_size(nullptr, false, &size, &folders, &links));
  EXPECT_EQ(size, 77u);
  EXPECT_EQ(folders, -1);
  EXPECT_EQ(links, 0);
  EXPECT_FALSE(test::Exists(Places()));
  EXPECT_EQ(init_bookmark(nullptr), nullptr);
  EXPECT_FALSE(
      get_firefox_bookmark_size(nullptr, false, nullptr, &folders, &links));
  // A database without the places tables: the statements fail.
  test::WriteBytes(Places(), "");
  folders = links = 99;
  Count(Places(), &folders, &links);
  EXPECT_EQ(folders, -1);
  EXPECT_EQ(links, 0);
  // No database at all, or a folder where the file should be.
  test::WriteBytes(Places(), std::string(4096, 'x'));
  EXPECT_FALSE(
      get_firefox_bookmark_size(nullptr, false, &size, &folders, &links));
  EXPECT_EQ(init_bookmark(nullptr), nullptr);
  EXPECT_EQ(init_bookmark(M(U16(Places()))), nullptr);
  EXPECT_EQ(init_bookmark(M(U16(profile_))), nullptr);
  EXPECT_EQ(init_bookmark(M(U16(dir_.sub("none.sqlite")))), nullptr);
  EXPECT_FALSE(release_bookmark(nullptr));
}

TEST_F(ProfileTest, RunningFirefoxLeavesTheHandleUnconnected) {
  test::PlacesDb db(Places());
  db.AddLink(2, "http://a.example/", "A");
  test::FakeFirefox firefox(dir_.path());
  ms_places_handle handle = init_bookmark(nullptr);
  ASSERT_NE(handle, nullptr);
  EXPECT_FALSE(handle->database.HasConnection());
  int32_t folders = 5, links = 5;
  firefox::CountBookmarks(handle, &folders, &links);
  EXPECT_EQ(folders, -1);
  EXPECT_EQ(links, 0);
  EXPECT_TRUE(release_bookmark(handle));
  uint64_t size = 0;
  EXPECT_FALSE(
      get_firefox_bookmark_size(nullptr, false, &size, &folders, &links));
}

TEST(BackupSize, MeasuresTheFirefoxPartOfABackupSet) {
  test::TempDir dir;
  test::WriteUrlFile(dir.sub("set/Bookmarks/Firefox/Bookmarks Menu/a.url"),
                     "http://a/");
  test::WriteUrlFile(dir.sub("set/Bookmarks/Firefox/Bookmarks Menu/N/b.url"),
                     "http://bb/");
  test::WriteBytes(dir.sub("set/Bookmarks/Firefox/pos.ini"), "xx");
  const uint64_t expected =
      test::ReadBytes(dir.sub("set/Bookmarks/Firefox/Bookmarks Menu/a.url"))
          .size() +
      test::ReadBytes(dir.sub("set/Bookmarks/Firefox/Bookmarks Menu/N/b.url"))
          .size();
  for (const std::u16string& root : {dir.u16("set"), dir.u16("set") + u"\\"}) {
    uint64_t size = 0;
    int32_t folders = 0, links = 0;
    ASSERT_TRUE(get_firefox_bk_size(M(root), true, &size, &folders, &links));
    EXPECT_EQ(size, expected);
    EXPECT_EQ(folders, 2);
    EXPECT_EQ(links, 2);
    size = 0;
    ASSERT_TRUE(
        get_firefox_bookmark_size(M(root), true, &size, &folders, &links));
    EXPECT_EQ(size, expected);
  }
  // A failed measurement leaves the counts of get_firefox_bookmark_size.
  uint64_t size = 0;
  int32_t folders = 42, links = 43;
  EXPECT_FALSE(get_firefox_bookmark_size(M(dir.u16("absent")), true, &size,
                                         &folders, &links));
  EXPECT_EQ(folders, 42);
  EXPECT_EQ(links, 43);
  EXPECT_FALSE(get_firefox_bk_size(nullptr, true, &size, &folders, &links));
}

}  // namespace
}  // namespace marksafe
