// Export of places into an interchange folder: layout, names, what is left
// out, failures, and the once-per-process position file.
#include "firefox/places_export.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "places_fixture.h"
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

}  // namespace
}  // namespace marksafe
