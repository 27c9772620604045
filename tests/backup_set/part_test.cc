// A browser's part of a backup set: a tree written and read back keeps
// every item exactly; the manifest's absence, damage and hand edits; older
// backup sets; a backup that fails leaves the previous part whole.
#include "backup_set/part.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "backup_set/folder_swap.h"
#include "backup_set/interchange.h"
#include "backup_set/manifest.h"
#include "base/text.h"
#include "context/job.h"
#include "gtest/gtest.h"
#include "json/json.h"
#include "model/report.h"
#include "platform/platform.h"
#include "support/faulty_env.h"
#include "support/memory_env.h"
#include "support/test_support.h"
#include "support/tree_support.h"

namespace marksafe {
namespace backup_set {
namespace {

using model::ItemId;
using model::Root;
using model::Tree;
using test::Exists;
using test::ListTree;
using test::NewFolder;
using test::NewLink;
using test::NewSeparator;
using test::Put;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using Lines = std::vector<std::string>;

// A Firefox tree with what a part must keep beyond the round trips'
// collection: separators first and last, folders whose titles differ only
// in case, titles that are device names or only dots, a URL holding a line
// break and "=", and a 300-byte title.
Tree RichTree() {
  Tree tree;
  const ItemId menu = tree.AddRoot(Root::kMenu, u"menu");
  tree.at(menu).date_added = 1600000000000000;
  Put(&tree, menu, NewSeparator(1600000000000001));
  model::Item tagged = NewLink(u"Example", u"https://example.com/",
                               1700000000123456, 1700000000123461);
  tagged.tags = {u"news", u"daily\x01\t\"\u00E9"};
  tagged.keyword = u"ex";
  Put(&tree, menu, tagged);
  Put(&tree, menu, NewLink(u"Example", u"https://example.org/",
                           1700000000000000, 1700000000000005));
  const ItemId dup1 = Put(&tree, menu, NewFolder(u"Dup", 1500000000000000));
  Put(&tree, dup1, NewLink(u"one", u"javascript:alert(1)"));
  Put(&tree, Put(&tree, menu, NewFolder(u"dup")), NewSeparator());
  Put(&tree, menu, NewLink(u"a/b: c?*|<>\"\\d", u"https://odd/"));
  Put(&tree, menu, NewLink(u"..", u"https://dots/"));
  Put(&tree, menu, NewLink(u"", u"https://untitled/"));
  Put(&tree, menu, NewLink(std::u16string(100, char16_t(0x6F22)),  // 300 B
                           u"https://long/"));
  Put(&tree, menu, NewLink(u"CON", u"https://device/"));
  ItemId deep = Put(&tree, menu, NewFolder(u"Deep"));
  for (int i = 0; i < 5; ++i) deep = Put(&tree, deep, NewFolder(u"level"));
  Put(&tree, deep, NewLink(u"bottom", u"https://bottom/\r\nnot a key=1"));
  Put(&tree, menu, NewSeparator());
  Put(&tree, tree.AddRoot(Root::kToolbar, u"toolbar"), NewFolder(u"Empty"));
  tree.AddRoot(Root::kOther, u"unfiled");
  Put(&tree, tree.AddRoot(Root::kMobile, u"mobile"),
      NewLink(u"Phone", u"https://phone/"));
  return tree;
}

// The manifest as JsonCpp's compact writer lays it out, the form every
// manifest has had: written as text, it must keep that form byte for byte.
std::string JsonCppLayout(const std::string& text) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, test::ParseJson(text));
}

Tree Read(const std::u16string& folder, PartKind kind, Status* status) {
  Tree tree;
  *status = ReadPart(folder, kind, &tree);
  return tree;
}

// The part's writer and reader reach files only through the Env: in an
// Env that keeps them in memory, a backup, a repeat of it (built beside and
// swapped in) and the reading back all work, and nothing lands on disk.
TEST(Part, RoundTripNeedsNothingButTheEnv) {
  platform::MemoryEnv env;
  platform::ScopedEnvOverride use(&env);
  const std::u16string set = u"/marksafe-memory-only/set";
  ASSERT_TRUE(platform::CreateDirectoryTree(set).ok());
  const Tree tree = RichTree();
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(
        WritePart(tree, PartKind::kFirefox, set + u"/Firefox", true, nullptr)
            .ok());
  }
  Status status;
  const Tree back = Read(set + u"/Firefox", PartKind::kFirefox, &status);
  ASSERT_TRUE(status.ok()) << test::U8(status.message());
  EXPECT_EQ(test::TreeLines(back), test::TreeLines(tree));
  std::vector<platform::DirEntry> left;
  ASSERT_TRUE(platform::ListDirectory(set, &left).ok());
  ASSERT_EQ(left.size(), 1u);  // the part, no staging or previous copy
  EXPECT_FALSE(std::filesystem::exists("/marksafe-memory-only"));
}

TEST(Part, RoundTripKeepsEveryItemExactly) {
  TempDir dir;
  const Tree tree = RichTree();
  model::Report report;
  ASSERT_TRUE(WritePart(tree, PartKind::kFirefox, dir.u16("part"), true,
                        &report)
                  .ok());
  Status status;
  const Tree back = Read(dir.u16("part"), PartKind::kFirefox, &status);
  ASSERT_TRUE(status.ok()) << test::U8(status.message());
  EXPECT_EQ(test::TreeLines(back), test::TreeLines(tree));
  EXPECT_EQ(back.at(back.root(Root::kMenu)).title, u"Bookmarks Menu");

  // Nothing of it is refused or named as a problem. (What the report counts
  // is the round trips' check.)
  EXPECT_TRUE(report.problems.empty());

  // Old readers find their keys and values; each file is an Internet
  // Shortcut in the Chrome form.
  EXPECT_EQ(ReadBytes(dir.sub("part/pos.ini")).substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(
      platform::GetProfileStrings(u"Menu", {u"Main", u"Others", u"Toolbar"},
                                  u"", 260, dir.u16("part/pos.ini")),
      (std::vector<std::u16string>{u"Bookmarks Menu", u"Unsorted Bookmarks",
                                   u"Bookmarks Toolbar"}));
  const Lines files = ListTree(dir.sub("part"));
  for (const char* name : {"Example (2).url", "_CON.url"}) {
    EXPECT_EQ(std::count(files.begin(), files.end(),
                         std::string("Bookmarks Menu/") + name),
              1);
  }
  EXPECT_EQ(ReadBytes(dir.sub("part/Bookmarks Menu/Example.url")),
            std::string("\xFF\xFE", 2) +
                test::Utf16le(u"[InternetShortcut]\r\nURL=https://"
                              u"example.com/\r\nTitle=Example.url\r\n"));
}

class ManifestCases : public ::testing::Test {
 protected:
  void SetUp() override { WriteSmallPart(part_); }
  static void WriteSmallPart(const std::u16string& part) {
    Tree tree;
    const ItemId menu = tree.AddRoot(Root::kMenu, u"menu");
    Put(&tree, menu,
        NewLink(u"Zeta", u"https://z/", 1700000000000000, 1700000000000005));
    Put(&tree, menu, NewSeparator());
    Put(&tree, menu,
        NewLink(u"Alpha", u"https://a/", 1700000000000000, 1700000000000005));
    Put(&tree, Put(&tree, menu, NewFolder(u"Sub")),
        NewLink(u"Inner", u"https://i/"));
    ASSERT_TRUE(WritePart(tree, PartKind::kFirefox, part, true, nullptr).ok());
  }
  Lines ReadBack() {
    Status status;
    const Tree tree = Read(part_, PartKind::kFirefox, &status);
    EXPECT_TRUE(status.ok()) << test::U8(status.message());
    return test::TreeLines(tree);
  }
  // Replaces from with to in the written manifest.
  void EditManifest(const std::string& from, const std::string& to) {
    std::string manifest = ReadBytes(dir_.sub("part/manifest.json"));
    const size_t at = manifest.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    WriteBytes(dir_.sub("part/manifest.json"),
               manifest.replace(at, from.size(), to));
  }
  TempDir dir_;
  const std::u16string part_ = dir_.u16("part");
  const Lines files_alone_ = {"menu",
                              " L Alpha|https://a/|0|0",
                              " F Sub||0|0",
                              "  L Inner|https://i/|0|0",
                              " L Zeta|https://z/|0|0",
                              "toolbar",
                              "other",
                              "mobile"};
};

TEST_F(ManifestCases, MissingOrDamagedManifestReadsTheFilesAlone) {
  ASSERT_TRUE(platform::DeleteFile(dir_.u16("part/manifest.json")).ok());
  {
    test::LogCapture log;
    EXPECT_EQ(ReadBack(), files_alone_);
    EXPECT_TRUE(log.lines().empty()) << log.Joined();
  }
  for (const std::string& damaged :
       {std::string("{not json"), std::string("[1, 2]"),
        std::string(R"({"format": "marksafe part manifest", "version": 1,
           "part": "firefox", "records": [{"path": "../outside.url",
           "type": "link", "title": "x", "url": "https://x/"}]})"),
        std::string(R"({"format": "marksafe part manifest", "version": 99,
           "part": "firefox", "records": []})")}) {
    WriteBytes(dir_.sub("part/manifest.json"), damaged);
    test::LogCapture log;
    EXPECT_EQ(ReadBack(), files_alone_) << damaged;
    EXPECT_TRUE(log.Contains("manifest")) << damaged;
  }
}

TEST_F(ManifestCases, PartCutShortIsRefusedUnlessAccepted) {
  const Lines whole = ReadBack();
  // The mark is written last: a part whose manifest announces it and that
  // lacks it was cut short (a backup or a copy of the set interrupted).
  ASSERT_TRUE(platform::DeleteFile(dir_.u16("part/complete.mark")).ok());
  Status status;
  context::JobScope scope("test");
  Read(part_, PartKind::kFirefox, &status);
  EXPECT_EQ(status.code(), 13u);
  EXPECT_TRUE(context::Current().report().AnythingLost());
  context::Current().options().accept_incomplete = true;
  EXPECT_EQ(ReadBack(), whole);
  context::Current().options().accept_incomplete = false;
  // Manifests of earlier sets announce no mark, and need none.
  EditManifest("\"completion_mark\":true,", "");
  EXPECT_EQ(ReadBack(), whole);
}

// Files the manifest does not describe come after the recorded items, read
// from the files alone: ones added by hand (an Internet Explorer shortcut
// without Title, a folder) and one whose record is damaged, which costs
// only itself. A file deleted by hand is skipped.
TEST_F(ManifestCases, UnrecordedFilesComeLastAndDeletedOnesAreSkipped) {
  WriteBytes(dir_.sub("part/Bookmarks Menu/Added.url"),
             test::Shortcut("https://added/"));
  WriteBytes(dir_.sub("part/Bookmarks Menu/New/n.url"),
             test::Shortcut("https://n/"));
  ASSERT_TRUE(
      platform::DeleteFile(dir_.u16("part/Bookmarks Menu/Alpha.url")).ok());
  EditManifest("\"url\":\"https://z/\"", "\"url\":5");
  context::JobScope scope("test");
  EXPECT_EQ(ReadBack(),
            (Lines{"menu", " S ||0|0", " F Sub||0|0", "  L Inner|https://i/|0|0",
                   " L Added|https://added/|0|0", " F New||0|0",
                   "  L n|https://n/|0|0", " L Zeta|https://z/|0|0", "toolbar",
                   "other", "mobile"}));
  EXPECT_EQ(context::Current().report().problems.size(), 1u);
}

// The .url file says where a link leads; its record adds what the file
// cannot hold. Each case edits the written part and gives Alpha's line.
TEST_F(ManifestCases, TheFileOutranksItsRecord) {
  const std::string alpha_file = dir_.sub("part/Bookmarks Menu/Alpha.url");
  const std::string dated = "|1700000000000000|1700000000000005";
  struct Case {
    const char* what;
    std::string file_url;  // written into Alpha.url when not empty
    std::string from, to;  // replaced in the manifest when from is not empty
    std::string alpha;
  } cases[] = {
      {"file edited by hand", "https://edited/", "", "",
       " L Alpha|https://edited/" + dated},
      {"record without url", "", ",\"url\":\"https://a/\"", "",
       " L Alpha|https://a/" + dated},
      {"record with empty url", "", "\"url\":\"https://a/\"",
       "\"url\":\"\"", " L Alpha|https://a/" + dated},
      {"record exact where the file cannot be", "",
       "\"url\":\"https://a/\"", "\"url\":\"https://a/ \"",
       " L Alpha|https://a/ " + dated},
  };
  const std::string written_manifest =
      ReadBytes(dir_.sub("part/manifest.json"));
  const std::string written_file = ReadBytes(alpha_file);
  for (const Case& c : cases) {
    WriteBytes(dir_.sub("part/manifest.json"), written_manifest);
    if (!c.from.empty()) EditManifest(c.from, c.to);
    if (c.file_url.empty()) {
      WriteBytes(alpha_file, written_file);
    } else {
      test::WriteUrlFile(alpha_file, c.file_url, "Alpha");
    }
    const Lines lines = ReadBack();
    EXPECT_EQ(lines.at(3), c.alpha) << c.what;
  }
}

// What a part cannot give is said; what it can still give is read.
TEST_F(ManifestCases, SetFaultsAreReportedOrRepaired) {
  const Lines whole = ReadBack();
  struct Case {
    const char* what;
    void (*damage)(const TempDir&);
    bool lost;        // a Problem that says data was lost
    size_t problems;  // in the report
  } cases[] = {
      {"root folder missing",
       [](const TempDir& d) {
         ASSERT_TRUE(
             platform::RemoveTree(d.u16("part/Unsorted Bookmarks")).ok());
       },
       true, 1},
      {"position key missing",
       [](const TempDir& d) {
         WriteBytes(d.sub("part/pos.ini"),
                    "[Menu]\r\nMain=Bookmarks Menu\r\n"
                    "Toolbar=Bookmarks Toolbar\r\nMobile=Mobile Bookmarks\r\n");
       },
       false, 1},
      {"URL that is no address",
       [](const TempDir& d) {
         WriteBytes(d.sub("part/Bookmarks Menu/fail.url"),
                    test::Shortcut("Fail"));
         WriteBytes(d.sub("part/Bookmarks Menu/empty.url"),
                    test::Shortcut(""));
       },
       false, 2},
      {"part left aside by an interrupted swap",
       [](const TempDir& d) {
         ASSERT_TRUE(
             platform::MoveFolder(d.u16("part"), d.u16("part.marksafe-old"))
                 .ok());
       },
       false, 0},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteSmallPart(dir.u16("part"));
    c.damage(dir);
    context::JobScope scope("test");
    Status status;
    const Tree tree = Read(dir.u16("part"), PartKind::kFirefox, &status);
    EXPECT_TRUE(status.ok()) << c.what;
    const Lines lines = test::TreeLines(tree);
    if (c.lost) {
      EXPECT_EQ(std::count(lines.begin(), lines.end(), "other"), 0) << c.what;
    } else {
      EXPECT_EQ(lines, whole) << c.what;
    }
    EXPECT_EQ(context::Current().report().AnythingLost(), c.lost) << c.what;
    EXPECT_EQ(context::Current().report().problems.size(), c.problems) << c.what;
  }
}

// The manifest is read record by record: JSON's escapes, numbers and
// repeated members as a document reader takes them, broken text refused.
// Only a link has an address: a folder record that names one (a damaged or
// hand-made manifest) does not keep it, as no write could keep it either.
TEST(Part, ManifestTextReadsAsJson) {
  const std::string head =
      R"({"format": "marksafe part manifest", "version": 1.0, "x": [{"y": [[]]}],
          "part": "firefox", "records": [)";
  struct Case {
    std::string records;
    bool read;
    std::u16string title = u"";
    model::Time added = 0;
  } cases[] = {
      {R"({"path": "M/a.url", "type": "link", "title": "\u00e9\ud83d\ude00\"\/", "added": 1.5e3})",
       true, u"\u00e9\U0001F600\"/", 1500},
      {R"({"path": "M/a.url", "type": "link", "title": "one", "title": "two"})",
       true, u"two", 0},
      {R"({"path": "M/a.url", "type": "link", "title": "x", "added": -1})",
       true, u"", 0},  // skipped: a negative time
      {R"({"path": "M/N", "type": "folder", "title": "N", "url": "place:x"})",
       true, u"N", 0},
      {R"({"path": "M/a.url", "type": "link", "title": "\ud83d"})", false},
      {R"({"path": "M/a.url", "type": "link", "title": "x" "url": ""})",
       false},
      {R"({"path": "M/a.url", "type": "link", "title": "x"}, tru)", false},
      {std::string(2000, '[') + std::string(2000, ']'), false},
  };
  std::vector<Case> rows(std::begin(cases), std::end(cases));
  // Skipped: paths that leave the part or that no written name takes.
  for (const char* path : {"M/../a.url", "M//a.url", "M/./a.url", "M/..",
                           "/M/a.url", "M/", "", "M\\\\a.url", "C:/a.url"}) {
    rows.push_back({std::string(R"({"type": "link", "path": ")") + path +
                        R"(", "title": "x"})",
                    true});
  }
  for (const Case& c : rows) {
    Manifest manifest;
    std::string why;
    const ManifestState state =
        ParseManifest(head + c.records + "]}", "firefox", &manifest, &why);
    ASSERT_EQ(state, c.read ? ManifestState::kRead : ManifestState::kDamaged)
        << c.records << ": " << why;
    if (!c.read || c.title.empty()) {
      EXPECT_TRUE(manifest.records.empty()) << c.records;
      continue;
    }
    ASSERT_EQ(manifest.records.size(), 1u) << c.records;
    EXPECT_EQ(manifest.records[0].item.title, c.title) << c.records;
    EXPECT_EQ(manifest.records[0].item.date_added, c.added) << c.records;
    EXPECT_TRUE(manifest.records[0].item.url.empty()) << c.records;
  }
}

// Parts written before the manifest: only Main/Others or Bar/other, titles
// from the file names (Firefox) or the Title key (Chrome), listing order.
TEST(Part, OldBackupSetsReadAsBefore) {
  TempDir dir;
  WriteBytes(dir.sub("ff/pos.ini"),
             std::string("\xFF\xFE", 2) +
                 test::Utf16le(u"[Menu]\r\nMain=Bookmarks Menu\r\nOthers="
                               u"Unsorted Bookmarks\r\n"));
  WriteBytes(dir.sub("ff/Bookmarks Menu/ab c.url"),
             test::Shortcut("https://ab/"));
  WriteBytes(dir.sub("ff/Bookmarks Menu/Folder/inner.url"),
             test::Shortcut("https://inner/"));
  WriteBytes(dir.sub("ff/Bookmarks Menu/no url.url"), "[InternetShortcut]\r\n");
  WriteBytes(dir.sub("ff/Unsorted Bookmarks/u.url"),
             test::Shortcut("https://u/"));
  Status status;
  Tree tree = Read(dir.u16("ff"), PartKind::kFirefox, &status);
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(
      test::TreeLines(tree),
      (Lines{"menu", " L ab c|https://ab/|0|0", " F Folder||0|0",
             "  L inner|https://inner/|0|0", "other", " L u|https://u/|0|0"}));

  WriteBytes(dir.sub("ch/chrome_pos.ini"),
             "[Chrome_menu]\r\nBar=Bookmarks bar\r\nother=Other bookmarks\r\n");
  WriteBytes(dir.sub("ch/Bookmarks bar/ab c .url"),
             std::string("\xFF\xFE", 2) +
                 test::Utf16le(u"[InternetShortcut]\r\nURL=https://ab/\r\n"
                               u"Title=a/b: c .url\r\n"));
  test::MakeDirs(dir.sub("ch/Other bookmarks"));
  tree = Read(dir.u16("ch"), PartKind::kChrome, &status);
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(test::TreeLines(tree),
            (Lines{"toolbar", " L a/b: c |https://ab/|0|0", "other"}));
}

TEST(Part, PositionFilesThatNameNothingUsableFail) {
  TempDir dir;
  Status status;
  test::MakeDirs(dir.sub("none"));
  Read(dir.u16("none"), PartKind::kFirefox, &status);
  EXPECT_FALSE(status.ok());
  // Values that leave the part are refused; nothing else is named.
  test::MakeDirs(dir.sub("outside/Bookmarks bar"));
  WriteBytes(dir.sub("out/chrome_pos.ini"),
             "[Chrome_menu]\r\nBar=..\\outside\\Bookmarks bar\r\nother=\r\n");
  Tree tree = Read(dir.u16("out"), PartKind::kChrome, &status);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(tree.root(Root::kToolbar), model::kNoItem);
}

TEST(Part, FoldersDeeperThanTheTreeHoldsFailNamingTheFolder) {
  TempDir dir;
  WriteBytes(dir.sub("deep/chrome_pos.ini"), "[Chrome_menu]\r\nBar=b\r\n");
  std::string path = dir.sub("deep/b");
  for (int i = 0; i <= model::kMaxDepth; ++i) path += "/d";
  std::vector<platform::DirEntry> last;
  if (!platform::CreateDirectoryTree(test::U16(path)).ok() ||
      !platform::ListDirectory(test::U16(path.substr(0, path.size() - 2)),
                               &last)
           .ok() ||
      last.size() != 1) {
    GTEST_SKIP() << "the system takes no path this long";
  }
  Status status;
  Read(dir.u16("deep"), PartKind::kChrome, &status);
  EXPECT_FALSE(status.ok());
  EXPECT_NE(test::U8(status.message()).find("d\\d\\d"), std::string::npos)
      << test::U8(status.message()).substr(0, 200);
}

// A part that cannot be written whole is not written: the previous part
// stays as it was and nothing of the new one is left beside it.
TEST(Part, FailedReplacementLeavesThePreviousPartWhole) {
  TempDir dir;
  const std::u16string part = dir.u16("Bookmarks/Firefox");
  Tree old_tree;
  Put(&old_tree, old_tree.AddRoot(Root::kMenu, u"menu"),
      NewLink(u"Old", u"https://old/"));
  ASSERT_TRUE(WritePart(old_tree, PartKind::kFirefox, part, true, nullptr).ok());
  const Lines before = ListTree(dir.sub("Bookmarks"));
  const std::string manifest = ReadBytes(dir.sub("Bookmarks/Firefox/manifest.json"));

  // Folders nested so deep that the path outgrows what the system takes.
  Tree deep;
  Put(&deep, deep.AddRoot(Root::kMenu, u"menu"),
      NewLink(u"New", u"https://new/"));
  // Two such chains: the first failure stops the writing.
  for (int chain = 0; chain < 2; ++chain) {
    ItemId folder = deep.root(Root::kMenu);
    for (int i = 0; i < 40; ++i) {
      folder = Put(&deep, folder, NewFolder(std::u16string(200, u'f')));
    }
    Put(&deep, folder, NewLink(u"Lost", u"https://lost/"));
  }
  model::Report report;
  const Status status =
      WritePart(deep, PartKind::kFirefox, part, true, &report);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(ListTree(dir.sub("Bookmarks")), before);
  EXPECT_EQ(ReadBytes(dir.sub("Bookmarks/Firefox/manifest.json")), manifest);
  EXPECT_TRUE(report.AnythingLost());
  EXPECT_EQ(report.roots[0].added.total(), 0);
  // Everything the tree held counts as failed; one item names the cause,
  // one line says the part was not written, in the system's own paths.
  EXPECT_EQ(report.roots[0].failed.total(),
            model::CountBelow(deep, deep.root(Root::kMenu)).total());
  ASSERT_EQ(report.problems.size(), 2u);
  for (const model::Problem& problem : report.problems) {
    // A file path in the system's form, or a bookmark path: never both
    // separators at once ("/tmp/x\\Bookmarks\\Firefox").
    const bool mixed = problem.path.find(u'/') != std::u16string::npos &&
                       problem.path.find(u'\\') != std::u16string::npos;
    EXPECT_FALSE(mixed) << test::U8(problem.path);
  }

  // A part that can be written replaces the old one whole.
  Tree next;
  Put(&next, next.AddRoot(Root::kMenu, u"menu"), NewLink(u"New", u"https://new/"));
  ASSERT_TRUE(WritePart(next, PartKind::kFirefox, part, true, nullptr).ok());
  EXPECT_FALSE(Exists(dir.sub("Bookmarks/Firefox/Bookmarks Menu/Old.url")));
  EXPECT_TRUE(Exists(dir.sub("Bookmarks/Firefox/Bookmarks Menu/New.url")));
  EXPECT_EQ(ListTree(dir.sub("Bookmarks")).size(), before.size());

  // A previous part that cannot be removed (read-only folders) is said, and
  // is not left under the name of a new part.
  {
    test::ScopedFaultyEnv env;
    env->FailNth(test::FaultOp::kDelete, 1, 5, 1000);
    context::JobScope scope("test");
    ASSERT_TRUE(
        WritePart(old_tree, PartKind::kFirefox, part, true, nullptr).ok());
    EXPECT_EQ(context::Current().report().problems.size(), 1u);
  }
  const auto leftovers = [&dir] {
    Lines names;
    for (const auto& entry :
         std::filesystem::directory_iterator(dir.sub("Bookmarks"))) {
      const std::string name = entry.path().filename().string();
      if (name.find(".marksafe-") != std::string::npos &&
          name.find("-lock") == std::string::npos) {
        names.push_back(name);
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const Lines kept = leftovers();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].rfind("Firefox.marksafe-trash-", 0), 0u) << kept[0];

  // The next backup sweeps what earlier runs left beside the parts, and
  // nothing else: names of another form, the copy a reader falls back on
  // (no part beside it), and what a link of a leftover's name points to.
  for (const char* name :
       {"Chrome.marksafe-old/x", "Firefox.marksafe-old/x", "Firefox.marksafe-trash-x/x",
        "outside/kept"}) {
    WriteBytes(dir.sub("Bookmarks/" + std::string(name)), "x");
  }
  std::error_code ec;
  std::filesystem::create_directory_symlink(
      dir.sub("Bookmarks/outside"), dir.sub("Bookmarks/Link.marksafe-trash-1"),
      ec);
  ASSERT_TRUE(WritePart(old_tree, PartKind::kFirefox, part, true, nullptr).ok());
  Lines expected = {"Chrome.marksafe-old", "Firefox.marksafe-trash-x"};
  if (!ec) expected.push_back("Link.marksafe-trash-1");
  EXPECT_EQ(leftovers(), expected);
  EXPECT_TRUE(Exists(dir.sub("Bookmarks/outside/kept")));

  // A job that removes later only sets the previous part aside: a second
  // backup of the same process leaves it there, and the removal afterwards
  // takes both.
  {
    context::Options later = context::DefaultOptions();
    later.remove_previous_later = true;
    context::JobScope scope("test", later);
    ASSERT_TRUE(WritePart(next, PartKind::kFirefox, part, true, nullptr).ok());
    ASSERT_TRUE(
        WritePart(old_tree, PartKind::kFirefox, part, true, nullptr).ok());
    EXPECT_TRUE(Exists(dir.sub("Bookmarks/Firefox/Bookmarks Menu/Old.url")));
    EXPECT_EQ(leftovers().size(), expected.size() + 2);
    EXPECT_EQ(RemoveSetAsideFolders(), 0u);
  }
  EXPECT_EQ(leftovers(), expected);
}

// The manifest names whose bookmarks the part holds. (A manifest without
// those keys, as older sets have, is ManifestCases'.)
TEST(Part, ManifestNamesTheProfileThePartCameFrom) {
  TempDir dir;
  const PartSource owner = {u"brave", u"Work",
                            u"/home/me/.config/BraveSoftware/Profile 1"};
  const std::u16string part = dir.u16("Bookmarks/Brave - Work");
  ASSERT_TRUE(
      WritePart(RichTree(), PartKind::kChrome, part, true, nullptr, owner).ok());
  Manifest manifest;
  std::string why;
  ASSERT_EQ(ReadManifest(part + u"/manifest.json", "chrome", &manifest, &why),
            ManifestState::kRead)
      << why;
  EXPECT_EQ(manifest.source.browser, owner.browser);
  EXPECT_EQ(manifest.source.profile, owner.profile);
  EXPECT_EQ(manifest.source.profile_folder, owner.profile_folder);
  const std::string text = ReadBytes(test::U8(part) + "/manifest.json");
  EXPECT_EQ(text, JsonCppLayout(text));
}

// Exported again into a folder as it stands (not replace_whole), the older
// export's entries of the same names are replaced, with their records;
// what else is there stays.
TEST(Part, ExportingAgainReplacesTheOlderExportOnly) {
  TempDir dir;
  Tree first;
  const ItemId menu = first.AddRoot(Root::kMenu, u"menu");
  Put(&first, menu,
      NewLink(u"Same", u"https://first/", 1700000000000000,
              1700000000000005));
  Put(&first, Put(&first, menu, NewFolder(u"Sub")),
      NewLink(u"In", u"https://in/"));
  ASSERT_TRUE(
      WritePart(first, PartKind::kFirefox, dir.u16("p"), false, nullptr).ok());
  WriteBytes(dir.sub("p/Bookmarks Menu/Mine.url"), test::Shortcut("https://m/"));
  Tree second;
  const ItemId menu2 = second.AddRoot(Root::kMenu, u"menu");
  Put(&second, menu2, NewLink(u"Same", u"https://second/"));
  Put(&second, Put(&second, menu2, NewFolder(u"Sub")),
      NewLink(u"In", u"https://in2/"));
  ASSERT_TRUE(
      WritePart(second, PartKind::kFirefox, dir.u16("p"), false, nullptr).ok());
  Status status;
  const Tree back = Read(dir.u16("p"), PartKind::kFirefox, &status);
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(test::TreeLines(back),
            (Lines{"menu", " L Same|https://second/|0|0", " F Sub||0|0",
                   "  L In|https://in2/|0|0", " L Mine|https://m/|0|0",
                   "toolbar", "other", "mobile"}));
}

}  // namespace
}  // namespace backup_set
}  // namespace marksafe
