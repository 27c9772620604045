// Profiles of several browsers in a made-up home folder: listing them, and
// pointing restore at one of them with --browser and --profile.
#include <unistd.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "cli/posix/cli_harness.h"
#include "roundtrip/collection.h"

namespace marksafe {
namespace test {
namespace {

class CliProfilesTest : public HomeTest {
 protected:
  void SetUp() override {
    // Chromium with two profiles: "Person 1" holds the bar link of a new
    // browser, "Work" (used last) has no Bookmarks file yet.
    WriteBytes(Chromium("Local State"),
               R"({"profile": {"last_used": "Profile 1", "info_cache": {
                   "Default": {"name": "Person 1"},
                   "Profile 1": {"name": "Work"}}}})");
    WriteBytes(Chromium("Default/Bookmarks"), ReadBytes(source_.chrome()));
    MakeDirs(Chromium("Profile 1"));
    // Brave, one profile, a copy of the same file.
    WriteBytes(Brave("Default/Bookmarks"), ReadBytes(source_.chrome()));
    // Firefox, one profile named in profiles.ini.
    WriteBytes(home_.sub(".mozilla/firefox/profiles.ini"),
               "[Profile0]\nName=default-release\nIsRelative=1\n"
               "Path=abc.default-release\nDefault=1\n");
    WriteBytes(home_.sub(".mozilla/firefox/abc.default-release/places.sqlite"),
               ReadBytes(source_.places()));
    // A backup set of a full profile, to restore from.
    ASSERT_EQ(source_.Run({"backup", backup_.path()}).exit_code, 0);
  }
  // The row of the profiles table that names the profile.
  static std::string Row(const std::string& out, const std::string& name) {
    return Line(out, " " + name + " ");
  }

  Profile source_{true};
  TempDir backup_;
};

// (A profile folder outside the browser's own is the library's test.)
TEST_F(CliProfilesTest, ListsEveryProfileWithDefaultAndCounts) {
  const CliResult r = Run({"profiles"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string person = Row(r.out, "Person 1");
  const std::string work = Row(r.out, "Work");
  EXPECT_TRUE(Contains(person, "Chromium")) << person;
  // Work was used last: it is the default; it has no bookmarks yet.
  EXPECT_TRUE(Contains(work, " yes ")) << work;
  EXPECT_TRUE(Contains(work, "none yet")) << work;
  EXPECT_TRUE(Contains(person, " 4 ")) << person;  // four links in the file
  EXPECT_TRUE(Contains(r.out, "Brave")) << r.out;
  EXPECT_TRUE(Contains(Row(r.out, "default-release"), "Firefox")) << r.out;

  // A filter by browser lists only that browser's profiles.
  const CliResult brave = Run({"profiles", "--browser", "brave"});
  ASSERT_EQ(brave.exit_code, 0) << brave.err;
  EXPECT_FALSE(Contains(brave.out, "Chromium")) << brave.out;
  EXPECT_TRUE(Contains(brave.out, "Brave")) << brave.out;
}

TEST_F(CliProfilesTest, RestoresIntoAProfileThatHadNoBookmarksFile) {
  const CliResult r = Run(
      {"restore", backup_.path(), "--to", "chromium", "--profile", "Work"});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  // The file is made as the browser makes it, then filled.
  const std::string text = ReadBytes(Chromium("Profile 1/Bookmarks"));
  EXPECT_TRUE(Contains(text, "\"checksum\"")) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex(R"("version"\s*:\s*1\b)")))
      << text;
  EXPECT_TRUE(Contains(text, "https://report.example.ru/")) << text;
  // The other profile of the installation is left alone.
  EXPECT_EQ(ReadBytes(Chromium("Default/Bookmarks")),
            ReadBytes(source_.chrome()));
  // A repeat adds nothing.
  ASSERT_EQ(Run({"restore", backup_.path(), "--browser", "Chromium",
                 "--profile", "Work"})
                .exit_code,
            0);
  const CliResult listed = Run({"profiles", "--browser", "chromium"});
  EXPECT_TRUE(Contains(Row(listed.out, "Work"), " 4 ")) << listed.out;
}

TEST_F(CliProfilesTest, ARunningChromiumBlocksOnlyItsOwnProfiles) {
  LockChromium(Chromium(""), getpid());
  const CliResult listed = Run({"profiles"});
  ASSERT_EQ(listed.exit_code, 0) << listed.err;
  EXPECT_TRUE(Contains(Row(listed.out, "Person 1"), " yes ")) << listed.out;

  const std::string before = ReadBytes(Chromium("Default/Bookmarks"));
  const CliResult blocked = Run({"restore", backup_.path(), "--to", "chromium",
                                 "--profile", "Person 1"});
  EXPECT_EQ(blocked.exit_code, 1);
  EXPECT_TRUE(Contains(blocked.err, "Person 1")) << blocked.err;
  EXPECT_EQ(ReadBytes(Chromium("Default/Bookmarks")), before);
  // Brave is another installation: a running Chromium does not hold it.
  // (Into a store it adds to, journaled, for the undo below.)
  WriteChromeStore(LinkTree("https://brave.example/", 2),
                   Brave("Default/Bookmarks"));
  const std::map<std::string, std::string> journaled = {
      {"HOME", home_.path()},
      {"MARKSAFE_JOURNAL", "on"},
      {"XDG_STATE_HOME", home_.sub("state")}};
  const CliResult brave =
      RunCli({"restore", backup_.path(), "--to", "brave"}, journaled);
  EXPECT_EQ(brave.exit_code, 0) << brave.err;

  // A running Brave (a program of that name holding Brave's folder) is
  // closed on request, not a Chrome or Chromium, and the restore goes on.
  const FakeBrowser running(home_.path(), "brave");
  LockChromium(Brave(""), running.pid());
  const std::string brave_before = ReadBytes(Brave("Default/Bookmarks"));
  EXPECT_EQ(Run({"restore", backup_.path(), "--to", "brave"}).exit_code, 1);
  EXPECT_EQ(ReadBytes(Brave("Default/Bookmarks")), brave_before);
  const CliResult closed = Run(
      {"restore", backup_.path(), "--to", "brave", "--close-browsers"});
  EXPECT_EQ(closed.exit_code, 0) << closed.err;
  EXPECT_TRUE(running.Ended());

  // The same for an undo of the restore into Brave.
  const FakeBrowser again(home_.path(), "brave");
  std::filesystem::remove(Brave("SingletonLock"));
  LockChromium(Brave(""), again.pid());
  EXPECT_EQ(RunCli({"undo", "--last"}, journaled).exit_code, 1);
  EXPECT_EQ(ReadBytes(Brave("Default/Bookmarks")), brave_before);
  const CliResult undone =
      RunCli({"undo", "--last", "--close-browsers"}, journaled);
  EXPECT_EQ(undone.exit_code, 0) << undone.err;
  EXPECT_TRUE(again.Ended());
  EXPECT_TRUE(Contains(undone.out, "Removed")) << undone.out;
  EXPECT_NE(ReadBytes(Brave("Default/Bookmarks")), brave_before);
}

// A Firefox "lock" link left by a clean quit (its pid now another
// process's) holds nothing, the same in "profiles", "status" and a backup.
// (Whether a lock holds is the platform's test.)
TEST_F(CliProfilesTest, StaleFirefoxLockGivesOneAnswerEverywhere) {
  const std::string profile = home_.sub(".mozilla/firefox/abc.default-release");
  std::filesystem::create_symlink("127.0.0.1:+" + std::to_string(getpid()),
                                  profile + "/lock");
  // The n-th word of a table row.
  const auto word = [](const std::string& line, size_t n) {
    std::istringstream in(line);
    std::string each;
    for (size_t i = 0; i <= n && (in >> each);) ++i;
    return each;
  };
  const CliResult listed = Run({"profiles", "--browser", "firefox"});
  EXPECT_EQ(word(Row(listed.out, "default-release"), 4), "no") << listed.out;
  const CliResult status = Run({"status"});
  EXPECT_EQ(word(Line(status.out, "Firefox "), 2), "no") << status.out;
  const CliResult backup = Run({"backup", home_.sub("set"), "--firefox"});
  EXPECT_EQ(backup.exit_code, 0) << backup.err;
}

// Plain commands, --browser and the profile list agree on the last-used
// profile; a profile's folder names it too.
TEST_F(CliProfilesTest, EveryCommandTakesTheSameProfile) {
  WriteBytes(Chromium("Profile 1/Bookmarks"), ReadBytes(source_.chrome()));
  const std::string work = Chromium("Profile 1/Bookmarks");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{
           {"status"},
           {"status", "--browser", "chromium"},
           {"status", "--browser", "CHROMIUM", "--profile",
            Chromium("Default/../Profile 1/")}}) {
    SCOPED_TRACE(args.back());
    const CliResult r = Run(args);
    EXPECT_TRUE(Contains(Line(r.out, "Chrome "), work)) << r.out << r.err;
  }
  EXPECT_TRUE(Contains(Row(Run({"profiles"}).out, "Work"), " yes "));
}

// A Chromium started on a folder of its own (--user-data-dir): its profile
// is named by its folder or its file, under any name of the family, and is
// not written while a browser holds that folder.
TEST_F(CliProfilesTest, AProfileInAFolderOfItsOwn) {
  TempDir own;
  WriteBytes(own.sub("Local State"), "{}");
  WriteBytes(own.sub("Default/Preferences"), "{}");
  const std::string file = own.sub("Default/Bookmarks");
  for (const std::vector<std::string>& names :
       std::vector<std::vector<std::string>>{
           {"--to", "chromium", "--chrome-bookmarks", file},
           {"--to", "Chrome", "--profile", own.sub("Default")},
           {"--to", "chromium", "--profile", file}}) {
    SCOPED_TRACE(names.back());
    std::filesystem::remove(file);
    std::vector<std::string> args = {"restore", backup_.path()};
    args.insert(args.end(), names.begin(), names.end());
    const CliResult r = Run(args);
    EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
    EXPECT_TRUE(Contains(ReadBytes(file), "https://report.example.ru/"));
  }
  LockChromium(own.path(), getpid());
  WriteBytes(file, ReadBytes(Chromium("Default/Bookmarks")));
  for (const std::string flag : {"--chrome-bookmarks", "--profile"}) {
    SCOPED_TRACE(flag);
    const CliResult r =
        Run({"restore", backup_.path(), "--to", "chromium", flag,
             flag == "--profile" ? own.sub("Default") : file});
    EXPECT_EQ(r.exit_code, 1) << r.out;
    EXPECT_TRUE(Contains(r.err, "running")) << r.err;
    EXPECT_EQ(ReadBytes(file), ReadBytes(Chromium("Default/Bookmarks")));
  }
}

// A Firefox profile never started has no places.sqlite: the failure says
// to start Firefox once, and nothing is written.
TEST_F(CliProfilesTest, NeverStartedFirefoxProfileGetsAHint) {
  std::filesystem::remove(
      home_.sub(".mozilla/firefox/abc.default-release/places.sqlite"));
  const CliResult r = Run({"restore", backup_.path(), "--to", "firefox"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(r.err, "start Firefox")) << r.err;
  EXPECT_FALSE(
      Exists(home_.sub(".mozilla/firefox/abc.default-release/places.sqlite")));
}

// A Flatpak or Snap install is the only browser of its family: plain
// commands, and the family's key, find the profile it opens (the library's
// own search for a store covers native installs only).
TEST(CliDefaults, PlainCommandsFindAnyInstallOfTheFamily) {
  Profile source(true);
  struct Case {
    const char* store;  // below the home folder
    bool firefox;
  } cases[] = {
      {".var/app/org.mozilla.firefox/.mozilla/firefox/p/places.sqlite", true},
      {"snap/chromium/common/chromium/Default/Bookmarks", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.store);
    TempDir home;
    const std::string store = home.sub(c.store);
    WriteBytes(store, ReadBytes(c.firefox ? source.places() : source.chrome()));
    if (c.firefox) {
      WriteBytes(store.substr(0, store.rfind("/p/")) + "/profiles.ini",
                 "[Profile0]\nName=main\nIsRelative=1\nPath=p\n"
                 "Default=1\n");
    }
    const std::map<std::string, std::string> env = {{"HOME", home.path()}};
    const CliResult status = RunCli({"status"}, env);
    EXPECT_TRUE(Contains(status.out, store)) << status.out << status.err;
    const CliResult backup = RunCli({"backup", home.sub("set")}, env);
    EXPECT_EQ(backup.exit_code, 0) << backup.out << backup.err;
    const CliResult named =
        RunCli({"status", "--browser", c.firefox ? "Firefox" : "chrome"}, env);
    EXPECT_TRUE(Contains(named.out, store)) << named.out << named.err;
  }
}

}  // namespace
}  // namespace test
}  // namespace marksafe
