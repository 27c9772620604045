// Against the real browser, where Debian's firefox-esr is installed (never
// installed by the tests): Firefox makes a fresh profile, the library
// restores into its store, and Firefox opens the store again. Firefox must
// keep the store (a store it cannot use is renamed places.sqlite.corrupt and
// replaced by an empty one) and every bookmark the library wrote, with its
// tags, keyword and dates.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "firefox/places_fixture.h"
#include "marksafe/marksafe.h"
#include "stores/firefox_json/firefox_json_reader.h"
#include "stores/firefox_json/firefox_json_writer.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

const char kFirefox[] = "/usr/bin/firefox-esr";

// What the library wrote: the rows after the last one Firefox made.
std::string Written(const std::string& last_id) {
  return "select b.guid, b.title, p.url, p.foreign_count, b.dateAdded > 0 "
         "from moz_bookmarks b left join moz_places p on b.fk = p.id where "
         "b.id > " +
         last_id + " order by b.id";
}

// Runs Firefox headless on the profile until it has loaded a page and shut
// down cleanly (its screenshot mode). False when it did not end in time.
bool RunFirefox(const test::TempDir& dir) {
  pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", dir.sub("home").c_str(), 1);
    // A visit to a local page makes Firefox open its places store.
    execl(kFirefox, "firefox-esr", "--headless", "--no-remote", "--profile",
          dir.sub("profile").c_str(), "--screenshot",
          dir.sub("shot.png").c_str(),
          ("file://" + dir.sub("page.html")).c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 1200; ++i) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      // Its profile lock ends with it; its content processes, which end a
      // moment later, hold none.
      return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return false;
}

TEST(FirefoxEsrInterop, FirefoxKeepsWhatWasRestoredIntoItsStore) {
  if (access(kFirefox, X_OK) != 0) GTEST_SKIP() << "firefox-esr is absent";
  test::TempDir dir;
  test::MakeDirs(dir.sub("home"));
  test::MakeDirs(dir.sub("profile"));
  test::WriteBytes(dir.sub("page.html"), "<p>marksafe</p>");
  ASSERT_TRUE(RunFirefox(dir)) << "Firefox did not make its profile";
  const std::string places = dir.sub("profile/places.sqlite");

  test::WriteUrlFile(dir.sub("src/Upper.url"), "HTTP://Example.COM/Upper");
  test::WriteUrlFile(dir.sub("src/Sub/Cafe.url"),
                     "https://caf\xC3\xA9.example/a b");
  test::WriteUrlFile(dir.sub("src/About.url"),
                     "https://www.mozilla.org/about/");
  const std::string last_id =
      test::PlacesDb(places, test::PlacesDb::Layout::kExisting)
          .Value("select max(id) from moz_bookmarks");
  {
    test::ScopedHandle handle(places);
    ASSERT_TRUE(import_2_firefox(handle.get(), test::Ms(dir.u16("src")),
                                 test::Ms(u"From marksafe"), 0));
  }
  const std::vector<std::string> written =
      test::PlacesDb(places, test::PlacesDb::Layout::kExisting)
          .Rows(Written(last_id));
  ASSERT_EQ(written.size(), 5u);

  ASSERT_TRUE(RunFirefox(dir)) << "Firefox did not open the store again";
  EXPECT_FALSE(test::Exists(places + ".corrupt"));
  {
    // Closed before Firefox runs again: a connection kept open across
    // Firefox's own use of the store reads a stale view of its -wal.
    test::PlacesDb db(places, test::PlacesDb::Layout::kExisting);
    EXPECT_EQ(db.Value("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(db.Rows(Written(last_id)), written);
    EXPECT_EQ(db.Count("select * from moz_places where url in "
                       "('http://example.com/Upper', "
                       "'https://xn--caf-dma.example/a%20b')"),
              2);
  }

  // A whole backup (every root, separators, tags, a keyword, dates) restored
  // into Firefox's store is what Firefox still holds after it ran.
  test::PlacesDb rich(dir.sub("rich/places.sqlite"),
                      test::PlacesDb::Layout::kToday);
  test::FillRichStore(&rich);
  test::MakeDirs(dir.sub("set"));
  {
    test::ScopedHandle handle(rich.path());
    ASSERT_TRUE(backup_firefox(handle.get(), test::Ms(dir.u16("set")), true, 0,
                               0));
  }
  {
    test::ScopedHandle handle(places);
    int32_t progress = 0;
    ASSERT_TRUE(restore_firefox_pro(handle.get(), test::Ms(dir.u16("set")),
                                    true, 0, 0, 0, 0, &progress));
  }
  model::Tree restored;
  ASSERT_TRUE(test::ReadStore(places, &restored));
  ASSERT_TRUE(RunFirefox(dir)) << "Firefox did not open the store again";
  EXPECT_FALSE(test::Exists(places + ".corrupt"));
  model::Tree kept;
  ASSERT_TRUE(test::ReadStore(places, &kept));
  EXPECT_EQ(test::TreeLines(kept), test::TreeLines(restored));
  test::PlacesDb db(places, test::PlacesDb::Layout::kExisting);
  EXPECT_EQ(db.Value("select p.url from moz_keywords k join moz_places p on "
                     "k.place_id = p.id where k.keyword = 'tg'"),
            "https://tagged.example/");
}

// A backup the writer made, left where Firefox keeps its own backups in a
// profile that has no store yet, is what Firefox restores its bookmarks
// from at start: every item of every root, with tags, keyword and dates.
// The lines of one tree that the other lacks, each marked with its side.
std::vector<std::string> Differences(const std::vector<std::string>& got,
                                     const std::vector<std::string>& want) {
  std::vector<std::string> out;
  std::multiset<std::string> a(got.begin(), got.end()),
      b(want.begin(), want.end());
  for (const std::string& line : a) {
    if (b.count(line) < a.count(line)) out.push_back("+ " + line);
  }
  for (const std::string& line : b) {
    if (a.count(line) < b.count(line)) out.push_back("- " + line);
  }
  return out;
}

TEST(FirefoxEsrInterop, FirefoxRestoresTheBackupWritten) {
  if (access(kFirefox, X_OK) != 0) GTEST_SKIP() << "firefox-esr is absent";
  test::TempDir rich_dir;
  test::PlacesDb rich(rich_dir.sub("places.sqlite"),
                      test::PlacesDb::Layout::kToday);
  test::FillRichStore(&rich);
  model::Tree tree;
  ASSERT_TRUE(test::ReadStore(rich.path(), &tree));
  const std::string backup = firefox_json::EncodeJsonLz4(
      firefox_json::WriteFirefoxBackup(tree, model::Now()));
  // Firefox imports the backup while it starts a new profile. On a busy
  // machine the screenshot run has been seen to end before it did, so a
  // fresh profile is tried again before the result counts.
  std::vector<std::string> restored_lines;
  for (int attempt = 0; attempt < 3; ++attempt) {
    test::TempDir dir;
    test::MakeDirs(dir.sub("home"));
    test::WriteBytes(dir.sub("page.html"), "<p>marksafe</p>");
    test::WriteBytes(
        dir.sub("profile/bookmarkbackups/bookmarks-2026-12-01_9.jsonlz4"),
        backup);
    ASSERT_TRUE(RunFirefox(dir)) << "Firefox did not start on the profile";
    model::Tree restored;
    ASSERT_TRUE(test::ReadStore(dir.sub("profile/places.sqlite"), &restored));
    restored_lines = test::TreeLines(restored);
    if (restored_lines == test::TreeLines(tree)) return;
  }
  EXPECT_EQ(restored_lines, test::TreeLines(tree))
      << ::testing::PrintToString(
             Differences(restored_lines, test::TreeLines(tree)));
}

}  // namespace
}  // namespace marksafe
