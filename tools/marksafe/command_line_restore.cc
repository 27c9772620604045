// The commands that write a backup set's part into a browser: restore
// (also from a backup the browser keeps itself) and convert.
#include <memory>

#include "browser_backups.h"
#include "command_line.h"
#include "errors.h"
#include "profiles.h"

namespace marksafe_cli {
namespace {

struct RestoreLine {
  RestoreOptions options;
  BrowserBackupOptions from_browser;
  std::string to;
  std::string as_of;
};

void AddRestoreSources(CLI::App* restore, RestoreLine* line) {
  restore->add_option("DIR", line->options.dir, "backup root");
  restore->add_option("--from-browser", line->from_browser.from_browser,
                      "instead of a backup set, take a backup the browser "
                      "keeps by itself (see marksafe history --browser)")
      ->transform(CLI::IsMember(BrowserKeys(), CLI::ignore_case))
      ->type_name("NAME");
  AddBrowserOption(restore, "--to,--browser", &line->to,
                   "browser to restore into");
  restore->add_option("--from", line->options.parts.from,
                      "take the part of this browser (default: the "
                      "target's own)")
      ->check(CLI::IsMember(BrowserKeys()))
      ->type_name("NAME");
  restore->add_option("--from-profile", line->options.parts.from_profile,
                      "with --from: the part of this profile (its name)");
  restore->add_flag("--all-parts", line->options.parts.all_parts,
                    "also take the other browsers' parts of the set, in "
                    "\"Imported from ...\" folders (not into Chrome)");
  restore->footer(
      "Takes one part of the set: the target profile's own, else its "
      "family's (Bookmarks/Firefox,\nBookmarks/Chrome, Bookmarks/Favorites). "
      "Nothing the browser holds is changed or removed.");
  restore->add_option("--as-of", line->as_of,
                      "take the part's snapshot of that time (with "
                      "--from-browser: the browser's backup): an id or file "
                      "name, a date (2026-12-01: that day's last) or an age "
                      "(3d: the last at least three days old)")
      ->type_name("WHEN");
}

// A backup the browser keeps itself, merged as a restore would merge it.
int RestoreFromBrowserBackup(RestoreLine* line) {
  const RestoreOptions& options = line->options;
  if (!options.dir.empty() || !options.parts.from.empty() ||
      options.parts.all_parts) {
    FailUsage("restore: --from-browser takes no DIR, --from or "
              "--all-parts");
  }
  BrowserBackupOptions& from_browser = line->from_browser;
  from_browser.common = options.common;
  from_browser.from_profile = options.parts.from_profile;
  from_browser.to = options.to;
  from_browser.dry_run = options.dry_run;
  from_browser.as_of = line->as_of;
  return RunRestoreFromBrowser(from_browser);
}

int RunRestoreCommand(RestoreLine* line) {
  RestoreOptions& options = line->options;
  options.to = FamilyOf(line->to);
  ChooseProfile(line->to, &options.common, "restore");
  const PartChoice& parts = options.parts;
  if (parts.all_parts && !parts.from.empty()) {
    FailUsage("restore: --all-parts takes every part; --from names one");
  }
  if (!line->from_browser.from_browser.empty()) {
    return RestoreFromBrowserBackup(line);
  }
  if (options.dir.empty()) {
    FailUsage("restore: name the backup set (DIR) or --from-browser");
  }
  options.parts.as_of = line->as_of;
  if (parts.all_parts && !line->as_of.empty()) {
    FailUsage("restore: --as-of takes one part; --all-parts takes every "
              "part");
  }
  if (!parts.from_profile.empty() && parts.from.empty()) {
    FailUsage("restore: --from-profile needs --from");
  }
  return RunRestore(options);
}

}  // namespace

Command AddRestoreCommand(CLI::App* app, LibraryChoices* choices) {
  auto line = std::make_shared<RestoreLine>();
  CLI::App* restore = app->add_subcommand(
      "restore", "merge the backup set under DIR into a browser");
  AddRestoreSources(restore, line.get());
  restore->add_flag("--dry-run", line->options.dry_run,
                    "show what would be added and write nothing");
  AddAcceptIncomplete(restore, choices);
  AddNoJournal(restore, choices);
  AddDataOptions(restore, &line->options.common);
  AddVerbose(restore, &line->options.common.verbose);
  return {restore, [line] { return RunRestoreCommand(line.get()); },
          &line->options.common.verbose};
}

namespace {

struct ConvertLine {
  ConvertOptions options;
  std::string from, to;
};

int RunConvertCommand(ConvertLine* line) {
  ConvertOptions& options = line->options;
  options.from = FamilyOf(line->from);
  options.to = FamilyOf(line->to);
  ChooseProfile(line->to, &options.common, "convert");
  if (options.from == options.to) {
    FailUsage("convert: --from and --to name the same browser");
  }
  return RunConvert(options);
}

}  // namespace

Command AddConvertCommand(CLI::App* app, LibraryChoices* choices) {
  auto line = std::make_shared<ConvertLine>();
  ConvertOptions& options = line->options;
  CLI::App* convert = app->add_subcommand(
      "convert", "replay one browser's part of the backup set into another");
  convert->add_option("DIR", options.dir, "backup root")->required();
  AddBrowserOption(convert, "--from", &line->from,
                   "browser whose part of the set is read");
  AddBrowserOption(convert, "--to,--browser", &line->to,
                   "browser to write into");
  convert->add_flag("--dry-run", options.dry_run,
                    "show what would be added and write nothing");
  convert->add_option("--as-of", options.as_of,
                      "take the part's snapshot of that time: an id, a date "
                      "(2026-12-01: that day's last) or an age (3d: the last "
                      "at least three days old)")
      ->type_name("WHEN");
  AddAcceptIncomplete(convert, choices);
  AddNoJournal(convert, choices);
  AddDataOptions(convert, &options.common);
  AddVerbose(convert, &options.common.verbose);
  return {convert, [line] { return RunConvertCommand(line.get()); },
          &options.common.verbose};
}

}  // namespace marksafe_cli
