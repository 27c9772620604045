// Merging interchange folders into places (the old store): what becomes a
// folder or a link, what is skipped, what a second import does, and how
// failures show.
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
  std::string Src(const std::string& relative) {
    return dir_.sub("src/" + relative);
  }
  bool Import(const char16_t* exclude = nullptr) {
    return firefox::ImportPlacesFolder(handle_.get(), U16(Src("")), u"2",
                                       u"Imported", exclude);
  }
  test::TempDir dir_;
  test::PlacesDb db_{dir_.sub("places.sqlite")};
  test::ScopedHandle handle_{dir_.sub("places.sqlite")};
};

// The old store keeps its own columns, the URLs as they were given, and its
// journal (an import must be able to roll back).
TEST_F(PlacesImportTest, FilesBecomeLinksAndDirectoriesFolders) {
  test::WriteUrlFile(Src("Upper.url"), "HTTP://Example.COM");
  test::WriteUrlFile(Src("a.b.URL"), "http://ab.example/");
  // Longer than the 260 units a fixed buffer would cut it to.
  const std::string long_url = "http://long.example/?" + std::string(600, 'x');
  test::WriteUrlFile(Src("Long.url"), long_url);
  test::WriteUrlFile(Src("notes.txt"), "http://notes.example/");
  test::WriteUrlFile(Src("url"), "http://nodot.example/");
  test::WriteUrlFile(Src("Sub/Caf\xC3\xA9.url"), "http://cafe.example/");
  ASSERT_TRUE(Import());
  const std::string folder = std::to_string(db_.FolderId(2, "Imported"));
  EXPECT_EQ(db_.LinksIn(std::stoll(folder)),
            (Links{"a.b|http://ab.example/", "Long|" + long_url,
                   "Upper|HTTP://Example.COM"}));
  int64_t sub = db_.FolderId(std::stoll(folder), "Sub");
  EXPECT_EQ(db_.LinksIn(sub), Links{"Caf\xC3\xA9|http://cafe.example/"});
  EXPECT_EQ(db_.Rows("select b.type, b.parent, b.title, b.keyword_id, "
                     "b.folder_type, b.dateAdded, b.lastModified,"
                     " p.title, p.favicon_id from moz_bookmarks b join "
                     "moz_places p on b.fk = p.id where b.title='Upper'"),
            Links{"1|" + folder +
                  "|Upper|NULL|NULL|1248279149000000|NULL|Upper|NULL"});
  EXPECT_EQ(db_.Value("select dateAdded from moz_bookmarks where id=" +
                      std::to_string(sub)),
            "1248279149000000");
  EXPECT_NE(db_.Value("PRAGMA journal_mode"), "off");
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
  // The new link and folder follow what was there; the place is shared.
  EXPECT_EQ(db_.Rows("select position from moz_bookmarks where parent=" +
                     std::to_string(existing) + " order by id"),
            (Links{"0", "1", "2"}));
  EXPECT_EQ(db_.Count("select * from moz_places"), 3);
  EXPECT_EQ(db_.Count("select * from moz_bookmarks where type=1"), 4);
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

// Straight into a root (only the menu and unsorted ones); titles are values,
// not SQL, and a link titled like a sub-folder is not that folder.
TEST_F(PlacesImportTest, FixImportGoesStraightIntoTheRoots) {
  db_.AddLink(5, "http://decoy.example/", "Title");
  test::WriteUrlFile(Src("top.url"), "http://top.example/");
  test::WriteUrlFile(Src("Title/He said 'hi'; drop table x.url"),
                     "http://q.example/?a='1';--");
  test::WriteUrlFile(Src("Title/it's.url"), "http://q.example/\"b\"");
  std::string before = db_.Snapshot();
  EXPECT_FALSE(firefox::FixImportFromBK(handle_.get(), U16(Src("")), u"3"));
  EXPECT_FALSE(firefox::FixImportFromBK(handle_.get(), U16(Src("")), u"02"));
  EXPECT_EQ(db_.Snapshot(), before);
  ASSERT_TRUE(firefox::FixImportFromBK(handle_.get(), U16(Src("")), u"5"));
  EXPECT_EQ(db_.LinksIn(5),
            (Links{"Title|http://decoy.example/", "top|http://top.example/"}));
  EXPECT_EQ(db_.LinksIn(db_.FolderId(5, "Title")),
            (Links{"He said 'hi'; drop table x|http://q.example/?a='1';--",
                   "it's|http://q.example/\"b\""}));
}

// A refused folder leaves nothing under it; a refused place leaves no link
// pointing nowhere.
TEST_F(PlacesImportTest, NoOrphanRowsAfterARefusedInsert) {
  test::WriteUrlFile(Src("a.url"), "http://a.example/");
  for (const auto& [table, message] :
       {std::pair{"moz_bookmarks when new.type=2", "InsertBookmarks"},
        std::pair{"moz_places", "InsertURL"}}) {
    db_.Exec(std::string("create trigger refuse before insert on ") + table +
             " begin select raise(abort, 'refused'); end;");
    test::LogCapture log;
    EXPECT_FALSE(Import());
    EXPECT_EQ(platform::GetLastError(), firefox::kErrorInsertFailed);
    EXPECT_TRUE(log.Contains(std::string(message) + " execute fail:4313 "));
    EXPECT_EQ(db_.Count("select * from moz_bookmarks where type=1"), 0);
    db_.Exec("drop trigger refuse");
  }
}

}  // namespace
}  // namespace marksafe
