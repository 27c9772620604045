// marksafe convert: each browser's part of a backup set replayed into each
// other browser, in the folder named after its origin.
#include <gtest/gtest.h>

#include <tuple>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

struct Conversion {
  const char* from;
  const char* to;
  // One link that must arrive, as the harness readers write it.
  const char* expected;
};

std::multiset<std::string> Links(const Profile& profile,
                                 const std::string& browser) {
  if (browser == "ie") return FavoritesLinks(profile.favorites());
  if (browser == "firefox") return PlacesLinks(profile.places());
  return ChromeLinks(profile.chrome());
}

class CliConvertTest : public ::testing::TestWithParam<Conversion> {
 protected:
  void SetUp() override {
    source_.FillIe();
    source_.FillFirefox();
    source_.FillChrome();
    ASSERT_EQ(source_.Run({"backup", backup_.path()}).exit_code, 0);
    target_.EmptyIe();
    target_.EmptyFirefox();
    target_.EmptyChrome();
  }
  Profile source_;
  Profile target_;
  TempDir backup_;
};

TEST_P(CliConvertTest, BringsThePartOverOnceOnly) {
  const Conversion& c = GetParam();
  CliResult r =
      target_.Run({"convert", backup_.path(), "--from", c.from, "--to", c.to});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  const auto links = Links(target_, c.to);
  EXPECT_EQ(links.count(c.expected), 1u) << ::testing::PrintToString(links);
  EXPECT_EQ(links.size(), 3u);

  r = target_.Run({"convert", backup_.path(), "--from", c.from, "--to", c.to});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Links(target_, c.to), links);
}

INSTANTIATE_TEST_SUITE_P(
    EveryPair, CliConvertTest,
    ::testing::Values(
        Conversion{"ie", "firefox",
                   "Bookmarks Menu/Imported from IE/Nachrichten/日本/天気 -> "
                   "https://tenki.example.jp/"},
        Conversion{"chrome", "firefox",
                   "Bookmarks Menu/Imported from Chrome/Other bookmarks/"
                   "Other one -> https://other.example.net/"},
        Conversion{"firefox", "ie",
                   "Imported from Firefox/Unsorted Bookmarks/Later -> "
                   "https://later.example.com/"},
        Conversion{"chrome", "ie",
                   "Imported from chrome/Bookmarks bar/Работа/Отчёт -> "
                   "https://report.example.ru/"},
        Conversion{"ie", "chrome",
                   "Bookmarks bar/Imported from IE/Nachrichten/"
                   "Zeitung für Österreich -> https://news.example.at/"},
        Conversion{"firefox", "chrome",
                   "Bookmarks bar/Imported from Firefox/Bookmarks Menu/Küche/"
                   "Crème brûlée -> https://food.example.fr/creme"}),
    [](const ::testing::TestParamInfo<Conversion>& info) {
      return std::string(info.param.from) + "_to_" + info.param.to;
    });

}  // namespace
}  // namespace test
}  // namespace marksafe
