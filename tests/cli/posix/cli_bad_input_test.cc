// Bad input and wrong usage: exit code 1 or 2, a message that says what is
// wrong, and nothing changed.
#include <gtest/gtest.h>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

class CliBadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_.FillIe();
    profile_.FillFirefox();
    profile_.FillChrome();
    ASSERT_EQ(profile_.Run({"backup", backup_.path()}).exit_code, 0);
    favorites_ = ListTree(profile_.favorites());
    places_ = ReadBytes(profile_.places());
    chrome_ = ReadBytes(profile_.chrome());
  }
  // Nothing of the profile changed, and no copy of Chrome's file was made.
  void ExpectProfileUnchanged() const {
    EXPECT_EQ(ListTree(profile_.favorites()), favorites_);
    EXPECT_EQ(ReadBytes(profile_.places()), places_);
    EXPECT_EQ(ReadBytes(profile_.chrome()), chrome_);
    EXPECT_FALSE(Exists(profile_.chrome() + "~"));
  }
  Profile profile_;
  TempDir backup_;
  std::vector<std::string> favorites_;
  std::string places_;
  std::string chrome_;
};

TEST_F(CliBadInputTest, BackupFolderThatDoesNotExist) {
  for (const char* to : {"ie", "firefox", "chrome"}) {
    const CliResult r =
        profile_.Run({"restore", backup_.sub("missing"), "--to", to});
    EXPECT_EQ(r.exit_code, 1) << to;
    EXPECT_TRUE(Contains(r.err, "the backup folder " + backup_.sub("missing") +
                                    " does not exist"))
        << r.err;
  }
  const CliResult r = profile_.Run(
      {"convert", backup_.sub("missing"), "--from", "ie", "--to", "chrome"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_FALSE(Exists(backup_.sub("missing")));
  ExpectProfileUnchanged();
}

TEST_F(CliBadInputTest, PlacesFileThatIsNotADatabase) {
  WriteBytes(profile_.places(), "this is no database, just text\n");
  places_ = ReadBytes(profile_.places());
  CliResult r = profile_.Run({"restore", backup_.path(), "--to", "firefox"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err, "restore into firefox: " + profile_.places() +
                                  " is not an SQLite database"))
      << r.err;
  r = profile_.Run({"backup", backup_.sub("new"), "--firefox"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_FALSE(Exists(backup_.sub("new")));
  ExpectProfileUnchanged();
}

TEST_F(CliBadInputTest, BookmarksFileThatIsNotJson) {
  WriteBytes(profile_.chrome(), "{\"roots\": {\"bookmark_bar\": ");
  chrome_ = ReadBytes(profile_.chrome());
  CliResult r = profile_.Run(
      {"convert", backup_.path(), "--from", "ie", "--to", "chrome"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(
      r.err, "convert ie to chrome: " + profile_.chrome() + " is not JSON"))
      << r.err;
  r = profile_.Run({"restore", backup_.path(), "--to", "chrome"});
  EXPECT_EQ(r.exit_code, 1);
  ExpectProfileUnchanged();
}

TEST_F(CliBadInputTest, BrowserPartMissingFromTheSet) {
  TempDir only_ie;
  ASSERT_EQ(profile_.Run({"backup", only_ie.path(), "--ie"}).exit_code, 0);
  CliResult r = profile_.Run({"restore", only_ie.path(), "--to", "chrome"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err,
                       "has no Chrome part (Bookmarks/Chrome); to "
                       "bring its Internet Explorer part over use: "
                       "marksafe convert DIR --from ie --to chrome"))
      << r.err;
  r = profile_.Run(
      {"convert", only_ie.path(), "--from", "firefox", "--to", "ie"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err, "has no Firefox part (Bookmarks/Firefox)"));
  ExpectProfileUnchanged();
}

TEST_F(CliBadInputTest, PartWithoutItsPositionFile) {
  // The Firefox part would be folded into the Favorites folder with the
  // rest; without its pos.ini the restore stops before it starts.
  std::remove(backup_.sub("Bookmarks/Firefox/pos.ini").c_str());
  const CliResult r = profile_.Run({"restore", backup_.path(), "--to", "ie"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err, "Bookmarks/Firefox has no pos.ini")) << r.err;
  ExpectProfileUnchanged();
}

TEST_F(CliBadInputTest, WrongUsageGivesExitCodeTwo) {
  const std::vector<std::vector<std::string>> usages = {
      {},
      {"frobnicate"},
      {"restore", backup_.path()},
      {"restore", backup_.path(), "--to", "opera"},
      {"restore", "--to", "ie"},
      {"convert", backup_.path(), "--from", "ie", "--to", "ie"},
      {"backup", backup_.path(), "--no-such-option"},
  };
  for (const auto& args : usages) {
    const CliResult r = profile_.Run(args);
    EXPECT_EQ(r.exit_code, 2) << ::testing::PrintToString(args) << r.err;
    EXPECT_FALSE(r.err.empty());
  }
  ExpectProfileUnchanged();
}

TEST_F(CliBadInputTest, BackupRootThatCannotHoldASet) {
  WriteBytes(backup_.sub("file"), "x");
  CliResult r = profile_.Run({"backup", backup_.sub("file")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err, "exists and is not a folder"));

  // Room must be left for "/Bookmarks/Favorites" within 259 characters.
  const std::string deep = backup_.sub(std::string(240, 'd'));
  r = profile_.Run({"backup", deep});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err, "backup: the backup folder path is too long"))
      << r.err;
  EXPECT_FALSE(Exists(deep));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
