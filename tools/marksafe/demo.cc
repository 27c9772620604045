// marksafe demo [DIR]: builds a sandbox profile, points the library at it,
// and runs backup, every conversion and every restore on it, printing what
// each step did and the counts before and after. The sandbox stays.
#include <chrono>
#include <functional>
#include <map>
#include <system_error>

#include "commands.h"
#include "demo_profile.h"
#include "errors.h"
#include "os.h"
#include "output.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

fs::path ChooseSandboxFolder(const std::string& given) {
  std::error_code ec;
  if (!given.empty()) {
    const fs::path folder = fs::absolute(PathFromUtf8(given), ec);
    if (fs::exists(folder, ec) &&
        (!fs::is_directory(folder, ec) || !fs::is_empty(folder, ec))) {
      Fail("demo",
           PathToUtf8(folder) + " is not empty; give a new or empty folder");
    }
    return folder;
  }
  const fs::path temp = fs::temp_directory_path(ec);
  const auto stamp = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    fs::path folder = temp / ("marksafe-demo-" + std::to_string(stamp) +
                              (attempt ? "-" + std::to_string(attempt) : ""));
    if (!fs::exists(folder, ec)) return folder;
  }
  Fail("demo", "no free folder name in " + PathToUtf8(temp));
}

std::map<Browser, Counts> MeasureAll(const CommonOptions& options) {
  std::map<Browser, Counts> counts;
  for (Browser browser : kAllBrowsers) {
    counts[browser] = Measure(browser, Locate(browser, options.data));
  }
  return counts;
}

std::string Number(const Counts& counts, int32_t Counts::*field) {
  return counts.ok ? std::to_string(counts.*field) : "-";
}

void PrintCounts(const std::map<Browser, Counts>& before,
                 const std::map<Browser, Counts>& after) {
  Table table({"Browser", "Folders before", "after", "Links before", "after",
               "Size after"});
  for (Browser browser : kAllBrowsers) {
    const Counts& b = before.at(browser);
    const Counts& a = after.at(browser);
    table.AddRow({DisplayName(browser), Number(b, &Counts::folders),
                  Number(a, &Counts::folders), Number(b, &Counts::links),
                  Number(a, &Counts::links), a.ok ? FormatSize(a.size) : "-"});
  }
  for (const std::string& line : table.Render("  ")) Say(line);
}

// Warns of every item the step could not carry, and fails the step when
// something the target could hold was lost.
void RequireNothingLost(const std::string& step, const LibraryReport& report) {
  WarnProblems(report);
  if (report.AnythingLost()) {
    Fail(step, "not everything could be written (warnings above)");
  }
}

// Runs one step, prints "  ok    name   what it did" or the failure, and
// counts failures instead of stopping: every step gets its turn.
class StepRunner {
 public:
  void Run(const std::string& name, const std::function<std::string()>& step) {
    std::string result;
    bool ok = true;
    try {
      result = step();
    } catch (const Failure& failure) {
      ok = false;
      result = failure.what();
      ++failed_;
    }
    std::string padded = name;
    padded.resize(std::max<size_t>(padded.size(), 27), ' ');
    Say(std::string("  ") + (ok ? "ok    " : "FAIL  ") + padded + result);
  }
  int failed() const { return failed_; }

 private:
  int failed_ = 0;
};

// Backs every browser up, converts each into the others and restores the
// set into each, one step each.
void RunSteps(const Sandbox& sandbox, const CommonOptions& common,
              StepRunner* steps) {
  for (Browser browser : kAllBrowsers) {
    steps->Run(std::string("backup ") + KeyName(browser), [&] {
      CheckBackupSource(browser, common);
      const BackupResult result =
          BackupBrowser(browser, sandbox.backup, common);
      RequireNothingLost(std::string("backup ") + KeyName(browser),
                         result.report);
      return DescribeCounts(result.part);
    });
  }
  for (Browser from : kAllBrowsers) {
    for (Browser to : kAllBrowsers) {
      if (from == to) continue;
      steps->Run(
          std::string("convert ") + KeyName(from) + " -> " + KeyName(to), [&] {
            const Change change = ConvertPart(from, to, sandbox.backup, common);
            RequireNothingLost(
                std::string("convert ") + KeyName(from) + " to " + KeyName(to),
                change.report);
            return std::string(DisplayName(to)) + ": " + DescribeChange(change);
          });
    }
  }
  for (Browser to : kAllBrowsers) {
    steps->Run(std::string("restore -> ") + KeyName(to), [&] {
      PartChoice every_part;
      every_part.all_parts = true;
      const Change change =
          RestoreInto(to, sandbox.backup, common, every_part);
      RequireNothingLost(std::string("restore into ") + KeyName(to),
                         change.report);
      return std::string(DisplayName(to)) + ": " + DescribeChange(change);
    });
  }
}

// How to look at the sandbox again with the program.
void SayHowToLookAgain(const Sandbox& sandbox) {
  Say("The sandbox stays in " + PathToUtf8(sandbox.root) +
      ". To look at it again:");
  if (DataVariablesHonoured()) {
    Say("  MARKSAFE_FAVORITES='" + PathToUtf8(sandbox.favorites) +
        "' MARKSAFE_APPDATA='" + PathToUtf8(sandbox.appdata) +
        "' MARKSAFE_PROGRAM_FILES='" + PathToUtf8(sandbox.program_files) +
        "' marksafe status");
  } else {
    Say("  marksafe status --favorites \"" + PathToUtf8(sandbox.favorites) +
        "\" --places \"" + PathToUtf8(sandbox.places) +
        "\" --chrome-bookmarks \"" + PathToUtf8(sandbox.chrome_bookmarks) +
        "\"");
  }
}

}  // namespace

int RunDemo(const DemoOptions& options) {
  const Sandbox sandbox = LayOutSandbox(ChooseSandboxFolder(options.dir));
  BuildSandbox(sandbox);
  PointLibraryAt(sandbox);
  // The sandbox is thrown away: what is written into it is nothing to undo.
  marksafe_set_journal(false);

  Say(std::string("marksafe ") + marksafe_version() + " demo");
  Say("Sandbox profile in " + PathToUtf8(sandbox.root) + ":");
  Say("  Internet Explorer  " + PathToUtf8(sandbox.favorites));
  Say("  Firefox            " + PathToUtf8(sandbox.places));
  Say("  Chrome             " + PathToUtf8(sandbox.chrome_bookmarks));
  Say("  Backup set         " + PathToUtf8(sandbox.backup));

  CommonOptions common;
  common.data.sandbox = true;
  if (!DataVariablesHonoured()) {
    // The library asks the shell for the user's own folders here: every
    // export gets the sandbox's paths instead, so none of it reaches the
    // user's bookmarks.
    common.data.favorites = PathToUtf8(sandbox.favorites);
    common.data.places = PathToUtf8(sandbox.places);
    common.data.chrome_bookmarks = PathToUtf8(sandbox.chrome_bookmarks);
  }
  const auto before = MeasureAll(common);

  Say("");
  Say("Steps:");
  StepRunner steps;
  RunSteps(sandbox, common, &steps);

  Say("");
  Say("Counts before and after:");
  PrintCounts(before, MeasureAll(common));
  Say("");
  SayHowToLookAgain(sandbox);
  if (steps.failed() > 0) {
    Fail("demo", std::to_string(steps.failed()) + " step(s) failed (above)");
  }
  return kExitDone;
}

}  // namespace marksafe_cli
