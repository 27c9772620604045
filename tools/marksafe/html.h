// Bookmark HTML from and to any browser, and the dry run's summary.
#ifndef MARKSAFE_TOOLS_MARKSAFE_HTML_H_
#define MARKSAFE_TOOLS_MARKSAFE_HTML_H_

#include <string>

#include "commands.h"

namespace marksafe_cli {

struct HtmlOptions {
  CommonOptions common;
  std::string file;         // the .html file
  std::string browser = "firefox";  // --browser (export) or --to (import)
  std::string from_backup;  // export: a backup set's part instead
  std::string as_of;        // export: that part's snapshot of this WHEN
  bool dry_run = false;     // import
};

int RunExportHtml(HtmlOptions options);
int RunImportHtml(HtmlOptions options);

// What a merge run as a dry run would add, root by root, from its report.
void ShowDryRun(const LibraryReport& report, const std::string& target);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_HTML_H_
