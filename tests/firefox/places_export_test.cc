// Export of places into a folder (refused arguments, unreadable stores),
// and the places handle and the size exports (counting what a backup carries,
// the live database found through the profile, backup folders, a running or
// unusable Firefox).
#include <gtest/gtest.h>

#include <functional>

#include "places_fixture.h"
#include "platform/platform.h"
#include "stores/places/places_handle.h"
#include "stores/places/places_reader.h"
#include "stores/places/places_size.h"
#include "support/browser_home.h"
#include "support/faulty_env.h"
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

// Refused arguments and a store without the places tables (which must not
// pass for an empty one) write nothing.
TEST_F(PlacesExportTest, RefusedArgumentsAndUnreadableStoresWriteNothing) {
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
  db_.Exec("drop table moz_bookmarks");
  EXPECT_FALSE(Export());
  EXPECT_FALSE(test::Exists(Out("Bookmarks Menu")));
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
      bool ok = firefox::CountBookmarks(handle, &folders, &links).ok();
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

// The counts are taken in the database: they must match what a read of
// the store (the tree a backup writes) holds, on damaged stores too.
TEST_F(PlacesExportTest, CountsMatchWhatAReadHolds) {
  const int64_t a = db_.AddFolder(2, "A");
  const int64_t b = db_.AddFolder(a, "B");
  db_.AddLink(b, "https://b.example/", "in B");
  db_.AddSeparator(a);
  const int64_t gone = db_.AddLink(5, "https://gone.example/", "gone");
  db_.AddLink(3, "ftp://t.example/", "on the toolbar");
  const std::function<void()> damages[] = {
      [] {},
      [&] {  // a root listed below another root's folder, a cycle
        db_.Exec("update moz_bookmarks set parent = " + std::to_string(b) +
                 " where id = 3");
        db_.Exec("update moz_bookmarks set parent = " + std::to_string(a) +
                 " where id = 2");
      },
      [&] {  // the tags root below the menu, a link without its place
        db_.Exec("update moz_bookmarks set parent = 2 where id = 4");
        db_.Exec("delete from moz_places where id = (select fk from "
                 "moz_bookmarks where id = " + std::to_string(gone) + ")");
      },
      [&] {  // an unknown kind holding a link; row 6 no mobile root
        db_.Exec("update moz_bookmarks set type = 9 where id = " +
                 std::to_string(b));
        db_.Exec("insert or replace into moz_bookmarks (id, type, parent, "
                 "position, title) values (6, 2, 2, 9, 'six')");
        db_.AddLink(6, "https://six.example/", "in six");
      },
      [&] {  // deeper than a tree holds, then exactly as deep
        int64_t parent = 5;
        for (int depth = 1; depth <= model::kMaxDepth; ++depth) {
          parent = db_.AddFolder(parent, "d");
        }
        db_.AddLink(parent, "https://deep.example/", "too deep");
      },
      [&] {
        db_.Exec("delete from moz_bookmarks where title = 'too deep'");
      }};
  for (size_t i = 0; i < std::size(damages); ++i) {
    damages[i]();
    test::ScopedHandle handle(db_.path());
    model::Tree tree;
    const bool read = firefox::ReadPlaces(handle.get(), &tree).ok();
    model::Counts expected;
    for (model::Root root : model::kAllRoots) {
      if (tree.root(root) != model::kNoItem) {
        expected += model::CountBelow(tree, tree.root(root));
      }
    }
    int32_t folders = -1, links = -1;
    EXPECT_EQ(firefox::CountBookmarks(handle.get(), &folders, &links).ok(),
              read)
        << i;
    if (read) {
      EXPECT_EQ(folders, expected.folders) << i;
      EXPECT_EQ(links, expected.links) << i;
    }
  }
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
  EXPECT_EQ(Sizes().substr(0, 2), "0|");
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

// Only a Firefox holding the store's own profile keeps the handle from a
// connection: nothing is then counted, imported or exported, and the store
// is not touched. A Firefox running on another profile changes nothing.
TEST_F(ProfileTest, OnlyAFirefoxHoldingTheProfileLeavesTheStoreAlone) {
  test::PlacesDb db(places_);
  db.AddLink(2, "http://a.example/", "A");
  test::WriteUrlFile(dir_.sub("src/a.url"), "http://new.example/");
  test::MakeDirs(dir_.sub("out"));
  const std::u16string src = dir_.u16("src");
  for (const bool held : {true, false}) {
    SCOPED_TRACE(held ? "held" : "another profile");
    const std::string before = db.Snapshot();
    test::ScopedFaultyEnv env;
    env->SetBrowserRunning(platform::Browser::kFirefox, true,
                           /*refuses_to_close=*/true);
    env->AddBrowserProcess(platform::Browser::kFirefox, u"firefox",
                           {u"-profile", dir_.u16("other")});
    if (held) env->SetProfileHeld(U16(profile_));
    ms_places_handle handle = init_bookmark(nullptr);
    ASSERT_NE(handle, nullptr);
    if (held) {
      EXPECT_EQ(Sizes(handle), "0|99|99");
    }
    EXPECT_EQ(import_2_firefox(handle, Ms(src), Ms(u"X"), 0), !held);
    EXPECT_TRUE(release_bookmark(handle));
    EXPECT_EQ(db.Snapshot() == before, held);
  }
}

// A store named by its path with no profile around it is held by any
// program that has it, or its write-ahead log, open. A profile's lock file
// beside it leaves the decision to the lock.
TEST(PathNamedStore, IsHeldByAProgramThatHasItOpen) {
  const struct {
    const char* held;
    const char* lock;
    bool refused;
  } cases[] = {
      {nullptr, nullptr, false},
      {"places.sqlite", nullptr, true},
      {"places.sqlite-wal", nullptr, true},
      {"places.sqlite", ".parentlock", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.held ? c.held : "-") + (c.lock ? " lock" : ""));
    test::TempDir dir;
    test::PlacesDb db(dir.sub("places.sqlite"));
    if (c.lock != nullptr) test::WriteBytes(dir.sub(c.lock), "");
    test::ScopedFaultyEnv env;
    if (c.held != nullptr) env->SetFileHeld(dir.u16(c.held));
    ms_places_handle handle = init_bookmark(Ms(dir.u16("places.sqlite")));
    ASSERT_NE(handle, nullptr);
    int32_t folders = 0, links = 0;
    EXPECT_EQ(firefox::CountBookmarks(handle, &folders, &links).ok(),
              !c.refused);
    EXPECT_TRUE(release_bookmark(handle));
  }
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
