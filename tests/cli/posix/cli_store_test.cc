// What the program does to the browsers' own files: read-only commands
// leave every byte of places.sqlite and its -wal as they were, and no
// copy behind; conversions
// report every link they leave behind, warn of every item the target cannot
// hold (no loss then) and add no empty root folder.
#include <cstdio>

#include "cli/posix/cli_harness.h"
#include "firefox/places_fixture.h"
#include "roundtrip/collection.h"

namespace marksafe {
namespace test {
namespace {

TEST(CliReadOnly, CommandsLeaveEveryByteOfTheStoreAndItsWal) {
  Profile profile(true);
  TempDir work;
  ASSERT_EQ(profile.Run({"backup", work.sub("set"), "--firefox"}).exit_code, 0);
  LeaveLinkInWal(profile.places(), 2, "https://wal.example/", "In the wal");
  WriteBytes(work.sub("new.html"),
             "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A "
             "HREF=\"https://new.example/\">New</A>\n</DL>\n");
  const std::string store = ReadBytes(profile.places());
  const std::string wal = ReadBytes(profile.places() + "-wal");
  const std::vector<std::vector<std::string>> commands = {
      {"status"},
      {"profiles"},
      {"export", work.sub("out.html")},
      {"verify", work.sub("set"), "--browser", "firefox"},
      {"import", work.sub("new.html"), "--to", "firefox", "--dry-run"},
      {"restore", work.sub("set"), "--to", "firefox", "--dry-run"}};
  // The private copy read instead goes with the read.
  const TempDir temp;
  for (const std::vector<std::string>& args : commands) {
    const CliResult r = profile.Run(args, {{"TMPDIR", temp.path()}});
    EXPECT_EQ(ReadBytes(profile.places()), store) << args[0] << r.err;
    EXPECT_EQ(ReadBytes(profile.places() + "-wal"), wal) << args[0];
    EXPECT_FALSE(Exists(profile.places() + "-shm")) << args[0];
    EXPECT_TRUE(ListTree(temp.path()).empty()) << args[0];
  }
  // What the -wal holds is read all the same, and counted: a restore that
  // adds nothing says so.
  EXPECT_TRUE(Contains(ReadBytes(work.sub("out.html")), "In the wal"));
  const CliResult restored =
      profile.Run({"restore", work.sub("set"), "--to", "firefox"});
  EXPECT_TRUE(Contains(Line(restored.out, "Firefox: links"),
                       "links 9 -> 9 (no change)"))
      << restored.out;
}

// Every link a conversion does not write is named with its reason, and
// the run ends in failure: a URL longer than the target keeps.
TEST(CliReports, ALinkLeftBehindIsNamedAndFailsTheRun) {
  struct Case {
    const char* from;
    const char* to;
    size_t url_units;
  };
  for (const Case& c : {Case{"chrome", "firefox", 70000},
                        Case{"firefox", "chrome", 3u << 20}}) {
    Profile profile(false);
    TempDir backup;
    const std::string url = "https://long.example/?" + std::string(c.url_units, 'q');
    if (std::string(c.from) == "chrome") {
      std::string text = ReadBytes(profile.chrome());
      text.replace(text.find("[ {"), 3,
                   "[{\"id\": \"40\", \"name\": \"Long one\", \"type\": \"url\", "
                   "\"url\": \"" + url + "\"}, {");
      WriteBytes(profile.chrome(), text);
    } else {
      PlacesDb(profile.places(), PlacesDb::Layout::kExisting)
          .AddLink(2, url, "Long one");
    }
    ASSERT_EQ(profile.Run({"backup", backup.path(), std::string("--") + c.from})
                  .exit_code,
              0);
    const CliResult r = profile.Run(
        {"convert", backup.path(), "--from", c.from, "--to", c.to});
    EXPECT_EQ(r.exit_code, 1) << c.to << r.out;
    EXPECT_TRUE(Contains(Line(r.err, "Long one"), "URL longer"))
        << c.to << r.err.substr(0, 300);
  }
}

// Firefox's realistic collection into Chrome: a warning names each item
// Chrome cannot hold, and nothing is lost. (The counts shown are the
// report's, checked in tests/roundtrip.)
TEST(CliReports, ConversionWarnsOfWhatTheTargetCannotHold) {
  Profile profile(false);
  TempDir backup;
  std::remove(profile.places().c_str());
  WritePlacesStore(FirefoxCollection(), profile.places());
  ASSERT_EQ(profile.Run({"backup", backup.path(), "--firefox"}).exit_code, 0);
  const CliResult r = profile.Run(
      {"convert", backup.path(), "--from", "firefox", "--to", "chrome"});
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

// Chrome into Firefox: an empty root brings no folder. (A title's blanks
// through a set of .url files alone are the interchange and part cases'.)
TEST(CliStores, ConversionAddsNoFolderForAnEmptyRoot) {
  Profile profile(false);
  TempDir backup;
  ASSERT_EQ(profile.Run({"backup", backup.path(), "--chrome"}).exit_code, 0);
  const CliResult r = profile.Run(
      {"convert", backup.path(), "--from", "chrome", "--to", "firefox"});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  PlacesDb places(profile.places(), PlacesDb::Layout::kExisting);
  EXPECT_EQ(places.Count("select id from moz_bookmarks where title like "
                         "'Mobile bookmarks'"),
            0);
  EXPECT_NE(places.Count("select id from moz_bookmarks where title = "
                         "'Made by Chromium'"),
            0);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
