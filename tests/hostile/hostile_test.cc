// Untrusted input through the exports: a Chrome file that does not parse (or
// nests deeper than the JSON reader goes) and a places.sqlite whose pages
// fail SQLite's check are refused before anything is written, the file
// named; URLs are never cut, and one longer than a target keeps
// is reported by name and not carried while the rest still arrives.
#include <string>

#include "backup_set/part.h"
#include "context/job.h"
#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "model/merge.h"
#include "model/report.h"
#include "roundtrip/collection.h"
#include "support/test_support.h"
#include "support/tree_support.h"

namespace marksafe {
namespace {

using model::ItemId;
using model::Root;
using model::Tree;
using test::NewLink;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(HostileChromeFile, UnreadableFilesAreRefusedNamingFileAndReason) {
  TempDir dir;
  WriteBytes(dir.sub("import/a.url"), test::Shortcut("https://new.example/"));
  const std::string broken = "{\n \"roots\": {\n  \"bookmark_bar\": {,\n";
  const std::string deep = "{\"roots\":" + std::string(100000, '[') +
                           std::string(100000, ']') + "}";
  for (const std::string& bytes : {broken, deep}) {
    WriteBytes(dir.sub("Bookmarks"), bytes);
    EXPECT_NE(import_folder_2_chrome_bar(test::Ms(dir.u16("Bookmarks")),
                                         test::Ms(dir.u16("import")),
                                         test::Ms(u"Imported")),
              0);
    EXPECT_EQ(ReadBytes(dir.sub("Bookmarks")), bytes);  // untouched
    const std::string report = marksafe_last_report();
    EXPECT_NE(report.find("Bookmarks"), std::string::npos) << report;
  }
}

// A store that is no store of its kind is refused as bad data, not as a
// lock: nothing is written and the report names it.
TEST(HostileStore, HtmlIsNotMergedIntoWhatIsNoStore) {
  TempDir dir;
  WriteBytes(dir.sub("in.html"),
             "<<DL><p><DT><A HREF=\"https://new.example/\">New</A></DL>");
  WriteBytes(dir.sub("plain.txt"), "netscape-bookmark <d l> no list");
  const std::string junk = "not a store at all";
  // What is no bookmark HTML is refused by its own name.
  WriteBytes(dir.sub("store"), junk);
  EXPECT_EQ(marksafe_import_html(test::Ms(dir.u16("plain.txt")),
                                 test::Ms(dir.u16("store")),
                                 MARKSAFE_STORE_PLACES, false),
            static_cast<int32_t>(kErrorInvalidData));
  EXPECT_NE(std::string(marksafe_last_report()).find("plain.txt"),
            std::string::npos);
  for (const int32_t kind : {MARKSAFE_STORE_PLACES, MARKSAFE_STORE_CHROME}) {
    WriteBytes(dir.sub("store"), junk);
    EXPECT_EQ(marksafe_import_html(test::Ms(dir.u16("in.html")),
                                   test::Ms(dir.u16("store")), kind, false),
              static_cast<int32_t>(kErrorInvalidData))
        << kind;
    EXPECT_EQ(ReadBytes(dir.sub("store")), junk);
    const std::string report = marksafe_last_report();
    EXPECT_NE(report.find("store"), std::string::npos) << report;
  }
}

// A places.sqlite of today's layout with enough links to fill many pages:
// written while whole; refused, and left as it is, once a page in the
// middle is overwritten (the file still opens, its schema still reads).
TEST(DamagedStore, PlacesFailingItsCheckIsNeverWritten) {
  TempDir dir;
  const std::string places = dir.sub("profile/places.sqlite");
  test::WritePlacesStore(test::LinkTree("page", 3000), places);
  WriteBytes(dir.sub("import/a.url"), test::Shortcut("https://new.example/"));
  const std::u16string path = dir.u16("profile/places.sqlite");
  ms_places_handle handle = init_bookmark(test::Ms(path));
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(import_2_firefox(handle, test::Ms(dir.u16("import")), nullptr, 0));
  release_bookmark(handle);

  std::string bytes = ReadBytes(places);
  ASSERT_GT(bytes.size(), 20u * 4096);
  for (size_t i = 10 * 4096; i < 11 * 4096; ++i) bytes[i] = '\x5A';
  WriteBytes(places, bytes);
  handle = init_bookmark(test::Ms(path));
  if (handle != nullptr) {
    EXPECT_FALSE(import_2_firefox(handle, test::Ms(dir.u16("import")),
                                  test::Ms(u"Again"), 0));
    release_bookmark(handle);
    const std::string report = marksafe_last_report();
    EXPECT_NE(report.find("places.sqlite"), std::string::npos) << report;
  }
  // Refused at open or at the write: the file is as it was.
  EXPECT_EQ(ReadBytes(places), bytes);
}

std::u16string UrlOfLength(size_t units) {
  std::u16string url = u"https://example.com/?q=";
  url.append(units - url.size(), u'a');
  return url;
}

TEST(LongUrl, LongerThanTheTargetKeepsIsReportedAndSkipped) {
  const size_t firefox_limit = model::FirefoxCapabilities().max_url_units;
  const size_t chrome_limit = model::ChromeCapabilities().max_url_units;
  ASSERT_EQ(firefox_limit, 65536u);
  ASSERT_EQ(chrome_limit, size_t{2} << 20);
  Tree source;
  const ItemId menu = source.AddRoot(Root::kMenu, u"menu");
  test::Put(&source, menu,
            NewLink(u"fits firefox", UrlOfLength(firefox_limit)));
  test::Put(&source, menu,
            NewLink(u"too long for firefox", UrlOfLength(firefox_limit + 1)));
  test::Put(&source, menu,
            NewLink(u"too long for chrome", UrlOfLength(chrome_limit + 1)));

  struct Case {
    model::Capabilities caps;
    size_t arrive;
  };
  for (const Case& c : {Case{model::FirefoxCapabilities(), 1},
                        Case{model::ChromeCapabilities(), 2}}) {
    Tree target;
    const ItemId into = target.AddRoot(Root::kOther, u"into");
    model::MergeOptions options;
    options.capabilities = c.caps;
    model::RootReport counts;
    model::Report report;
    model::Merge(source, menu, &target, into, options, &counts, &report);
    const auto& children = target.at(into).children;
    ASSERT_EQ(children.size(), c.arrive);
    for (ItemId id : children) {
      // What arrives arrives whole.
      EXPECT_LE(target.at(id).url.size(), c.caps.max_url_units);
      EXPECT_EQ(target.at(id).url.substr(0, 20), u"https://example.com/");
    }
    EXPECT_EQ(counts.not_carried.links, 3 - c.arrive);
    ASSERT_EQ(report.problems.size(), 3 - c.arrive);
    EXPECT_EQ(report.problems.back().path, u"menu/too long for chrome");
    // A link left behind is a loss the caller must hear of.
    EXPECT_TRUE(report.problems.back().lost);
  }
}

TEST(LongUrl, ShortcutFilesAreReadWholeOrNotAtAll) {
  TempDir dir;
  const std::u16string long_url = UrlOfLength(1500000);  // > 1 Mi units
  WriteBytes(dir.sub("fav/long.url"), test::Shortcut(test::U8(long_url)));
  WriteBytes(dir.sub("fav/huge.url"),
             test::Shortcut(test::U8(UrlOfLength((size_t{2} << 20) + 10))));
  context::JobScope scope("test");
  Tree tree;
  const ItemId into = tree.AddRoot(Root::kOther, u"fav");
  ASSERT_TRUE(backup_set::ReadUrlFolder(dir.u16("fav"), {}, &tree, into).ok());
  ASSERT_EQ(tree.at(into).children.size(), 1u);
  EXPECT_EQ(tree.at(tree.at(into).children[0]).url, long_url);
  EXPECT_EQ(context::Current().report().problems.size(), 1u);
}

}  // namespace
}  // namespace marksafe
