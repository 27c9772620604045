// The Chrome document as a bookmark tree: what the reader takes from a
// document (and what it leaves out), and what the writer cannot write.
// What the writer appends is checked through the exports (import_test).
#include "chrome_test_util.h"
#include "model/merge.h"
#include "stores/chrome/chrome_checksum.h"
#include "stores/chrome/chrome_reader.h"
#include "stores/chrome/chrome_writer.h"
#include "support/tree_support.h"

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
  const model::Tree tree = Read(Doc(DataFile("chrome/bookmarks-today.json")));
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

// Odd nodes beside good ones (the ordinary cases of every root, order and
// title are the round trips'): ids of any size, dates of either type, and
// nodes of the wrong shape, left out and named.
TEST(ChromeReader, OddNodesOfADocument) {
  const std::string text = ChromeText(
      UrlJson(17, "..", "http://y/"),
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
  const ItemId other = tree.root(Root::kOther);
  EXPECT_EQ(Lines({".. http://y/"}), Children(tree, tree.root(Root::kToolbar)));
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
  // Six nodes left out, each reported as lost.
  ASSERT_EQ(6u, report.problems.size());
  for (const model::Problem& problem : report.problems) {
    EXPECT_TRUE(problem.lost);
  }
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

// Merges every root of source into the Chrome file made of text, writes
// what the merge added and saves the file; returns the saved file's text.
std::string MergeAndSave(const model::Tree& source, const std::string& text,
                         const std::string& file, model::Report* report) {
  Json::Value target = Doc(text);
  chrome::NodeTable nodes;
  model::Tree tree = Read(target, nullptr, &nodes);
  chrome::ChromeWriter writer(&target, std::move(nodes));
  model::MergeOptions options;
  options.capabilities = model::ChromeCapabilities();
  for (const Root root : {Root::kToolbar, Root::kOther}) {
    model::RootReport* counts = report->AddRoot("root", u"root");
    model::Merge(source, source.root(root), &tree, tree.root(root), options,
                 counts, report);
    writer.WriteAdded(tree, tree.root(root), counts, report);
  }
  EXPECT_TRUE(writer.Save(U16(file)).ok());
  return ReadBytes(file);
}

// The added nodes are saved as the same nodes in the document would be:
// the file reads back and renders to the same bytes, in Chrome's form, and
// its checksum counts them. Names need escapes and encoding; the nodes go
// into an existing folder, an empty root and folders added with them.
TEST(ChromeWriter, AddedNodesSaveAsTheDocumentWouldHoldThem) {
  model::Tree source;
  const ItemId bar = source.AddRoot(Root::kToolbar, u"Bookmarks bar");
  const ItemId kept = Put(&source, bar, NewFolder(u"Kept"));
  Put(&source, kept, NewLink(u"Caf\u00e9 \"q\" \\ \t", u"http://b/\u00e9"));
  const ItemId fresh = Put(&source, bar, NewFolder(u"New \U0001F600"));
  Put(&source, fresh, NewFolder(u"empty"));
  const ItemId sub = Put(&source, fresh, NewFolder(u"sub"));
  Put(&source, sub, NewLink(u"deep", u"http://deep/"));
  Put(&source, bar, NewLink(u"last", u"http://last/"));
  const ItemId other = source.AddRoot(Root::kOther, u"Other bookmarks");
  Put(&source, other, NewLink(u"o", u"HTTP://O.example"));

  TempDir dir;
  model::Report report;
  const std::string text = MergeAndSave(
      source,
      ChromeText(FolderJson(4, "Kept", UrlJson(5, "a", "http://a/")), ""),
      dir.sub("Bookmarks"), &report);
  const Json::Value saved = Doc(text);
  EXPECT_EQ(chrome::ChromeFileText(saved), text);
  EXPECT_EQ(chrome::TreeChecksum(saved), saved["checksum"].asString());
  const Json::Value& children = saved["roots"]["bookmark_bar"]["children"];
  EXPECT_EQ(Lines({"4 Kept", "7 New \xF0\x9F\x98\x80", "11 last http://last/"}),
            Summary(children));
  EXPECT_EQ(Lines({"5 a http://a/",
                   "6 Caf\xC3\xA9 \"q\" \\ \t http://b/%C3%A9"}),
            Summary(children[0]["children"]));
  EXPECT_EQ(Lines({"8 empty", "9 sub"}), Summary(children[1]["children"]));
  EXPECT_EQ(Lines({"12 o http://o.example/"}), Summary(dir.sub("Bookmarks"), "other"));
}

// A chain of folders deeper than Chrome's reader takes: the folders down to
// Chrome's depth are written, the two below it and their link are not.
TEST(ChromeWriter, LeavesOutWhatChromeCouldNotLoad) {
  model::Tree source;
  ItemId folder = source.AddRoot(Root::kToolbar, u"Toolbar");
  for (int depth = 1; depth <= chrome::kMaxChromeDepth + 2; ++depth) {
    folder = Put(&source, folder, NewFolder(u"d"));
  }
  Put(&source, folder, NewLink(u"deep", u"http://deep/"));
  source.AddRoot(Root::kOther, u"Other");

  TempDir dir;
  model::Report report;
  const Json::Value saved = Doc(
      MergeAndSave(source, ChromeText("", ""), dir.sub("Bookmarks"), &report));
  const model::RootReport& root = report.roots[0];
  EXPECT_EQ(chrome::kMaxChromeDepth, root.added.folders);
  EXPECT_EQ(2, root.not_carried.folders);
  EXPECT_EQ(1, root.not_carried.links);
  int written = 0;
  const Json::Value* node = &saved["roots"]["bookmark_bar"]["children"][0];
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
