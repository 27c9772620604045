// marksafe restore and convert: each browser takes the backup set (or one
// browser's part of it), merging; doing it twice adds nothing.
#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

struct Transfer {
  std::vector<std::string> args;  // after the backup folder
  const char* to;
  size_t count;  // links the target holds afterwards
  std::vector<const char*> expected;  // links that must arrive once each
};

class CliTransferTest : public BackupSetTest,
                        public ::testing::WithParamInterface<Transfer> {};

TEST_P(CliTransferTest, BringsEverythingOverOnceOnly) {
  const Transfer& t = GetParam();
  std::vector<std::string> args = {t.args[0], backup_.path()};
  args.insert(args.end(), t.args.begin() + 1, t.args.end());
  const std::string chrome = ReadBytes(target_.chrome());
  CliResult r = target_.Run(args);
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  const auto links = Links(target_, t.to);
  for (const char* link : t.expected) {
    EXPECT_EQ(links.count(link), 1u) << link << ::testing::PrintToString(links);
  }
  EXPECT_EQ(links.size(), t.count);
  // Chrome's file is kept as it was before it is rewritten.
  if (std::string(t.to) == "chrome") {
    EXPECT_EQ(ReadBytes(target_.chrome() + "~"), chrome);
  }

  const auto tree = ListTree(target_.favorites());
  const int rows = PlacesRowCount(target_.places());
  r = target_.Run(args);
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Links(target_, t.to), links);
  EXPECT_EQ(ListTree(target_.favorites()), tree);
  EXPECT_EQ(PlacesRowCount(target_.places()), rows);
}

INSTANTIATE_TEST_SUITE_P(
    Restore, CliTransferTest,
    ::testing::Values(
        Transfer{{"restore", "--to", "ie"},
                 "ie",
                 9,
                 {"Nachrichten/日本/天気 -> https://tenki.example.jp/",
                  "Imported from Firefox/Bookmarks Menu/Küche/Crème brûlée -> "
                  "https://food.example.fr/creme",
                  "Imported from chrome/Bookmarks bar/Работа/Отчёт -> "
                  "https://report.example.ru/"}},
        Transfer{{"restore", "--to", "firefox"},
                 "firefox",
                 9,
                 {"Bookmarks Menu/Küche/Crème brûlée -> "
                  "https://food.example.fr/creme",
                  "Unsorted Bookmarks/Later -> https://later.example.com/",
                  "Bookmarks Menu/Imported from IE/Nachrichten/日本/天気 -> "
                  "https://tenki.example.jp/",
                  "Bookmarks Menu/Imported from Chrome/Bookmarks bar/Работа/"
                  "Отчёт -> https://report.example.ru/"}},
        Transfer{{"restore", "--to", "chrome"},
                 "chrome",
                 3,
                 {"Bookmarks bar/Mail -> https://mail.example.com/",
                  "Bookmarks bar/Работа/Отчёт -> https://report.example.ru/",
                  "Other bookmarks/Other one -> https://other.example.net/"}}));

INSTANTIATE_TEST_SUITE_P(
    Convert, CliTransferTest,
    ::testing::Values(
        Transfer{{"convert", "--from", "ie", "--to", "firefox"},
                 "firefox",
                 3,
                 {"Bookmarks Menu/Imported from IE/Nachrichten/日本/天気 -> "
                  "https://tenki.example.jp/"}},
        Transfer{{"convert", "--from", "chrome", "--to", "firefox"},
                 "firefox",
                 3,
                 {"Bookmarks Menu/Imported from Chrome/Other bookmarks/"
                  "Other one -> https://other.example.net/"}},
        Transfer{{"convert", "--from", "firefox", "--to", "ie"},
                 "ie",
                 3,
                 {"Imported from Firefox/Unsorted Bookmarks/Later -> "
                  "https://later.example.com/"}},
        Transfer{{"convert", "--from", "chrome", "--to", "ie"},
                 "ie",
                 3,
                 {"Imported from chrome/Bookmarks bar/Работа/Отчёт -> "
                  "https://report.example.ru/"}},
        Transfer{{"convert", "--from", "ie", "--to", "chrome"},
                 "chrome",
                 3,
                 {"Bookmarks bar/Imported from IE/Nachrichten/"
                  "Zeitung für Österreich -> https://news.example.at/"}},
        Transfer{{"convert", "--from", "firefox", "--to", "chrome"},
                 "chrome",
                 3,
                 {"Bookmarks bar/Imported from Firefox/Bookmarks Menu/Küche/"
                  "Crème brûlée -> https://food.example.fr/creme"}}));

}  // namespace
}  // namespace test
}  // namespace marksafe
