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
#include <vector>

#include "command_line.h"
#include "errors.h"
#include "library_report.h"
#include "os.h"
#include "output.h"

namespace marksafe_cli {
namespace {

// A mistyped command: say which commands exist.
void CheckCommandName(CLI::App* app, const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg.empty() || arg[0] == '-') continue;
    std::string names;
    bool known = false;
    const std::function<bool(CLI::App*)> all = [](CLI::App*) { return true; };
    for (const CLI::App* command : app->get_subcommands(all)) {
      names += (names.empty() ? "" : ", ") + command->get_name();
      known = known || command->get_name() == arg;
    }
    if (known) break;
    FailUsage("unknown command \"" + arg + "\"; the commands are: " + names);
  }
}

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
  LibraryChoices choices;
  AddVerbose(&app, &choices.verbose);
  const std::vector<Command> commands = {
      AddProfilesCommand(&app),          AddStatusCommand(&app),
      AddBackupCommand(&app),            AddRestoreCommand(&app, &choices),
      AddConvertCommand(&app, &choices), AddExportCommand(&app, &choices),
      AddImportCommand(&app, &choices),  AddVerifyCommand(&app, &choices),
      AddHistoryCommand(&app),           AddDiffCommand(&app),
      AddUndoCommand(&app),              AddJournalCommand(&app),
      AddDemoCommand(&app)};

  std::vector<std::string> args = Utf8Arguments(argc, argv);
  CheckCommandName(&app, args);
  try {
    std::reverse(args.begin(), args.end());  // CLI11 takes them reversed
    app.parse(args);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kExitDone : kExitUsage;
  }

  const Command* chosen = nullptr;
  for (const Command& command : commands) {
    if (command.app->parsed()) chosen = &command;
  }
  const bool own_verbose =
      chosen != nullptr && chosen->verbose != nullptr && *chosen->verbose;
  ShowLibraryDiagnostics(choices.verbose || own_verbose);
  if (choices.accept_incomplete) marksafe_accept_incomplete_backups(true);
  if (choices.no_journal) marksafe_set_journal(false);
  return chosen != nullptr ? chosen->run() : kExitUsage;
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
  marksafe_cli::UseOneMemoryPool();
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
