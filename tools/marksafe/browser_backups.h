// The backups a browser keeps by itself (Firefox's bookmarkbackups/, one a
// day; Chromium's Bookmarks.bak): history --browser lists them, and
// restore --from-browser merges one into any browser, through the same
// path as a restore of a backup set's part.
#ifndef MARKSAFE_TOOLS_MARKSAFE_BROWSER_BACKUPS_H_
#define MARKSAFE_TOOLS_MARKSAFE_BROWSER_BACKUPS_H_

#include <string>

#include "commands.h"

namespace marksafe_cli {

struct BrowserBackupOptions {
  CommonOptions common;      // the target of a restore
  std::string from_browser;  // a browser key
  std::string from_profile;  // a profile's name (default: the browser's own)
  std::string as_of;         // WHEN (the library reads it); empty: the latest
  Browser to = Browser::kFirefox;
  bool dry_run = false;
};

// Lists the backups of the profile: date, time, file, links and folders.
int RunBrowserHistory(const BrowserBackupOptions& options);

// Merges the backup as_of picks into options.to. A WHEN that picks none:
// exit 1, naming the oldest there is; nothing is written.
int RunRestoreFromBrowser(const BrowserBackupOptions& options);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_BROWSER_BACKUPS_H_
