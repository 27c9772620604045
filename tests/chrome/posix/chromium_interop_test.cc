// Chromium itself loads what an import and a restore wrote. Runs only where
// Debian's chromium is installed: the browser starts headless on a fresh
// profile holding the file, and rewrites the file, keeping the input as
// Bookmarks.bak, only when it had to repair it.
#include <cstdlib>

#include "../chrome_test_util.h"
#include "backup_set/part.h"
#include "context/job.h"
#include "model/report.h"
#include "stores/chrome/chrome_checksum.h"
#include "stores/chrome/chrome_writer.h"
#include "support/tree_support.h"

namespace marksafe {
namespace test {
namespace {

// Runs Chromium on the profile until it has loaded its bookmarks and ends by
// itself. False when the browser could not run here.
bool RunChromium(const std::string& profile) {
  const std::string command =
      "timeout 60 chromium --headless --no-sandbox --disable-gpu "
      "--no-first-run --user-data-dir='" +
      profile + "' --dump-dom about:blank > /dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// A Chrome part with a bookmark in each root, and below the bar a chain of
// folders as deep as the writer goes, holding "deep" and an empty folder,
// and below that a bookmark it leaves out.
void WriteDeepPart(const std::string& folder) {
  const model::Time date = 1700000000000000;
  model::Tree tree;
  const model::ItemId bar = tree.AddRoot(model::Root::kToolbar, u"b");
  Put(&tree, tree.AddRoot(model::Root::kOther, u"o"),
      NewLink(u"o", u"https://o.example/", date));
  Put(&tree, tree.AddRoot(model::Root::kMobile, u"m"),
      NewLink(u"m", u"https://m.example/", date));
  model::ItemId chain = bar;
  for (int depth = 1; depth < chrome::kMaxChromeDepth; ++depth) {
    chain = Put(&tree, chain, NewFolder(u"d", date));
  }
  Put(&tree, chain, NewLink(u"deep", u"https://deep.example/", date));
  Put(&tree, Put(&tree, chain, NewFolder(u"d", date)),
      NewLink(u"deeper", u"https://deeper.example/", date));
  ASSERT_TRUE(backup_set::WritePart(tree, backup_set::PartKind::kChrome,
                                    U16(folder), false, nullptr)
                  .ok());
}

// The url node "deep" at the end of the chain of folders "d".
Json::Value* DeepNode(Json::Value* document) {
  Json::Value* folder = &(*document)["roots"]["bookmark_bar"];
  for (;;) {
    Json::Value* next = nullptr;
    for (Json::Value& child : (*folder)["children"]) {
      if (child["name"] == "deep") return &child;
      if (child["name"] == "d") next = &child;
    }
    if (next == nullptr) return nullptr;
    folder = next;
  }
}

TEST(ChromiumInterop, LoadsAnImportAndADeepRestoreWithoutRepairingThem) {
  if (std::system("command -v chromium > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "chromium is not installed";
  }
  TempDir dir;
  const std::string bookmarks = dir.sub("profile/Default/Bookmarks");
  // A file of the older layout, without the synced root.
  Json::Value older = Doc(ChromeText("", ""));
  older["roots"].removeMember("synced");
  WriteBytes(bookmarks, Json::StyledWriter().write(older));
  WriteUrlFile(dir.sub("src/a.url"), "HTTP://Example.COM:80/a b");
  WriteUrlFile(dir.sub("src/Caf\xC3\xA9 \xF0\x9F\x98\x80.url"),
               "http://caf\xC3\xA9.example/\xC3\xA9#x y");
  WriteUrlFile(dir.sub("src/Sub/c.url"), "https://example.org");
  ASSERT_EQ(0, import_folder_2_chrome_bar(U16(bookmarks).c_str(),
                                          dir.u16("src").c_str(), u"N"));
  WriteDeepPart(dir.sub("part"));
  ASSERT_EQ(0, restore_chrome(U16(bookmarks).c_str(), dir.u16("part").c_str(),
                              false));
  model::Counts not_carried;
  for (const model::RootReport& root : context::LastReport().roots) {
    not_carried += root.not_carried;
  }
  EXPECT_EQ(model::Counts({1, 0, 0}), not_carried);
  Json::Value mine = Doc(ReadBytes(bookmarks));
  ASSERT_NE(nullptr, DeepNode(&mine));

  // First the same file with the deepest node lacking its guid: where the
  // browser loads bookmarks in this setting it repairs that, keeping
  // Bookmarks.bak; so it read the file down to that node.
  const std::string repaired = dir.sub("repaired/Default/Bookmarks");
  Json::Value changed = mine;
  DeepNode(&changed)->removeMember("guid");
  WriteBytes(repaired, Json::StyledWriter().write(changed));
  if (!RunChromium(dir.sub("repaired")) || !Exists(repaired + ".bak")) {
    GTEST_SKIP() << "chromium did not load a profile's bookmarks here";
  }

  // Our own file needs no repair: no ids, guids or addresses rewritten.
  ASSERT_TRUE(RunChromium(dir.sub("profile")));
  EXPECT_FALSE(Exists(bookmarks + ".bak"));
  const Json::Value chromes = LoadChrome(bookmarks);
  EXPECT_EQ(mine["roots"], chromes["roots"]);
  EXPECT_EQ(chrome::TreeChecksum(chromes), chromes["checksum"].asString());
}

}  // namespace
}  // namespace test
}  // namespace marksafe
