// The road of a Firefox backup and restore, the cross-imports from a backup
// set holding all three parts, and the copy of a Firefox backup into a
// folder.
#include "firefox/places_restore.h"

#include <gtest/gtest.h>

#include "places_fixture.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::Ms;
using test::U16;
using Rows = std::vector<std::string>;

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

TEST_F(RestoreTest, BackupSetRestoresIntoEveryRootAndTwiceAddsNothing) {
  db_.AddLink(2, "http://mine.example/", "Mine");
  int32_t progress = 10;
  ASSERT_TRUE(Restore(root_, true, &progress));
  EXPECT_EQ(progress, 14);
  EXPECT_EQ(db_.LinksIn(2), Rows{"Mine|http://mine.example/"});
  EXPECT_EQ(db_.LinksIn(db_.FolderId(2, "News")),
            Rows{"Daily \xC3\xA9|http://news.example/"});
  EXPECT_EQ(db_.LinksIn(5), Rows{"Later|http://later.example/"});
  int64_t ie = db_.FolderId(2, "Imported from IE");
  EXPECT_EQ(db_.FoldersIn(ie), Rows{"Links"});
  EXPECT_EQ(db_.LinksIn(db_.FolderId(ie, "Links")),
            Rows{"ie|http://ie.example/"});
  int64_t chrome = db_.FolderId(2, "Imported from Chrome");
  EXPECT_EQ(db_.LinksIn(db_.FolderId(chrome, "Bookmarks bar")),
            Rows{"chrome|http://chrome.example/"});
  const std::string after_first = db_.Snapshot();
  ASSERT_TRUE(Restore(root_, true, &progress));
  // The Firefox folder alone: the parts it lacks are no failure.
  ASSERT_TRUE(Restore(U16(Set("Firefox")), false, &progress));
  EXPECT_EQ(progress, 22);
  EXPECT_EQ(db_.Snapshot(), after_first);
}

TEST_F(RestoreTest, LaterStepsRunAfterAFailedFirefoxStep) {
  platform::DeleteFile(U16(Set("Firefox/pos.ini")));
  int32_t progress = 0;
  test::LogCapture log;
  EXPECT_FALSE(Restore(root_, true, &progress));
  EXPECT_EQ(progress, 4);
  EXPECT_TRUE(log.Contains("cfg file: "));
  EXPECT_TRUE(log.Contains("restore backup to firefox fail:"));
  EXPECT_NE(db_.FolderId(2, "Imported from IE"), 0);
  EXPECT_NE(db_.FolderId(2, "Imported from Chrome"), 0);
}

TEST_F(RestoreTest, NullArgumentsTouchNothing) {
  const std::string before = db_.Snapshot();
  test::ScopedHandle handle(db_.path());
  int32_t progress = 3;
  EXPECT_FALSE(Restore(root_, true, nullptr));
  EXPECT_FALSE(firefox::RestoreFirefoxPro(handle.get(), root_.c_str(), true,
                                          nullptr));  // behind the export
  EXPECT_FALSE(
      restore_firefox_pro(nullptr, Ms(root_), true, 1, 2, 3, 4, &progress));
  EXPECT_FALSE(Restore(dir_.u16("none"), true, &progress));
  EXPECT_EQ(progress, 3);
  EXPECT_EQ(import_chrome_bk_2_firefox(nullptr, Ms(root_), true), 87);
  EXPECT_EQ(import_chrome_bk_2_firefox(handle.get(), nullptr, true), 87);
  EXPECT_EQ(import_chrome_bk_2_firefox(handle.get(), Ms(dir_.u16("no")), true),
            87);
  EXPECT_FALSE(import_2_firefox(handle.get(), nullptr, nullptr, 0));
  EXPECT_FALSE(import_2_firefox_from_ie_bk(handle.get(), nullptr, true));
  EXPECT_FALSE(import_2_firefox_from_bk(nullptr, Ms(root_), true));
  EXPECT_FALSE(import_firefox_bk_2_folder(Ms(root_), true, nullptr, nullptr));
  EXPECT_EQ(db_.Snapshot(), before);
}

TEST_F(RestoreTest, CrossImportsFromOneBackupSet) {
  test::ScopedHandle handle(db_.path());
  EXPECT_EQ(import_chrome_bk_2_firefox(handle.get(), Ms(root_), true), 0);
  EXPECT_NE(db_.FolderId(2, "Imported from Chrome"), 0);
  EXPECT_TRUE(import_2_firefox_from_ie_bk(handle.get(), Ms(root_), true));
  // import_2_firefox with no title merges into the same folder.
  const std::string before = db_.Snapshot();
  EXPECT_TRUE(
      import_2_firefox(handle.get(), Ms(U16(Set("Favorites"))), nullptr, 0));
  EXPECT_EQ(db_.Snapshot(), before);
  EXPECT_NE(db_.FolderId(2, "Imported from IE"), 0);
}

TEST_F(RestoreTest, PositionValuesThatClimbOutAreRefused) {
  test::WriteUrlFile(dir_.sub("outside/evil.url"), "http://evil.example/");
  for (const std::string& value :
       {std::string("..\\..\\..\\outside"), std::string("../../../outside"),
        dir_.sub("outside")}) {
    test::WriteBytes(Set("Firefox/pos.ini"),
                     "[Menu]\r\nMain=" + value + "\r\nOthers=" + value);
    test::ScopedHandle handle(db_.path());
    test::LogCapture log;
    EXPECT_FALSE(import_2_firefox_from_bk(handle.get(), Ms(root_), true));
    EXPECT_TRUE(log.Contains("[Main] target file: "));
    EXPECT_EQ(db_.Count("select * from moz_places"), 0);
    EXPECT_FALSE(import_firefox_bk_2_folder(Ms(root_), true,
                                            Ms(dir_.u16("fav")), nullptr));
    EXPECT_FALSE(test::Exists(dir_.sub("outside/Imported from Firefox")));
  }
  // A sub-folder name that leaves the destination is refused too.
  EXPECT_FALSE(import_firefox_bk_2_folder(Ms(root_), true, Ms(dir_.u16("fav")),
                                          Ms(u"..\\escaped")));
  EXPECT_FALSE(test::Exists(dir_.sub("escaped")));
}

TEST_F(RestoreTest, FirefoxBackupCopiesIntoAFolder) {
  test::WriteUrlFile(Set("Firefox/Bookmarks Menu/Imported from IE/x.url"),
                     "http://x.example/");
  test::MakeDirs(dir_.sub("fav"));
  const std::u16string fav = dir_.u16("fav");
  ASSERT_TRUE(import_firefox_bk_2_folder(Ms(root_), true, Ms(fav), nullptr));
  EXPECT_EQ(test::ListTree(dir_.sub("fav/Imported from Firefox")),
            (Rows{"Bookmarks Menu/", "Bookmarks Menu/News/",
                  "Bookmarks Menu/News/Daily \xC3\xA9.url",
                  "Unsorted Bookmarks/", "Unsorted Bookmarks/Later.url"}));
  ASSERT_TRUE(import_firefox_bk_2_folder(Ms(U16(Set("Firefox"))), false,
                                         Ms(fav), Ms(u"Old Firefox")));
  EXPECT_TRUE(
      test::Exists(dir_.sub("fav/Old Firefox/Unsorted Bookmarks/Later.url")));
  test::LogCapture log;
  EXPECT_FALSE(import_firefox_bk_2_folder(Ms(dir_.u16("nowhere")), true,
                                          Ms(fav), nullptr));
  EXPECT_TRUE(log.Contains("firefox_bk_path: "));
}

}  // namespace
}  // namespace marksafe
