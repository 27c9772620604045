// A damaged store is refused before anything is written to it: a
// places.sqlite whose pages fail SQLite's quick_check.
#include <sqlite3.h>

#include <string>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

void Exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message),
            SQLITE_OK)
      << (message != nullptr ? message : "?");
}

// A places.sqlite of today's layout with enough links to fill many pages.
void MakeStore(const std::string& path) {
  std::string here = __FILE__;
  here = here.substr(0, here.rfind('/'));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  Exec(db, "PRAGMA page_size = 4096;");
  Exec(db, ReadBytes(here + "/../data/firefox/places-today.sql"));
  Exec(db, "BEGIN;");
  for (int i = 0; i < 3000; ++i) {
    Exec(db, "INSERT INTO moz_places (url, title) VALUES "
             "('https://example.com/page/" + std::to_string(i) +
             "/padding-padding-padding-padding', 'Page " +
             std::to_string(i) + "');");
  }
  Exec(db, "COMMIT;");
  sqlite3_close(db);
}

TEST(DamagedStore, PlacesFailingItsCheckIsNeverWritten) {
  TempDir dir;
  const std::string places = dir.sub("profile/places.sqlite");
  test::MakeDirs(dir.sub("profile"));
  MakeStore(places);
  WriteBytes(dir.sub("import/a.url"),
             "[InternetShortcut]\r\nURL=https://new.example/\r\n");

  // A page in the middle of the file overwritten: the file still opens,
  // its schema (page 1) still reads.
  std::string bytes = ReadBytes(places);
  ASSERT_GT(bytes.size(), 20u * 4096);
  for (size_t i = 10 * 4096; i < 11 * 4096; ++i) bytes[i] = '\x5A';
  WriteBytes(places, bytes);

  ms_places_handle handle = init_bookmark(test::Ms(dir.u16("profile/places.sqlite")));
  if (handle != nullptr) {
    EXPECT_FALSE(import_2_firefox(handle, test::Ms(dir.u16("import")),
                                  nullptr, 0));
    release_bookmark(handle);
    const std::string report = marksafe_last_report();
    EXPECT_NE(report.find("damaged"), std::string::npos) << report;
  }
  // Refused at open or at the write: the file is as it was.
  EXPECT_EQ(ReadBytes(places), bytes);
}

TEST(DamagedStore, WholePlacesIsStillWritten) {
  TempDir dir;
  const std::string places = dir.sub("profile/places.sqlite");
  test::MakeDirs(dir.sub("profile"));
  MakeStore(places);
  WriteBytes(dir.sub("import/a.url"),
             "[InternetShortcut]\r\nURL=https://new.example/\r\n");
  ms_places_handle handle = init_bookmark(test::Ms(dir.u16("profile/places.sqlite")));
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(import_2_firefox(handle, test::Ms(dir.u16("import")), nullptr, 0));
  release_bookmark(handle);
}

}  // namespace
}  // namespace marksafe
