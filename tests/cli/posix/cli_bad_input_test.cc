// Bad input and wrong usage: exit code 1 or 2, a message that says what is
// wrong, and nothing changed in the profile the command would have written.
#include <filesystem>
#include <sstream>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

// "$SET", "$PLACES" and "$CHROME": the backup set and the target's files;
// "$LONG": a path of 240 characters in the set.
struct BadCase {
  const char* name;
  std::string args;  // split at spaces
  int exit_code;
  std::string names;  // what standard error must name (a file), or ""
  // Before the run: remove spoil, or write text into it when there is one.
  const char* spoil = nullptr;
  const char* text = nullptr;
};

void PrintTo(const BadCase& c, std::ostream* out) { *out << c.args; }

// A Chrome file nested deeper than the reader follows.
const std::string kDeepChrome = R"({"roots": {"bookmark_bar": )" +
                                std::string(5000, '[') +
                                std::string(5000, ']') + "}}";

class CliBadInputTest : public BackupSetTest,
                        public ::testing::WithParamInterface<BadCase> {
 protected:
  std::string Fill(std::string text) const {
    const std::pair<std::string, std::string> values[] = {
        {"$SET", backup_.path()},
        {"$PLACES", target_.places()},
        {"$CHROME", target_.chrome()},
        {"$LONG", backup_.sub(std::string(239 - backup_.path().size(), 'd'))}};
    for (const auto& [name, value] : values) {
      for (size_t at; (at = text.find(name)) != std::string::npos;) {
        text.replace(at, name.size(), value);
      }
    }
    return text;
  }
};

TEST_P(CliBadInputTest, FailsAndChangesNothing) {
  const BadCase& c = GetParam();
  if (c.spoil && c.text) WriteBytes(Fill(c.spoil), c.text);
  if (c.spoil && !c.text) std::filesystem::remove_all(Fill(c.spoil));
  const auto before = target_.Snapshot();
  std::vector<std::string> args;
  std::istringstream words(Fill(c.args));
  for (std::string word; words >> word;) args.push_back(word);

  const CliResult r = target_.Run(args);
  EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
  EXPECT_NE(r.err, "");
  EXPECT_TRUE(Contains(r.err, Fill(c.names))) << r.err;
  EXPECT_EQ(target_.Snapshot(), before);
  EXPECT_FALSE(Exists(backup_.sub("new")));  // no backup root made
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliBadInputTest,
    ::testing::Values(
        BadCase{"MissingSet", "convert $SET/missing --from ie --to chrome", 1,
                "$SET/missing"},
        BadCase{"RestoreIntoBadPlaces", "restore $SET --to firefox", 1,
                "$PLACES", "$PLACES", "no database"},
        BadCase{"BackupOfBadPlaces", "backup $SET/new --firefox", 1, "$PLACES",
                "$PLACES", "no database"},
        BadCase{"BackupOfDeepChrome", "backup $SET/new --chrome", 1, "$CHROME",
                "$CHROME", kDeepChrome.c_str()},
        BadCase{"ConvertIntoBadChrome", "convert $SET --from ie --to chrome",
                1, "$CHROME", "$CHROME", "{\"roots\": {"},
        // A browser named but not found fails before any other is written.
        BadCase{"NamedBrowserMissing", "backup $SET/new --chrome --firefox", 1,
                "", "$PLACES"},
        BadCase{"NoChromePart", "restore $SET --to chrome", 1,
                "Bookmarks/Chrome", "$SET/Bookmarks/Chrome"},
        // A part whose backup was cut short (no completion mark).
        BadCase{"IncompletePart", "restore $SET --to firefox", 1,
                "Bookmarks/Firefox", "$SET/Bookmarks/Firefox/complete.mark"},
        // Refused before a byte is written: no spare copy is left either.
        BadCase{"IncompleteChromePart", "restore $SET --to chrome", 1,
                "Bookmarks/Chrome", "$SET/Bookmarks/Chrome/complete.mark"},
        BadCase{"NoFirefoxPart", "convert $SET --from firefox --to ie", 1,
                "Bookmarks/Firefox", "$SET/Bookmarks/Firefox"},
        // The Firefox part would be folded into the Favorites folder with
        // the rest; without its pos.ini the restore stops before it starts.
        BadCase{"FirefoxPartWithoutPositions", "restore $SET --to ie --all-parts",
                1, "Bookmarks/Firefox", "$SET/Bookmarks/Firefox/pos.ini"},
        BadCase{"UnknownProfile",
                "backup $SET/new --browser chrome --profile Play", 1, "Play"},
        BadCase{"SetIsAFile", "backup $SET/file", 1, "$SET/file", "$SET/file",
                "x"},
        // Room must be left for "/Bookmarks/Favorites" within 259 characters:
        // a root of 240 is too long.
        BadCase{"RootTooLong", "backup $LONG", 1, ""},
        BadCase{"NotBookmarkHtml", "import $SET/notes.html --to chrome", 1,
                "notes.html", "$SET/notes.html", "just some words, no list\n"},
        BadCase{"MissingHtml", "import $SET/none.html --to firefox", 1,
                "none.html"},
        BadCase{"MistypedCommand", "exprot x.html", 2, "export"},
        BadCase{"UnknownBrowser", "profiles --browser netscape", 2, ""},
        BadCase{"NoSubcommand", "", 2, ""},
        BadCase{"NoTarget", "restore $SET", 2, ""},
        BadCase{"UnknownTarget", "restore $SET --to opera", 2, ""},
        BadCase{"SameBrowserTwice", "convert $SET --from ie --to ie", 2, ""}),
    [](const ::testing::TestParamInfo<BadCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
}  // namespace test
}  // namespace marksafe
