// What the program does to the browsers' own files: read-only commands
// leave every byte of places.sqlite and its -wal as they were; conversions
// report every link they leave behind, add no empty root folder and keep
// titles whole; a Chrome file nested too deep is named with the step.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

// Adds a link to the menu and leaves it in the -wal, as a Firefox that was
// stopped before it moved its writes into the database leaves them.
void LeaveWritesInWal(const std::string& places) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(places.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "PRAGMA wal_autocheckpoint=0;"
                         "INSERT INTO moz_places (id, url, title) VALUES "
                         "(90, 'https://wal.example/', 'In the wal');"
                         "INSERT INTO moz_bookmarks (id, type, fk, parent, "
                         "position, title) VALUES (90, 1, 90, 2, 9, "
                         "'In the wal');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  // Closing would move the writes into the database: keep the files as
  // they are now.
  const std::string store = ReadBytes(places);
  const std::string wal = ReadBytes(places + "-wal");
  sqlite3_close(db);
  WriteBytes(places, store);
  WriteBytes(places + "-wal", wal);
  std::remove((places + "-shm").c_str());
  ASSERT_FALSE(wal.empty());
}

std::string PlacesValue(const std::string& places, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
  std::string value;
  if (sqlite3_open(places.c_str(), &db) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0)) {
    value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return value;
}

TEST(CliReadOnly, CommandsLeaveEveryByteOfTheStoreAndItsWal) {
  Profile profile(true);
  TempDir work;
  ASSERT_EQ(profile.Run({"backup", work.sub("set"), "--firefox"}).exit_code, 0);
  LeaveWritesInWal(profile.places());
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
  for (const std::vector<std::string>& args : commands) {
    const CliResult r = profile.Run(args);
    EXPECT_EQ(ReadBytes(profile.places()), store) << args[0] << r.err;
    EXPECT_EQ(ReadBytes(profile.places() + "-wal"), wal) << args[0];
    EXPECT_FALSE(Exists(profile.places() + "-shm")) << args[0];
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
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open(profile.places().c_str(), &db), SQLITE_OK);
      const std::string sql =
          "INSERT INTO moz_places (id, url, title) VALUES (90, '" + url +
          "', 'Long one'); INSERT INTO moz_bookmarks (id, type, fk, parent, "
          "position, title) VALUES (90, 1, 90, 2, 9, 'Long one');";
      ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr),
                SQLITE_OK);
      sqlite3_close(db);
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

// Chrome into Firefox: an empty root brings no folder, and a title's blanks
// survive a backup set that has only its .url files.
TEST(CliStores, ConversionsKeepWhatThePersonHasAndAddNothingElse) {
  Profile profile(false);
  TempDir backup;
  std::string text = ReadBytes(profile.chrome());
  text.replace(text.find("[ {"), 3,
               R"([{"id": "40", "name": "  pad|ded?  ", "type": "url",
                    "url": "https://pad.example/"}, {)");
  WriteBytes(profile.chrome(), text);
  ASSERT_EQ(profile.Run({"backup", backup.path(), "--chrome"}).exit_code, 0);
  // A set written before parts had a manifest: the .url files alone.
  const std::string part = backup.sub("Bookmarks/Chrome");
  std::remove((part + "/manifest.json").c_str());
  std::remove((part + "/complete.mark").c_str());
  const CliResult r = profile.Run(
      {"convert", backup.path(), "--from", "chrome", "--to", "firefox"});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_EQ(PlacesValue(profile.places(),
                        "select count(*) from moz_bookmarks where title = "
                        "'  pad|ded?  '"),
            "1");
  EXPECT_EQ(PlacesValue(profile.places(),
                        "select count(*) from moz_bookmarks where title like "
                        "'Mobile bookmarks'"),
            "0");
}

TEST(CliStores, AChromeFileNestedTooDeepIsNamedWithTheStep) {
  Profile profile(false);
  TempDir backup;
  WriteBytes(profile.chrome(), R"({"roots": {"bookmark_bar": )" +
                                   std::string(5000, '[') +
                                   std::string(5000, ']') + "}}");
  const CliResult r = profile.Run({"backup", backup.path(), "--chrome"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(Contains(Line(r.err, profile.chrome()), "backup")) << r.err;
  EXPECT_FALSE(Contains(r.err, "unexpected")) << r.err;
}

}  // namespace
}  // namespace test
}  // namespace marksafe
