// marksafe status: each browser, whether it is there, where its data is,
// whether it runs, and how much it holds; with a backup set, each part of
// the set: whose it is, how much it holds, whether it is whole.
#include <system_error>

#include "backup_set_layout.h"
#include "commands.h"
#include "errors.h"
#include "output.h"
#include "set_parts.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

bool Installed(Browser browser, const Location& location) {
  if (location.named) return location.found;
  switch (browser) {
    case Browser::kIe:
      return is_installed_ie();
    case Browser::kFirefox:
      return is_installed_firefox(nullptr);
    case Browser::kChrome:
      return is_installed_chrome(nullptr);
  }
  return false;
}

std::string Problem(Browser browser, const Location& location) {
  if (!location.found) return "";
  if (browser == Browser::kFirefox) return PlacesProblem(location.path);
  if (browser == Browser::kChrome) return BookmarksProblem(location.path);
  return "";
}

// A Firefox or Chrome part is whole when its completion mark is there, or
// when it comes from a set written before parts had one (no manifest).
std::string Whole(const SetPart& part) {
  if (part.family == Browser::kIe) return "-";
  std::error_code ec;
  if (fs::is_regular_file(part.folder / "complete.mark", ec)) return "yes";
  return fs::exists(part.folder / "manifest.json", ec) ? "no" : "yes";
}

}  // namespace

int RunSetStatus(const std::string& dir) {
  const fs::path root = fs::absolute(PathFromUtf8(dir));
  RequireBackupRoot(root, "status");
  Table table({"Part", "Browser", "Profile", "Folders", "Links", "Size",
               "Whole"});
  for (size_t column : {1, 2, 6}) table.SetLeftAligned(column);
  const std::vector<SetPart> parts = ListParts(root);
  for (const SetPart& part : parts) {
    const Counts counts = MeasurePart(part.folder, part.family);
    table.AddRow({part.name,
                  part.browser.empty() ? DisplayName(part.family)
                                       : part.browser,
                  part.profile.empty() ? "-" : part.profile,
                  counts.ok ? std::to_string(counts.folders) : "-",
                  counts.ok ? std::to_string(counts.links) : "-",
                  counts.ok ? FormatSize(counts.size) : "-", Whole(part)});
  }
  Say("Backup set " + PathToUtf8(root));
  for (const std::string& line : table.Render("")) Say(line);
  if (parts.empty()) Say("  (no part)");
  return kExitDone;
}

int RunStatus(const CommonOptions& options) {
  Table table(
      {"Browser", "Installed", "Running", "Folders", "Links", "Size", "Data"});
  table.SetLeftAligned(1);
  table.SetLeftAligned(2);
  table.SetLeftAligned(6);
  std::vector<std::string> notes;
  for (Browser browser : kAllBrowsers) {
    const Location location = Locate(browser, options.data);
    const bool chosen = browser != Browser::kIe &&
                        options.data.profile_running.has_value() &&
                        (browser == Browser::kChrome
                             ? !options.data.chrome_bookmarks.empty()
                             : !options.data.places.empty());
    const bool running =
        chosen ? *options.data.profile_running : StoreHeld(browser, location);
    const std::string problem = Problem(browser, location);
    Counts counts;
    if (problem.empty()) counts = Measure(browser, location);
    std::string where = location.found ? PathToUtf8(location.path) : "-";
    const std::string& note = browser == Browser::kChrome
                                  ? options.data.chrome_note
                                  : options.data.places_note;
    if (chosen) {
      where += " (" + options.data.profile_label + ")";
    } else if (location.named && browser != Browser::kIe && !note.empty()) {
      where += " (" + note + ")";
    } else if (location.named) {
      where += " (given)";
    }
    const bool measured = counts.ok;
    table.AddRow({DisplayName(browser),
                  Installed(browser, location) ? "yes" : "no",
                  browser == Browser::kIe ? "-" : (running ? "yes" : "no"),
                  measured ? std::to_string(counts.folders) : "-",
                  measured ? std::to_string(counts.links) : "-",
                  measured ? FormatSize(counts.size) : "-", where});
    if (!problem.empty()) {
      notes.push_back(std::string(DisplayName(browser)) + ": " +
                      PathToUtf8(location.path) + " " + problem);
    } else if (location.found && !measured) {
      notes.push_back(std::string(DisplayName(browser)) +
                      ": could not be measured" +
                      (running ? " while it runs" : ""));
    }
  }
  for (const std::string& line : table.Render("")) Say(line);
  for (const std::string& note : notes) Say("  note: " + note);
  return kExitDone;
}

}  // namespace marksafe_cli
