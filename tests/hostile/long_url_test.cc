// URLs are never cut: a .url file's URL is read whole, and a URL longer
// than a target keeps is reported by name and not carried, while the rest
// still arrives.
#include <string>

#include "backup_set/part.h"
#include "gtest/gtest.h"
#include "model/merge.h"
#include "model/report.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using model::ItemId;
using model::Root;
using model::Tree;

std::u16string UrlOfLength(size_t units) {
  std::u16string url = u"https://example.com/?q=";
  url.append(units - url.size(), u'a');
  return url;
}

model::Item Link(const std::u16string& title, const std::u16string& url) {
  model::Item item;
  item.kind = model::ItemKind::kLink;
  item.title = title;
  item.url = url;
  return item;
}

TEST(LongUrl, LongerThanTheTargetKeepsIsReportedAndSkipped) {
  const size_t firefox_limit = model::FirefoxCapabilities().max_url_units;
  const size_t chrome_limit = model::ChromeCapabilities().max_url_units;
  ASSERT_EQ(firefox_limit, 65536u);
  ASSERT_EQ(chrome_limit, size_t{2} << 20);
  Tree source;
  const ItemId menu = source.AddRoot(Root::kMenu, u"menu");
  ASSERT_NE(source.Add(menu, Link(u"fits firefox", UrlOfLength(firefox_limit))),
            model::kNoItem);
  ASSERT_NE(source.Add(menu, Link(u"too long for firefox", UrlOfLength(firefox_limit + 1))),
            model::kNoItem);
  ASSERT_NE(source.Add(menu, Link(u"too long for chrome", UrlOfLength(chrome_limit + 1))),
            model::kNoItem);

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
  }
}

TEST(LongUrl, ShortcutFilesAreReadWholeOrNotAtAll) {
  test::TempDir dir;
  const std::u16string long_url = UrlOfLength(1500000);  // > 1 Mi units
  test::WriteBytes(dir.sub("fav/long.url"),
                   "[InternetShortcut]\r\nURL=" + test::U8(long_url) + "\r\n");
  test::WriteBytes(dir.sub("fav/huge.url"),
                   "[InternetShortcut]\r\nURL=" +
                       test::U8(UrlOfLength((size_t{2} << 20) + 10)) + "\r\n");
  model::ReportScope scope("test");
  Tree tree;
  const ItemId into = tree.AddRoot(Root::kOther, u"fav");
  ASSERT_TRUE(backup_set::ReadUrlFolder(dir.u16("fav"), {}, &tree, into).ok());
  ASSERT_EQ(tree.at(into).children.size(), 1u);
  EXPECT_EQ(tree.at(tree.at(into).children[0]).url, long_url);
  EXPECT_EQ(model::CurrentReport().problems.size(), 1u);
}

}  // namespace
}  // namespace marksafe
