// A backup set is read as untrusted input: links, FIFOs and devices in it
// are never opened or followed, names keep their backslashes, and names
// that are no text are reported and skipped.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backup_set/part.h"
#include "context/job.h"
#include "gtest/gtest.h"
#include "model/report.h"
#include "platform/platform.h"
#include "support/test_support.h"
#include "support/tree_support.h"

namespace marksafe {
namespace backup_set {
namespace {

using model::ItemId;
using model::Root;
using model::Tree;
using test::Shortcut;
using test::TempDir;
using test::WriteBytes;

using Lines = std::vector<std::string>;

// A Chrome part "set/part" with one root folder "bar" and, outside it,
// "outside" holding a secret shortcut and folder.
class UntrustedPart : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(dir_.sub("set/part/chrome_pos.ini"),
               "[Chrome_menu]\r\nBar=bar\r\nother=other\r\n");
    WriteBytes(dir_.sub("set/part/bar/kept.url"), Shortcut("https://kept/"));
    test::MakeDirs(dir_.sub("set/part/other"));
    WriteBytes(dir_.sub("outside/secret.url"), Shortcut("https://secret/"));
    WriteBytes(dir_.sub("outside/sub/deep.url"), Shortcut("https://deep/"));
  }
  Tree Read(const std::string& part, Status* status) {
    Tree tree;
    *status = ReadPart(dir_.u16(part), PartKind::kChrome, &tree);
    return tree;
  }
  void Link(const std::string& target, const std::string& at) {
    ASSERT_EQ(symlink(dir_.sub(target).c_str(), dir_.sub(at).c_str()), 0);
  }
  TempDir dir_;
};

// Opening a FIFO for reading blocks until a writer comes: were one opened,
// this test would hang.
TEST_F(UntrustedPart, LinksAndFifosInsideThePartAreNeverFollowedOrOpened) {
  Link("outside/secret.url", "set/part/bar/link.url");
  Link("outside", "set/part/bar/linked folder");
  Link("outside", "set/part/other/x");
  ASSERT_EQ(mkfifo(dir_.sub("set/part/bar/fifo.url").c_str(), 0600), 0);
  alarm(20);
  Status status;
  Tree tree = Read("set/part", &status);
  ASSERT_TRUE(status.ok()) << test::U8(status.message());
  EXPECT_EQ(test::TreeLines(tree, false),
            (Lines{"toolbar", " L kept|https://kept/", "other"}));
  // A manifest that is no file is no manifest: without a completion mark
  // the part counts as cut short, and is refused rather than read.
  ASSERT_EQ(mkfifo(dir_.sub("set/part/manifest.json").c_str(), 0600), 0);
  Read("set/part", &status);
  alarm(0);
  EXPECT_FALSE(status.ok());
}

TEST_F(UntrustedPart, LinkedPartRootOrPositionFileIsRefused) {
  // The part folder itself a link.
  Link("set/part", "set/linked part");
  Status status;
  Tree tree = Read("set/linked part", &status);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(tree.root(Root::kToolbar), model::kNoItem);

  // A root folder that is a link, also on the way of a longer value.
  WriteBytes(dir_.sub("set/p2/chrome_pos.ini"),
             "[Chrome_menu]\r\nBar=bar\r\nother=via/sub\r\n");
  test::MakeDirs(dir_.sub("set/p2"));
  Link("outside", "set/p2/bar");
  Link("outside", "set/p2/via");
  context::JobScope scope("test");
  tree = Read("set/p2", &status);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(tree.root(Root::kToolbar), model::kNoItem);
  EXPECT_EQ(tree.root(Root::kOther), model::kNoItem);
  EXPECT_EQ(context::Current().report().problems.size(), 2u);

  // The position file itself a link to one outside.
  WriteBytes(dir_.sub("outside/chrome_pos.ini"),
             "[Chrome_menu]\r\nBar=bar\r\n");
  test::MakeDirs(dir_.sub("set/p3/bar"));
  Link("outside/chrome_pos.ini", "set/p3/chrome_pos.ini");
  Read("set/p3", &status);
  EXPECT_FALSE(status.ok());
}

// Names are read as they are listed, or reported and skipped.
TEST_F(UntrustedPart, BackslashesStayInsideTheirNamesAndNoTextIsSkipped) {
  // "a\b.url" is one file of bar; "a/b.url" is another file, whose URL must
  // not be read for it. The folder "x\y" likewise. U+F05C stands for a
  // backslash byte in listed names: a name that holds it itself would lead
  // to "a\b.url", and is reported and skipped instead, as are names that
  // are no text.
  WriteBytes(dir_.sub("set/part/bar/a\\b.url"), Shortcut("https://one/"));
  WriteBytes(dir_.sub("set/part/bar/a/b.url"), Shortcut("https://two/"));
  WriteBytes(dir_.sub("set/part/bar/x\\y/in.url"), Shortcut("https://in/"));
  WriteBytes(dir_.sub("set/part/bar/a\uF05Cb.url"), Shortcut("https://other/"));
  WriteBytes(dir_.sub("set/part/bar/bad\xFF.url"), Shortcut("https://bad/"));
  WriteBytes(dir_.sub("set/part/bar/dir\xFE/in.url"), Shortcut("https://in/"));
  context::JobScope scope("test");
  Status status;
  Tree tree = Read("set/part", &status);
  ASSERT_TRUE(status.ok()) << test::U8(status.message());
  EXPECT_EQ(test::TreeLines(tree, false),
            (Lines{"toolbar", " F a|", "  L b|https://two/",
                   " L a\\b|https://one/", " L kept|https://kept/", " F x\\y|",
                   "  L in|https://in/", "other"}));
  EXPECT_EQ(context::Current().report().problems.size(), 3u);

  // A plain .url folder the same way.
  Tree plain;
  const ItemId into = plain.AddRoot(Root::kOther, u"fav");
  ASSERT_TRUE(ReadUrlFolder(dir_.u16("set/part/bar"), {}, &plain, into).ok());
  EXPECT_EQ(plain.at(into).children.size(), 4u);
}

// A listed name is joined to its folder as one entry, or not at all.
TEST(ChildPath, RefusesWhatIsNoSingleName) {
  const struct {
    std::u16string name;
    bool joined;
  } cases[] = {{u"a.url", true},  {u"..\xF05C..\xF05Cx", true},
               {u"", false},      {u".", false},
               {u"..", false},    {u"../x", false},
               {u"..\\x", false}, {u"a/b", false}};
  for (const auto& c : cases) {
    std::u16string path = u"kept";
    EXPECT_EQ(platform::ChildPath(u"dir", c.name, &path), c.joined)
        << test::U8(c.name);
    EXPECT_EQ(path, c.joined ? u"dir\\" + c.name : u"kept");
  }
}

}  // namespace
}  // namespace backup_set
}  // namespace marksafe
