// Bookmark HTML through the program: export from one profile, import into
// another, a repeat that adds nothing, and dry runs that leave every byte as
// it was. (Files that are no bookmark HTML are bad input.)
#include <sqlite3.h>

#include <map>
#include <regex>
#include <sstream>
#include <tuple>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

// "    FOLDER: +N links, ..." lines of a dry run: folder -> N. A folder
// named twice maps to -1.
std::map<std::string, int> LinksPerFolder(const std::string& out) {
  static const std::regex kLine(R"(^    (.*): \+(?:(\d+) links?)?.*$)");
  std::map<std::string, int> links;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, kLine)) continue;
    const int n = m[2].matched ? std::stoi(m[2]) : 0;
    if (!links.emplace(m[1], n).second) links[m[1]] = -1;
  }
  return links;
}

class CliHtmlTest : public ::testing::Test {
 protected:
  // Everything of the target profile a command could change.
  auto Snapshot() const {
    return std::make_tuple(ListTree(target_.root()),
                           ReadBytes(target_.places()),
                           ReadBytes(target_.chrome()));
  }
  Profile source_{true};
  Profile target_{false};
  TempDir files_;
};

TEST_F(CliHtmlTest, RoundTripCarriesEveryLinkAndARepeatAddsNothing) {
  for (const std::string browser : {"chrome", "firefox"}) {
    SCOPED_TRACE(browser);
    const std::string html = files_.sub(browser + ".html");
    const CliResult out =
        source_.Run({"export", html, "--browser", browser});
    ASSERT_EQ(out.exit_code, 0) << out.err;
    const CliResult in = target_.Run({"import", html, "--to", browser});
    ASSERT_EQ(in.exit_code, 0) << in.out << in.err;
    EXPECT_EQ(target_.Links(browser), source_.Links(browser));

    const auto before = Snapshot();
    ASSERT_EQ(target_.Run({"import", html, "--to", browser}).exit_code, 0);
    EXPECT_EQ(Snapshot(), before);
  }
}

TEST_F(CliHtmlTest, DryRunCountsWhatWouldBeAddedAndWritesNothing) {
  // The file is exported from a backup set's Chrome part.
  TempDir backup;
  ASSERT_EQ(source_.Run({"backup", backup.path()}).exit_code, 0);
  const std::string html = files_.sub("b.html");
  const CliResult exported = RunCli({"export", html, "--browser", "chrome",
                                     "--from-backup", backup.path()});
  ASSERT_EQ(exported.exit_code, 0) << exported.err;
  ASSERT_TRUE(Contains(ReadBytes(html), "https://report.example.ru/"));
  for (const std::string browser : {"chrome", "firefox"}) {
    SCOPED_TRACE(browser);
    const auto before = Snapshot();
    const CliResult r =
        target_.Run({"import", html, "--to", browser, "--dry-run"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "3 links")) << r.out;  // the bar link is there
    EXPECT_EQ(Snapshot(), before);
  }
  // A restore's dry run names each folder that would gain links, once.
  const std::string menu = "Bookmarks Menu", ie = menu + "/Imported from IE",
                    bar = menu + "/Imported from Chrome/Bookmarks bar";
  const std::map<std::string, std::map<std::string, int>> folders = {
      {"ie",
       {{menu, 1}, {menu + "/Mozilla Firefox", 4}, {menu + "/Küche", 1},
        {"Bookmarks Toolbar", 1}, {"Unsorted Bookmarks", 1},
        {"Bookmarks bar", 2}, {"Bookmarks bar/Работа", 1},
        {"Other bookmarks", 1}}},
      {"firefox",
       {{menu, 1}, {menu + "/Küche", 1}, {"Bookmarks Toolbar", 1},
        {"Unsorted Bookmarks", 1}, {ie, 1}, {ie + "/Nachrichten", 1},
        {ie + "/Nachrichten/日本", 1}, {bar, 2}, {bar + "/Работа", 1},
        {menu + "/Imported from Chrome/Other bookmarks", 1}}},
      {"chrome",
       {{"Bookmarks bar", 1}, {"Bookmarks bar/Работа", 1},
        {"Other bookmarks", 1}}}};
  for (const auto& [browser, expected] : folders) {
    SCOPED_TRACE(browser);
    const auto before = Snapshot();
    const CliResult r =
        target_.Run({"restore", backup.path(), "--to", browser, "--dry-run",
                     "--all-parts"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "would add")) << r.out;
    EXPECT_EQ(LinksPerFolder(r.out), expected) << r.out;
    EXPECT_EQ(Snapshot(), before);
  }
}

// A link whose address is no URL is left out, named, and fails the import
// (exit 1) while the rest arrives; a keyword's POST data reaches places.
// The file is UTF-16, as some programs write it.
TEST_F(CliHtmlTest, ImportLeavesOutAndNamesLinksThatAreNoUrl) {
  const std::string html = files_.sub("export.html");
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string(
           "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
           "<DT><A HREF=\"?lY47tw\">Shared</A>\n"
           "<DT><A HREF=\"https://kw.example/\" SHORTCUTURL=\"kw\" "
           "POST_DATA=\"q=%s\" ICON=\"data:image/png;base64,AA\">KW</A>\n"
           "</DL><p>\n")) {
    utf16 += std::string{c, '\0'};
  }
  WriteBytes(html, utf16);
  for (const std::string browser : {"chrome", "firefox"}) {
    SCOPED_TRACE(browser);
    const CliResult r = target_.Run({"import", html, "--to", browser});
    EXPECT_EQ(r.exit_code, 1) << r.out << r.err;
    EXPECT_TRUE(Contains(r.err, "?lY47tw")) << r.err;
    int kept = 0;
    for (const std::string& link : target_.Links(browser)) {
      EXPECT_FALSE(Contains(link, "lY47tw")) << link;
      kept += Contains(link, "https://kw.example/");
    }
    EXPECT_EQ(kept, 1);
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(target_.places().c_str(), &db), SQLITE_OK);
  sqlite3_stmt* row = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db,
                               "select post_data from moz_keywords where "
                               "keyword = 'kw'",
                               -1, &row, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(row), SQLITE_ROW);
  const unsigned char* post_data = sqlite3_column_text(row, 0);
  EXPECT_EQ(std::string(post_data == nullptr
                            ? ""
                            : reinterpret_cast<const char*>(post_data)),
            "q=%s");
  sqlite3_finalize(row);
  sqlite3_close(db);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
