// The bookmark tree and the merge rules every restore and conversion uses.
#include "model/merge.h"
#include "model/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace marksafe {
namespace model {
namespace {

Item Link(const std::u16string& title, const std::u16string& url,
          Time added = 0) {
  Item item;
  item.kind = ItemKind::kLink;
  item.title = title;
  item.url = url;
  item.date_added = added;
  return item;
}

Item Folder(const std::u16string& title) {
  Item item;
  item.title = title;
  return item;
}

Item Separator() {
  Item item;
  item.kind = ItemKind::kSeparator;
  return item;
}

void Put(Tree* tree, ItemId parent, const Item& item) {
  ASSERT_NE(tree->Add(parent, item), kNoItem);
}

// One line per item below folder: depth, kind and title or URL.
std::vector<std::u16string> Shape(const Tree& tree, ItemId folder) {
  std::vector<std::u16string> lines;
  tree.ForEachBelow(folder, [&](ItemId id) {
    const Item& item = tree.at(id);
    std::u16string line(static_cast<size_t>(item.depth), u' ');
    switch (item.kind) {
      case ItemKind::kFolder: line += u"[" + item.title + u"]"; break;
      case ItemKind::kLink: line += item.title + u" " + item.url; break;
      case ItemKind::kSeparator: line += u"---"; break;
    }
    lines.push_back(line);
  });
  return lines;
}

// A toolbar with duplicates of every kind the matching must keep apart.
Tree Source() {
  Tree tree;
  const ItemId bar = tree.AddRoot(Root::kToolbar, u"toolbar");
  Put(&tree, bar, Link(u"b", u"https://b.example/", 2000));
  Put(&tree, bar, Separator());
  Put(&tree, bar, Link(u"a", u"https://a.example/", 1000));
  Put(&tree, bar, Link(u"a again", u"https://a.example/"));
  Put(&tree, bar, Separator());
  const ItemId news = tree.Add(bar, Folder(u"News"));
  Put(&tree, news, Link(u"one", u"https://one.example/"));
  Put(&tree, tree.Add(news, Folder(u"Deep")),
      Link(u"deep", u"https://deep.example/"));
  Put(&tree, tree.Add(bar, Folder(u"News")),
      Link(u"two", u"https://two.example/"));
  return tree;
}

TEST(MergeTest, IntoAnEmptyFolderKeepsEverythingInOrderAndARepeatAddsNothing) {
  const Tree source = Source();
  Tree target;
  const ItemId into = target.AddRoot(Root::kToolbar, u"Bookmarks Toolbar");
  MergeOptions options;
  options.now = 42;
  RootReport first;
  Merge(source, source.root(Root::kToolbar), &target, into, options, &first,
        nullptr);
  EXPECT_EQ(Shape(target, into), Shape(source, source.root(Root::kToolbar)));
  EXPECT_EQ(first.source, (Counts{6, 3, 2}));
  EXPECT_EQ(first.present, Counts{});

  // Dates travel; an undated item gets the merge's time; all are new.
  EXPECT_EQ(target.at(target.at(into).children[0]).date_added, 2000);
  EXPECT_EQ(target.at(target.at(into).children[3]).date_added, 42);
  target.ForEachBelow(into, [&](ItemId id) { EXPECT_TRUE(target.at(id).added); });

  for (size_t i = 0; i < target.size(); ++i) target.at(static_cast<ItemId>(i)).added = false;
  const std::vector<std::u16string> once = Shape(target, into);
  RootReport second;
  Merge(source, source.root(Root::kToolbar), &target, into, options, &second,
        nullptr);
  EXPECT_EQ(Shape(target, into), once);
  EXPECT_EQ(second.present, second.source);
}

TEST(MergeTest, NewItemsFollowWhatTheTargetHolds) {
  const Tree source = Source();
  Tree target;
  const ItemId into = target.AddRoot(Root::kToolbar, u"t");
  Put(&target, into, Link(u"mine", u"https://mine.example/"));
  Put(&target, into, Link(u"A", u"HTTPS://A.example"));
  const ItemId news = target.Add(into, Folder(u"News"));
  Put(&target, news, Link(u"one", u"https://one.example/"));

  ProgressScope progress;
  RootReport counts;
  Merge(source, source.root(Root::kToolbar), &target, into, MergeOptions{},
        &counts, nullptr);
  // "a" matched the target's link of the same (normalised) address, its
  // duplicate did not; the first News merged, the second is new.
  EXPECT_EQ(Shape(target, into),
            (std::vector<std::u16string>{
                u" mine https://mine.example/", u" A HTTPS://A.example",
                u" [News]", u"  one https://one.example/", u"  [Deep]",
                u"   deep https://deep.example/", u" b https://b.example/",
                u" ---", u" a again https://a.example/", u" ---", u" [News]",
                u"  two https://two.example/"}));
  EXPECT_FALSE(target.at(news).added);

  // What each target folder gained directly, parents first in the source's
  // order (the two News folders apart): together what a writer will write.
  std::vector<std::pair<std::u16string, Counts>> gained;
  Counts sum, marked;
  for (const FolderAdded& folder : counts.folders) {
    gained.emplace_back(folder.folder, folder.added);
    sum += folder.added;
  }
  EXPECT_EQ(gained, (std::vector<std::pair<std::u16string, Counts>>{
                        {u"t", {2, 1, 2}},
                        {u"t/News", {0, 1, 0}},
                        {u"t/News/Deep", {1, 0, 0}},
                        {u"t/News", {1, 0, 0}}}));
  target.ForEachBelow(into, [&](ItemId id) {
    if (target.at(id).added) CountItem(target.at(id).kind, &marked);
  });
  EXPECT_EQ(sum, marked);
  // Each new link is one more for the progress total.
  int64_t done = -1, total = -1;
  ReadProgress(&done, &total);
  EXPECT_EQ(total, marked.links);
  EXPECT_EQ(done, 0);
}

TEST(MergeTest, WhatTheTargetCannotHoldIsCountedAndNamed) {
  Tree source;
  const ItemId menu = source.AddRoot(Root::kMenu, u"menu");
  Item tagged = Link(u"tagged", u"https://t.example/");
  tagged.tags = {u"x"};
  Put(&source, menu, tagged);
  Put(&source, menu, Separator());
  Put(&source, menu, Link(u"Recent", u"place:sort=8"));
  Put(&source, source.Add(menu, Folder(u".quillbay")),
      Link(u"x", u"https://x.example/"));
  Put(&source, menu, Folder(u"url"));

  Tree target;
  const ItemId into = target.AddRoot(Root::kToolbar, u"bar");
  MergeOptions options;
  options.capabilities = ChromeCapabilities();
  options.excluded_folders = {u"URL"};
  RootReport counts;
  Report report;
  Merge(source, menu, &target, into, options, &counts, &report);

  EXPECT_EQ(Shape(target, into),
            std::vector<std::u16string>{u" tagged https://t.example/"});
  EXPECT_TRUE(target.at(target.at(into).children[0]).tags.empty());
  EXPECT_EQ(counts.not_carried, (Counts{1, 0, 1}));
  ASSERT_EQ(report.problems.size(), 3u);
  EXPECT_EQ(report.problems[2].path, u"menu/Recent");
  EXPECT_FALSE(report.AnythingLost());
}

TEST(TreeTest, RefusesItemsBelowTheDepthLimitAndWalksWithoutRecursion) {
  Tree tree;
  ItemId folder = tree.AddRoot(Root::kOther, u"other");
  for (int depth = 1; depth <= kMaxDepth; ++depth) {
    folder = tree.Add(folder, Folder(u"f"));
    ASSERT_NE(folder, kNoItem) << depth;
  }
  EXPECT_EQ(tree.Add(folder, Link(u"deep", u"https://d.example/")), kNoItem);
  EXPECT_EQ(CountBelow(tree, tree.root(Root::kOther)).folders, kMaxDepth);
  EXPECT_EQ(tree.RootOf(folder), Root::kOther);

  // Merging the deep tree under a folder one level down loses its last
  // level, and says so.
  Tree target;
  const ItemId top = target.AddRoot(Root::kOther, u"o");
  const ItemId inner = target.Add(top, Folder(u"Imported"));
  RootReport counts;
  Report report;
  Merge(tree, tree.root(Root::kOther), &target, inner, MergeOptions{}, &counts,
        &report);
  EXPECT_EQ(counts.failed.folders, 1);
  EXPECT_TRUE(report.AnythingLost());
}

}  // namespace
}  // namespace model
}  // namespace marksafe
