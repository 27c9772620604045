// The commands of the program and the operations they share with the demo.
// Operations check everything they can before the first export that would
// change something, and throw Failure (errors.h) when a step fails.
#ifndef MARKSAFE_TOOLS_MARKSAFE_COMMANDS_H_
#define MARKSAFE_TOOLS_MARKSAFE_COMMANDS_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "browsers.h"
#include "library_report.h"

namespace marksafe_cli {

struct CommonOptions {
  DataOptions data;
  std::string profile;  // --profile: a profile's name, folder or store
  bool verbose = false;
  bool close_browsers = false;
};

// How many snapshots a backup keeps: the newest `last`, and the last of
// each of this many days, weeks and months.
struct RetentionOptions {
  int last = 10;
  int daily = 14;
  int weekly = 8;
  int monthly = 24;
};

struct BackupOptions {
  CommonOptions common;
  RetentionOptions keep;
  std::string dir;
  std::vector<Browser> browsers;  // empty: every browser whose data is found
};

// Which parts of a set a restore takes: by default the target's own (see
// ChooseRestorePart); all_parts takes the three slots as the library's
// combined restores do.
struct PartChoice {
  std::string from;          // --from: a browser key
  std::string from_profile;  // --from-profile: a profile's name
  bool all_parts = false;
  std::string as_of;  // --as-of WHEN: the part's snapshot instead
};

struct RestoreOptions {
  CommonOptions common;
  std::string dir;
  Browser to = Browser::kIe;
  PartChoice parts;
  bool dry_run = false;  // show what would be added, write nothing
};

struct ConvertOptions {
  CommonOptions common;
  std::string dir;
  Browser from = Browser::kIe;
  Browser to = Browser::kFirefox;
  bool dry_run = false;  // show what would be added, write nothing
  std::string as_of;     // --as-of WHEN: the part's snapshot instead
};

struct DemoOptions {
  std::string dir;  // empty: a new folder in the temporary folder
  bool verbose = false;
};

int RunStatus(const CommonOptions& options);
// The parts of the backup set under dir.
int RunSetStatus(const std::string& dir);
int RunBackup(const BackupOptions& options);
int RunRestore(const RestoreOptions& options);
int RunConvert(const ConvertOptions& options);
int RunDemo(const DemoOptions& options);

// What a restore or conversion did to the target browser: measured before
// and after, and as the library reports it.
struct Change {
  Counts before;
  Counts after;
  LibraryReport report;
  std::string parts;  // the parts read: "Bookmarks/Firefox", ...
};

// What a backup wrote: the part as measured afterwards, and the library's
// report.
struct BackupResult {
  Counts part;
  std::string part_name;           // "Bookmarks/Brave - Work"
  std::filesystem::path folder;    // where the part is
  LibraryReport report;
};

// Checks that the browser's data can be backed up (found, usable, not
// running), closing it first with close_browsers.
void CheckBackupSource(Browser browser, const CommonOptions& options);
// Writes the browser's part of the backup set under root and returns what
// the part holds afterwards. These three fail (after showing what the
// library reported) when the export fails; a report of lost items is left
// to the caller.
BackupResult BackupBrowser(Browser browser, const std::filesystem::path& root,
                           const CommonOptions& options);
Change RestoreInto(Browser target, const std::filesystem::path& root,
                   const CommonOptions& options, const PartChoice& choice);
// One part (of a set, or made from a browser's own backup) merged into
// target the way a restore of that part merges it.
struct SetPart;
Change RestorePartInto(Browser target, const SetPart& part,
                       const CommonOptions& options, const std::string& step);
Change ConvertPart(Browser from, Browser to, const std::filesystem::path& root,
                   const CommonOptions& options);
// A store the library reads whole (source, of a MARKSAFE_STORE_ kind: a
// browser's own backup, a snapshot) merged straight into target, Firefox or
// Chrome: as a restore into its own family, into an "Imported from ..."
// folder of another. A dry run runs it on RunDryRun's copy.
Change RestoreWhole(Browser target, const std::filesystem::path& source,
                    int32_t source_kind, const CommonOptions& options,
                    const std::string& step);

// "Restored <what> into <browser>", the report and the change; fails the
// step when the report counts anything lost.
int ShowRestored(const Change& change, const std::string& what, Browser to,
                 const std::string& step);

// "links 13 -> 25 (+12), folders 4 -> 6 (+2)".
std::string DescribeChange(const Change& change);
// "12 links in 4 folders, 1.5 KiB".
std::string DescribeCounts(const Counts& counts);

// Shows the report, then fails the step: the export returned failure.
[[noreturn]] void FailWithReport(const std::string& step,
                                 const std::string& reason,
                                 const LibraryReport& report);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_COMMANDS_H_
