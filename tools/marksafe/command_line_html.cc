// The commands that write and read bookmark files: export and import.
#include <memory>

#include "command_line.h"
#include "html.h"

namespace marksafe_cli {

Command AddExportCommand(CLI::App* app, LibraryChoices* choices) {
  auto options = std::make_shared<HtmlOptions>();
  CLI::App* export_html = app->add_subcommand(
      "export", "write a browser's bookmarks (or a backup set's part) as "
                "bookmark HTML or as a Firefox bookmark backup");
  export_html->add_option("FILE", options->file,
                          "the .html file to write; a .json or .jsonlz4 "
                          "file is written as a Firefox bookmark backup")
      ->required();
  AddBrowserFilter(export_html, &options->browser)->default_str("firefox");
  export_html->add_option("--from-backup", options->from_backup,
                          "read the browser's part of the backup set in DIR "
                          "instead of the browser")
      ->type_name("DIR");
  export_html->add_option("--as-of", options->as_of,
                          "with --from-backup: the part's snapshot of that "
                          "time (an id, a date or an age such as 3d)")
      ->type_name("WHEN");
  AddAcceptIncomplete(export_html, choices);
  AddDataOptions(export_html, &options->common);
  AddVerbose(export_html, &options->common.verbose);
  export_html->footer(
      "Every root is kept: the menu at the top level, the toolbar, other and "
      "mobile\nbookmarks as marked folders. Browsers import the file as it "
      "is.");
  return {export_html, [options] { return RunExportHtml(*options); },
          &options->common.verbose};
}

Command AddImportCommand(CLI::App* app, LibraryChoices* choices) {
  auto options = std::make_shared<HtmlOptions>();
  CLI::App* import_html = app->add_subcommand(
      "import", "merge a bookmark HTML file into a browser");
  import_html->add_option("FILE", options->file, "the .html file to read")
      ->required();
  AddBrowserOption(import_html, "--to,--browser", &options->browser,
                   "browser to import into");
  import_html->add_flag("--dry-run", options->dry_run,
                        "show what would be added and write nothing");
  AddNoJournal(import_html, choices);
  AddDataOptions(import_html, &options->common);
  AddVerbose(import_html, &options->common.verbose);
  import_html->footer(
      "The import merges like a restore: only what the browser lacks is "
      "added, so a\nrepeat adds nothing. Into a Chromium browser the file's "
      "top level goes to\n\"Other bookmarks\".");
  return {import_html, [options] { return RunImportHtml(*options); },
          &options->common.verbose};
}

}  // namespace marksafe_cli
