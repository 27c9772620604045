// marksafe backup DIR [--ie] [--firefox] [--chrome] [--close-browsers]
#include <system_error>

#include "backup_set_layout.h"
#include "base/error_codes.h"
#include "commands.h"
#include "errors.h"
#include "history.h"
#include "os.h"
#include "output.h"
#include "progress.h"
#include "set_parts.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

std::string Step(Browser browser) {
  return std::string("backup ") + KeyName(browser);
}

// What stopped a backup, in words: the first cause the library names.
std::string BackupCause(const LibraryReport& report, int32_t code) {
  static const char kWriteFailed[] = "write failed: ";
  static const char kNotWritten[] = "the backup was not written: ";
  for (const ProblemItem& problem : report.problems) {
    if (problem.reason.rfind(kWriteFailed, 0) == 0) {
      const std::string words = problem.reason.substr(sizeof(kWriteFailed) - 1);
      return words == "the disk is full" ? "disk full" : words;
    }
    if (problem.reason == "path too long for the file system") {
      return "a path too long for the file system";
    }
  }
  for (const ProblemItem& problem : report.problems) {
    if (problem.reason.rfind(kNotWritten, 0) == 0) {
      if (problem.reason.find("the disk is full") != std::string::npos) {
        return "disk full";
      }
      return problem.reason.substr(sizeof(kNotWritten) - 1);
    }
  }
  return CodeReason("marksafe_backup_part", code);
}

// One line for a backup of a Firefox or Chrome part that failed; the
// library's account (every item it could not write) only with --verbose.
[[noreturn]] void FailBackup(const std::string& step, Browser browser,
                             const SetPart& part, bool had_part,
                             const Location& location,
                             const LibraryReport& report, int32_t code,
                             bool verbose) {
  if (verbose && report.available) ShowReport(report, "    ");
  const std::string unchanged =
      had_part ? "the previous set is intact" : "the set is as it was";
  if (code == marksafe::kErrorFileNotFound ||
      code == marksafe::kErrorInvalidData) {
    Fail(step, PathToUtf8(location.path) +
                   (code == marksafe::kErrorFileNotFound ? " was not found"
                                                         : " cannot be read") +
                   "; " + unchanged);
  }
  Fail(step, BackupCause(report, code) + " while writing the " +
                 DisplayName(browser) + " part " + part.name + "; " +
                 unchanged);
}

void CheckRoot(const fs::path& root) {
  RequireShortRoot(root, "backup");
  std::error_code ec;
  if (fs::exists(root, ec) && !fs::is_directory(root, ec)) {
    Fail("backup", PathToUtf8(root) + " exists and is not a folder");
  }
}

}  // namespace

void CheckBackupSource(Browser browser, const CommonOptions& options) {
  const Location location = Locate(browser, options.data);
  RequireUsableData(browser, location, Step(browser));
  if (browser == Browser::kChrome && options.data.sandbox) return;
  RequireNotRunning(browser, options.data, options.close_browsers,
                    Step(browser));
}

BackupResult BackupBrowser(Browser browser, const fs::path& root,
                           const CommonOptions& options) {
  const std::string step = Step(browser);
  const Location location = Locate(browser, options.data);
  const std::string label = std::string("backing up ") + DisplayName(browser);
  const SetPart part = BackupPartFor(root, browser, options.data);
  BackupResult result;
  result.part_name = part.name;
  result.folder = part.folder;
  std::error_code ec;
  const bool had_part = fs::exists(part.folder, ec);
  if (browser == Browser::kIe) {
    InterruptToCancel cancel;
    const MsString ms_root = ToMsPath(root);
    // The report is kept per thread: it is taken on the thread that made
    // the call.
    const bool ok = RunWithProgress<bool>(label, [&] {
      const bool done = backup_ie(location.arg(), ms_root.c_str(), true, true,
                                  cancel.flag());
      result.report = TakeLastReport();
      return done;
    });
    if (!ok) {
      FailWithReport(step,
                     cancel.interrupted() ? "interrupted; the backup set "
                                            "holds part of the favorites"
                                          : FalseReason("backup_ie"),
                     result.report);
    }
  } else {
    if (part.legacy) {
      const std::string writing =
          options.data.profile_folder.empty()
              ? PathToUtf8(location.path.parent_path())
              : options.data.profile_folder;
      const std::string moved = KeepSlotOwner(root, browser, writing, step);
      if (!moved.empty()) Say("  " + moved);
    }
    const MsString ms_folder = ToMsPath(part.folder);
    const MsString ms_browser = Utf8ToMs(options.data.profile_browser);
    const MsString ms_profile = Utf8ToMs(options.data.profile_name);
    const int32_t kind = browser == Browser::kFirefox ? MARKSAFE_STORE_PLACES
                                                      : MARKSAFE_STORE_CHROME;
    const int32_t code = RunWithProgress<int32_t>(label, [&] {
      const int32_t done = marksafe_backup_part(
          location.ms_path.c_str(), kind, ms_folder.c_str(),
          ms_browser.c_str(), ms_profile.c_str());
      result.report = TakeLastReport();
      return done;
    });
    if (code != 0) {
      FailBackup(step, browser, part, had_part, location, result.report, code,
                 options.verbose);
    }
  }
  result.part = MeasurePart(part.folder, browser);
  return result;
}

int RunBackup(const BackupOptions& options) {
  const fs::path root = fs::absolute(PathFromUtf8(options.dir));
  CheckRoot(root);
  const CommonOptions& common = options.common;

  // Every check comes before the first write, so that bad input changes
  // nothing.
  std::vector<Browser> chosen = options.browsers;
  if (chosen.empty()) {
    for (Browser browser : kAllBrowsers) {
      if (Locate(browser, common.data).found) {
        chosen.push_back(browser);
      } else {
        Say(std::string(DisplayName(browser)) + ": not found, skipped");
      }
    }
    if (chosen.empty()) {
      Fail("backup", "no browser data found (see marksafe status)");
    }
  }
  for (Browser browser : chosen) {
    const Location location = Locate(browser, common.data);
    RequireUsableData(browser, location, Step(browser));
  }
  for (Browser browser : chosen) CheckBackupSource(browser, common);

  std::error_code ec;
  fs::create_directories(root, ec);
  if (ec) {
    Fail("backup", "cannot create " + PathToUtf8(root) + ": " + ec.message());
  }
  Say("Backing up into " + PathToUtf8(root));
  int failed = 0, lost = 0;
  std::vector<fs::path> snapshot_parts;  // Firefox and Chrome parts written
  for (Browser browser : chosen) {
    try {
      const BackupResult result = BackupBrowser(browser, root, common);
      if (browser != Browser::kIe) snapshot_parts.push_back(result.folder);
      Say("  " + std::string(DisplayName(browser)) + ": " +
          DescribeCounts(result.part) + " in " + PathToUtf8(result.folder));
      ShowReport(result.report, "    ");
      if (result.report.AnythingLost()) {
        Warn("marksafe: " + Step(browser) +
             ": not everything was written (warnings above)");
        ++lost;
      }
    } catch (const Failure& failure) {
      // One browser: its own line says everything.
      if (chosen.size() == 1) throw;
      Warn(std::string("marksafe: ") + failure.what());
      ++failed;
    }
  }
  if (!snapshot_parts.empty()) {
    // Retention prunes only after a backup that wrote every part whole.
    SnapshotBackup(root, snapshot_parts, options.keep,
                   /*prune=*/failed == 0 && lost == 0);
  }
  if (failed > 0 || lost > 0) {
    std::string reason;
    if (failed > 0) {
      reason = std::to_string(failed) + " of " + std::to_string(chosen.size()) +
               " browsers failed";
    }
    if (lost > 0) {
      reason += std::string(reason.empty() ? "" : ", ") + std::to_string(lost) +
                " of " + std::to_string(chosen.size()) +
                " browsers were backed up with losses";
    }
    Fail("backup", reason + " (reasons above)");
  }
  Say("Done.");
  return kExitDone;
}

}  // namespace marksafe_cli
