// Snapshots of a backup set: ids, WHEN, retention, what changed between
// two trees, and the snapshot file as written and as damaged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backup_set/interchange.h"
#include "backup_set/part.h"
#include "history/snapshot.h"
#include "history/snapshot_codec.h"
#include "history/tree_diff.h"
#include "history/when.h"
#include "jobs/history_jobs.h"
#include "model/calendar.h"
#include "support/test_support.h"
#include "support/tree_support.h"

namespace marksafe {
namespace history {
namespace {

using test::NewFolder;
using test::NewLink;
using test::Put;

model::Time At(const char* id) {
  model::Time time = 0;
  int sequence = 0;
  EXPECT_TRUE(ParseSnapshotId(test::U16(id), &time, &sequence)) << id;
  return time;
}

TEST(SnapshotIdTest, RoundTripsAndSortsInTimeOrder) {
  EXPECT_EQ(SnapshotIdAt(At("20261207T214500Z")), u"20261207T214500Z");
  EXPECT_EQ(SnapshotIdAt(At("20240229T000000Z")), u"20240229T000000Z");
  EXPECT_TRUE(SnapshotIdLess(u"20261207T214500Z", u"20261207T214500Z-2"));
  EXPECT_TRUE(SnapshotIdLess(u"20261207T214500Z-9", u"20261207T214500Z-10"));
  model::Time time;
  int sequence;
  for (const char16_t* bad :
       {u"20261307T214500Z", u"20230229T000000Z", u"20261207T214500Z-1",
        u"20261207T214500Z-02", u"20261207 214500Z", u"x", u""}) {
    EXPECT_FALSE(ParseSnapshotId(bad, &time, &sequence)) << test::U8(bad);
  }
}

TEST(WhenTest, PicksTheSnapshotWhenNames) {
  std::vector<Dated> all;
  for (const char* id : {"20261201T080000Z", "20261201T230000Z",
                         "20261203T120000Z", "20261203T120000Z-2"}) {
    all.push_back(Dated{test::U16(id), At(id), At(id)});
  }
  // A browser's own backup: named for 4 December, written just after it.
  all.push_back(Dated{u"bookmarks-2026-12-04.jsonlz4",
                      At("20261205T003000Z"), At("20261204T000000Z")});
  const model::Time now = At("20261206T120000Z");
  struct Case {
    const char16_t* when;
    WhenResult result;
    size_t index;
  } cases[] = {
      {u"20261201T230000Z", WhenResult::kFound, 1},
      {u"20261202T000000Z", WhenResult::kFound, 1},  // the last before it
      {u"20261203T120000Z-2", WhenResult::kFound, 3},
      {u"2026-12-01", WhenResult::kFound, 1},  // the day's last
      {u"2026-12-02", WhenResult::kFound, 1},
      {u"2026-12-04", WhenResult::kFound, 4},  // by the day it counts for
      {u"20261205T000000Z", WhenResult::kFound, 3},
      {u"bookmarks-2026-12-04.jsonlz4", WhenResult::kFound, 4},
      {u"3d", WhenResult::kFound, 3},
      {u"4d", WhenResult::kFound, 1},
      {u"2026-11-30", WhenResult::kBeforeAll, 0},
      {u"20w", WhenResult::kBeforeAll, 0},
      {u"2026-02-30", WhenResult::kInvalid, 0},
      {u"3y", WhenResult::kInvalid, 0},
      {u"d", WhenResult::kInvalid, 0},
      {u"bookmarks-2026-12-05.jsonlz4", WhenResult::kInvalid, 0},
  };
  for (const Case& c : cases) {
    size_t index = 99;
    EXPECT_EQ(ResolveWhen(c.when, all, now, &index), c.result)
        << test::U8(c.when);
    if (c.result == WhenResult::kFound) {
      EXPECT_EQ(index, c.index) << test::U8(c.when);
    }
  }
}

TEST(RetentionTest, KeepsTheLastOfEachDayWeekAndMonth) {
  const std::vector<model::Time> times = {
      At("20261001T100000Z"),  // October
      At("20261102T100000Z"),  // November, a Monday
      At("20261108T100000Z"),  // Sunday of the same week
      At("20261130T080000Z"), At("20261130T090000Z"),
      At("20261201T100000Z")};
  // Monday 30 November and 1 December share a week.
  const struct {
    Retention retention;
    std::vector<bool> kept;
  } cases[] = {
      {{0, 1, 0, 0}, {false, false, false, false, false, true}},
      {{0, 2, 0, 0}, {false, false, false, false, true, true}},
      {{0, 0, 3, 0}, {true, false, true, false, false, true}},
      {{0, 0, 0, 3}, {true, false, false, false, true, true}},
      {{2, 0, 0, 0}, {false, false, false, false, true, true}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseKept(times, c.retention), c.kept);
  }
}

TEST(TreeDiffTest, TellsAddedRemovedRenamedAndMoved) {
  model::Tree before;
  const model::ItemId bar = before.AddRoot(model::Root::kToolbar, u"bar");
  const model::ItemId news = Put(&before, bar, NewFolder(u"News", 10));
  const model::ItemId work = Put(&before, bar, NewFolder(u"Work", 11));
  Put(&before, news, NewLink(u"A", u"https://a.example/", 1));
  Put(&before, news, NewLink(u"B", u"https://b.example/", 2));
  Put(&before, work, NewLink(u"C", u"https://c.example/", 3));
  // The same URL twice: the copy with the same title pairs first.
  Put(&before, bar, NewLink(u"Twin", u"https://t.example/", 4));
  Put(&before, bar, NewLink(u"Twin 2", u"https://t.example/", 4));
  // Folders without a date pair by title only: a rename is a new folder.
  Put(&before, bar, NewFolder(u"Kept", 0));
  Put(&before, bar, NewFolder(u"Drafts", 0));

  model::Tree after;
  const model::ItemId bar2 = after.AddRoot(model::Root::kToolbar, u"bar");
  const model::ItemId news2 = Put(&after, bar2, NewFolder(u"Headlines", 10));
  Put(&after, news2, NewLink(u"A", u"https://a.example/", 1));
  Put(&after, bar2, NewLink(u"B", u"https://B.example/", 2));  // moved
  Put(&after, news2, NewLink(u"D", u"https://d.example/", 5));
  Put(&after, bar2, NewLink(u"Twin 2", u"https://t.example/", 4));
  Put(&after, bar2, NewLink(u"Twin", u"https://t.example/", 4));
  Put(&after, bar2, NewFolder(u"Papers", 0));
  Put(&after, bar2, NewFolder(u"Kept", 0));

  const TreeDiff diff = DiffTrees(before, after);
  EXPECT_EQ(diff.added, 2);    // D and Papers
  EXPECT_EQ(diff.removed, 3);  // Work, C and Drafts
  EXPECT_EQ(diff.renamed, 1);  // News
  EXPECT_EQ(diff.moved, 1);    // B
  EXPECT_TRUE(DiffTrees(after, after).empty());
}

// Many items under few keys, and more addresses after than before: every
// link pairs with the one of its address and title, and each change is
// counted once.
TEST(TreeDiffTest, CountsEachChangeOnceAmongManyTwins) {
  model::Tree before, after;
  const model::ItemId bar = before.AddRoot(model::Root::kToolbar, u"bar");
  const model::ItemId bar2 = after.AddRoot(model::Root::kToolbar, u"bar");
  const model::ItemId box = Put(&after, bar2, NewFolder(u"Box", 7));
  Put(&before, bar, NewFolder(u"Box", 7));
  constexpr int kLinks = 3000;
  for (int i = 0; i < kLinks; ++i) {
    const std::u16string url =
        u"https://x.example/" + test::U16(std::to_string(i % 40));
    const std::u16string title = test::U16(std::to_string(i));
    Put(&before, bar, NewLink(title, url, 1));
    // Every third link moves into Box, every fifth is renamed.
    Put(&after, i % 3 == 0 ? box : bar2,
        NewLink(i % 5 == 0 ? title + u"!" : title, url, 1));
    Put(&after, bar2, NewLink(title, url + u"/new/" + title, 1));
    Put(&after, bar2, NewLink(title, url + u"/other/" + title, 1));
  }
  const TreeDiff diff = DiffTrees(before, after);
  EXPECT_EQ(diff.added, 2 * kLinks);
  EXPECT_EQ(diff.removed, 0);
  EXPECT_EQ(diff.moved, kLinks / 3);
  EXPECT_EQ(diff.renamed, kLinks / 5 - kLinks / 15);
}

class SnapshotFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SnapshotCodecAvailable()) GTEST_SKIP() << "this build has no zstd";
  }

  // A part written from a small tree; its manifest is a snapshot's text.
  std::string PartManifest(const std::u16string& title) {
    model::Tree tree;
    const model::ItemId bar = tree.AddRoot(model::Root::kToolbar, u"bar");
    tree.AddRoot(model::Root::kOther, u"other");
    tree.AddRoot(model::Root::kMobile, u"mobile");
    const model::ItemId folder = Put(&tree, bar, NewFolder(u"F/x", 7));
    model::Item link = NewLink(title, u"https://e.example/", 3, 4);
    link.tags = {u"t"};
    Put(&tree, folder, link);
    Put(&tree, folder, test::NewSeparator(5));
    tree_ = tree;
    const std::u16string part = dir_.u16("Bookmarks/Chrome");
    EXPECT_TRUE(backup_set::WritePart(tree, backup_set::PartKind::kChrome,
                                      part, true, nullptr)
                    .ok());
    return test::ReadBytes(dir_.sub("Bookmarks/Chrome/manifest.json"));
  }

  test::TempDir dir_;
  model::Tree tree_;
};

TEST_F(SnapshotFileTest, KeepsTheWholeTreeUnderTheIdOfItsSecond) {
  const std::string text = PartManifest(u"Émoji 😀");
  const model::Time now = At("20261207T214500Z");
  std::u16string id;
  bool unchanged = true;
  ASSERT_TRUE(WriteSnapshot(dir_.u16(), u"Chrome", text, now, &id, &unchanged)
                  .ok());
  EXPECT_EQ(id, u"20261207T214500Z");
  EXPECT_FALSE(unchanged);

  // A change in the same second takes the next id. (An unchanged tree
  // takes none: the program's history test.)
  std::u16string again;
  const std::string changed = PartManifest(u"Other");
  ASSERT_TRUE(
      WriteSnapshot(dir_.u16(), u"Chrome", changed, now, &again, &unchanged)
          .ok());
  EXPECT_EQ(again, u"20261207T214500Z-2");

  const std::vector<SnapshotFile> files = ListSnapshots(dir_.u16());
  ASSERT_EQ(files.size(), 2u);
  model::Tree read;
  backup_set::Manifest manifest;
  ASSERT_TRUE(ReadSnapshot(files[1].path, &read, &manifest).ok());
  EXPECT_EQ(test::TreeLines(read), test::TreeLines(tree_));
  EXPECT_EQ(manifest.part, "chrome");
}

TEST_F(SnapshotFileTest, RefusesDamagedFiles) {
  std::u16string id;
  bool unchanged = false;
  ASSERT_TRUE(WriteSnapshot(dir_.u16(), u"Chrome", PartManifest(u"x"),
                            At("20261207T214500Z"), &id, &unchanged)
                  .ok());
  const std::u16string path =
      dir_.u16("History/20261207T214500Z/Chrome.snapshot");
  const std::string good = test::ReadBytes(test::U8(path));
  // Cut short, trailing bytes, no zstd, empty, and a frame whose header
  // claims more than the cap (eleven bytes, zeros among them).
  const std::string huge("\x28\xb5\x2f\xfd\xa4\x00\x00\x00\x40\x00\x00",
                         11);
  for (const std::string& bytes : {good.substr(0, good.size() / 2), good + "x",
                                   std::string("not zstd"), std::string(), huge}) {
    test::WriteBytes(test::U8(path), bytes);
    model::Tree tree;
    backup_set::Manifest manifest;
    EXPECT_EQ(ReadSnapshot(path, &tree, &manifest).code(), 13u) << bytes.size();
  }
  // Written back as a part, a damaged or missing snapshot fails before
  // anything is written, and a part that cannot be written is told apart
  // from both (the hosts get 87 with the write's code as last error).
  test::WriteBytes(dir_.sub("file"), "x");
  const std::u16string no_folder = dir_.u16("file/Chrome");
  Status written;
  EXPECT_EQ(jobs::SnapshotToPart(path, no_folder, &written).code(), 13u);
  EXPECT_EQ(jobs::SnapshotToPart(path + u"x", no_folder, &written).code(), 2u);
  EXPECT_TRUE(written.ok());
  test::WriteBytes(test::U8(path), good);
  EXPECT_TRUE(jobs::SnapshotToPart(path, no_folder, &written).ok());
  EXPECT_FALSE(written.ok());
  // The same for a snapshot taken of a part.
  EXPECT_EQ(jobs::SnapshotPart(dir_.u16("file"), dir_.u16(), &id, &unchanged,
                               &written)
                .code(),
            2u);
  EXPECT_TRUE(jobs::SnapshotPart(dir_.u16("file"), dir_.u16("Bookmarks/Chrome"),
                                 &id, &unchanged, &written)
                  .ok());
  EXPECT_FALSE(written.ok());
}

}  // namespace
}  // namespace history
}  // namespace marksafe
