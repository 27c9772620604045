// The command line: each command adds its subcommand and options to the
// program's CLI11 app and returns what runs it once parsed. Run (main.cc)
// builds the app from them, parses and dispatches.
#ifndef MARKSAFE_TOOLS_MARKSAFE_COMMAND_LINE_H_
#define MARKSAFE_TOOLS_MARKSAFE_COMMAND_LINE_H_

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

#include "commands.h"

namespace marksafe_cli {

// Choices that are set once for the library, whichever command took them.
struct LibraryChoices {
  bool verbose = false;            // -v before the command
  bool accept_incomplete = false;  // read a part without its completion mark
  bool no_journal = false;         // keep no journal of what is added
};

// A subcommand and what runs it. verbose: the command's own -v, if any.
struct Command {
  CLI::App* app = nullptr;
  std::function<int()> run;
  const bool* verbose = nullptr;
};

// Options several commands share.
void AddDataOptions(CLI::App* command, CommonOptions* options);
// --browser NAME, optional.
CLI::Option* AddBrowserFilter(CLI::App* command, std::string* value);
void AddVerbose(CLI::App* command, bool* verbose);
// A required browser option under name ("--to,--browser", "--from").
CLI::Option* AddBrowserOption(CLI::App* command, const std::string& name,
                              std::string* value, const std::string& help);
void AddAcceptIncomplete(CLI::App* command, LibraryChoices* choices);
void AddNoJournal(CLI::App* command, LibraryChoices* choices);

// The commands, in the order help lists them.
Command AddProfilesCommand(CLI::App* app);
Command AddStatusCommand(CLI::App* app);
Command AddBackupCommand(CLI::App* app);
Command AddRestoreCommand(CLI::App* app, LibraryChoices* choices);
Command AddConvertCommand(CLI::App* app, LibraryChoices* choices);
Command AddExportCommand(CLI::App* app, LibraryChoices* choices);
Command AddImportCommand(CLI::App* app, LibraryChoices* choices);
Command AddVerifyCommand(CLI::App* app, LibraryChoices* choices);
Command AddHistoryCommand(CLI::App* app);
Command AddDiffCommand(CLI::App* app);
Command AddUndoCommand(CLI::App* app);
Command AddJournalCommand(CLI::App* app);
Command AddDemoCommand(CLI::App* app);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_COMMAND_LINE_H_
