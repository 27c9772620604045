// A backup set holds a part per browser profile: backups of several
// profiles keep each its own part, a restore takes one part, the one it is
// told or the target's own, and a backup that fails says why in one line.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

namespace fs = std::filesystem;

class CliPartsTest : public HomeTest {
 protected:
  void SetUp() override {
    // Chromium: "Person 1" (Default) and "Work" (Profile 1); Brave: one
    // profile. Each holds one link of its own.
    WriteBytes(Chromium("Local State"),
               R"({"profile": {"last_used": "Default", "info_cache": {
                   "Default": {"name": "Person 1"},
                   "Profile 1": {"name": "Work"}}}})");
    WriteBytes(Chromium("Default/Bookmarks"), File("person.example"));
    WriteBytes(Chromium("Profile 1/Bookmarks"), File("work.example"));
    WriteBytes(Brave("Default/Bookmarks"), File("brave.example"));
  }
  static std::string File(const std::string& host) {
    std::string text = DataFile("chrome/bookmarks-today.json");
    text.replace(text.find("example.com"), 11, host);
    return text;
  }
  CliResult Run(std::vector<std::string> args) const {
    for (std::string& arg : args) {
      if (arg == "$SET") arg = set_.path();
    }
    return HomeTest::Run(args);
  }
  // Every part folder of the set, each with the one link it holds.
  std::multiset<std::string> Parts() const {
    std::multiset<std::string> parts;
    for (const auto& entry : fs::directory_iterator(set_.sub("Bookmarks"))) {
      for (const std::string& link : UrlFiles(entry.path().string())) {
        parts.insert(entry.path().filename().string() + ": " + link);
      }
    }
    return parts;
  }

  TempDir set_;
};

TEST_F(CliPartsTest, EachProfileKeepsItsOwnPart) {
  const std::vector<std::vector<std::string>> backups = {
      {"backup", "$SET", "--browser", "chromium"},
      {"backup", "$SET", "--browser", "brave"},
      {"backup", "$SET", "--browser", "chromium", "--profile", "Work"}};
  const std::multiset<std::string> expected = {
      "Chrome: Bookmarks bar/Made by Chromium -> https://person.example/made",
      "Brave - Default: Bookmarks bar/Made by Chromium -> "
      "https://brave.example/made",
      "Chromium - Work: Bookmarks bar/Made by Chromium -> "
      "https://work.example/made"};
  // Twice: a repeat replaces each part by its own profile's again.
  for (int round = 0; round < 2; ++round) {
    for (const auto& args : backups) {
      const CliResult r = Run(args);
      ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    }
    EXPECT_EQ(Parts(), expected);
  }
  const std::string manifest =
      ReadBytes(set_.sub("Bookmarks/Brave - Default/manifest.json"));
  EXPECT_TRUE(Contains(manifest, R"("browser":"brave")")) << manifest;
  EXPECT_TRUE(Contains(manifest, "Brave-Browser/Default\"")) << manifest;

  const CliResult status = Run({"status", "$SET"});
  ASSERT_EQ(status.exit_code, 0) << status.err;
  EXPECT_TRUE(Contains(Line(status.out, "Brave - Default"), "brave"))
      << status.out;
  EXPECT_TRUE(Contains(Line(status.out, "Bookmarks/Chrome "), "Person 1"))
      << status.out;
  const CliResult verify = Run({"verify", "$SET"});
  EXPECT_EQ(verify.exit_code, 0) << verify.out << verify.err;
  EXPECT_TRUE(Contains(verify.out, "Chromium - Work")) << verify.out;
}

// A file named by hand records no browser: when a backup of another file
// takes the slot, the part it held moves to a folder of the family's name.
TEST_F(CliPartsTest, NamedFilesKeepTheirPartsUnderTheFamilysName) {
  TempDir first, second;
  WriteBytes(first.sub("Bookmarks"), File("first.example"));
  WriteBytes(second.sub("Bookmarks"), File("second.example"));
  for (const TempDir* dir : {&first, &second}) {
    const CliResult r = Run({"backup", "$SET", "--chrome", "--chrome-bookmarks",
                             dir->sub("Bookmarks")});
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  }
  const std::string moved =
      "Chrome - " + fs::path(first.path()).filename().string();
  EXPECT_EQ(Parts(), (std::multiset<std::string>{
                         "Chrome: Bookmarks bar/Made by Chromium -> "
                         "https://second.example/made",
                         moved + ": Bookmarks bar/Made by Chromium -> "
                                 "https://first.example/made"}));
}

TEST_F(CliPartsTest, RestoreTakesOnePartAndSaysWhich) {
  for (const char* browser : {"chromium", "brave"}) {
    ASSERT_EQ(Run({"backup", "$SET", "--browser", browser}).exit_code, 0);
  }
  struct Case {
    std::vector<std::string> args;
    std::string store;  // the file restored into
    const char* arrives;  // the host whose link arrives; nullptr: failure
    const char* part;     // named on standard output
  };
  const std::vector<Case> cases = {
      // The target's own part.
      {{"--to", "brave"}, Brave("Default/Bookmarks"), "brave.example",
       "Brave - Default"},
      // Another browser's part, by name.
      {{"--to", "chromium", "--profile", "Work", "--from", "brave"},
       Chromium("Profile 1/Bookmarks"), "brave.example", "Brave - Default"},
      // No part of that profile: nothing is written.
      {{"--to", "chromium", "--from", "brave", "--from-profile", "Nobody"},
       Chromium("Default/Bookmarks"), nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + (c.args.size() > 2 ? c.args.back() : ""));
    WriteBytes(c.store, File("gone.example"));
    const std::string before = ReadBytes(c.store);
    std::vector<std::string> args = {"restore", "$SET"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliResult r = Run(args);
    if (c.arrives == nullptr) {
      EXPECT_EQ(r.exit_code, 1) << r.out;
      EXPECT_EQ(ReadBytes(c.store), before);
      continue;
    }
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    EXPECT_TRUE(Contains(Line(r.out, "Restored"), c.part)) << r.out;
    const std::string after = ReadBytes(c.store);
    EXPECT_TRUE(Contains(after, c.arrives)) << after;
    // Only that part: the slot's Person 1 link does not come along.
    EXPECT_FALSE(Contains(after, "person.example")) << after;
  }

  // A profile named "Default" outranks the one whose folder is "Default".
  WriteBytes(Chromium("Local State"),
             R"({"profile": {"info_cache": {"Default": {"name": "Person 1"},
                 "Profile 1": {"name": "Default"}}}})");
  WriteBytes(Chromium("Profile 1/Bookmarks"), File("work.example"));
  ASSERT_EQ(Run({"backup", "$SET", "--browser", "chromium", "--profile",
                 Chromium("Profile 1")})
                .exit_code,
            0);
  const CliResult named = Run({"restore", "$SET", "--to", "brave", "--from",
                               "chromium", "--from-profile", "Default"});
  ASSERT_EQ(named.exit_code, 0) << named.err;
  EXPECT_TRUE(Contains(ReadBytes(Brave("Default/Bookmarks")), "work.example"))
      << named.out;
}

// A disk that fills up during a backup: one line says so, in the system's
// own paths and without internal codes, and the previous part stays whole.
// Needs a small file system of its own (a private mount namespace).
TEST_F(CliPartsTest, FullDiskGivesOneLineAndKeepsThePreviousPart) {
  TempDir out;
  const std::string set = out.sub("set");
  MakeDirs(set);
  const std::string command =
      "unshare -m sh -c 'mount -t tmpfs -o size=256k tmpfs \"" + set +
      "\" || exit 99; M=\"" + std::string(MARKSAFE_CLI_PATH) +
      "\"; export HOME=\"" + home_.path() +
      "\"; \"$M\" backup \"" + set + "\" --browser brave >/dev/null || exit 98;"
      " find \"" + set + "/Bookmarks\" -type f | sort > \"" + out.sub("before") +
      "\"; dd if=/dev/zero of=\"" + set + "/fill\" bs=1k 2>/dev/null;"
      " \"$M\" backup \"" + set + "\" --browser brave >/dev/null 2>\"" +
      out.sub("err") + "\"; echo $? > \"" + out.sub("code") +
      "\"; find \"" + set + "/Bookmarks\" -type f | sort > \"" +
      out.sub("after") + "\"' 2>/dev/null";
  const int status = std::system(command.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 99 ||
      WEXITSTATUS(status) == 1) {
    GTEST_SKIP() << "no private mount of a small file system here";
  }
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadBytes(out.sub("code")), "1\n");
  const std::string err = ReadBytes(out.sub("err"));
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_TRUE(Contains(err, "disk full")) << err;
  EXPECT_TRUE(Contains(err, "intact")) << err;
  EXPECT_EQ(err.find_first_of("\\"), std::string::npos) << err;
  EXPECT_FALSE(Contains(err, "code")) << err;
  EXPECT_EQ(ReadBytes(out.sub("after")), ReadBytes(out.sub("before")));
}

}  // namespace
}  // namespace test
}  // namespace marksafe
