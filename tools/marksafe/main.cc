// marksafe: backs up, restores and converts the bookmarks of Internet
// Explorer, Firefox and Chrome from the command line, through the exports of
// libmarksafe, the way a backup application does.
//
// Exit codes: 0 done, 1 failed (with one line naming the step and the
// reason), 2 wrong usage.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <string>

#include "commands.h"
#include "errors.h"
#include "os.h"
#include "output.h"

namespace marksafe_cli {
namespace {

const std::vector<std::string> kBrowserKeys = {"ie", "firefox", "chrome"};

void AddDataOptions(CLI::App* command, CommonOptions* options) {
  command->add_option("--favorites", options->data.favorites,
                      "Internet Explorer favorites folder to use instead of "
                      "the one found");
  command->add_option("--places", options->data.places,
                      "Firefox places.sqlite to use instead of the one found");
  command->add_option("--chrome-bookmarks", options->data.chrome_bookmarks,
                      "Chrome Bookmarks file to use instead of the one found");
  command->add_flag("--close-browsers", options->close_browsers,
                    "close a running browser instead of stopping");
}

void AddVerbose(CLI::App* command, bool* verbose) {
  command->add_flag("-v,--verbose", *verbose,
                    "show the library's diagnostic lines");
}

CLI::Option* AddBrowserOption(CLI::App* command, const std::string& name,
                              std::string* value, const std::string& help) {
  return command->add_option(name, *value, help)
      ->required()
      ->check(CLI::IsMember(kBrowserKeys))
      ->type_name("ie|firefox|chrome");
}

Browser ToBrowser(const std::string& key) { return *ParseBrowser(key); }

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

  CommonOptions status_options;
  CLI::App* status = app.add_subcommand(
      "status", "show each browser: installed, data, running, counts");
  AddDataOptions(status, &status_options);
  AddVerbose(status, &status_options.verbose);

  BackupOptions backup_options;
  bool backup_ie = false, backup_firefox = false, backup_chrome = false;
  CLI::App* backup = app.add_subcommand(
      "backup", "write the browsers' bookmarks into a backup set under DIR");
  backup->add_option("DIR", backup_options.dir, "backup root")->required();
  backup->add_flag("--ie", backup_ie, "back up Internet Explorer");
  backup->add_flag("--firefox", backup_firefox, "back up Firefox");
  backup->add_flag("--chrome", backup_chrome, "back up Chrome");
  backup->footer(
      "Without --ie, --firefox or --chrome every browser whose "
      "data is found is backed up.");
  AddDataOptions(backup, &backup_options.common);
  AddVerbose(backup, &backup_options.common.verbose);

  RestoreOptions restore_options;
  std::string restore_to;
  CLI::App* restore = app.add_subcommand(
      "restore", "merge the backup set under DIR into a browser");
  restore->add_option("DIR", restore_options.dir, "backup root")->required();
  AddBrowserOption(restore, "--to", &restore_to, "browser to restore into");
  restore->footer(
      "Internet Explorer and Firefox also take the other browsers' parts of "
      "the set, in\n\"Imported from ...\" folders. Nothing the browser holds "
      "is changed or removed.");
  AddDataOptions(restore, &restore_options.common);
  AddVerbose(restore, &restore_options.common.verbose);

  ConvertOptions convert_options;
  std::string convert_from, convert_to;
  CLI::App* convert = app.add_subcommand(
      "convert", "replay one browser's part of the backup set into another");
  convert->add_option("DIR", convert_options.dir, "backup root")->required();
  AddBrowserOption(convert, "--from", &convert_from,
                   "browser whose part of the set is read");
  AddBrowserOption(convert, "--to", &convert_to, "browser to write into");
  AddDataOptions(convert, &convert_options.common);
  AddVerbose(convert, &convert_options.common.verbose);

  DemoOptions demo_options;
  CLI::App* demo = app.add_subcommand(
      "demo",
      "build a sandbox profile, run backup, restore and every conversion on "
      "it");
  demo->add_option("DIR", demo_options.dir,
                   "new or empty folder for the sandbox (default: a new "
                   "folder in the temporary folder)");
  AddVerbose(demo, &demo_options.verbose);

  try {
    std::vector<std::string> args = Utf8Arguments(argc, argv);
    std::reverse(args.begin(), args.end());  // CLI11 takes them reversed
    app.parse(args);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kExitDone : kExitUsage;
  }

  const bool any_verbose =
      verbose || status_options.verbose || backup_options.common.verbose ||
      restore_options.common.verbose || convert_options.common.verbose ||
      demo_options.verbose;
  ShowLibraryDiagnostics(any_verbose);

  if (status->parsed()) return RunStatus(status_options);
  if (backup->parsed()) {
    if (backup_ie) backup_options.browsers.push_back(Browser::kIe);
    if (backup_firefox) backup_options.browsers.push_back(Browser::kFirefox);
    if (backup_chrome) backup_options.browsers.push_back(Browser::kChrome);
    return RunBackup(backup_options);
  }
  if (restore->parsed()) {
    restore_options.to = ToBrowser(restore_to);
    return RunRestore(restore_options);
  }
  if (convert->parsed()) {
    convert_options.from = ToBrowser(convert_from);
    convert_options.to = ToBrowser(convert_to);
    if (convert_options.from == convert_options.to) {
      FailUsage("convert: --from and --to name the same browser");
    }
    return RunConvert(convert_options);
  }
  if (demo->parsed()) return RunDemo(demo_options);
  return kExitUsage;
}

}  // namespace
}  // namespace marksafe_cli

int main(int argc, char** argv) {
  using marksafe_cli::Failure;
  int code = marksafe_cli::kExitFailed;
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
  marksafe_cli::ShowLibraryDiagnostics(false);
  return code;
}
