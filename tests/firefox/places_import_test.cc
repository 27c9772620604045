// Merging interchange folders into places: what becomes a folder or a link,
// what is skipped, what a second import does, and how failures show.
#include "firefox/places_import.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "places_fixture.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::U16;
using Links = std::vector<std::string>;

class PlacesImportTest : public ::testing::Test {
 protected:
  PlacesImportTest()
      : db_(dir_.sub("places.sqlite")), handle_(dir_.sub("places.sqlite")) {}
  std::string Src(const std::string& relative) {
    return dir_.sub("src/" + relative);
  }
  bool Import(const char16_t* exclude = nullptr) {
    return firefox::ImportPlacesFolder(handle_.get(), U16(Src("")), u"2",
                                       u"Imported", exclude);
  }
  test::TempDir dir_;
  test::PlacesDb db_;
  test::ScopedHandle handle_;
};

TEST_F(PlacesImportTest, FilesBecomeLinksAndDirectoriesFolders) {
  test::WriteUrlFile(Src("Tutorial.url"), "http://tutorial.example/");
  test::WriteUrlFile(Src("a.b.URL"), "http://ab.example/");
  // Longer than the 260 units a fixed buffer would cut it to.
  const std::string long_url = "http://long.example/?" + std::string(600, 'x');
  test::WriteUrlFile(Src("Long.url"), long_url);
  test::WriteUrlFile(Src("notes.txt"), "http://notes.example/");
  test::WriteUrlFile(Src("url"), "http://nodot.example/");
  test::WriteUrlFile(Src("Sub/Caf\xC3\xA9.url"), "http://cafe.example/");
  ASSERT_TRUE(Import());
  int64_t folder = db_.FolderId(2, "Imported");
  EXPECT_EQ(db_.LinksIn(folder),
            (Links{"a.b|http://ab.example/", "Long|" + long_url,
                   "Tutorial|http://tutorial.example/"}));
  int64_t sub = db_.FolderId(folder, "Sub");
  EXPECT_EQ(db_.LinksIn(sub), Links{"Caf\xC3\xA9|http://cafe.example/"});
  EXPECT_EQ(db_.Value("select dateAdded from moz_bookmarks where id=" +
                      std::to_string(sub)),
            "1248279149000000");
}

TEST_F(PlacesImportTest, MergesIntoWhatIsThereAndASecondImportAddsNothing) {
  // A missing source fails but still leaves the folder.
  EXPECT_FALSE(firefox::ImportPlacesFolder(handle_.get(), U16(Src("none")),
                                           u"2", u"Gone", nullptr));
  EXPECT_NE(db_.FolderId(2, "Gone"), 0);
  // A link titled like the target folder is not that folder.
  db_.AddLink(2, "http://decoy.example/", "Imported");
  int64_t existing = db_.AddFolder(2, "Imported");
  db_.AddLink(existing, "http://same.example/", "Same, other title");
  test::WriteUrlFile(Src("Same.url"), "http://same.example/");
  test::WriteUrlFile(Src("One.url"), "http://one.example/");
  test::WriteUrlFile(Src("Two.url"), "http://one.example/");  // same URL
  test::WriteUrlFile(Src("F/G/Four.url"), "http://one.example/");
  ASSERT_TRUE(Import());
  // The new link and folder follow what was there.
  EXPECT_EQ(db_.Rows("select position from moz_bookmarks where parent=" +
                     std::to_string(existing) + " order by id"),
            (Links{"0", "1", "2"}));
  EXPECT_EQ(db_.Count("select * from moz_places"), 3);  // the place is shared
  EXPECT_EQ(db_.Count("select * from moz_bookmarks where type=1"), 4);
  EXPECT_EQ(db_.Count("select * from moz_bookmarks where type=2 and "
                      "title='Imported'"),
            1);
  const std::string after_first = db_.Snapshot();
  ASSERT_TRUE(Import());
  EXPECT_EQ(db_.Snapshot(), after_first);
}

TEST_F(PlacesImportTest, LinkWithoutUrlFailsButTheRestIsImported) {
  test::WriteBytes(Src("NoKey.url"), "[InternetShortcut]\r\nIconFile=x\r\n");
  test::WriteUrlFile(Src("Word.url"), "fAiL");
  test::WriteUrlFile(Src("Good.url"), "http://good.example/");
  platform::SetLastError(0);
  EXPECT_FALSE(Import());
  EXPECT_EQ(platform::GetLastError(), firefox::kErrorNoUrl);
  EXPECT_EQ(db_.LinksIn(db_.FolderId(2, "Imported")),
            Links{"Good|http://good.example/"});
}

TEST_F(PlacesImportTest, ReservedExcludedAndLinkedFoldersAreSkipped) {
  test::WriteUrlFile(Src(".QUILLBAY/a.url"), "http://a.example/");
  test::WriteUrlFile(Src("imported FROM firefox/b.url"), "http://b.example/");
  test::WriteUrlFile(Src("Keep/url/d.url"), "http://d.example/");
  test::WriteUrlFile(Src("Keep/e.url"), "http://e.example/");
  std::error_code no_links;  // where the system has none, the rest holds
  std::filesystem::create_directory_symlink(Src("Keep"), Src("Linked"),
                                            no_links);
  ASSERT_TRUE(Import(u"URL"));
  int64_t folder = db_.FolderId(2, "Imported");
  EXPECT_EQ(db_.FoldersIn(folder), Links{"Keep"});
  EXPECT_TRUE(db_.FoldersIn(db_.FolderId(folder, "Keep")).empty());
  EXPECT_EQ(db_.Count("select * from moz_bookmarks where type=1"), 1);
}

TEST_F(PlacesImportTest, TitlesAreValuesNotSql) {
  // A link titled like a sub-folder being imported is not that folder.
  db_.AddLink(2, "http://decoy.example/", "Title");
  test::WriteUrlFile(Src("Title/He said 'hi'; drop table x.url"),
                     "http://q.example/?a='1';--");
  test::WriteUrlFile(Src("Title/it's.url"), "http://q.example/\"b\"");
  ASSERT_TRUE(firefox::FixImportFromBK(handle_.get(), U16(Src("")), u"2"));
  EXPECT_EQ(db_.LinksIn(db_.FolderId(2, "Title")),
            (Links{"He said 'hi'; drop table x|http://q.example/?a='1';--",
                   "it's|http://q.example/\"b\""}));
}

// A refused folder leaves nothing under it; a refused place leaves no link
// pointing nowhere.
TEST_F(PlacesImportTest, NoOrphanRowsAfterARefusedInsert) {
  test::WriteUrlFile(Src("a.url"), "http://a.example/");
  const std::pair<const char*, const char*> refusals[] = {
      {"moz_bookmarks when new.type=2", "InsertBookmarks execute fail:4313 "},
      {"moz_places", "InsertURL execute fail:4313 "}};
  for (const auto& [table, message] : refusals) {
    db_.Exec(std::string("create trigger refuse before insert on ") + table +
             " begin select raise(abort, 'refused'); end;");
    test::LogCapture log;
    EXPECT_FALSE(Import());
    EXPECT_EQ(platform::GetLastError(), firefox::kErrorInsertFailed);
    EXPECT_TRUE(log.Contains(message)) << table;
    EXPECT_EQ(db_.Count("select * from moz_bookmarks where type=1"), 0);
    db_.Exec("drop trigger refuse");
  }
}

TEST_F(PlacesImportTest, FixImportGoesStraightIntoTheRoots) {
  test::WriteUrlFile(Src("top.url"), "http://top.example/");
  test::WriteUrlFile(Src("Folder/in.url"), "http://in.example/");
  std::string before = db_.Snapshot();
  EXPECT_FALSE(firefox::FixImportFromBK(handle_.get(), U16(Src("")), u"3"));
  EXPECT_FALSE(firefox::FixImportFromBK(handle_.get(), U16(Src("")), u"02"));
  EXPECT_EQ(db_.Snapshot(), before);
  ASSERT_TRUE(firefox::FixImportFromBK(handle_.get(), U16(Src("")), u"5"));
  EXPECT_EQ(db_.LinksIn(5), Links{"top|http://top.example/"});
  EXPECT_EQ(db_.LinksIn(db_.FolderId(5, "Folder")),
            Links{"in|http://in.example/"});
}

}  // namespace
}  // namespace marksafe
