// marksafe restore: each browser takes the backup set, merging; a second
// restore adds nothing.
#include <gtest/gtest.h>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

// A backup set of a full profile, restored into a second profile.
class CliRestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source_.FillIe();
    source_.FillFirefox();
    source_.FillChrome();
    const CliResult r = source_.Run({"backup", backup_.path()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    target_.EmptyIe();
    target_.EmptyFirefox();
    target_.EmptyChrome();
  }
  Profile source_;
  Profile target_;
  TempDir backup_;
};

TEST_F(CliRestoreTest, IntoIeTakesEveryPartAndTwiceAddsNothing) {
  CliResult r = target_.Run({"restore", backup_.path(), "--to", "ie"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const auto links = FavoritesLinks(target_.favorites());
  EXPECT_EQ(links.count("Nachrichten/日本/天気 -> https://tenki.example.jp/"),
            1u);
  EXPECT_EQ(links.count("Imported from Firefox/Bookmarks Menu/Küche/"
                        "Crème brûlée -> https://food.example.fr/creme"),
            1u);
  EXPECT_EQ(links.count("Imported from chrome/Bookmarks bar/Работа/Отчёт -> "
                        "https://report.example.ru/"),
            1u);
  EXPECT_EQ(links.size(), 9u);
  EXPECT_TRUE(Contains(r.out, "links 0 -> 9 (+9)"));

  const auto tree = ListTree(target_.favorites());
  r = target_.Run({"restore", backup_.path(), "--to", "ie"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ListTree(target_.favorites()), tree);
  EXPECT_TRUE(Contains(r.out, "links 9 -> 9 (no change)"));
}

TEST_F(CliRestoreTest, IntoFirefoxTakesEveryPartAndTwiceAddsNothing) {
  CliResult r = target_.Run({"restore", backup_.path(), "--to", "firefox"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const auto links = PlacesLinks(target_.places());
  EXPECT_EQ(links.count("Bookmarks Menu/Küche/Crème brûlée -> "
                        "https://food.example.fr/creme"),
            1u);
  EXPECT_EQ(
      links.count("Unsorted Bookmarks/Later -> https://later.example.com/"),
      1u);
  EXPECT_EQ(links.count("Bookmarks Menu/Imported from IE/Nachrichten/日本/天気 "
                        "-> https://tenki.example.jp/"),
            1u);
  EXPECT_EQ(links.count("Bookmarks Menu/Imported from Chrome/Bookmarks bar/"
                        "Работа/Отчёт -> https://report.example.ru/"),
            1u);
  EXPECT_EQ(links.size(), 9u);

  const int rows = PlacesRowCount(target_.places());
  r = target_.Run({"restore", backup_.path(), "--to", "firefox"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(PlacesRowCount(target_.places()), rows);
}

TEST_F(CliRestoreTest, IntoChromeKeepsACopyFirstAndTwiceAddsNothing) {
  const std::string before = ReadBytes(target_.chrome());
  CliResult r = target_.Run({"restore", backup_.path(), "--to", "chrome"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadBytes(target_.chrome() + "~"), before);
  EXPECT_EQ(ChromeLinks(target_.chrome()),
            (std::multiset<std::string>{
                "Bookmarks bar/Mail -> https://mail.example.com/",
                "Bookmarks bar/Работа/Отчёт -> https://report.example.ru/",
                "Other bookmarks/Other one -> https://other.example.net/"}));

  r = target_.Run({"restore", backup_.path(), "--to", "chrome"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ChromeLinks(target_.chrome()).size(), 3u);
  EXPECT_TRUE(Contains(r.out, "links 3 -> 3 (no change)"));
}

TEST_F(CliRestoreTest, MergesWithWhatTheBrowserHolds) {
  Profile full;  // restoring a set into the profile it came from
  full.FillChrome();
  const auto links = ChromeLinks(full.chrome());
  CliResult r = full.Run({"backup", backup_.sub("own"), "--chrome"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  r = full.Run({"restore", backup_.sub("own"), "--to", "chrome"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ChromeLinks(full.chrome()), links);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
