// Options several commands share: where the data is, which browser, -v,
// and the two choices made once for the library.
#include "command_line.h"
#include "profiles.h"

namespace marksafe_cli {

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
  return command
      ->add_option("--browser", *value, "browser (see marksafe profiles)")
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

// A backup part without its completion mark is refused unless asked.
void AddAcceptIncomplete(CLI::App* command, LibraryChoices* choices) {
  command->add_flag("--accept-incomplete", choices->accept_incomplete,
                    "read a backup part that has no completion mark (a "
                    "backup or copy cut short)");
}

// What a write into a browser added is journaled unless asked not to.
void AddNoJournal(CLI::App* command, LibraryChoices* choices) {
  command->add_flag("--no-journal", choices->no_journal,
                    "keep no journal of what is added (marksafe undo "
                    "cannot take it back then)");
}

}  // namespace marksafe_cli
