// marksafe: backs up, restores and converts the bookmarks of Internet
// Explorer, Firefox and Chrome from the command line, through the exports of
// libmarksafe, the way a backup application does.
//
// Exit codes: 0 done, 1 failed (with one line naming the step and the
// reason), 2 wrong usage.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <functional>
#include <string>

#include "commands.h"
#include "errors.h"
#include "os.h"
#include "output.h"
#include "browser_backups.h"
#include "history.h"
#include "library_report.h"
#include "html.h"
#include "profiles.h"
#include "undo.h"
#include "verify.h"

namespace marksafe_cli {
namespace {

void AddDataOptions(CLI::App* command, CommonOptions* options) {
  command->add_option("--favorites", options->data.favorites,
                      "Internet Explorer favorites folder to use instead of "
                      "the one found");
  command->add_option("--places", options->data.places,
                      "Firefox places.sqlite to use instead of the one found");
  command->add_option("--chrome-bookmarks", options->data.chrome_bookmarks,
                      "Chrome Bookmarks file to use instead of the one found");
  command->add_option("--profile", options->profile,
                      "the browser's profile to use: its name as the browser "
                      "shows it, its folder, or its bookmarks file (default: "
                      "the browser's default profile)");
  command->add_flag("--close-browsers", options->close_browsers,
                    "close a running browser instead of stopping");
}

CLI::Option* AddBrowserFilter(CLI::App* command, std::string* value) {
  return command->add_option("--browser", *value, "browser (see marksafe profiles)")
      ->transform(CLI::IsMember(BrowserKeys(), CLI::ignore_case))
      ->type_name("NAME");
}

void AddVerbose(CLI::App* command, bool* verbose) {
  command->add_flag("-v,--verbose", *verbose,
                    "show the library's diagnostic lines");
}

CLI::Option* AddBrowserOption(CLI::App* command, const std::string& name,
                              std::string* value, const std::string& help) {
  return command->add_option(name, *value, help)
      ->required()
      ->transform(CLI::IsMember(BrowserKeys(), CLI::ignore_case))
      ->type_name("NAME");
}

Browser ToBrowser(const std::string& key) { return FamilyOf(key); }

int Run(int argc, char** argv) {
  CLI::App app{
      "marksafe: back up, restore and convert the bookmarks of Internet "
      "Explorer, Firefox and Chrome",
      "marksafe"};
  app.set_version_flag("--version",
                       std::string("marksafe ") + marksafe_version());
  app.require_subcommand(1);
  app.footer(
      "Without --favorites, --places or --chrome-bookmarks the library finds "
      "the data itself\n(on Linux through MARKSAFE_FAVORITES, MARKSAFE_APPDATA "
      "and MARKSAFE_PROGRAM_FILES).\nExit codes: 0 done, 1 failed, 2 wrong "
      "usage.");
  bool verbose = false;
  AddVerbose(&app, &verbose);

  ProfilesOptions profiles_options;
  CLI::App* profiles = app.add_subcommand(
      "profiles",
      "list every browser profile: browser, profile, default, running, counts");
  AddBrowserFilter(profiles, &profiles_options.browser);
  profiles->add_option("--profile", profiles_options.profile,
                       "show only this profile (name, folder or file)");
  profiles->footer(
      "Browsers: ie, firefox, librewolf, waterfox, chrome, chromium, edge, "
      "brave, vivaldi\n(native, Flatpak and Snap installations). A browser "
      "that runs holds only its own profiles.");

  CommonOptions status_options;
  std::string status_browser;
  CLI::App* status = app.add_subcommand(
      "status", "show each browser: installed, data, running, counts");
  std::string status_dir;
  status->add_option("DIR", status_dir,
                     "a backup set: list its parts instead of the browsers");
  AddDataOptions(status, &status_options);
  AddBrowserFilter(status, &status_browser);
  AddVerbose(status, &status_options.verbose);

  BackupOptions backup_options;
  bool backup_ie = false, backup_firefox = false, backup_chrome = false;
  std::string backup_browser;
  CLI::App* backup = app.add_subcommand(
      "backup", "write the browsers' bookmarks into a backup set under DIR");
  backup->add_option("DIR", backup_options.dir, "backup root")->required();
  backup->add_flag("--ie", backup_ie, "back up Internet Explorer");
  backup->add_flag("--firefox", backup_firefox, "back up Firefox");
  backup->add_flag("--chrome", backup_chrome, "back up Chrome");
  AddBrowserFilter(backup, &backup_browser);
  backup->footer(
      "Without --ie, --firefox or --chrome every browser whose "
      "data is found is backed up.");
  backup->add_option("--keep-last", backup_options.keep.last,
                     "snapshots kept: the newest this many")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  backup->add_option("--keep-daily", backup_options.keep.daily,
                     "... and the last of each of this many days")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  backup->add_option("--keep-weekly", backup_options.keep.weekly,
                     "... of this many weeks")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  backup->add_option("--keep-monthly", backup_options.keep.monthly,
                     "... of this many months")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  AddDataOptions(backup, &backup_options.common);
  AddVerbose(backup, &backup_options.common.verbose);

  // A backup part without its completion mark is refused unless asked.
  bool accept_incomplete = false;
  const auto add_accept_incomplete = [&accept_incomplete](CLI::App* command) {
    command->add_flag("--accept-incomplete", accept_incomplete,
                      "read a backup part that has no completion mark (a "
                      "backup or copy cut short)");
  };

  // What a write into a browser added is journaled unless asked not to.
  bool no_journal = false;
  const auto add_no_journal = [&no_journal](CLI::App* command) {
    command->add_flag("--no-journal", no_journal,
                      "keep no journal of what is added (marksafe undo "
                      "cannot take it back then)");
  };

  RestoreOptions restore_options;
  std::string restore_to;
  CLI::App* restore = app.add_subcommand(
      "restore", "merge the backup set under DIR into a browser");
  restore->add_option("DIR", restore_options.dir, "backup root");
  BrowserBackupOptions from_browser_options;
  restore->add_option("--from-browser", from_browser_options.from_browser,
                      "instead of a backup set, take a backup the browser "
                      "keeps by itself (see marksafe history --browser)")
      ->transform(CLI::IsMember(BrowserKeys(), CLI::ignore_case))
      ->type_name("NAME");
  AddBrowserOption(restore, "--to,--browser", &restore_to,
                   "browser to restore into");
  restore->add_option("--from", restore_options.parts.from,
                      "take the part of this browser (default: the "
                      "target's own)")
      ->check(CLI::IsMember(BrowserKeys()))
      ->type_name("NAME");
  restore->add_option("--from-profile", restore_options.parts.from_profile,
                      "with --from: the part of this profile (its name)");
  restore->add_flag("--all-parts", restore_options.parts.all_parts,
                    "also take the other browsers' parts of the set, in "
                    "\"Imported from ...\" folders (not into Chrome)");
  restore->footer(
      "Takes one part of the set: the target profile's own, else its "
      "family's (Bookmarks/Firefox,\nBookmarks/Chrome, Bookmarks/Favorites). "
      "Nothing the browser holds is changed or removed.");
  std::string restore_as_of;
  restore->add_option("--as-of", restore_as_of,
                      "take the part's snapshot of that time (with "
                      "--from-browser: the browser's backup): an id or file "
                      "name, a date (2026-12-01: that day's last) or an age "
                      "(3d: the last at least three days old)")
      ->type_name("WHEN");
  restore->add_flag("--dry-run", restore_options.dry_run,
                    "show what would be added and write nothing");
  add_accept_incomplete(restore);
  add_no_journal(restore);
  AddDataOptions(restore, &restore_options.common);
  AddVerbose(restore, &restore_options.common.verbose);

  ConvertOptions convert_options;
  std::string convert_from, convert_to;
  CLI::App* convert = app.add_subcommand(
      "convert", "replay one browser's part of the backup set into another");
  convert->add_option("DIR", convert_options.dir, "backup root")->required();
  AddBrowserOption(convert, "--from", &convert_from,
                   "browser whose part of the set is read");
  AddBrowserOption(convert, "--to,--browser", &convert_to,
                   "browser to write into");
  convert->add_flag("--dry-run", convert_options.dry_run,
                    "show what would be added and write nothing");
  convert->add_option("--as-of", convert_options.as_of,
                      "take the part's snapshot of that time: an id, a date "
                      "(2026-12-01: that day's last) or an age (3d: the last "
                      "at least three days old)")
      ->type_name("WHEN");
  add_accept_incomplete(convert);
  add_no_journal(convert);
  AddDataOptions(convert, &convert_options.common);
  AddVerbose(convert, &convert_options.common.verbose);

  HtmlOptions export_options;
  CLI::App* export_html = app.add_subcommand(
      "export", "write a browser's bookmarks (or a backup set's part) as "
                "bookmark HTML or as a Firefox bookmark backup");
  export_html->add_option("FILE", export_options.file,
                          "the .html file to write; a .json or .jsonlz4 "
                          "file is written as a Firefox bookmark backup")
      ->required();
  AddBrowserFilter(export_html, &export_options.browser)
      ->default_str("firefox");
  export_html->add_option("--from-backup", export_options.from_backup,
                          "read the browser's part of the backup set in DIR "
                          "instead of the browser")
      ->type_name("DIR");
  export_html->add_option("--as-of", export_options.as_of,
                          "with --from-backup: the part's snapshot of that "
                          "time (an id, a date or an age such as 3d)")
      ->type_name("WHEN");
  add_accept_incomplete(export_html);
  AddDataOptions(export_html, &export_options.common);
  AddVerbose(export_html, &export_options.common.verbose);
  export_html->footer(
      "Every root is kept: the menu at the top level, the toolbar, other and "
      "mobile\nbookmarks as marked folders. Browsers import the file as it "
      "is.");

  HtmlOptions import_options;
  CLI::App* import_html = app.add_subcommand(
      "import", "merge a bookmark HTML file into a browser");
  import_html->add_option("FILE", import_options.file, "the .html file to read")
      ->required();
  AddBrowserOption(import_html, "--to,--browser", &import_options.browser,
                   "browser to import into");
  import_html->add_flag("--dry-run", import_options.dry_run,
                        "show what would be added and write nothing");
  add_no_journal(import_html);
  AddDataOptions(import_html, &import_options.common);
  AddVerbose(import_html, &import_options.common.verbose);
  import_html->footer(
      "The import merges like a restore: only what the browser lacks is "
      "added, so a\nrepeat adds nothing. Into a Chromium browser the file's "
      "top level goes to\n\"Other bookmarks\".");

  VerifyOptions verify_options;
  CLI::App* verify = app.add_subcommand(
      "verify", "compare a backup set with the browsers, folder by folder");
  verify->add_option("DIR", verify_options.dir, "backup root")->required();
  AddBrowserFilter(verify, &verify_options.browser);
  verify->add_option("--as-of", verify_options.as_of,
                     "check each Firefox and Chrome part's snapshot of that "
                     "time instead (an id, a date or an age such as 3d)")
      ->type_name("WHEN");
  add_accept_incomplete(verify);
  AddDataOptions(verify, &verify_options.common);
  AddVerbose(verify, &verify_options.common.verbose);
  verify->footer(
      "Lists per browser and folder the links the backup holds that the "
      "browser lacks,\nand the other way round. Exit code 0 when every "
      "browser holds everything its\npart of the set holds.");

  HistoryOptions history_options;
  BrowserBackupOptions browser_history_options;
  CLI::App* history = app.add_subcommand(
      "history", "list the snapshots of a backup set, or the bookmark "
                 "backups a browser keeps by itself");
  history->add_option("DIR", history_options.dir, "backup root");
  AddBrowserFilter(history, &history_options.browser);
  history->add_option("--profile", browser_history_options.from_profile,
                      "the profile whose own backups are listed (default: "
                      "the browser's default)");
  history->footer(
      "With DIR: the set's snapshots and what each changed (with --browser, "
      "that\nbrowser's). With --browser: also the backups the browser keeps "
      "itself (Firefox\nup to 15 daily ones in bookmarkbackups, Chromium "
      "Bookmarks.bak); restore\n--from-browser merges any of them into any "
      "browser.");

  DiffOptions diff_options;
  CLI::App* diff = app.add_subcommand(
      "diff", "what changed between a snapshot and a browser, or two "
              "snapshots");
  diff->add_option("SET", diff_options.sides,
                   "DIR[@WHEN], once (with --browser) or twice")
      ->required()
      ->expected(1, 2);
  AddBrowserFilter(diff, &diff_options.browser);
  AddDataOptions(diff, &diff_options.common);
  diff->footer(
      "WHEN: a snapshot id, a date (2026-12-01: the last snapshot of that "
      "day) or an age\n(3d: the last snapshot at least three days old); "
      "none: the newest snapshot.");

  UndoOptions undo_options;
  CLI::App* undo = app.add_subcommand(
      "undo", "remove exactly what one restore, import or conversion added");
  undo->add_option("JOURNAL", undo_options.id,
                   "the journal's id (see marksafe journal)");
  undo->add_flag("--last", undo_options.last, "the newest journal");
  undo->add_flag("--dry-run", undo_options.dry_run,
                 "show what would be removed and change nothing");
  undo->footer(
      "Items changed since (moved, renamed, their URL edited, or folders "
      "holding\nitems added later) are kept and listed. The browser must not "
      "be running.");
  CLI::App* journal = app.add_subcommand(
      "journal", "list the journals of what each write into a browser added");

  DemoOptions demo_options;
  CLI::App* demo = app.add_subcommand(
      "demo",
      "build a sandbox profile, run backup, restore and every conversion on "
      "it");
  demo->add_option("DIR", demo_options.dir,
                   "new or empty folder for the sandbox (default: a new "
                   "folder in the temporary folder)");
  AddVerbose(demo, &demo_options.verbose);

  std::vector<std::string> args = Utf8Arguments(argc, argv);
  // A mistyped command: say which commands exist.
  for (const std::string& arg : args) {
    if (arg.empty() || arg[0] == '-') continue;
    std::string names;
    bool known = false;
    const std::function<bool(CLI::App*)> all = [](CLI::App*) { return true; };
    for (const CLI::App* command : app.get_subcommands(all)) {
      names += (names.empty() ? "" : ", ") + command->get_name();
      known = known || command->get_name() == arg;
    }
    if (known) break;
    FailUsage("unknown command \"" + arg + "\"; the commands are: " + names);
  }
  try {
    std::reverse(args.begin(), args.end());  // CLI11 takes them reversed
    app.parse(args);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kExitDone : kExitUsage;
  }

  const bool any_verbose =
      verbose || status_options.verbose || backup_options.common.verbose ||
      restore_options.common.verbose || convert_options.common.verbose ||
      export_options.common.verbose || import_options.common.verbose ||
      verify_options.common.verbose ||
      demo_options.verbose;
  ShowLibraryDiagnostics(any_verbose);
  if (accept_incomplete) marksafe_accept_incomplete_backups(true);
  if (no_journal) marksafe_set_journal(false);

  if (profiles->parsed()) return RunProfiles(profiles_options);
  if (status->parsed()) {
    if (!status_dir.empty()) return RunSetStatus(status_dir);
    if (!status_browser.empty()) {
      ChooseProfile(status_browser, &status_options, "status");
    } else if (!status_options.profile.empty()) {
      FailUsage("status: --profile needs --browser");
    } else {
      ChooseDefaults(&status_options, "status");
    }
    return RunStatus(status_options);
  }
  if (backup->parsed()) {
    if (!backup_browser.empty()) {
      backup_options.browsers.push_back(FamilyOf(backup_browser));
      ChooseProfile(backup_browser, &backup_options.common, "backup");
    } else if (!backup_options.common.profile.empty()) {
      FailUsage("backup: --profile needs --browser");
    } else {
      ChooseDefaults(&backup_options.common, "backup");
    }
    if (backup_ie) backup_options.browsers.push_back(Browser::kIe);
    if (backup_firefox) backup_options.browsers.push_back(Browser::kFirefox);
    if (backup_chrome) backup_options.browsers.push_back(Browser::kChrome);
    return RunBackup(backup_options);
  }
  if (restore->parsed()) {
    restore_options.to = ToBrowser(restore_to);
    ChooseProfile(restore_to, &restore_options.common, "restore");
    const PartChoice& parts = restore_options.parts;
    if (parts.all_parts && !parts.from.empty()) {
      FailUsage("restore: --all-parts takes every part; --from names one");
    }
    if (!from_browser_options.from_browser.empty()) {
      if (!restore_options.dir.empty() || !parts.from.empty() ||
          parts.all_parts) {
        FailUsage("restore: --from-browser takes no DIR, --from or "
                  "--all-parts");
      }
      from_browser_options.common = restore_options.common;
      from_browser_options.from_profile = parts.from_profile;
      from_browser_options.to = restore_options.to;
      from_browser_options.dry_run = restore_options.dry_run;
      from_browser_options.as_of = restore_as_of;
      return RunRestoreFromBrowser(from_browser_options);
    }
    if (restore_options.dir.empty()) {
      FailUsage("restore: name the backup set (DIR) or --from-browser");
    }
    restore_options.parts.as_of = restore_as_of;
    if (parts.all_parts && !restore_as_of.empty()) {
      FailUsage("restore: --as-of takes one part; --all-parts takes every "
                "part");
    }
    if (!parts.from_profile.empty() && parts.from.empty()) {
      FailUsage("restore: --from-profile needs --from");
    }
    return RunRestore(restore_options);
  }
  if (convert->parsed()) {
    convert_options.from = ToBrowser(convert_from);
    convert_options.to = ToBrowser(convert_to);
    ChooseProfile(convert_to, &convert_options.common, "convert");
    if (convert_options.from == convert_options.to) {
      FailUsage("convert: --from and --to name the same browser");
    }
    return RunConvert(convert_options);
  }
  if (verify->parsed()) return RunVerify(verify_options);
  if (history->parsed()) {
    const bool own_backups = !history_options.browser.empty();
    if (!own_backups && history_options.dir.empty()) {
      FailUsage("history: name the backup set (DIR) or the browser "
                "(--browser) whose own backups are listed");
    }
    int code = 0;
    if (!history_options.dir.empty()) code = RunHistory(history_options);
    if (own_backups && code == 0) {
      browser_history_options.from_browser = history_options.browser;
      code = RunBrowserHistory(browser_history_options);
    }
    return code;
  }
  if (diff->parsed()) return RunDiff(diff_options);
  if (export_html->parsed()) return RunExportHtml(export_options);
  if (import_html->parsed()) return RunImportHtml(import_options);
  if (demo->parsed()) return RunDemo(demo_options);
  if (undo->parsed()) return RunUndo(undo_options);
  if (journal->parsed()) return RunJournal();
  return kExitUsage;
}

// A backup over an earlier part leaves removing the previous copy until
// its result is out: deleting many thousand files can take longer than the
// backup itself. A copy that stays is named; the exit code stands, the new
// part is in place.
void RemovePreviousCopies() {
  try {
    if (marksafe_remove_previous_copies() != 0) WarnProblems(TakeLastReport());
  } catch (const std::exception& error) {
    Warn(std::string("marksafe: unexpected error: ") + error.what());
  }
}

}  // namespace
}  // namespace marksafe_cli

int main(int argc, char** argv) {
  using marksafe_cli::Failure;
  int code = marksafe_cli::kExitFailed;
  marksafe_remove_previous_later(true);
  try {
    code = marksafe_cli::Run(argc, argv);
  } catch (const Failure& failure) {
    marksafe_cli::Warn(std::string("marksafe: ") + failure.what());
    if (failure.exit_code() == marksafe_cli::kExitUsage) {
      marksafe_cli::Warn("Run with --help for more information.");
    }
    code = failure.exit_code();
  } catch (const std::exception& error) {
    marksafe_cli::Warn(std::string("marksafe: unexpected error: ") +
                       error.what());
  }
  marksafe_cli::RemovePreviousCopies();
  marksafe_cli::ShowLibraryDiagnostics(false);
  return code;
}
