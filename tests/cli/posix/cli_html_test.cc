// Bookmark HTML through the program: export from one profile, import into
// another, a repeat that adds nothing, and dry runs that leave every byte as
// it was. (Files that are no bookmark HTML are bad input.)
#include <map>
#include <regex>
#include <sstream>

#include "cli/posix/cli_harness.h"
#include "firefox/places_fixture.h"

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

class CliHtmlTest : public BackupSetTest {
 protected:
  TempDir files_;
};

// Exported (Chrome's from the backup set's part, Firefox's from the
// browser) and imported into empty browsers: a dry run counts what the
// import adds and writes nothing; the import brings every link; a repeat
// changes nothing.
TEST_F(CliHtmlTest, RoundTripCountsInADryRunAndARepeatAddsNothing) {
  for (const std::string browser : {"chrome", "firefox"}) {
    SCOPED_TRACE(browser);
    const std::string html = files_.sub(browser + ".html");
    std::vector<std::string> args = {"export", html, "--browser", browser};
    if (browser == "chrome") {
      args.insert(args.end(), {"--from-backup", backup_.path()});
    }
    const CliResult out = source_.Run(args);
    ASSERT_EQ(out.exit_code, 0) << out.err;
    auto before = target_.Snapshot();
    const CliResult dry =
        target_.Run({"import", html, "--to", browser, "--dry-run"});
    ASSERT_EQ(dry.exit_code, 0) << dry.err;
    // The target has the bar link already; Firefox's toolbar link comes.
    EXPECT_TRUE(Contains(Line(dry.out, "in all"),
                         browser == "chrome" ? " 3 links" : " 4 links"))
        << dry.out;
    EXPECT_EQ(target_.Snapshot(), before);

    const CliResult in = target_.Run({"import", html, "--to", browser});
    ASSERT_EQ(in.exit_code, 0) << in.out << in.err;
    EXPECT_EQ(target_.Links(browser), source_.Links(browser));
    before = target_.Snapshot();
    ASSERT_EQ(target_.Run({"import", html, "--to", browser}).exit_code, 0);
    EXPECT_EQ(target_.Snapshot(), before);
  }
}

TEST_F(CliHtmlTest, RestoreDryRunNamesEachFolderOnceAndWritesNothing) {
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
    const auto before = target_.Snapshot();
    const CliResult r =
        target_.Run({"restore", backup_.path(), "--to", browser, "--dry-run",
                     "--all-parts"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "would add")) << r.out;
    EXPECT_EQ(LinksPerFolder(r.out), expected) << r.out;
    EXPECT_EQ(target_.Snapshot(), before);
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
  EXPECT_EQ(PlacesDb(target_.places(), PlacesDb::Layout::kExisting)
                .Value("select post_data from moz_keywords where keyword = "
                       "'kw'"),
            "q=%s");
}

}  // namespace
}  // namespace test
}  // namespace marksafe
