// Bringing a Firefox or Chrome part into a Favorites folder: merged, never
// overwriting, and a repeated merge adds nothing.
#include "ie/favorites_import.h"

#include <algorithm>
#include <string>
#include <vector>

#include "backup_set/part.h"
#include "gtest/gtest.h"
#include "model/report.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace ie {
namespace {

using backup_set::PartKind;
using model::Item;
using model::ItemId;
using model::ItemKind;
using model::Root;
using test::ListTree;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using Files = std::vector<std::string>;

Item Make(ItemKind kind, const std::u16string& title,
          const std::u16string& url = u"") {
  Item item;
  item.kind = kind;
  item.title = title;
  item.url = url;
  return item;
}

void Add(model::Tree* tree, ItemId parent, Item item) {
  ASSERT_NE(tree->Add(parent, std::move(item)), model::kNoItem);
}

// A Firefox part with what a folder of .url files cannot hold beside what
// it can.
void WriteFirefoxPart(const std::u16string& folder) {
  model::Tree tree;
  const ItemId menu = tree.AddRoot(Root::kMenu, u"menu");
  Add(&tree, menu, Make(ItemKind::kLink, u"News", u"https://news/"));
  Add(&tree, menu, Make(ItemKind::kSeparator, u""));
  Add(&tree, menu, Make(ItemKind::kLink, u"News", u"https://other-news/"));
  Add(&tree, menu, Make(ItemKind::kLink, u"Recent", u"place:sort=8"));
  Item tagged = Make(ItemKind::kLink, u"Tagged", u"https://tagged/");
  tagged.tags = {u"t"};
  Add(&tree, menu, tagged);
  const ItemId odd = tree.Add(menu, Make(ItemKind::kFolder, u"a/b"));
  Add(&tree, odd, Make(ItemKind::kLink, u"In odd", u"https://odd/"));
  // Two sibling folders of one title, each with its own link.
  for (const char16_t* url : {u"https://d1/", u"https://d2/"}) {
    const ItemId dup = tree.Add(menu, Make(ItemKind::kFolder, u"Dup"));
    Add(&tree, dup, Make(ItemKind::kLink, u"d", url));
  }
  Add(&tree, tree.AddRoot(Root::kToolbar, u"toolbar"),
      Make(ItemKind::kLink, u"Bar", u"https://bar/"));
  ASSERT_TRUE(backup_set::WritePart(tree, PartKind::kFirefox, folder, true,
                                    nullptr)
                  .ok());
}

model::Counts Added(const model::Report& report) {
  model::Counts total;
  for (const model::RootReport& root : report.roots) total += root.added;
  return total;
}

TEST(MergePartIntoFavorites, WritesWhatItCanAndAgainAddsNothing) {
  TempDir dir;
  WriteFirefoxPart(dir.u16("part"));
  model::Report report;
  ASSERT_TRUE(MergePartIntoFavorites(dir.u16("part"), PartKind::kFirefox,
                                     dir.u16("fav"), u"Imported from Firefox",
                                     &report)
                  .ok());
  const std::string menu = "Imported from Firefox/Bookmarks Menu/";
  const std::string bar = "Imported from Firefox/Bookmarks Toolbar/";
  Files files = {"Imported from Firefox/",
                       bar,
                       bar + "Bar.url",
                       menu,
                       menu + "a_b/",
                       menu + "a_b/In odd.url",
                       menu + "Dup/",
                       menu + "Dup/d.url",
                       menu + "Dup (2)/",
                       menu + "Dup (2)/d.url",
                       menu + "News (2).url",
                       menu + "News.url",
                       menu + "Tagged.url",
                       "Imported from Firefox/Mobile Bookmarks/",
                       "Imported from Firefox/Unsorted Bookmarks/"};
  std::sort(files.begin(), files.end());
  EXPECT_EQ(ListTree(dir.sub("fav")), files);
  EXPECT_EQ(Added(report).links, 7);
  EXPECT_EQ(Added(report).folders, 3);
  ASSERT_FALSE(report.roots.empty());
  EXPECT_EQ(report.roots[0].not_carried.separators, 1);
  EXPECT_EQ(report.roots[0].not_carried.links, 1);  // the place: query
  EXPECT_FALSE(report.AnythingLost());
  bool tags_named = false;
  for (const model::Problem& problem : report.problems) {
    tags_named = tags_named || problem.reason == "tags";
  }
  EXPECT_TRUE(tags_named);

  model::Report again;
  ASSERT_TRUE(MergePartIntoFavorites(dir.u16("part"), PartKind::kFirefox,
                                     dir.u16("fav"), u"Imported from Firefox",
                                     &again)
                  .ok());
  EXPECT_EQ(ListTree(dir.sub("fav")), files);
  EXPECT_EQ(Added(again).total(), 0);
  EXPECT_EQ(again.roots[0].present.links, 6);
  EXPECT_EQ(again.roots[0].present.folders, 3);
}

// What the Favorites folder holds is never overwritten: a file of the same
// name with another address stays, the new link takes another name; a
// link to the same address is not written again.
TEST(MergePartIntoFavorites, NeverOverwritesWhatIsThere) {
  TempDir dir;
  WriteFirefoxPart(dir.u16("part"));
  const std::string menu = dir.sub("fav/Imported from Firefox/Bookmarks Menu");
  const std::string mine = "[InternetShortcut]\r\nURL=https://mine/\r\n";
  WriteBytes(menu + "/News.url", mine);
  WriteBytes(menu + "/Tagged copy.url",
             "[InternetShortcut]\r\nURL=https://tagged/\r\n");
  model::Report report;
  ASSERT_TRUE(MergePartIntoFavorites(dir.u16("part"), PartKind::kFirefox,
                                     dir.u16("fav"), u"Imported from Firefox",
                                     &report)
                  .ok());
  EXPECT_EQ(ReadBytes(menu + "/News.url"), mine);
  EXPECT_TRUE(test::Exists(menu + "/News (2).url"));
  EXPECT_TRUE(test::Exists(menu + "/News (3).url"));
  EXPECT_FALSE(test::Exists(menu + "/Tagged.url"));
  EXPECT_EQ(report.roots[0].present.links, 1);
}

TEST(MergePartIntoFavorites, AMissingOrEmptyPartFails) {
  TempDir dir;
  test::MakeDirs(dir.sub("empty"));
  model::Report report;
  EXPECT_FALSE(MergePartIntoFavorites(dir.u16("empty"), PartKind::kChrome,
                                      dir.u16("fav"), u"Imported from chrome",
                                      &report)
                   .ok());
  EXPECT_FALSE(test::Exists(dir.sub("fav")));
}

}  // namespace
}  // namespace ie
}  // namespace marksafe
