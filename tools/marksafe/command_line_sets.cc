// The commands that look into backup sets and journals, and the demo:
// verify, history, diff, undo, journal and demo.
#include <memory>

#include "browser_backups.h"
#include "command_line.h"
#include "errors.h"
#include "history.h"
#include "undo.h"
#include "verify.h"

namespace marksafe_cli {

Command AddVerifyCommand(CLI::App* app, LibraryChoices* choices) {
  auto options = std::make_shared<VerifyOptions>();
  CLI::App* verify = app->add_subcommand(
      "verify", "compare a backup set with the browsers, folder by folder");
  verify->add_option("DIR", options->dir, "backup root")->required();
  AddBrowserFilter(verify, &options->browser);
  verify->add_option("--as-of", options->as_of,
                     "check each Firefox and Chrome part's snapshot of that "
                     "time instead (an id, a date or an age such as 3d)")
      ->type_name("WHEN");
  AddAcceptIncomplete(verify, choices);
  AddDataOptions(verify, &options->common);
  AddVerbose(verify, &options->common.verbose);
  verify->footer(
      "Lists per browser and folder the links the backup holds that the "
      "browser lacks,\nand the other way round. Exit code 0 when every "
      "browser holds everything its\npart of the set holds.");
  return {verify, [options] { return RunVerify(*options); },
          &options->common.verbose};
}

namespace {

struct HistoryLine {
  HistoryOptions set;                // DIR and --browser
  BrowserBackupOptions own_backups;  // --profile
};

// The set's snapshots, then the backups the browser keeps itself.
int RunHistoryCommand(HistoryLine* line) {
  const bool own_backups = !line->set.browser.empty();
  if (!own_backups && line->set.dir.empty()) {
    FailUsage("history: name the backup set (DIR) or the browser "
              "(--browser) whose own backups are listed");
  }
  int code = 0;
  if (!line->set.dir.empty()) code = RunHistory(line->set);
  if (own_backups && code == 0) {
    line->own_backups.from_browser = line->set.browser;
    code = RunBrowserHistory(line->own_backups);
  }
  return code;
}

}  // namespace

Command AddHistoryCommand(CLI::App* app) {
  auto line = std::make_shared<HistoryLine>();
  CLI::App* history = app->add_subcommand(
      "history", "list the snapshots of a backup set, or the bookmark "
                 "backups a browser keeps by itself");
  history->add_option("DIR", line->set.dir, "backup root");
  AddBrowserFilter(history, &line->set.browser);
  history->add_option("--profile", line->own_backups.from_profile,
                      "the profile whose own backups are listed (default: "
                      "the browser's default)");
  history->footer(
      "With DIR: the set's snapshots and what each changed (with --browser, "
      "that\nbrowser's). With --browser: also the backups the browser keeps "
      "itself (Firefox\nup to 15 daily ones in bookmarkbackups, Chromium "
      "Bookmarks.bak); restore\n--from-browser merges any of them into any "
      "browser.");
  return {history, [line] { return RunHistoryCommand(line.get()); }};
}

Command AddDiffCommand(CLI::App* app) {
  auto options = std::make_shared<DiffOptions>();
  CLI::App* diff = app->add_subcommand(
      "diff", "what changed between a snapshot and a browser, or two "
              "snapshots");
  diff->add_option("SET", options->sides,
                   "DIR[@WHEN], once (with --browser) or twice")
      ->required()
      ->expected(1, 2);
  AddBrowserFilter(diff, &options->browser);
  AddDataOptions(diff, &options->common);
  diff->footer(
      "WHEN: a snapshot id, a date (2026-12-01: the last snapshot of that "
      "day) or an age\n(3d: the last snapshot at least three days old); "
      "none: the newest snapshot.");
  return {diff, [options] { return RunDiff(*options); }};
}

Command AddUndoCommand(CLI::App* app) {
  auto options = std::make_shared<UndoOptions>();
  CLI::App* undo = app->add_subcommand(
      "undo", "remove exactly what one restore, import or conversion added");
  undo->add_option("JOURNAL", options->id,
                   "the journal's id (see marksafe journal)");
  undo->add_flag("--last", options->last, "the newest journal");
  undo->add_flag("--dry-run", options->dry_run,
                 "show what would be removed and change nothing");
  undo->add_flag("--close-browsers", options->close_browsers,
                 "close the browser that holds the store instead of stopping");
  undo->footer(
      "Items changed since (moved, renamed, their URL edited, or folders "
      "holding\nitems added later) are kept and listed. A browser that holds "
      "the store\nstops the undo unless --close-browsers is given.");
  return {undo, [options] { return RunUndo(*options); }};
}

Command AddJournalCommand(CLI::App* app) {
  CLI::App* journal = app->add_subcommand(
      "journal", "list the journals of what each write into a browser added");
  return {journal, [] { return RunJournal(); }};
}

Command AddDemoCommand(CLI::App* app) {
  auto options = std::make_shared<DemoOptions>();
  CLI::App* demo = app->add_subcommand(
      "demo",
      "build a sandbox profile, run backup, restore and every conversion on "
      "it");
  demo->add_option("DIR", options->dir,
                   "new or empty folder for the sandbox (default: a new "
                   "folder in the temporary folder)");
  AddVerbose(demo, &options->verbose);
  return {demo, [options] { return RunDemo(*options); }, &options->verbose};
}

}  // namespace marksafe_cli
