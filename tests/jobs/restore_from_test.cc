// A store read whole and merged straight into a browser: a browser's own
// backup or a snapshot restores into its family root by root and once
// only, goes into another family's "Imported from ..." folder, and a
// refused or unreadable source leaves the store as it was.
#include <gtest/gtest.h>
#include <json/json.h>

#include <string>

#include "marksafe/marksafe.h"
#include "roundtrip/collection.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

int64_t AddedLinks() {
  const Json::Value report = ParseJson(marksafe_last_report());
  int64_t links = 0;
  for (const Json::Value& root : report["roots"]) {
    links += root["added"]["links"].asInt64();
  }
  return links;
}

// The folder titled title directly in parent; kNoItem when there is none.
model::ItemId FolderIn(const model::Tree& tree, model::ItemId parent,
                       const std::u16string& title) {
  for (model::ItemId child : tree.at(parent).children) {
    if (tree.at(child).kind == model::ItemKind::kFolder &&
        tree.at(child).title == title) {
      return child;
    }
  }
  return model::kNoItem;
}

class RestoreFromTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WritePlacesStore(FirefoxCollection(), dir_.sub("source.sqlite"));
    ASSERT_EQ(marksafe_export_firefox_backup(Ms(dir_.u16("source.sqlite")),
                                             MARKSAFE_STORE_PLACES,
                                             Ms(backup_)),
              0);
    WritePlacesStore(LinkTree("https://kept.example/", 5), places_path_);
    WriteChromeStore(LinkTree("https://kept.example/", 5), chrome_path_);
  }

  int32_t Restore(const std::u16string& source, int32_t source_kind,
                  bool chrome, bool dry_run = false) {
    return marksafe_restore_from(
        Ms(source), source_kind, Ms(U16(chrome ? chrome_path_ : places_path_)),
        chrome ? MARKSAFE_STORE_CHROME : MARKSAFE_STORE_PLACES, dry_run);
  }

  TempDir dir_;
  const std::u16string backup_ = dir_.u16("bookmarks.jsonlz4");
  const std::string places_path_ = dir_.sub("places.sqlite");
  const std::string chrome_path_ = dir_.sub("Bookmarks");
};

TEST_F(RestoreFromTest, BrowserBackupRestoresIntoItsFamilyOnce) {
  const auto collection = UrlCounts(FirefoxCollection());
  const auto before = UrlCounts(ReadPlacesStore(places_path_));

  // A dry run counts what it would add and writes nothing.
  const std::string bytes = ReadBytes(places_path_);
  ASSERT_EQ(Restore(backup_, MARKSAFE_STORE_FIREFOX_BACKUP, false, true), 0);
  EXPECT_GT(AddedLinks(), 0);
  EXPECT_EQ(ReadBytes(places_path_), bytes);

  ASSERT_EQ(Restore(backup_, MARKSAFE_STORE_FIREFOX_BACKUP, false), 0);
  EXPECT_GT(AddedLinks(), 0);
  const model::Tree after = ReadPlacesStore(places_path_);
  EXPECT_TRUE(Holds(UrlCounts(after), collection));
  EXPECT_TRUE(Holds(UrlCounts(after), before));
  // Root into root: the collection's menu folders sit in the menu itself.
  const model::ItemId menu = after.root(model::Root::kMenu);
  EXPECT_EQ(FolderIn(after, menu, u"Imported from Firefox"), model::kNoItem);

  // A repeat finds everything there.
  ASSERT_EQ(Restore(backup_, MARKSAFE_STORE_FIREFOX_BACKUP, false), 0);
  EXPECT_EQ(AddedLinks(), 0);
  EXPECT_EQ(UrlCounts(ReadPlacesStore(places_path_)), UrlCounts(after));
}

// Into the other family as a conversion: each root in a folder named as a
// backup set's part names it (whatever the file calls the root), in
// "Imported from Firefox" on the bookmark bar; a snapshot of a Chrome part
// goes the other way, into "Imported from Chrome" under the menu.
TEST_F(RestoreFromTest, AnotherFamilyGoesIntoItsImportFolder) {
  ASSERT_EQ(Restore(backup_, MARKSAFE_STORE_FIREFOX_BACKUP, true), 0);
  const model::Tree chrome = ReadChromeStore(chrome_path_);
  const model::ItemId imported = FolderIn(
      chrome, chrome.root(model::Root::kToolbar), u"Imported from Firefox");
  ASSERT_NE(imported, model::kNoItem);
  EXPECT_NE(FolderIn(chrome, imported, u"Bookmarks Menu"), model::kNoItem);
  EXPECT_TRUE(Holds(UrlCounts(chrome), UrlCounts(ChromeCollection())));

  const std::string root = dir_.sub("set");
  BackUpNewStore(ChromeCollection(), true, dir_.sub("Bookmarks-src"), root);
  MS_CHAR id[MARKSAFE_SNAPSHOT_ID_UNITS] = {};
  const int32_t kept =
      marksafe_snapshot_part(Ms(U16(root)), Ms(U16(root + "/Bookmarks/Chrome")), id);
  if (kept == 50) GTEST_SKIP() << "no zstd in this build";
  ASSERT_EQ(kept, 0);
  const std::u16string snapshot =
      U16(root + "/History/") +
      reinterpret_cast<const char16_t*>(id) + u"/Chrome.snapshot";
  ASSERT_EQ(Restore(snapshot, MARKSAFE_STORE_SNAPSHOT, false), 0);
  const model::Tree places = ReadPlacesStore(places_path_);
  const model::ItemId from_chrome = FolderIn(
      places, places.root(model::Root::kMenu), u"Imported from Chrome");
  ASSERT_NE(from_chrome, model::kNoItem);
  EXPECT_NE(FolderIn(places, from_chrome, u"Bookmarks bar"), model::kNoItem);
  EXPECT_TRUE(Holds(UrlCounts(places), UrlCounts(ChromeCollection())));
  // Into its own family the snapshot adds nothing the file already has.
  ASSERT_EQ(Restore(snapshot, MARKSAFE_STORE_SNAPSHOT, true), 0);
  EXPECT_GT(AddedLinks(), 0);
  ASSERT_EQ(Restore(snapshot, MARKSAFE_STORE_SNAPSHOT, true), 0);
  EXPECT_EQ(AddedLinks(), 0);
}

TEST_F(RestoreFromTest, RefusedOrUnreadableSourcesLeaveTheStore) {
  const std::string places = ReadBytes(places_path_);
  const std::string chrome = ReadBytes(chrome_path_);
  // Null arguments, a .url folder, a store that cannot be written.
  EXPECT_EQ(marksafe_restore_from(nullptr, MARKSAFE_STORE_FIREFOX_BACKUP,
                                  Ms(U16(places_path_)), MARKSAFE_STORE_PLACES,
                                  false),
            87);
  EXPECT_EQ(Restore(dir_.u16(), MARKSAFE_STORE_URL_FOLDER, false), 87);
  EXPECT_EQ(marksafe_restore_from(Ms(backup_), MARKSAFE_STORE_FIREFOX_BACKUP,
                                  Ms(dir_.u16()), MARKSAFE_STORE_FIREFOX_PART,
                                  false),
            87);
  EXPECT_EQ(Restore(dir_.u16("none.jsonlz4"), MARKSAFE_STORE_FIREFOX_BACKUP,
                    false),
            2);
  WriteBytes(dir_.sub("bad.jsonlz4"), "mozLz40\0garbage");
  WriteBytes(dir_.sub("bad.snapshot"), "not zstd");
  EXPECT_EQ(Restore(dir_.u16("bad.jsonlz4"), MARKSAFE_STORE_FIREFOX_BACKUP,
                    false),
            13);
  EXPECT_FALSE(ParseJson(marksafe_last_report())["problems"].empty());
  EXPECT_EQ(Restore(dir_.u16("bad.snapshot"), MARKSAFE_STORE_SNAPSHOT, true),
            13);
  EXPECT_EQ(ReadBytes(places_path_), places);
  EXPECT_EQ(ReadBytes(chrome_path_), chrome);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
