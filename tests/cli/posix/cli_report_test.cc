// What the program says a conversion did: a warning for every item the
// target cannot hold, and no loss reported for them. (The counts it shows
// are the report's, checked in tests/roundtrip.)
#include <filesystem>

#include "cli/posix/cli_harness.h"
#include "roundtrip/collection.h"

namespace marksafe {
namespace test {
namespace {

// A profile whose Firefox holds the realistic collection.
class CliReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(profile_.places());
    WritePlacesStore(FirefoxCollection(), profile_.places());
  }
  Profile profile_{false};
  TempDir backup_;
};

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
