// The Chrome document as a bookmark tree: what the reader takes from a
// document (and what it leaves out), and what the writer appends after a
// merge.
#include <regex>
#include <set>

#include "chrome/chrome_reader.h"
#include "chrome/chrome_writer.h"
#include "chrome_test_util.h"
#include "model/merge.h"

namespace marksafe {
namespace test {
namespace {

using model::ItemId;
using model::ItemKind;
using model::Root;

// "title url" of each child of a folder of the tree.
Lines Children(const model::Tree& tree, ItemId folder) {
  Lines out;
  for (const ItemId child : tree.at(folder).children) {
    const model::Item& item = tree.at(child);
    out.push_back(U8(item.title) +
                  (item.kind == ItemKind::kLink ? " " + U8(item.url) : ""));
  }
  return out;
}

model::Tree Read(const Json::Value& document, model::Report* report = nullptr,
                 chrome::NodeTable* nodes = nullptr) {
  model::Tree tree;
  const Status status = chrome::ReadChromeTree(document, &tree, nodes, report);
  EXPECT_TRUE(status.ok()) << U8(status.message());
  return tree;
}

TEST(ChromeReader, TodaysChromiumFile) {
  const model::Tree tree = Read(Doc(Fixture("bookmarks-today.json")));
  EXPECT_EQ(model::kNoItem, tree.root(Root::kMenu));
  const ItemId bar = tree.root(Root::kToolbar);
  ASSERT_NE(model::kNoItem, bar);
  EXPECT_EQ(u"Bookmarks bar", tree.at(bar).title);
  EXPECT_EQ(u"Other bookmarks", tree.at(tree.root(Root::kOther)).title);
  EXPECT_EQ(u"Mobile bookmarks", tree.at(tree.root(Root::kMobile)).title);
  EXPECT_EQ(Lines({"Made by Chromium https://example.com/made"}),
            Children(tree, bar));
  const model::Item& link = tree.at(tree.at(bar).children[0]);
  EXPECT_EQ(5, link.store_id);
  // 13441027926264497 microseconds after 1601 is 2026-12-06 in 1970's count.
  EXPECT_EQ(13441027926264497 - 11644473600000000, link.date_added);
  EXPECT_EQ(13441027926264497 - 11644473600000000, tree.at(bar).last_modified);
}

TEST(ChromeReader, EverythingOfARealisticDocument) {
  // Every character no file name takes, outer blanks: kept as they are.
  const std::string odd_json = R"( a/b:c?*|<>\"\\ )";
  const std::string odd = " a/b:c?*|<>\"\\ ";
  const std::string text = ChromeText(
      FolderJson(10, "Dup", UrlJson(20, "a", "https://a.example/")) + "," +
          FolderJson(11, "Dup", "") + "," +
          UrlJson(12, "Same", "https://dup.example/") + "," +
          UrlJson(13, "Same", "https://dup.example/") + "," +
          UrlJson(14, "js", "javascript:alert(\\\"x\\\")") + "," +
          UrlJson(15, "f", "file:///home/u/a%20b.html") + "," +
          UrlJson(16, odd_json, "http://x/") + "," + UrlJson(17, "..", "http://y/"),
      R"({"type": "url", "id": "9223372036854775808", "name": "big",
          "url": "http://big/", "date_added": "13300000000000000"},
         {"type": "folder", "id": "123456789012345678901234567890",
          "name": "bigger", "date_added": 13300000000000001,
          "date_modified": "x", "children": []},
         {"type": "separator", "name": "s"}, {"type": "url", "name": 5,
          "url": "u"}, 3, {"type": "folder", "name": "bad", "children": {}},
         {"type": "url", "name": "after", "url": ["u"]},
         {"name": "untyped"})");
  Json::Value document = Doc(text);
  document["roots"]["synced"]["children"].append(
      Doc(UrlJson(30, "phone", "https://m.example/")));
  model::Report report;
  chrome::NodeTable nodes;
  const model::Tree tree = Read(document, &report, &nodes);
  const ItemId bar = tree.root(Root::kToolbar);
  const ItemId other = tree.root(Root::kOther);
  EXPECT_EQ(Lines({"Dup", "Dup", "Same https://dup.example/",
                   "Same https://dup.example/", "js javascript:alert(\"x\")",
                   "f file:///home/u/a%20b.html", odd + " http://x/",
                   ".. http://y/"}),
            Children(tree, bar));
  EXPECT_EQ(Lines({"a https://a.example/"}),
            Children(tree, tree.at(bar).children[0]));
  EXPECT_EQ(Lines({"big http://big/", "bigger"}), Children(tree, other));
  EXPECT_EQ(Lines({"phone https://m.example/"}),
            Children(tree, tree.root(Root::kMobile)));
  // Ids too large for 64 bits saturate; dates of either type are read.
  const model::Item& big = tree.at(tree.at(other).children[0]);
  const model::Item& bigger = tree.at(tree.at(other).children[1]);
  EXPECT_EQ(INT64_MAX, big.store_id);
  EXPECT_EQ(INT64_MAX, bigger.store_id);
  EXPECT_EQ(model::FromChromeTime(13300000000000000), big.date_added);
  EXPECT_EQ(model::FromChromeTime(13300000000000001), bigger.date_added);
  EXPECT_EQ(0, bigger.last_modified);
  // Each item knows its node.
  ASSERT_GE(nodes.size(), tree.size());
  EXPECT_EQ(&document["roots"]["other"]["children"][1],
            nodes[static_cast<size_t>(tree.at(other).children[1])]);
  // Six nodes left out, each named.
  std::multiset<std::string> reasons;
  for (const model::Problem& problem : report.problems) {
    reasons.insert(problem.reason);
    EXPECT_TRUE(problem.lost);
  }
  EXPECT_EQ(std::multiset<std::string>(
                {"node of unknown type", "name that is no text",
                 "node that is no object", "children that are no list",
                 "url that is no text", "node without a type"}),
            reasons);
}

TEST(ChromeReader, RefusesNestingBeyondTheTreesLimitAndDocumentsWithoutRoots) {
  for (const int depth : {model::kMaxDepth, model::kMaxDepth + 1}) {
    Json::Value document = Doc(ChromeText("", ""));
    Json::Value* folder = &document["roots"]["other"];
    for (int i = 0; i < depth; ++i) {
      folder = &(*folder)["children"].append(Doc(FolderJson(i + 10, "d", "")));
    }
    model::Tree tree;
    EXPECT_EQ(depth <= model::kMaxDepth,
              chrome::ReadChromeTree(document, &tree, nullptr, nullptr).ok());
  }
  model::Tree tree;
  for (const char* text : {"[]", "{}", R"({"roots": []})"}) {
    EXPECT_FALSE(
        chrome::ReadChromeTree(Doc(text), &tree, nullptr, nullptr).ok());
  }
}

// A source tree: the bar holding F (y, and x which the target has) and a
// new folder with a javascript: link.
class ChromeWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    target_ = Doc(ChromeText(FolderJson(10, "F", UrlJson(40, "x", "http://x/")),
                             R"({"type": "url", "id": "99999999999999999999",
                                 "name": "big", "url": "http://b/"})"));
    original_ = target_;
    const ItemId bar = source_.AddRoot(Root::kToolbar, u"Toolbar");
    const ItemId f = AddItem(bar, ItemKind::kFolder, u"F", u"", 0);
    AddItem(f, ItemKind::kLink, u"x", u"http://x/", kDate);
    AddItem(f, ItemKind::kLink, u"y \"q\" \\", u"https://y.example/", kDate);
    const ItemId made = AddItem(bar, ItemKind::kFolder, u"New", u"", kDate);
    source_.at(made).last_modified = kDate + 5;
    AddItem(made, ItemKind::kLink, u"z", u"javascript:void(0)", 0);
    AddItem(bar, ItemKind::kSeparator, u"", u"", 0);
  }
  ItemId AddItem(ItemId parent, ItemKind kind, const std::u16string& title,
                 const std::u16string& url, model::Time date) {
    model::Item item;
    item.kind = kind;
    item.title = title;
    item.url = url;
    item.date_added = date;
    return source_.Add(parent, std::move(item));
  }
  static constexpr model::Time kDate = 1700000000000000;
  Json::Value target_;
  Json::Value original_;
  model::Tree source_;
};

TEST_F(ChromeWriterTest, AppendsWhatTheMergeAddedAndNothingElse) {
  chrome::NodeTable nodes;
  model::Tree tree = Read(target_, nullptr, &nodes);
  chrome::ChromeWriter writer(&target_, std::move(nodes));
  model::Report report;
  model::RootReport* root = report.AddRoot("toolbar", u"Bookmarks bar");
  model::MergeOptions options;
  options.capabilities = model::ChromeCapabilities();
  const model::Time before = model::Now();
  model::Merge(source_, source_.root(Root::kToolbar), &tree,
               tree.root(Root::kToolbar), options, root, &report);
  writer.WriteAdded(tree, tree.root(Root::kToolbar), root, &report);
  EXPECT_TRUE(writer.changed());
  EXPECT_EQ(2, root->added.links);
  EXPECT_EQ(1, root->added.folders);
  EXPECT_EQ(1, root->not_carried.separators);

  const Json::Value& bar = target_["roots"]["bookmark_bar"]["children"];
  EXPECT_EQ(Lines({"10 F", "100000000000000000001 New"}), Summary(bar));
  EXPECT_EQ(Lines({"40 x http://x/",
                   "100000000000000000000 y \"q\" \\ https://y.example/"}),
            Summary(bar[0]["children"]));
  EXPECT_EQ(Lines({"100000000000000000002 z javascript:void(0)"}),
            Summary(bar[1]["children"]));
  // The source's dates; the writer's time where the source had none.
  const std::string chrome_date = std::to_string(model::ToChromeTime(kDate));
  EXPECT_EQ(chrome_date, bar[0]["children"][1]["date_added"].asString());
  EXPECT_EQ(chrome_date, bar[1]["date_added"].asString());
  EXPECT_EQ(std::to_string(model::ToChromeTime(kDate + 5)),
            bar[1]["date_modified"].asString());
  EXPECT_LE(model::ToChromeTime(before),
            std::stoll(bar[1]["children"][0]["date_added"].asString()));
  std::set<std::string> guids = {bar[1]["guid"].asString(),
                                 bar[1]["children"][0]["guid"].asString(),
                                 bar[0]["children"][1]["guid"].asString()};
  EXPECT_EQ(3u, guids.size());

  // Everything that was there is as it was.
  Json::Value trimmed = target_;
  trimmed["roots"]["bookmark_bar"]["children"].resize(1);
  trimmed["roots"]["bookmark_bar"]["children"][0]["children"].resize(1);
  EXPECT_EQ(original_, trimmed);
}

TEST_F(ChromeWriterTest, LeavesOutWhatChromeCouldNotLoad) {
  // A chain of folders deeper than Chrome's reader takes.
  ItemId folder = source_.root(Root::kToolbar);
  for (int depth = 1; depth <= chrome::kMaxChromeDepth + 2; ++depth) {
    folder = AddItem(folder, ItemKind::kFolder, u"d", u"", kDate);
  }
  AddItem(folder, ItemKind::kLink, u"deep", u"http://deep/", kDate);
  chrome::NodeTable nodes;
  model::Tree tree = Read(target_, nullptr, &nodes);
  chrome::ChromeWriter writer(&target_, std::move(nodes));
  model::Report report;
  model::RootReport* root = report.AddRoot("toolbar", u"Bookmarks bar");
  model::MergeOptions options;
  options.capabilities = model::ChromeCapabilities();
  model::Merge(source_, source_.root(Root::kToolbar), &tree,
               tree.root(Root::kToolbar), options, root, &report);
  writer.WriteAdded(tree, tree.root(Root::kToolbar), root, &report);
  // New and the folders down to Chrome's depth are written; the two below
  // it and the link are not.
  EXPECT_EQ(1 + chrome::kMaxChromeDepth, root->added.folders);
  EXPECT_EQ(2, root->not_carried.folders);
  EXPECT_EQ(1, root->not_carried.links);
  int written = 0;
  const Json::Value* node = &target_["roots"]["bookmark_bar"]["children"][2];
  while (node != nullptr && (*node)["name"].asString() == "d") {
    ++written;
    const Json::Value& children = (*node)["children"];
    node = children.empty() ? nullptr : &children[0];
  }
  EXPECT_EQ(chrome::kMaxChromeDepth, written);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
