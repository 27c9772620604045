// marksafe restore and convert: the target takes the backup set (or one
// browser's part of it), merging; doing it twice adds nothing.
#include <filesystem>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

struct Transfer {
  const char* from;  // convert --from; "all": restore --all-parts;
                     // nullptr: restore
  const char* to;
  size_t count;  // links the target holds afterwards (Firefox had 4, Chrome 1)
  const char* folder;  // where the link below must arrive, once
  const char* link;
};

constexpr char kCreme[] =
    "Bookmarks Menu/Küche/Crème brûlée -> https://food.example.fr/creme";
constexpr char kTenki[] = "Nachrichten/日本/天気 -> https://tenki.example.jp/";
constexpr char kReport[] =
    "Bookmarks bar/Работа/Отчёт -> https://report.example.ru/";

std::string Name(const Transfer& t) {
  return std::string(t.from ? t.from : "set") + "_to_" + t.to;
}
void PrintTo(const Transfer& t, std::ostream* out) { *out << Name(t); }

class CliTransferTest : public BackupSetTest,
                        public ::testing::WithParamInterface<Transfer> {};

TEST_P(CliTransferTest, BringsEverythingOverOnceOnly) {
  const Transfer& t = GetParam();
  const bool all = t.from != nullptr && std::string(t.from) == "all";
  std::vector<std::string> args = {t.from && !all ? "convert" : "restore",
                                   backup_.path(), "--to", t.to};
  if (all) {
    args.push_back("--all-parts");
  } else if (t.from) {
    args.insert(args.end(), {"--from", t.from});
  }
  const CliResult r = target_.Run(args);
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  const auto links = target_.Links(t.to);
  EXPECT_EQ(links.count(std::string(t.folder) + t.link), 1u) << t.link;
  EXPECT_EQ(links.size(), t.count);
  // The copy kept while Chrome's file is rewritten goes once it is saved.
  EXPECT_FALSE(Exists(target_.chrome() + "~"));

  const auto tree = ListTree(target_.favorites());
  ASSERT_EQ(target_.Run(args).exit_code, 0);
  EXPECT_EQ(target_.Links(t.to), links);
  EXPECT_EQ(ListTree(target_.favorites()), tree);
}

// A restore takes the target's own part; with --all-parts Internet
// Explorer and Firefox take every part of the set, Chrome its own. A
// conversion: one part. (Restores and conversions between Firefox and
// Chrome are the round trips', item for item.)
INSTANTIATE_TEST_SUITE_P(
    All, CliTransferTest,
    ::testing::Values(
        Transfer{nullptr, "ie", 3, "", kTenki},
        Transfer{"all", "ie", 15, "Imported from Firefox/", kCreme},
        Transfer{"all", "firefox", 15, "Bookmarks Menu/Imported from IE/",
                 kTenki},
        Transfer{"ie", "firefox", 7, "Bookmarks Menu/Imported from IE/",
                 kTenki},
        Transfer{"firefox", "ie", 8,
                 "Imported from Firefox/Unsorted Bookmarks/",
                 "Later -> https://later.example.com/"},
        Transfer{"chrome", "ie", 4, "Imported from chrome/", kReport},
        Transfer{"ie", "chrome", 4, "Bookmarks bar/Imported from IE/", kTenki}),
    [](const ::testing::TestParamInfo<Transfer>& info) {
      return Name(info.param);
    });

// The library's progress pair, read after a restore of every part, has
// every new link written.
TEST_F(BackupSetTest, ProgressEndsWithEveryNewLinkWritten) {
  ms_places_handle places = init_bookmark(Ms(U16(target_.places())));
  ASSERT_NE(places, nullptr);
  int32_t steps = 0;
  EXPECT_TRUE(restore_firefox_pro(places, Ms(U16(backup_.path())), true, 0, 0,
                                  0, 0, &steps));
  release_bookmark(places);
  int64_t done = -1, total = -1;
  marksafe_progress(&done, &total);
  EXPECT_EQ(total, 11);  // 4 Firefox links, 3 Favorites, 4 Chrome
  EXPECT_EQ(done, total);
  marksafe_progress(nullptr, nullptr);
}

// A part whose backup was cut short (no completion mark) is refused (see
// the bad input cases) unless --accept-incomplete takes what it holds.
TEST_F(BackupSetTest, IncompletePartIsTakenWhenAccepted) {
  std::filesystem::remove(backup_.sub("Bookmarks/Chrome/complete.mark"));
  const CliResult r = target_.Run(
      {"restore", backup_.path(), "--to", "chrome", "--accept-incomplete"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(target_.Links("chrome").size(), 4u);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
