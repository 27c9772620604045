// The bookmark backups a browser keeps by itself in a profile folder:
// Firefox's bookmarkbackups/bookmarks-YYYY-MM-DD[_N][_HASH].jsonlz4 (or
// .json), one a day and up to browser.bookmarks.max_backups of them, and
// Chromium's one earlier copy of its file, Bookmarks.bak.
#ifndef MARKSAFE_STORES_FIREFOX_JSON_BACKUP_LISTING_H_
#define MARKSAFE_STORES_FIREFOX_JSON_BACKUP_LISTING_H_

#include <cstdint>
#include <string>
#include <vector>

namespace marksafe {
namespace firefox_json {

struct BrowserBackup {
  std::u16string file;  // the path
  std::u16string name;
  bool firefox = true;  // false: Chromium's Bookmarks.bak
  std::string date;     // "YYYY-MM-DD"
  int64_t time = 0;     // seconds since 1970
};

// The date ("YYYY-MM-DD") a Firefox backup's file name gives; false when
// the name is no Firefox backup's (letter case of the prefix and
// extension ignored, as Firefox ignores it).
bool FirefoxBackupDate(const std::u16string& name, std::string* date);

// "YYYY-MM-DD" of the UTC day the time (seconds since 1970) falls on, and
// back (the day's start); false for a text that is no valid date.
std::string DateOfTime(int64_t seconds);
bool TimeOfDate(const std::string& date, int64_t* seconds);

// Every backup in the profile folder, oldest first: by date, then time,
// then name. A Firefox backup's time is its last write when that lies
// within a day of its date, else the start of its date; Bookmarks.bak's
// date is that of its last write. Only regular files are listed (never a
// link, even one to a file).
std::vector<BrowserBackup> ListBrowserBackups(const std::u16string& profile_folder);

}  // namespace firefox_json
}  // namespace marksafe

#endif  // MARKSAFE_STORES_FIREFOX_JSON_BACKUP_LISTING_H_
