// Bookmark HTML: reading what the browsers and people write, and writing
// what reads back without loss.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/platform.h"
#include "stores/html/html_reader.h"
#include "stores/html/html_writer.h"
#include "support/test_support.h"
#include "support/tree_support.h"

namespace marksafe {
namespace html {
namespace {

using model::Item;
using model::ItemId;
using model::ItemKind;
using model::Root;
using model::Tree;

// One line per item below a root: indentation by depth, then
// "[folder]", "title <url>" or "---".
std::vector<std::string> Shape(const Tree& tree, Root root) {
  std::vector<std::string> lines;
  const ItemId top = tree.root(root);
  if (top == model::kNoItem) return lines;
  tree.ForEachBelow(top, [&](ItemId id) {
    const Item& item = tree.at(id);
    std::string line(static_cast<size_t>(2 * (item.depth - 1)), ' ');
    line += item.kind == ItemKind::kFolder
                ? "[" + platform::ToUtf8(item.title) + "]"
            : item.kind == ItemKind::kLink
                ? platform::ToUtf8(item.title) + " <" +
                      platform::ToUtf8(item.url) + ">"
                : "---";
    lines.push_back(line);
  });
  return lines;
}

using Lines = std::vector<std::string>;

Tree Read(const std::string& html) {
  Tree tree;
  const Status status = ReadBookmarkHtml(html, &tree);
  EXPECT_TRUE(status.ok()) << platform::ToUtf8(status.message());
  return tree;
}

// The first item below root whose title is title.
const Item& Named(const Tree& tree, Root root, const std::u16string& title) {
  ItemId found = model::kNoItem;
  tree.ForEachBelow(tree.root(root), [&](ItemId id) {
    if (found == model::kNoItem && tree.at(id).title == title) found = id;
  });
  EXPECT_NE(found, model::kNoItem) << platform::ToUtf8(title);
  return tree.at(found == model::kNoItem ? tree.root(root) : found);
}

// A file Firefox ESR 153 exported (its own bookmarks, with tags, a
// keyword, separators and same-title siblings). Firefox leaves its mobile
// root out; the "Mobile Bookmarks" folder here is an ordinary menu folder.
TEST(HtmlRead, FirefoxExport) {
  const Tree tree = Read(test::DataFile("html-firefox-esr-153.html"));
  EXPECT_EQ(
      Shape(tree, Root::kMenu),
      (Lines{"Tom & Jerry <\"quotes\"> 'single' <https://example.com/?a=1&b=2>",
             "---",
             "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x98\x80 "
             "<https://example.org/%E6%97%A5>",
             "[Folder]", "  Same <https://dup.example/>",
             "  Same <https://dup.example/>", "[Folder]",
             "outer blanks <javascript:alert(1)>", "[Mobile Bookmarks]",
             "  On phone <https://phone.example/>"}));
  EXPECT_EQ(Shape(tree, Root::kToolbar),
            (Lines{"On toolbar <https://bar.example/>",
                   "  spaced   <https://x.example/>", "---"}));
  EXPECT_EQ(Shape(tree, Root::kOther),
            (Lines{"In other <https://other.example/>"}));
  EXPECT_EQ(tree.root(Root::kMobile), model::kNoItem);
  EXPECT_EQ(tree.at(tree.root(Root::kToolbar)).date_added,
            model::FromSeconds(1796617300));

  const Item& tom = tree.at(tree.at(tree.root(Root::kMenu)).children[0]);
  EXPECT_EQ(tom.date_added, model::FromSeconds(1700000000));
  EXPECT_EQ(tom.last_modified, model::FromSeconds(1700000010));
  EXPECT_EQ(tom.keyword, u"kw");
  EXPECT_EQ(tom.tags, (std::vector<std::u16string>{u"alpha", u"beta"}));
  EXPECT_EQ(Named(tree, Root::kMenu, u"Folder").last_modified,
            model::FromSeconds(1500000005));
}

// Chromium's export (the file's icons cut short): the bar as a marked
// folder, the contents of "Other bookmarks" straight at the top level and
// the mobile folder by name.
TEST(HtmlRead, ChromiumExport) {
  const Tree tree = Read(test::DataFile("html-chromium.html"));
  EXPECT_EQ(Shape(tree, Root::kToolbar),
            (Lines{"A <https://a.example/>", "[Mobile bookmarks]"}));
  EXPECT_EQ(Shape(tree, Root::kMenu),
            (Lines{"Other one <https://other.example/>"}));
  EXPECT_EQ(Shape(tree, Root::kMobile), (Lines{"Phone <https://m.example/>"}));
  EXPECT_EQ(tree.root(Root::kOther), model::kNoItem);
  EXPECT_EQ(tree.at(tree.root(Root::kToolbar)).title, u"Bookmarks bar");
}

// Chromium's mobile folder is known by its whole title as read, however the
// title ends (a missing </H3>, a comment inside it); a title that only
// starts like it stays a menu folder. A file with the mobile mark on an
// <H3> goes by marks alone; the mark's name in text or a comment is no
// mark. What is read writes back the same.
TEST(HtmlRead, MobileFolderIsKnownByItsWholeTitle) {
  const struct {
    const char* html;
    const char* mobile;  // the mobile root's title; null: none
  } cases[] = {
      {"<DL><DT><H3>Mobile bookmarks \n<DL><DT><A HREF=\"https://m/\">M</A>"
       "</DL></DL>",
       "Mobile bookmarks"},
      {"<DL><DT><H3>Mobile <!-- c -->bookmarks</H3><DL><DT><A "
       "HREF=\"https://m/\">M</A></DL></DL>",
       "Mobile bookmarks"},
      {"<DL><DT><H3>Mobile bookmarks </H3><DL><DT><A HREF=\"https://m/\">M</A>"
       "</DL></DL>",
       nullptr},
      {"<!-- MOBILE_BOOKMARKS_FOLDER=\"true\" --><DL><DT><H3>Mobile "
       "bookmarks</H3><DL></DL></DL>",
       "Mobile bookmarks"},
      {"<DL><DT><H3>MOBILE_BOOKMARKS_FOLDER=\"true\"</H3><DL></DL><DT><H3>"
       "Mobile bookmarks</H3><DL></DL></DL>",
       "Mobile bookmarks"},
      {"<DL><DT><H3>Mobile bookmarks</H3><DL></DL><DT><H3 "
       "mobile_bookmarks_folder=\"TRUE\">Elsewhere</H3><DL></DL></DL>",
       "Elsewhere"},
      {"<DL><DT><H3>Mobile bookmarks</H3><DL></DL><DT><H3 "
       "MOBILE_BOOKMARKS_FOLDER=\"false\">Elsewhere</H3><DL></DL></DL>",
       "Mobile bookmarks"},
      // A mobile mark on the toolbar's heading names no root, so the file
      // reads as one without the mark; on a second toolbar heading it does.
      {"<DL><DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\" "
       "MOBILE_BOOKMARKS_FOLDER=\"true\">Bar</H3><DL></DL><DT><H3>Mobile "
       "bookmarks</H3><DL><DT><A HREF=\"https://m/\">M</A></DL></DL>",
       "Mobile bookmarks"},
      {"<DL><DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\">Bar</H3><DL></DL><DT>"
       "<H3 PERSONAL_TOOLBAR_FOLDER=\"true\" MOBILE_BOOKMARKS_FOLDER=\"true\">"
       "Phone</H3><DL></DL><DT><H3>Mobile bookmarks</H3><DL></DL></DL>",
       "Phone"},
  };
  for (const auto& c : cases) {
    const Tree tree = Read(c.html);
    const ItemId mobile = tree.root(Root::kMobile);
    EXPECT_EQ(mobile == model::kNoItem
                  ? "(none)"
                  : platform::ToUtf8(tree.at(mobile).title),
              c.mobile == nullptr ? "(none)" : c.mobile)
        << c.html;
    const Tree again = Read(WriteBookmarkHtml(tree));
    for (Root root : model::kAllRoots) {
      EXPECT_EQ(Shape(again, root), Shape(tree, root)) << c.html;
    }
  }
}

// Unquoted and single-quoted attributes, entities good and bad, bytes that
// are no UTF-8, comments, <DD> notes, a stray list, a quote left open.
TEST(HtmlRead, SloppyHandWrittenFile) {
  const Tree tree = Read(test::DataFile("html-hand-written.html"));
  EXPECT_EQ(
      Shape(tree, Root::kMenu),
      (Lines{"Unquoted <http://unquoted.example/a?b=1>",
             "it's mine <https://single.example/>",
             "AB\xF0\x9F\x98\x80 \xC2\xA9 & &bogus; &amp &#xD800; &#0; "
             "&#99999999999; a < b <https://entities.example/>",
             "caf\xC3\xA9 \xEF\xBF\xBD\xEF\xBF\xBDok <https://bytes.example/>",
             "[Folder]", "  In <https://in.example/>", "  ---",
             "  Stray list <https://stray-dl.example/>",
             "Open quote <https://open.example/>",
             "After <https://after.example/>"}));
  EXPECT_EQ(Named(tree, Root::kMenu, u"Unquoted").date_added,
            model::FromSeconds(1700000000));
  EXPECT_EQ(Named(tree, Root::kMenu, u"it's mine").date_added,
            model::FromSeconds(12));
  // Without an <H1> the menu keeps its usual name.
  EXPECT_EQ(tree.at(tree.root(Root::kMenu)).title, u"Bookmarks Menu");
}

// Comments end where HTML ends them, and a link whose address is no URL
// is left out and named with its path. Input without a list (or an empty
// one) gives an empty menu.
TEST(HtmlRead, CommentsAndAddressesAsBrowsersReadThem) {
  const std::string b = "<DT><A HREF=\"https://b/\">B</A>";
  const struct {
    std::string html;
    Lines menu;
    Lines skipped;  // path <url>
  } cases[] = {
      {"", {}, {}}, {"just text & <", {}, {}}, {"<", {}, {}}, {"<DL><p>", {}, {}},
      {"<DL><!--><DT><A HREF=\"https://a/\">A</A><!-- x -->" + b,
       {"A <https://a/>", "B <https://b/>"}, {}},
      {"<DL><!---><DT><A HREF=\"https://a/\">A</A><!-- x -->" + b,
       {"A <https://a/>", "B <https://b/>"}, {}},
      {"<DL><!-- <DT><A HREF=\"https://a/\">A</A> --!>" + b,
       {"B <https://b/>"}, {}},
      {"<DL><!---->" + b + "<!-- open " + b, {"B <https://b/>"}, {}},
      {"<DL><DT><A HREF=\"?lY47tw\">Q</A><DT><H3>F</H3><DL>"
       "<DT><A HREF=\"http://\">No host</A><DT><A HREF=\"\">Empty</A>"
       "<DT><A HREF=\"/relative\">Rel</A></DL>" + b,
       {"[F]", "B <https://b/>"},
       {"Bookmarks Menu/Q <?lY47tw>", "Bookmarks Menu/F/No host <http://>",
        "Bookmarks Menu/F/Empty <>", "Bookmarks Menu/F/Rel </relative>"}},
  };
  for (const auto& c : cases) {
    Tree tree;
    HtmlNotes notes;
    ASSERT_TRUE(ReadBookmarkHtml(c.html, &tree, &notes).ok()) << c.html;
    ASSERT_NE(tree.root(Root::kMenu), model::kNoItem) << c.html;
    EXPECT_EQ(Shape(tree, Root::kMenu), c.menu) << c.html;
    Lines skipped;
    for (const HtmlNotes::Skipped& link : notes.skipped) {
      skipped.push_back(platform::ToUtf8(link.path) + " <" +
                        platform::ToUtf8(link.url) + ">");
      EXPECT_EQ(link.root, Root::kMenu);
    }
    EXPECT_EQ(skipped, c.skipped) << c.html;
  }
}

// Dates, the keyword's POST data, and the link data no store is given
// (counted per file).
TEST(HtmlRead, LinkAttributesFirefoxWrites) {
  Tree tree;
  HtmlNotes notes;
  ASSERT_TRUE(
      ReadBookmarkHtml(
          "<DL><DT><H3 LAST_MODIFIED=\"30\">F</H3><DL>"
          "<DT><A HREF=\"https://a/\" LAST_MODIFIED=\"20\" ICON=\"data:x\">"
          "A</A>"
          "<DT><A HREF=\"https://b/\" ADD_DATE=\"5\" LAST_MODIFIED=\"9\" "
          "SHORTCUTURL=\"s\" POST_DATA=\"q=%s&amp;x=1\" LAST_CHARSET=\"UTF-8\" "
          "ICON_URI=\"https://b/i\">B</A>"
          "<DT><A HREF=\"https://c/\" POST_DATA=\"lone\">C</A></DL></DL>",
          &tree, &notes)
          .ok());
  const struct {
    const char16_t* title;
    int64_t added;
    const char16_t* keyword;
    const char16_t* post_data;
  } links[] = {{u"F", 30, u"", u""},
               {u"A", 20, u"", u""},
               {u"B", 5, u"s", u"q=%s&x=1"},
               {u"C", 0, u"", u""}};
  for (const auto& l : links) {
    const Item& item = Named(tree, Root::kMenu, l.title);
    EXPECT_EQ(item.date_added, model::FromSeconds(l.added))
        << platform::ToUtf8(l.title);
    EXPECT_EQ(item.keyword, l.keyword);
    EXPECT_EQ(item.post_data, l.post_data);
  }
  EXPECT_EQ(notes.icons, 2);
  EXPECT_EQ(notes.charsets, 1);
  // The writer keeps what the reader takes.
  EXPECT_EQ(Named(Read(WriteBookmarkHtml(tree)), Root::kMenu, u"B").post_data,
            u"q=%s&x=1");
}

// The character set a file declares before its first list, or its byte
// order mark, decides how its bytes are read.
TEST(HtmlRead, DeclaredCharacterSets) {
  const std::string link = "<DT><A HREF=\"https://a/\">";
  const std::string cafe = "Caf\xE9 cr\xE8me \x80";  // windows-1252
  // A byte order mark, then the text in either order of bytes.
  const std::string le = test::Utf16le(
      u"\uFEFF<DL><DT><A HREF=\"https://a/\">\u65e5\U0001F600</A></DL>");
  std::string be = le;
  for (size_t i = 0; i + 1 < be.size(); i += 2) std::swap(be[i], be[i + 1]);
  const struct {
    std::string html;
    const char* title;  // null: the read fails
  } cases[] = {
      {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
       "charset=windows-1252\"><DL>" + link + cafe,
       "Caf\xC3\xA9 cr\xC3\xA8me \xE2\x82\xAC"},
      // ISO-8859-1 is read as browsers read it: as windows-1252.
      {"<meta content='text/html;charset=ISO-8859-1'><DL>" + link +
           "\x93q\x94",
       "\xE2\x80\x9Cq\xE2\x80\x9D"},
      {"<META CHARSET=\"iso-8859-2\"><DL>" + link + "\xB1", "\xC4\x85"},
      {"<!-- <META CHARSET=\"iso-8859-2\"> --><DL>" + link + "\xC4\x85",
       "\xC4\x85"},
      {"<DL><META CHARSET=\"windows-1252\">" + link + "caf\xC3\xA9",
       "caf\xC3\xA9"},
      {"<META CHARSET=\"utf-16\"><DL>" + link + "caf\xC3\xA9", "caf\xC3\xA9"},
      {"<META CHARSET=\"x-none\"><DL>" + link + "caf\xC3\xA9", "caf\xC3\xA9"},
      {"<META CHARSET=\"x-none\"><DL>" + link + cafe, nullptr},
      {le, "\xE6\x97\xA5\xF0\x9F\x98\x80"},
      {be, "\xE6\x97\xA5\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    Tree tree;
    const Status status = ReadBookmarkHtml(c.html, &tree);
    ASSERT_EQ(status.ok(), c.title != nullptr) << c.html;
    if (c.title == nullptr) continue;
    EXPECT_EQ(Shape(tree, Root::kMenu),
              (Lines{std::string(c.title) + " <https://a/>"}))
        << c.html;
  }
}

using test::NewFolder;
using test::NewLink;
using test::Put;

TEST(HtmlRoundTrip, KeepsEverythingTheFormatHolds) {
  Tree tree;
  const model::Time second = model::FromSeconds(1);
  const ItemId menu = tree.AddRoot(Root::kMenu, u"Menu & <co>");
  const ItemId bar = tree.AddRoot(Root::kToolbar, u"Toolbar");
  tree.AddRoot(Root::kOther, u"Other");  // empty, and kept
  const ItemId mobile = tree.AddRoot(Root::kMobile, u"Phone");
  tree.at(bar).date_added = 1600000000 * second;

  Item tricky =
      NewLink(u" <b>\"quoted\" & 'single' </b> ",
               u"https://x.example/?a=1&b=\"2\"<>'", 1700000000 * second);
  tricky.last_modified = 1700000500 * second;
  tricky.tags = {u"t\u00e9g", u"two words", u"<x>"};
  tricky.keyword = u"k&w";
  Put(&tree, menu, tricky);
  Put(&tree, menu,
      NewLink(u"\u65e5\u672c\u8a9e \U0001F600 ..", u"javascript:void(0)"));
  const Item separator = test::NewSeparator();
  Put(&tree, menu, separator);
  Put(&tree, menu, NewLink(u"", u"place:type=6"));
  Put(&tree, menu, NewLink(u"line\nbreak\r\ttab", u"file:///a%20b"));
  // Same-title siblings, an empty folder, an empty title, nesting.
  const ItemId twin1 = tree.Add(bar, NewFolder(u"Twin", 5 * second));
  const ItemId twin2 = tree.Add(bar, NewFolder(u"Twin", 6 * second));
  Put(&tree, twin1, NewLink(u"Same", u"https://a.example/"));
  Put(&tree, twin1, NewLink(u"Same", u"https://a.example/"));
  Put(&tree, tree.Add(twin2, NewFolder(u"")), separator);
  Put(&tree, bar, NewFolder(u"Empty"));
  // A menu folder named like the mobile root stays in the menu.
  Put(&tree, tree.Add(menu, NewFolder(u"Mobile Bookmarks")),
      NewLink(u"d", u"https://d.example/"));
  Put(&tree, mobile, NewLink(u"m", u"https://m.example/"));

  const std::string html = WriteBookmarkHtml(tree);
  const Tree back = Read(html);
  for (Root root : model::kAllRoots) {
    ASSERT_NE(back.root(root), model::kNoItem) << RootKey(root);
    EXPECT_EQ(back.at(back.root(root)).title, tree.at(tree.root(root)).title);
  }
  EXPECT_EQ(test::TreeLines(back), test::TreeLines(tree));
  EXPECT_EQ(WriteBookmarkHtml(back), html);

  // Roots missing from a tree stay missing.
  Tree bar_only;
  Put(&bar_only, bar_only.AddRoot(Root::kToolbar, u""),
      NewLink(u"a", u"https://a.example/"));
  const Tree bar_back = Read(WriteBookmarkHtml(bar_only));
  EXPECT_EQ(Shape(bar_back, Root::kToolbar), (Lines{"a <https://a.example/>"}));
  EXPECT_EQ(bar_back.root(Root::kOther), model::kNoItem);
  EXPECT_EQ(bar_back.root(Root::kMobile), model::kNoItem);
}

// A menu of `links` links, a folder per thousand.
std::string MenuOf(int links) {
  Tree tree;
  const ItemId menu = tree.AddRoot(Root::kMenu, u"Bookmarks Menu");
  ItemId folder = menu;
  for (int i = 0; i < links; ++i) {
    if (i % 1000 == 0) folder = tree.Add(menu, NewFolder(u"F"));
    // A date below one second is none in the file.
    Put(&tree, folder,
        NewLink(u"Title &", u"https://e.example/" + NumberText(i), 1));
  }
  return WriteBookmarkHtml(tree);
}

// Quotes left open on every line: `pairs` times two broken links.
std::string OpenQuotes(int pairs) {
  std::string broken;
  for (int i = 0; i < pairs; ++i) {
    broken += "<DT><A HREF=\"http://x>t</A>\n<dt><a href='http://y>u</a>\n";
  }
  return broken;
}

// Best of three processor times of reading html, in seconds.
double ReadSeconds(const std::string& html) {
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    const std::clock_t start = std::clock();
    Tree tree;
    EXPECT_TRUE(ReadBookmarkHtml(html, &tree).ok());
    best = std::min(best, static_cast<double>(std::clock() - start) /
                              CLOCKS_PER_SEC);
  }
  return best;
}

TEST(HtmlLimits, HundredThousandLinksReadInLinearTime) {
  const std::string html = MenuOf(100000);
  std::string one_line = html;
  std::replace(one_line.begin(), one_line.end(), '\n', ' ');
  const std::string broken = OpenQuotes(50000);

  Tree back;
  ASSERT_TRUE(ReadBookmarkHtml(html, &back).ok());
  EXPECT_EQ(model::CountBelow(back, back.root(Root::kMenu)).links, 100000);
  Tree one_line_tree;
  ASSERT_TRUE(ReadBookmarkHtml(one_line, &one_line_tree).ok());
  EXPECT_TRUE(WriteBookmarkHtml(one_line_tree) == html);
  Tree broken_tree;
  ASSERT_TRUE(ReadBookmarkHtml(broken, &broken_tree).ok());
  EXPECT_EQ(model::CountBelow(broken_tree, broken_tree.root(Root::kMenu)).links,
            100000);

  // Ten times the input must cost about ten times the time, not a hundred:
  // a ratio, so that a slow or busy machine does not fail the test, with
  // room for the larger input's fresh memory (paged in anew on each read,
  // which alone costs up to three times as much per link). The small
  // inputs get a floor against a coarse clock.
  const double small = std::max(
      0.001, ReadSeconds(MenuOf(10000)) + ReadSeconds(OpenQuotes(5000)));
  const double large = ReadSeconds(html) + ReadSeconds(broken);
  EXPECT_LT(large / small, 60.0) << large << " s against " << small << " s";
}

TEST(HtmlLimits, RefusesFoldersDeeperThanTheLimit) {
  for (const int depth : {model::kMaxDepth - 1, model::kMaxDepth + 1}) {
    std::string html = "<DL><p>";
    for (int i = 0; i < depth; ++i) html += "<DT><H3>f</H3><DL><p>";
    Tree tree;
    const bool read =
        ReadBookmarkHtml(html + "<DT><A HREF=\"https://d/\">d</A>", &tree).ok();
    ASSERT_EQ(read, depth < model::kMaxDepth) << depth;
    if (read) {
      EXPECT_EQ(model::CountBelow(tree, tree.root(Root::kMenu)).links, 1);
    }
  }
}

}  // namespace
}  // namespace html
}  // namespace marksafe
