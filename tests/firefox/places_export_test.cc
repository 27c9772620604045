// Export of places into an interchange folder (layout, names, what is left
// out, failures, the once-per-process position file), and the places handle
// and the size exports (counting, the live database found through the
// profile, backup folders, a running or unusable Firefox).
#include "firefox/places_export.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "firefox/places_handle.h"
#include "firefox/places_import.h"
#include "firefox/places_size.h"
#include "places_fixture.h"
#include "support/browser_home.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::Ms;
using test::U16;

class PlacesExportTest : public ::testing::Test {
 protected:
  PlacesExportTest() { test::MakeDirs(Out("")); }
  bool Export(bool into_backup_set = false) {
    test::ScopedHandle handle(db_.path());
    return export_firefox_2_folder(handle.get(), Ms(U16(Out(""))),
                                   into_backup_set);
  }
  std::string Out(const std::string& relative) {
    return dir_.sub("out/" + relative);
  }
  test::TempDir dir_;
  test::PlacesDb db_{dir_.sub("profile/places.sqlite")};
};

TEST_F(PlacesExportTest, MenuAndUnsortedBecomeFoldersOfShortcuts) {
  // The roots are named by their ids, whatever their titles; a quote in a
  // title stays a value when the folder is looked up again.
  db_.Exec("update moz_bookmarks set title='Men\xC3\xBC' where id=2");
  int64_t news = db_.AddFolder(2, "Bob's \"News\"");
  db_.AddLink(news, "https://weekly.example/", "a/b:c?");
  db_.AddLink(news, "http://cafe.example/", "Caf\xC3\xA9 \xE6\x9D\xB1");
  db_.AddFolder(2, "..");  // must not climb out of the menu folder
  db_.AddLink(2, "mailto:me@example.com", "Mail me");
  db_.AddLink(2, "place:sort=8", "Most visited");
  db_.AddLink(3, "http://toolbar.example/", "On the toolbar");
  db_.AddLink(4, "http://tagged.example/", "Tagged");
  db_.AddLink(5, "ftp://files.example/", "Files");
  ASSERT_TRUE(Export(true));
  EXPECT_EQ(
      test::ListTree(Out("Bookmarks/Firefox/")),
      (std::vector<std::string>{
          "Bookmarks Menu/", "Bookmarks Menu/Bob's News/",
          "Bookmarks Menu/Bob's News/Caf\xC3\xA9 \xE6\x9D\xB1.url",
          "Bookmarks Menu/Bob's News/abc.url", "Bookmarks Menu/__/",
          "Unsorted Bookmarks/", "Unsorted Bookmarks/Files.url", "pos.ini"}));
}

// Damage: the menu lies inside its own child. A folder that cannot be made
// spoils the result but not its siblings. A store without the places tables
// fails rather than exporting nothing.
TEST_F(PlacesExportTest, DamagedStoresAndBlockedFolders) {
  int64_t loop = db_.AddFolder(2, "Loop");
  db_.AddLink(loop, "http://loop.example/", "In the loop");
  db_.Exec("update moz_bookmarks set parent=" + std::to_string(loop) +
           " where id=2");
  EXPECT_TRUE(Export());
  EXPECT_TRUE(test::Exists(Out("Bookmarks Menu/Loop/In the loop.url")));
  EXPECT_FALSE(test::Exists(Out("Bookmarks Menu/Loop/Bookmarks Menu")));
  db_.Exec("update moz_bookmarks set parent=1 where id=2");

  db_.AddLink(db_.AddFolder(2, "Blocked"), "http://lost.example/", "Lost");
  db_.AddLink(2, "http://kept.example/", "Kept");
  db_.AddLink(5, "http://other.example/", "Other");
  test::WriteBytes(Out("Bookmarks Menu/Blocked"), "a file, not a folder");
  test::LogCapture log;
  EXPECT_FALSE(Export());
  EXPECT_TRUE(log.Contains("Firefox->Export2Folder[2] fail"));
  EXPECT_TRUE(test::Exists(Out("Bookmarks Menu/Kept.url")));
  EXPECT_TRUE(test::Exists(Out("Unsorted Bookmarks/Other.url")));

  db_.Exec("drop table moz_bookmarks");
  EXPECT_FALSE(Export());
}

TEST_F(PlacesExportTest, MissingDestinationsAndNullsAreRefused) {
  test::ScopedHandle handle(db_.path());
  const std::u16string out = U16(Out(""));
  EXPECT_FALSE(
      backup_firefox(handle.get(), Ms(dir_.u16("missing")), true, 0, 0));
  EXPECT_FALSE(test::Exists(dir_.sub("missing")));
  EXPECT_FALSE(export_firefox_2_folder(nullptr, Ms(out), true));
  EXPECT_FALSE(export_firefox_2_folder(handle.get(), nullptr, true));
  EXPECT_FALSE(backup_firefox(handle.get(), nullptr, true, 0, 0));
  EXPECT_TRUE(test::ListTree(Out("")).empty());
  EXPECT_TRUE(backup_firefox(handle.get(), Ms(out), true, 7, -1));
  EXPECT_TRUE(test::IsDir(Out("Bookmarks/Firefox/Bookmarks Menu")));
}

// Runs in a process of its own: the first export creates "pos.ini" with the
// byte-order mark; later ones write their keys into what is there.
void TwoExportsInOneProcess() {
  int failures = firefox::PositionFileCreated() ? 1 : 0;
  {  // everything is released before the exit, the folder removed
    test::TempDir dir;
    test::PlacesDb db(dir.sub("places.sqlite"));
    test::WriteBytes(dir.sub("second/pos.ini"), "[Keep]\r\nMe=1\r\n");
    test::ScopedHandle handle(db.path());
    for (const char* out : {"first", "second"}) {
      test::MakeDirs(dir.sub(out));
      export_firefox_2_folder(handle.get(), Ms(dir.u16(out)), false);
    }
    std::string second = test::ReadBytes(dir.sub("second/pos.ini"));
    if (test::ReadBytes(dir.sub("first/pos.ini")).rfind("\xFF\xFE", 0) != 0) {
      failures |= 2;
    }
    if (second.find("Me=1") == std::string::npos ||
        second.find("Main=Bookmarks Menu") == std::string::npos) {
      failures |= 4;
    }
  }
  std::exit(failures);
}

TEST(PositionFileDeathTest, OnlyTheFirstExportOfAProcessCreatesIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(TwoExportsInOneProcess(), ::testing::ExitedWithCode(0), "");
}

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
