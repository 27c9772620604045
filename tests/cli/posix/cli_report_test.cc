// What the program says a backup or conversion did, checked against the
// stores: per root what the source held and what was written, and a
// warning for every item the target cannot hold.
#include <filesystem>

#include "cli/posix/cli_harness.h"
#include "roundtrip/collection.h"

namespace marksafe {
namespace test {
namespace {

std::string Describe(const model::Counts& counts) {
  auto plural = [](int64_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  std::string text =
      plural(counts.links, "link") + ", " + plural(counts.folders, "folder");
  if (counts.separators != 0) {
    text += ", " + plural(counts.separators, "separator");
  }
  return text;
}

// A profile whose Firefox and Chrome hold the realistic collection.
class CliReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (is_firefox_running()) {
      GTEST_SKIP() << "a Firefox runs: the library leaves places stores alone";
    }
    std::filesystem::remove(profile_.places());
    WritePlacesStore(FirefoxCollection(), profile_.places());
    WriteChromeStore(ChromeCollection(), profile_.chrome());
  }
  Profile profile_{false};
  TempDir backup_;
};

TEST_F(CliReportTest, BackupShowsEveryRootWrittenAsTheSourceHeldIt) {
  const CliResult r =
      profile_.Run({"backup", backup_.path(), "--firefox", "--chrome"});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_TRUE(Contains(r.out, "\nDone.\n")) << r.out;
  EXPECT_FALSE(Contains(r.err, "warning")) << r.err;
  for (const model::Tree& tree : {ReadPlacesStore(profile_.places()),
                                  ReadChromeStore(profile_.chrome())}) {
    for (model::Root root : model::kAllRoots) {
      const model::ItemId folder = tree.root(root);
      if (folder == model::kNoItem) continue;
      const std::string counts = Describe(model::CountBelow(tree, folder));
      const std::string line = U8(tree.at(folder).title) + " (" +
                               model::RootKey(root) + "): source " + counts +
                               "; written " + counts + "\n";
      EXPECT_TRUE(Contains(r.out, line)) << line << r.out;
    }
  }
}

TEST_F(CliReportTest, ConversionWarnsOfWhatTheTargetCannotHold) {
  ASSERT_EQ(profile_.Run({"backup", backup_.path(), "--firefox"}).exit_code, 0);
  const CliResult r = profile_.Run(
      {"convert", backup_.path(), "--from", "firefox", "--to", "chrome"});
  // Chrome cannot hold them, so nothing was lost.
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_FALSE(Contains(r.out, "with losses")) << r.out;
  for (const char* item : {"Most visited <place:sort=8&maxResults=10>",
                           "Tagged <https://tagged.example/>",
                           "Bookmarks Menu/Projects/"}) {
    EXPECT_TRUE(Contains(Line(r.err, item), "warning")) << item << r.err;
  }
  EXPECT_TRUE(Contains(r.out, "not carried 1 link, 0 folders, 2 separators"))
      << r.out;
}

}  // namespace
}  // namespace test
}  // namespace marksafe
