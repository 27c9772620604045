// marksafe export FILE.html and marksafe import FILE.html: bookmark HTML,
// the file every browser imports and exports, through the library's
// marksafe_export_html and marksafe_import_html.
#include "html.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <utility>

#include "errors.h"
#include "history.h"
#include "output.h"
#include "profiles.h"
#include "progress.h"
#include "target.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

// "FILE reason" from the library's first problem, else the code.
std::string Reason(const LibraryReport& report, const char* export_name,
                   int32_t code) {
  for (const ProblemItem& problem : report.problems) {
    if (!problem.path.empty()) return problem.path + " " + problem.reason;
  }
  return CodeReason(export_name, code);
}

// "3 links, 1 folder": only the kinds there are.
std::string DescribeAdded(const Tally& tally) {
  std::string text;
  const std::pair<int64_t, const char*> parts[] = {
      {tally.links, " link"}, {tally.folders, " folder"},
      {tally.separators, " separator"}};
  for (const auto& [n, what] : parts) {
    if (n == 0) continue;
    text += (text.empty() ? "" : ", ") + std::to_string(n) + what +
            (n == 1 ? "" : "s");
  }
  return text.empty() ? "nothing" : text;
}

// The store (and its kind) an export reads, for a browser of the program.
struct Source {
  std::filesystem::path path;
  int32_t kind = MARKSAFE_STORE_PLACES;
};

Source LiveSource(Browser family, const CommonOptions& options,
                  const std::string& step) {
  const Location location = Locate(family, options.data);
  RequireUsableData(family, location, step);
  if (family != Browser::kIe) {
    RequireNotRunning(family, options.data, options.close_browsers, step);
  }
  Source source;
  source.path = location.path;
  source.kind = family == Browser::kIe       ? MARKSAFE_STORE_URL_FOLDER
                : family == Browser::kChrome ? MARKSAFE_STORE_CHROME
                                             : MARKSAFE_STORE_PLACES;
  return source;
}

Source BackupSource(Browser family, const std::string& dir,
                    const std::string& as_of, const std::string& step) {
  static const char* const kParts[] = {"Favorites", "Firefox", "Chrome"};
  const fs::path root = fs::absolute(PathFromUtf8(dir));
  Source source;
  source.path = root / "Bookmarks" / kParts[static_cast<size_t>(family)];
  std::error_code ec;
  if (!fs::is_directory(source.path, ec)) {
    Fail(step, "the backup set in " + PathToUtf8(root) + " has no " +
                   DisplayName(family) + " part (" + PathToUtf8(source.path) +
                   " is missing)");
  }
  source.kind = family == Browser::kIe       ? MARKSAFE_STORE_URL_FOLDER
                : family == Browser::kChrome ? MARKSAFE_STORE_CHROME_PART
                                             : MARKSAFE_STORE_FIREFOX_PART;
  if (!as_of.empty()) {
    source.path = FindSnapshot(root, kParts[static_cast<size_t>(family)],
                               as_of, step);
    source.kind = MARKSAFE_STORE_SNAPSHOT;
  }
  return source;
}

// True when the file has the format's doctype or a <DL> list, in any
// letter case (the library reads anything else as an empty file). In a
// UTF-16 file the zero bytes of its ASCII characters are passed over.
bool LooksLikeBookmarkHtml(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)),
                   std::istreambuf_iterator<char>());
  if (text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') ||
                           (text[0] == '\xFE' && text[1] == '\xFF'))) {
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  }
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text.find("netscape-bookmark-file") != std::string::npos ||
         text.find("<dl") != std::string::npos;
}

}  // namespace

int RunExportHtml(HtmlOptions options) {
  const std::string step = "export";
  const Browser family = FamilyOf(options.browser);
  const Source source =
      options.from_backup.empty()
          ? (ChooseProfile(options.browser, &options.common, step),
             LiveSource(family, options.common, step))
          : BackupSource(family, options.from_backup, options.as_of, step);
  if (!options.as_of.empty() && options.from_backup.empty()) {
    FailUsage("export: --as-of needs --from-backup");
  }
  const fs::path file = fs::absolute(PathFromUtf8(options.file));
  std::error_code ec;
  if (fs::is_directory(file, ec)) {
    Fail(step, PathToUtf8(file) + " is a folder, not a file");
  }
  const MsString ms_source = ToMsPath(source.path);
  const MsString ms_file = ToMsPath(file);
  // A .json or .jsonlz4 file is a Firefox bookmark backup, which Firefox's
  // "Restore > Choose File..." takes.
  std::string extension = file.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const bool firefox_backup = extension == ".json" || extension == ".jsonlz4";
  const char* export_name = firefox_backup ? "marksafe_export_firefox_backup"
                                           : "marksafe_export_html";
  LibraryReport report;
  const int32_t code = RunWithProgress<int32_t>("exporting", [&] {
    const int32_t done =
        firefox_backup ? marksafe_export_firefox_backup(
                             ms_source.c_str(), source.kind, ms_file.c_str())
                       : marksafe_export_html(ms_source.c_str(), source.kind,
                                              ms_file.c_str());
    report = TakeLastReport();
    return done;
  });
  if (code != 0) Fail(step, Reason(report, export_name, code));
  Say("Exported " + PathToUtf8(source.path) + " to " + PathToUtf8(file));
  ShowReport(report, "  ");
  return kExitDone;
}

int RunImportHtml(HtmlOptions options) {
  const std::string step = "import";
  const Browser family = FamilyOf(options.browser);
  if (family == Browser::kIe) {
    FailUsage("import: --to takes a Firefox or Chromium browser (for "
              "Internet Explorer use restore or convert)");
  }
  const fs::path file = fs::absolute(PathFromUtf8(options.file));
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) {
    Fail(step, PathToUtf8(file) + " does not exist or is not a file");
  }
  // Checked before anything is written (the copy Bookmarks~ included).
  if (!LooksLikeBookmarkHtml(file)) {
    Fail(step, PathToUtf8(file) + " is not a bookmark HTML file (no <DL> "
                                  "list)");
  }
  ChooseProfile(options.browser, &options.common, step);
  if (options.dry_run && options.common.data.create_chrome_file) {
    Fail(step, options.common.data.profile_label +
                   " has no Bookmarks file yet: everything in " +
                   PathToUtf8(file) + " would be added");
  }
  Location location;
  std::optional<ChromeCopy> copy;
  if (options.dry_run) {
    location = Locate(family, options.common.data);
    RequireUsableData(family, location, step);
  } else {
    location = PrepareTarget(family, options.common, step);
    if (family == Browser::kChrome) copy.emplace(location, step);
  }
  const MsString ms_file = ToMsPath(file);
  const int32_t kind =
      family == Browser::kChrome ? MARKSAFE_STORE_CHROME : MARKSAFE_STORE_PLACES;
  LibraryReport report;
  const int32_t code = RunWithProgress<int32_t>("importing", [&] {
    const int32_t done = marksafe_import_html(
        ms_file.c_str(), location.ms_path.c_str(), kind, options.dry_run);
    report = TakeLastReport();
    return done;
  });
  if (code != 0) Fail(step, Reason(report, "marksafe_import_html", code));
  if (copy) copy->Saved();
  if (options.dry_run) {
    ShowDryRun(report, PathToUtf8(location.path));
    return kExitDone;
  }
  Say("Imported " + PathToUtf8(file) + " into " + PathToUtf8(location.path));
  ShowReport(report, "  ");
  if (report.AnythingLost()) {
    Fail(step, "not everything could be written (warnings above)");
  }
  return kExitDone;
}

void ShowDryRun(const LibraryReport& report, const std::string& target) {
  // A merge into a large store can touch thousands of folders: one line
  // each, up to this many per root, and the rest summed up in one line.
  constexpr size_t kFolderLines = 200;
  Say("Dry run: nothing was written to " + target + ". It would add:");
  Tally total;
  for (const RootOutcome& root : report.roots) {
    Say("  " + root.label + " (" + root.root + "): " +
        DescribeTally(root.added) + " (already there: " +
        DescribeTally(root.present) + ")");
    Tally rest;
    for (size_t i = 0; i < root.folders.size(); ++i) {
      const FolderOutcome& folder = root.folders[i];
      if (i < kFolderLines) {
        Say("    " + (folder.folder.empty() ? "(untitled)" : folder.folder) +
            ": +" + DescribeAdded(folder.added));
        continue;
      }
      rest.links += folder.added.links;
      rest.folders += folder.added.folders;
      rest.separators += folder.added.separators;
    }
    if (root.folders.size() > kFolderLines) {
      Say("    ... " + std::to_string(root.folders.size() - kFolderLines) +
          " more folders: +" + DescribeAdded(rest));
    }
    total.links += root.added.links;
    total.folders += root.added.folders;
    total.separators += root.added.separators;
  }
  Say("  in all: " + DescribeTally(total));
  WarnProblems(report);
}

}  // namespace marksafe_cli
