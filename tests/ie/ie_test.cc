// Bringing a Firefox or Chrome part into a Favorites folder: merged, never
// overwriting, and a repeated merge adds nothing. get_ie_favorites_size and
// backup_ie through the exports. (The located Favorites folder is the
// locators' test.)
#include "stores/url_folder/favorites_import.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "backup_set/part.h"
#include "base/error_codes.h"
#include "context/job.h"
#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "model/report.h"
#include "platform/platform.h"
#include "support/faulty_env.h"
#include "support/test_support.h"
#include "support/tree_support.h"

namespace marksafe {
namespace ie {
namespace {

using backup_set::PartKind;
using model::Item;
using model::ItemId;
using model::Root;
using test::ListTree;
using test::Ms;
using test::NewFolder;
using test::NewLink;
using test::Put;
using test::TempDir;
using test::WriteBytes;
using Files = std::vector<std::string>;

// A Firefox part with what a folder of .url files cannot hold beside what
// it can.
void WriteFirefoxPart(const std::u16string& folder) {
  model::Tree tree;
  const ItemId menu = tree.AddRoot(Root::kMenu, u"menu");
  Put(&tree, menu, NewLink(u"News", u"https://news/"));
  Put(&tree, menu, test::NewSeparator());
  Put(&tree, menu, NewLink(u"News", u"https://other-news/"));
  Put(&tree, menu, NewLink(u"Recent", u"place:sort=8"));
  Item tagged = NewLink(u"Tagged", u"https://tagged/");
  tagged.tags = {u"t"};
  Put(&tree, menu, tagged);
  const ItemId odd = Put(&tree, menu, NewFolder(u"a/b"));
  Put(&tree, odd, NewLink(u"In odd", u"https://odd/"));
  // Two sibling folders of one title, each with its own link.
  for (const char16_t* url : {u"https://d1/", u"https://d2/"}) {
    Put(&tree, Put(&tree, menu, NewFolder(u"Dup")), NewLink(u"d", url));
  }
  Put(&tree, tree.AddRoot(Root::kToolbar, u"toolbar"),
      NewLink(u"Bar", u"https://bar/"));
  ASSERT_TRUE(backup_set::WritePart(tree, PartKind::kFirefox, folder, true,
                                    nullptr)
                  .ok());
}

// MergePartIntoFavorites of dir/part into dir/fav, under the usual name, in
// a call of its own whose report is added to *report.
bool Merge(const TempDir& dir, const char* part, PartKind kind,
           model::Report* report, bool overwrite = true) {
  context::JobScope scope("merge");
  const bool ok = MergePartIntoFavorites(dir.u16(part), kind, dir.u16("fav"),
                                         kind == PartKind::kFirefox
                                             ? u"Imported from Firefox"
                                             : u"Imported from chrome",
                                         overwrite)
                      .ok();
  const model::Report& made = scope.job().report();
  report->roots.insert(report->roots.end(), made.roots.begin(),
                       made.roots.end());
  report->problems.insert(report->problems.end(), made.problems.begin(),
                          made.problems.end());
  return ok;
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
  ASSERT_TRUE(Merge(dir, "part", PartKind::kFirefox, &report));
  const std::string menu = "Imported from Firefox/Bookmarks Menu/";
  const std::string bar = "Imported from Firefox/Bookmarks Toolbar/";
  Files files = {"Imported from Firefox/",
                 "Imported from Firefox/Mobile Bookmarks/",
                 "Imported from Firefox/Unsorted Bookmarks/",
                 bar,
                 bar + "Bar.url",
                 menu};
  for (const char* file :
       {"a_b/", "a_b/In odd.url", "Dup/", "Dup/d.url", "Dup (2)/",
        "Dup (2)/d.url", "News (2).url", "News.url", "Tagged.url"}) {
    files.push_back(menu + file);
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(ListTree(dir.sub("fav")), files);
  EXPECT_EQ(Added(report), (model::Counts{7, 3, 0}));
  // The separator and the place: query.
  EXPECT_EQ(report.roots.at(0).not_carried, (model::Counts{1, 0, 1}));
  EXPECT_FALSE(report.AnythingLost());
  bool tags_named = false;
  for (const model::Problem& problem : report.problems) {
    tags_named = tags_named || problem.reason == "tags";
  }
  EXPECT_TRUE(tags_named);

  model::Report again;
  ASSERT_TRUE(Merge(dir, "part", PartKind::kFirefox, &again));
  EXPECT_EQ(ListTree(dir.sub("fav")), files);
  EXPECT_EQ(Added(again), model::Counts());
  EXPECT_EQ(again.roots.at(0).present, (model::Counts{6, 3, 0}));
}

TEST(MergePartIntoFavorites, AMissingOrEmptyPartFails) {
  TempDir dir;
  test::MakeDirs(dir.sub("empty"));
  model::Report report;
  EXPECT_FALSE(Merge(dir, "empty", PartKind::kFirefox, &report));
  EXPECT_FALSE(Merge(dir, "missing", PartKind::kChrome, &report));
  EXPECT_FALSE(test::Exists(dir.sub("fav")));
}

// A part's .url files reach the Favorites folder as they are, in folders
// named as the set names its roots; an older export's file is replaced
// only with overwrite.
TEST(MergePartIntoFavorites, CopiesKeepBytesNamesAndReplaceOnlyWithOverwrite) {
  const std::string icon =
      "[InternetShortcut]\r\nURL=https://x/\r\nIconFile=http://x/i.ico\r\n"
      "IconIndex=1\r\nHotKey=0\r\n";
  const std::string stale = test::Shortcut("https://old/");
  const std::string ff = "fav/Imported from Firefox/Lesezeichen/";
  struct Case {
    const char* what;
    PartKind kind;
    bool overwrite;
    Files stale_files;  // in fav before the merge, each holding stale
    std::vector<std::pair<std::string, std::string>> expected;  // path, bytes
  } cases[] = {
      {"localized root, shortcut keys kept", PartKind::kFirefox, true, {},
       {{ff + "x.url", icon}}},
      {"older export replaced", PartKind::kFirefox, true, {ff + "x.url"},
       {{ff + "x.url", icon}}},
      {"older export kept without overwrite", PartKind::kFirefox, false,
       {ff + "x.url"}, {{ff + "x.url", stale}, {ff + "x (2).url", icon}}},
      {"Chrome folder without position file", PartKind::kChrome, true, {},
       {{"fav/Imported from chrome/Lesezeichen/x.url", icon}}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.kind == PartKind::kFirefox) {
      WriteBytes(dir.sub("part/pos.ini"),
                 "[Menu]\r\nMain=Lesezeichen\r\nOthers=Unsorted\r\n");
      test::MakeDirs(dir.sub("part/Unsorted"));
    }
    WriteBytes(dir.sub("part/Lesezeichen/x.url"), icon);
    for (const std::string& file : c.stale_files) {
      WriteBytes(dir.sub(file), stale);
    }
    model::Report report;
    EXPECT_TRUE(Merge(dir, "part", c.kind, &report, c.overwrite)) << c.what;
    for (const auto& file : c.expected) {
      EXPECT_EQ(test::ReadBytes(dir.sub(file.first)), file.second)
          << c.what << ": " << file.first;
    }
    // "Imported from ..", the part's root folders, the files.
    const size_t folders = c.kind == PartKind::kFirefox ? 3 : 2;
    EXPECT_EQ(ListTree(dir.sub("fav")).size(), c.expected.size() + folders)
        << c.what;
  }
}

using Size = std::tuple<bool, uint64_t, int32_t, int32_t>;

const volatile uint8_t kNever = 0;

// Result, size, folders and links.
Size Measure(const MS_CHAR* path, bool into_set) {
  uint64_t size = 77;
  int32_t folders = -1, links = -1;
  const bool ok =
      get_ie_favorites_size(path, into_set, &size, &folders, &links);
  return {ok, size, folders, links};
}

TEST(IeTest, BackupCopiesOnlyShortcutsAndMeasuresEveryFolder) {
  TempDir dir;
  WriteBytes(dir.sub("Favorites/Links/a.url"), "[InternetShortcut]\r\n");
  WriteBytes(dir.sub("Favorites/News.url"), "[InternetShortcut]\r\nURL=n");
  WriteBytes(dir.sub("Favorites/desktop.ini"), "not a shortcut");
  WriteBytes(dir.sub("Favorites/Deep/er/b.URL"), "b");
  WriteBytes(dir.sub("Favorites/.Quillbay/m.url"), "m");
  const std::u16string favorites = dir.u16("Favorites");
  auto backup = [&](const std::string& to, bool into_set, bool overwrite,
                    const volatile uint8_t* cancel = &kNever) {
    return backup_ie(Ms(favorites), Ms(dir.u16(to)), into_set, overwrite,
                     cancel);
  };
  const std::vector<std::string> backed_up = {"Deep/",         "Deep/er/",
                                              "Deep/er/b.URL", "Links/",
                                              "Links/a.url",   "News.url"};
  // Links, Deep, Deep/er and .Quillbay are all counted.
  EXPECT_EQ(Measure(Ms(favorites), false), Size(true, 20 + 25 + 1 + 1, 4, 4));

  ASSERT_TRUE(backup("usb", true, false));
  EXPECT_EQ(ListTree(dir.sub("usb/Bookmarks/Favorites")), backed_up);
  EXPECT_EQ(Measure(Ms(dir.u16("usb") + u"\\"), true),
            Size(true, 20 + 25 + 1, 3, 3));

  ASSERT_TRUE(backup("plain/dest", false, false));
  EXPECT_EQ(ListTree(dir.sub("plain/dest")), backed_up);
  EXPECT_FALSE(backup("plain/dest", false, false));
  EXPECT_TRUE(backup("plain/dest", false, true));
  EXPECT_FALSE(backup_ie(Ms(favorites), nullptr, true, false, &kNever));
  EXPECT_FALSE(backup("usb2", true, false, nullptr));
  EXPECT_FALSE(test::Exists(dir.sub("usb2")));
  WriteBytes(dir.sub("blocker"), "a file where a folder is needed");
  EXPECT_FALSE(backup("blocker/usb", true, false));
  // Restoring from a file where the part's folder belongs fails as a
  // missing path, not with a code an earlier call left.
  platform::SetLastError(kErrorDiskFull);
  EXPECT_FALSE(marksafe_restore_favorites(Ms(favorites), Ms(dir.u16("blocker")),
                                          &kNever));
  EXPECT_EQ(marksafe_last_error(), kErrorPathNotFound);

  // Short or missing paths are refused and leave the size as it was, with
  // a code of their own rather than one an earlier call left.
  for (const std::u16string& bad :
       {std::u16string(u"C:\\ab"), dir.u16("missing")}) {
    platform::SetLastError(kErrorDiskFull);
    const Size got = Measure(Ms(bad), false);
    EXPECT_FALSE(std::get<0>(got));
    EXPECT_EQ(std::get<1>(got), 77u);
    EXPECT_NE(marksafe_last_error(), kErrorDiskFull);
  }
  EXPECT_FALSE(
      get_ie_favorites_size(Ms(favorites), false, nullptr, nullptr, nullptr));

  // A sub-folder that cannot be listed makes the figures fall short: the
  // measurement fails, whichever folder it is.
  for (int n = 2; n <= 5; ++n) {
    test::ScopedFaultyEnv env;
    env->FailNth(test::FaultOp::kOpen, n, kErrorAccessDenied);
    EXPECT_FALSE(std::get<0>(Measure(Ms(favorites), false))) << n;
  }
}

}  // namespace
}  // namespace ie
}  // namespace marksafe
