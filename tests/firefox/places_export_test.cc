// Backup of places into a Firefox part (every root, what the part gives
// back, damaged stores, refused arguments), and the places handle and the
// size exports (counting what a backup carries, the live database found
// through the profile, backup folders, a running or unusable Firefox).
#include "firefox/places_export.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "firefox/places_handle.h"
#include "backup_set/part.h"
#include "firefox/places_size.h"
#include "places_fixture.h"
#include "platform/platform.h"
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

// Every root becomes a folder of the part, and the part gives back every
// item as the store holds it.
TEST_F(PlacesExportTest, EveryRootIsBackedUpAndReadsBackWhole) {
  test::PlacesDb today(dir_.sub("today/places.sqlite"),
                       test::PlacesDb::Layout::kToday);
  test::FillRichStore(&today);
  {
    test::ScopedHandle handle(today.path());
    ASSERT_TRUE(
        backup_firefox(handle.get(), Ms(U16(Out(""))), true, 0, 0));
  }
  const std::string part = Out("Bookmarks/Firefox/");
  for (const char* root : {"Bookmarks Menu", "Bookmarks Toolbar",
                           "Unsorted Bookmarks", "Mobile Bookmarks"}) {
    EXPECT_TRUE(test::IsDir(part + root)) << root;
  }
  EXPECT_EQ(platform::GetProfileString(u"Menu", u"Toolbar", u"", 260,
                                       U16(part + "pos.ini")),
            u"Bookmarks Toolbar");
  model::Tree store, backup;
  ASSERT_TRUE(test::ReadStore(today.path(), &store));
  ASSERT_TRUE(backup_set::ReadPart(U16(part), backup_set::PartKind::kFirefox,
                                   &backup)
                  .ok());
  EXPECT_EQ(test::TreeLines(backup), test::TreeLines(store));
  const std::string report = marksafe_last_report();
  EXPECT_NE(report.find("\"backup_firefox\""), std::string::npos) << report;
}

// Damage: the menu lies inside its own child; the export ends and holds
// each item once. A store without the places tables fails rather than
// exporting nothing.
TEST_F(PlacesExportTest, DamagedStoresEndAndUnreadableOnesFail) {
  int64_t loop = db_.AddFolder(2, "Loop");
  db_.AddLink(loop, "http://loop.example/", "In the loop");
  db_.Exec("update moz_bookmarks set parent=" + std::to_string(loop) +
           " where id=2");
  EXPECT_TRUE(Export());
  EXPECT_TRUE(test::Exists(Out("Bookmarks Menu/Loop/In the loop.url")));
  EXPECT_FALSE(test::Exists(Out("Bookmarks Menu/Loop/Bookmarks Menu")));

  db_.Exec("drop table moz_bookmarks");
  test::LogCapture log;
  EXPECT_FALSE(Export());
  EXPECT_TRUE(log.Contains("Firefox->Export2Folder[2] fail"));
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
      bool ok = firefox::CountBookmarks(handle, &folders, &links);
      return std::to_string(ok) + "|" + std::to_string(folders) + "|" +
             std::to_string(links);
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

// What a backup carries: every folder and link below the four roots, of
// every scheme, but not the tag folders nor the roots themselves.
TEST_F(ProfileTest, CountsWhatABackupCarries) {
  test::PlacesDb db(places_, test::PlacesDb::Layout::kToday);
  test::FillRichStore(&db);
  // The default folder and its 4 links; 2 + 30 folders, 13 links.
  EXPECT_EQ(Sizes(),
            "1|" + std::to_string(test::ReadBytes(places_).size()) +
                "|33|17");
}

// A missing store counts as nothing (and is not created); one that is no
// places database never reads as an empty store.
TEST_F(ProfileTest, MissingOrUnusableDatabaseFailsCleanly) {
  EXPECT_EQ(Sizes(), "1|77|0|0");
  EXPECT_FALSE(test::Exists(places_));
  // An empty file is a database without the places tables.
  test::WriteBytes(places_, "");
  {
    test::ScopedHandle handle(places_);
    ASSERT_NE(handle.get(), nullptr);
    EXPECT_EQ(Sizes(handle.get()), "0|99|99");
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
  EXPECT_EQ(Sizes(handle), "0|99|99");
  EXPECT_EQ(Sizes().substr(0, 2), "0|");
  const std::u16string src = dir_.u16("src");
  EXPECT_FALSE(import_2_firefox(handle, Ms(src), Ms(u"X"), 0));
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
