// The bookmark tree and the merge rules every restore and conversion uses.
#include "model/merge.h"
#include "model/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/tree_support.h"

namespace marksafe {
namespace model {
namespace {

using test::NewFolder;
using test::NewLink;
using test::NewSeparator;
using test::Put;

// A toolbar with duplicates of every kind the matching must keep apart.
Tree Source() {
  Tree tree;
  const ItemId bar = tree.AddRoot(Root::kToolbar, u"toolbar");
  Put(&tree, bar, NewLink(u"b", u"https://b.example/", 2000));
  Put(&tree, bar, NewSeparator());
  Put(&tree, bar, NewLink(u"a", u"https://a.example/", 1000));
  Put(&tree, bar, NewLink(u"a again", u"https://a.example/"));
  Put(&tree, bar, NewSeparator());
  const ItemId news = tree.Add(bar, NewFolder(u"News"));
  Put(&tree, news, NewLink(u"one", u"https://one.example/"));
  Put(&tree, tree.Add(news, NewFolder(u"Deep")),
      NewLink(u"deep", u"https://deep.example/"));
  Put(&tree, tree.Add(bar, NewFolder(u"News")),
      NewLink(u"two", u"https://two.example/"));
  return tree;
}

TEST(MergeTest, NewItemsFollowWhatTheTargetHolds) {
  const Tree source = Source();
  Tree target;
  const ItemId into = target.AddRoot(Root::kToolbar, u"t");
  Put(&target, into, NewLink(u"mine", u"https://mine.example/"));
  Put(&target, into, NewLink(u"A", u"HTTPS://A.example"));
  const ItemId news = target.Add(into, NewFolder(u"News"));
  Put(&target, news, NewLink(u"one", u"https://one.example/"));

  Progress progress;
  MergeOptions options;
  options.progress = &progress;
  RootReport counts;
  Merge(source, source.root(Root::kToolbar), &target, into, options, &counts,
        nullptr);
  // "a" matched the target's link of the same (normalised) address, its
  // duplicate did not; the first News merged, the second is new.
  EXPECT_EQ(test::TreeLines(target, false),
            (std::vector<std::string>{
                "toolbar", " L mine|https://mine.example/",
                " L A|HTTPS://A.example", " F News|",
                "  L one|https://one.example/", "  F Deep|",
                "   L deep|https://deep.example/", " L b|https://b.example/",
                " S |", " L a again|https://a.example/", " S |", " F News|",
                "  L two|https://two.example/"}));
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
  progress.Read(&done, &total);
  EXPECT_EQ(total, marked.links);
  EXPECT_EQ(done, 0);
}

TEST(TreeTest, RefusesItemsBelowTheDepthLimitAndWalksWithoutRecursion) {
  Tree tree;
  ItemId folder = tree.AddRoot(Root::kOther, u"other");
  for (int depth = 1; depth <= kMaxDepth; ++depth) {
    folder = tree.Add(folder, NewFolder(u"f"));
    ASSERT_NE(folder, kNoItem) << depth;
  }
  EXPECT_EQ(tree.Add(folder, NewLink(u"deep", u"https://d.example/")), kNoItem);
  EXPECT_EQ(CountBelow(tree, tree.root(Root::kOther)).folders, kMaxDepth);
  EXPECT_EQ(tree.RootOf(folder), Root::kOther);

  // Merging the deep tree under a folder one level down loses its last
  // level, and says so.
  Tree target;
  const ItemId top = target.AddRoot(Root::kOther, u"o");
  const ItemId inner = target.Add(top, NewFolder(u"Imported"));
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
