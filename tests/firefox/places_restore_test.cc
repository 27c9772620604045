// The road of a Firefox backup and restore, the cross-imports from a backup
// set holding all three parts, and the copy of a Firefox backup into a
// folder.
#include <gtest/gtest.h>

#include "places_fixture.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::U16;

const MS_CHAR* M(const std::u16string& text) {
  return reinterpret_cast<const MS_CHAR*>(text.c_str());
}

class RestoreTest : public ::testing::Test {
 protected:
  RestoreTest() : db_(dir_.sub("places.sqlite")) {}

  // A backup set whose Firefox part is what backup_firefox wrote from a
  // store with a menu folder and an unsorted link, beside a Favorites and a
  // Chrome part.
  void MakeBackupSet() {
    test::PlacesDb source(dir_.sub("source/places.sqlite"));
    int64_t news = source.AddFolder(2, "News");
    source.AddLink(news, "http://news.example/", "Daily \xC3\xA9");
    source.AddLink(5, "http://later.example/", "Later");
    test::MakeDirs(Set(""));
    test::ScopedHandle handle(source.path());
    ASSERT_TRUE(backup_firefox(handle.get(), M(U16(Set(""))), true, 0, 0));
    test::WriteUrlFile(Set("Bookmarks/Favorites/Links/ie.url"),
                       "http://ie.example/");
    test::WriteUrlFile(Set("Bookmarks/Favorites/url/skipped.url"),
                       "http://skipped.example/");
    test::WriteUrlFile(Set("Bookmarks/Chrome/Bookmarks bar/chrome.url"),
                       "http://chrome.example/");
    test::WriteBytes(Set("Bookmarks/Chrome/chrome_pos.ini"), "");
  }
  std::string Set(const std::string& relative) {
    return dir_.sub("set/" + relative);
  }
  std::u16string SetRoot() { return U16(dir_.sub("set")); }

  test::TempDir dir_;
  test::PlacesDb db_;
};

TEST_F(RestoreTest, BackupSetRestoresIntoEveryRootAndTwiceAddsNothing) {
  MakeBackupSet();
  int64_t keep = db_.AddLink(2, "http://mine.example/", "Mine");
  test::ScopedHandle handle(db_.path());
  int32_t progress = 10;
  ASSERT_TRUE(restore_firefox_pro(handle.get(), M(SetRoot()), true, 1, 2, 3, 4,
                                  &progress));
  EXPECT_EQ(progress, 14);
  EXPECT_EQ(db_.LinksIn(db_.FolderId(2, "News")),
            std::vector<std::string>{"Daily \xC3\xA9|http://news.example/"});
  EXPECT_EQ(db_.LinksIn(5),
            std::vector<std::string>{"Later|http://later.example/"});
  int64_t ie = db_.FolderId(2, "Imported from IE");
  EXPECT_EQ(db_.FoldersIn(ie), std::vector<std::string>{"Links"});
  EXPECT_EQ(db_.LinksIn(db_.FolderId(ie, "Links")),
            std::vector<std::string>{"ie|http://ie.example/"});
  int64_t chrome = db_.FolderId(2, "Imported from Chrome");
  EXPECT_EQ(db_.LinksIn(db_.FolderId(chrome, "Bookmarks bar")),
            std::vector<std::string>{"chrome|http://chrome.example/"});
  EXPECT_EQ(db_.Value("select title from moz_bookmarks where id=" +
                      std::to_string(keep)),
            "Mine");

  std::string after_first = db_.Snapshot();
  ASSERT_TRUE(restore_firefox_pro(handle.get(), M(SetRoot()), true, 0, 0, 0, 0,
                                  &progress));
  EXPECT_EQ(progress, 18);
  EXPECT_EQ(db_.Snapshot(), after_first);
}

TEST_F(RestoreTest, LaterStepsRunAfterAFailedFirefoxStep) {
  MakeBackupSet();
  platform::DeleteFile(U16(Set("Bookmarks/Firefox/pos.ini")));
  test::ScopedHandle handle(db_.path());
  int32_t progress = 0;
  test::LogCapture log;
  EXPECT_FALSE(restore_firefox_pro(handle.get(), M(SetRoot()), true, 0, 0, 0, 0,
                                   &progress));
  EXPECT_EQ(progress, 4);
  EXPECT_TRUE(log.Contains("cfg file: "));
  EXPECT_TRUE(
      log.Contains("[restore_firefox_pro] restore backup to firefox "
                   "fail:"));
  EXPECT_NE(db_.FolderId(2, "Imported from IE"), 0);
  EXPECT_NE(db_.FolderId(2, "Imported from Chrome"), 0);
}

TEST_F(RestoreTest, OnlyAFirefoxPartGivesItsResult) {
  MakeBackupSet();
  test::ScopedHandle handle(db_.path());
  int32_t progress = 0;
  // The Firefox folder itself: Favorites and Chrome are looked for inside.
  EXPECT_TRUE(restore_firefox_pro(handle.get(),
                                  M(U16(Set("Bookmarks/Firefox"))), false, 0, 0,
                                  0, 0, &progress));
  EXPECT_EQ(progress, 4);
  EXPECT_EQ(db_.FolderId(2, "Imported from IE"), 0);
  EXPECT_NE(db_.FolderId(2, "News"), 0);
}

TEST_F(RestoreTest, NullArgumentsTouchNothing) {
  MakeBackupSet();
  std::string before = db_.Snapshot();
  test::ScopedHandle handle(db_.path());
  int32_t progress = 3;
  EXPECT_FALSE(restore_firefox_pro(handle.get(), M(SetRoot()), true, 0, 0, 0, 0,
                                   nullptr));
  EXPECT_FALSE(
      restore_firefox_pro(nullptr, M(SetRoot()), true, 0, 0, 0, 0, &progress));
  EXPECT_FALSE(restore_firefox_pro(handle.get(), M(U16(dir_.sub("none"))), true,
                                   0, 0, 0, 0, &progress));
  EXPECT_EQ(progress, 3);
  EXPECT_EQ(import_chrome_bk_2_firefox(nullptr, M(SetRoot()), true), 87);
  EXPECT_EQ(import_chrome_bk_2_firefox(handle.get(), nullptr, true), 87);
  EXPECT_FALSE(import_2_firefox(handle.get(), nullptr, nullptr, 0));
  EXPECT_FALSE(import_2_firefox_from_ie_bk(handle.get(), nullptr, true));
  EXPECT_FALSE(import_2_firefox_from_bk(nullptr, M(SetRoot()), true));
  EXPECT_FALSE(
      import_firefox_bk_2_folder(M(SetRoot()), true, nullptr, nullptr));
  EXPECT_EQ(db_.Snapshot(), before);
}

TEST_F(RestoreTest, CrossImportsFromOneBackupSet) {
  MakeBackupSet();
  test::ScopedHandle handle(db_.path());
  EXPECT_EQ(import_chrome_bk_2_firefox(handle.get(), M(SetRoot()), true), 0);
  EXPECT_NE(db_.FolderId(2, "Imported from Chrome"), 0);
  EXPECT_TRUE(import_2_firefox_from_ie_bk(handle.get(), M(SetRoot()), true));
  int64_t ie = db_.FolderId(2, "Imported from IE");
  EXPECT_EQ(db_.FoldersIn(ie), std::vector<std::string>{"Links"});
  // import_2_firefox with no title merges into the same folder.
  std::string before = db_.Snapshot();
  EXPECT_TRUE(import_2_firefox(handle.get(), M(U16(Set("Bookmarks/Favorites"))),
                               nullptr, 0));
  EXPECT_EQ(db_.Snapshot(), before);
  EXPECT_TRUE(import_2_firefox_from_bk(handle.get(), M(SetRoot()), true));
  EXPECT_NE(db_.FolderId(2, "News"), 0);
  EXPECT_EQ(
      import_chrome_bk_2_firefox(handle.get(), M(U16(dir_.sub("no"))), true),
      87);
}

TEST_F(RestoreTest, EmptyMainValueImportsTheWholeFirefoxFolder) {
  MakeBackupSet();
  test::WriteBytes(Set("Bookmarks/Firefox/pos.ini"),
                   "[Menu]\r\nMain=\r\nOthers=Unsorted Bookmarks\r\n");
  test::ScopedHandle handle(db_.path());
  EXPECT_TRUE(import_2_firefox_from_bk(handle.get(), M(SetRoot()), true));
  EXPECT_EQ(db_.FoldersIn(2),
            (std::vector<std::string>{"Bookmarks Menu", "Unsorted Bookmarks"}));
}

TEST_F(RestoreTest, PositionValuesThatClimbOutAreRefused) {
  MakeBackupSet();
  test::WriteUrlFile(dir_.sub("outside/evil.url"), "http://evil.example/");
  for (const std::string& value : std::vector<std::string>{
           "..\\..\\outside", "../../outside", dir_.sub("outside")}) {
    test::WriteBytes(
        Set("Bookmarks/Firefox/pos.ini"),
        "[Menu]\r\nMain=" + value + "\r\nOthers=" + value + "\r\n");
    test::ScopedHandle handle(db_.path());
    test::LogCapture log;
    EXPECT_FALSE(import_2_firefox_from_bk(handle.get(), M(SetRoot()), true));
    EXPECT_TRUE(log.Contains("[Main] target file: "));
    EXPECT_EQ(db_.Count("select * from moz_places"), 0);
    EXPECT_FALSE(import_firefox_bk_2_folder(M(SetRoot()), true,
                                            M(U16(dir_.sub("fav"))), nullptr));
    EXPECT_FALSE(test::Exists(dir_.sub("outside/Imported from Firefox")));
  }
  // A sub-folder name that leaves the destination is refused too.
  EXPECT_FALSE(import_firefox_bk_2_folder(
      M(SetRoot()), true, M(U16(dir_.sub("fav"))), M(u"..\\escaped")));
  EXPECT_FALSE(test::Exists(dir_.sub("escaped")));
}

TEST_F(RestoreTest, FirefoxBackupCopiesIntoAFolder) {
  MakeBackupSet();
  test::WriteUrlFile(Set("Bookmarks/Firefox/Bookmarks Menu/Imported from IE/"
                         "x.url"),
                     "http://x.example/");
  test::MakeDirs(dir_.sub("fav"));
  ASSERT_TRUE(import_firefox_bk_2_folder(M(SetRoot()), true,
                                         M(U16(dir_.sub("fav"))), nullptr));
  EXPECT_EQ(
      test::ListTree(dir_.sub("fav")),
      (std::vector<std::string>{
          "Imported from Firefox/", "Imported from Firefox/Bookmarks Menu/",
          "Imported from Firefox/Bookmarks Menu/News/",
          "Imported from Firefox/Bookmarks Menu/News/Daily \xC3\xA9.url",
          "Imported from Firefox/Unsorted Bookmarks/",
          "Imported from Firefox/Unsorted Bookmarks/Later.url"}));
  ASSERT_TRUE(import_firefox_bk_2_folder(M(U16(Set("Bookmarks/Firefox"))),
                                         false, M(U16(dir_.sub("fav"))),
                                         M(u"Old Firefox")));
  EXPECT_TRUE(
      test::Exists(dir_.sub("fav/Old Firefox/Unsorted Bookmarks/"
                            "Later.url")));
  test::LogCapture log;
  EXPECT_FALSE(import_firefox_bk_2_folder(M(U16(dir_.sub("nowhere"))), true,
                                          M(U16(dir_.sub("fav"))), nullptr));
  EXPECT_TRUE(log.Contains("firefox_bk_path: "));
}

}  // namespace
}  // namespace marksafe
