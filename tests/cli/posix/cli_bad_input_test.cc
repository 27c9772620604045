// Bad input and wrong usage: exit code 1 or 2, a message that says what is
// wrong, and nothing changed in the profile the command would have written.
#include <filesystem>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

struct BadCase {
  void (*spoil)(const Profile& target, const std::string& set);
  // "$SET", "$PLACES" and "$CHROME" stand for the backup set and the
  // target's files.
  std::vector<std::string> args;
  int exit_code;
  std::string message;  // a fragment of standard error
};

void NoSpoil(const Profile&, const std::string&) {}

class CliBadInputTest : public BackupSetTest,
                        public ::testing::WithParamInterface<BadCase> {
 protected:
  std::string Fill(std::string text) const {
    const std::pair<std::string, std::string> names[] = {
        {"$SET", backup_.path()},
        {"$PLACES", target_.places()},
        {"$CHROME", target_.chrome()}};
    for (const auto& [name, value] : names) {
      for (size_t at; (at = text.find(name)) != std::string::npos;) {
        text.replace(at, name.size(), value);
      }
    }
    return text;
  }
};

TEST_P(CliBadInputTest, FailsAndChangesNothing) {
  const BadCase& c = GetParam();
  c.spoil(target_, backup_.path());
  const auto favorites = ListTree(target_.favorites());
  const std::string places = ReadBytes(target_.places());
  const std::string chrome = ReadBytes(target_.chrome());
  std::vector<std::string> args;
  for (const std::string& arg : c.args) args.push_back(Fill(arg));

  const CliResult r = target_.Run(args);
  EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
  EXPECT_FALSE(r.err.empty());
  EXPECT_TRUE(Contains(r.err, Fill(c.message))) << r.err;
  EXPECT_EQ(ListTree(target_.favorites()), favorites);
  EXPECT_EQ(ReadBytes(target_.places()), places);
  EXPECT_EQ(ReadBytes(target_.chrome()), chrome);
  EXPECT_FALSE(Exists(target_.chrome() + "~"));
  EXPECT_FALSE(Exists(backup_.sub("new")));  // no backup root made
}

void BadPlaces(const Profile& p, const std::string&) {
  WriteBytes(p.places(), "this is no database, just text\n");
}
void BadChrome(const Profile& p, const std::string&) {
  WriteBytes(p.chrome(), "{\"roots\": {\"bookmark_bar\": ");
}
void OnlyIePart(const Profile&, const std::string& set) {
  std::filesystem::remove_all(set + "/Bookmarks/Chrome");
  std::filesystem::remove_all(set + "/Bookmarks/Firefox");
}
void NoPosIni(const Profile&, const std::string& set) {
  std::filesystem::remove(set + "/Bookmarks/Firefox/pos.ini");
}
void FileAsRoot(const Profile&, const std::string& set) {
  WriteBytes(set + "/file", "x");
}

const char kMissing[] = "the backup folder $SET/missing does not exist";

INSTANTIATE_TEST_SUITE_P(
    Cases, CliBadInputTest,
    ::testing::Values(
        BadCase{NoSpoil, {"restore", "$SET/missing", "--to", "ie"}, 1,
                kMissing},
        BadCase{NoSpoil, {"restore", "$SET/missing", "--to", "firefox"}, 1,
                kMissing},
        BadCase{NoSpoil, {"restore", "$SET/missing", "--to", "chrome"}, 1,
                kMissing},
        BadCase{NoSpoil,
                {"convert", "$SET/missing", "--from", "ie", "--to", "chrome"},
                1, kMissing},
        BadCase{BadPlaces, {"restore", "$SET", "--to", "firefox"}, 1,
                "restore into firefox: $PLACES is not an SQLite database"},
        BadCase{BadPlaces, {"backup", "$SET/new", "--firefox"}, 1, ""},
        BadCase{BadChrome,
                {"convert", "$SET", "--from", "ie", "--to", "chrome"}, 1,
                "convert ie to chrome: $CHROME is not JSON"},
        BadCase{BadChrome, {"restore", "$SET", "--to", "chrome"}, 1, ""},
        BadCase{OnlyIePart, {"restore", "$SET", "--to", "chrome"}, 1,
                "has no Chrome part (Bookmarks/Chrome); to bring its Internet "
                "Explorer part over use: marksafe convert DIR --from ie --to "
                "chrome"},
        BadCase{OnlyIePart,
                {"convert", "$SET", "--from", "firefox", "--to", "ie"}, 1,
                "has no Firefox part (Bookmarks/Firefox)"},
        // The Firefox part would be folded into the Favorites folder with
        // the rest; without its pos.ini the restore stops before it starts.
        BadCase{NoPosIni, {"restore", "$SET", "--to", "ie"}, 1,
                "Bookmarks/Firefox has no pos.ini"},
        BadCase{FileAsRoot, {"backup", "$SET/file"}, 1,
                "exists and is not a folder"},
        // Room must be left for "/Bookmarks/Favorites" within 259 characters.
        BadCase{NoSpoil, {"backup", "$SET/new/" + std::string(240, 'd')}, 1,
                "backup: the backup folder path is too long"},
        BadCase{NoSpoil, {}, 2, ""}, BadCase{NoSpoil, {"frobnicate"}, 2, ""},
        BadCase{NoSpoil, {"restore", "$SET"}, 2, ""},
        BadCase{NoSpoil, {"restore", "$SET", "--to", "opera"}, 2, ""},
        BadCase{NoSpoil, {"restore", "--to", "ie"}, 2, ""},
        BadCase{NoSpoil, {"convert", "$SET", "--from", "ie", "--to", "ie"}, 2,
                ""},
        BadCase{NoSpoil, {"backup", "$SET/new", "--no-such-option"}, 2, ""}));

}  // namespace
}  // namespace test
}  // namespace marksafe
