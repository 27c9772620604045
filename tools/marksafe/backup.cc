// marksafe backup DIR [--ie] [--firefox] [--chrome] [--close-browsers]
#include <system_error>

#include "backup_set_layout.h"
#include "commands.h"
#include "errors.h"
#include "os.h"
#include "output.h"
#include "places_session.h"
#include "progress.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

std::string Step(Browser browser) {
  return std::string("backup ") + KeyName(browser);
}

// Size and counts of the browser's part of the backup set under root.
Counts MeasurePart(const fs::path& root, Browser browser) {
  const MsString ms_root = ToMsPath(root);
  Counts counts;
  switch (browser) {
    case Browser::kIe:
      counts.ok = get_ie_favorites_size(ms_root.c_str(), true, &counts.size,
                                        &counts.folders, &counts.links);
      break;
    case Browser::kFirefox:
      counts.ok = get_firefox_bk_size(ms_root.c_str(), true, &counts.size,
                                      &counts.folders, &counts.links);
      break;
    case Browser::kChrome:
      counts.ok = get_chrome_bk_size(ms_root.c_str(), true, &counts.size,
                                     &counts.folders, &counts.links) == 0;
      break;
  }
  return counts;
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
  const MsString ms_root = ToMsPath(root);
  const std::string label = std::string("backing up ") + DisplayName(browser);
  // The report is kept per thread: it is taken on the thread that made the
  // call.
  BackupResult result;
  switch (browser) {
    case Browser::kIe: {
      InterruptToCancel cancel;
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
      break;
    }
    case Browser::kFirefox: {
      PlacesSession places(location, step);
      const bool ok = RunWithProgress<bool>(label, [&] {
        const bool done =
            backup_firefox(places.handle(), ms_root.c_str(), true, 0, 0);
        result.report = TakeLastReport();
        return done;
      });
      if (!ok) {
        FailWithReport(step, WithFirefoxHint(FalseReason("backup_firefox")),
                       result.report);
      }
      break;
    }
    case Browser::kChrome: {
      const int32_t code = RunWithProgress<int32_t>(label, [&] {
        const int32_t done =
            backup_chrome(location.arg(), ms_root.c_str(), true);
        result.report = TakeLastReport();
        return done;
      });
      if (code != 0) {
        FailWithReport(step, CodeReason("backup_chrome", code), result.report);
      }
      break;
    }
  }
  result.part = MeasurePart(root, browser);
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
  for (Browser browser : chosen) {
    try {
      const BackupResult result = BackupBrowser(browser, root, common);
      Say("  " + std::string(DisplayName(browser)) + ": " +
          DescribeCounts(result.part) + " in " +
          PathToUtf8(PartFolder(root, browser)));
      ShowReport(result.report, "    ");
      if (result.report.AnythingLost()) {
        Warn("marksafe: " + Step(browser) +
             ": not everything was written (warnings above)");
        ++lost;
      }
    } catch (const Failure& failure) {
      Warn(std::string("marksafe: ") + failure.what());
      ++failed;
    }
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
