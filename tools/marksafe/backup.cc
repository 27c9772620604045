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
  RequireNotRunning(browser, options.close_browsers, Step(browser));
}

Counts BackupBrowser(Browser browser, const fs::path& root,
                     const CommonOptions& options) {
  const std::string step = Step(browser);
  const Location location = Locate(browser, options.data);
  const MsString ms_root = ToMsPath(root);
  const std::string label = std::string("backing up ") + DisplayName(browser);
  switch (browser) {
    case Browser::kIe: {
      InterruptToCancel cancel;
      const bool ok = RunWithProgress<bool>(label, [&] {
        return backup_ie(location.arg(), ms_root.c_str(), true, true,
                         cancel.flag());
      });
      if (!ok) {
        Fail(step, cancel.interrupted() ? "interrupted; the backup set holds "
                                          "part of the favorites"
                                        : FalseReason("backup_ie"));
      }
      break;
    }
    case Browser::kFirefox: {
      PlacesSession places(location, step);
      const bool ok = RunWithProgress<bool>(label, [&] {
        return backup_firefox(places.handle(), ms_root.c_str(), true, 0, 0);
      });
      if (!ok) Fail(step, WithFirefoxHint(FalseReason("backup_firefox")));
      break;
    }
    case Browser::kChrome: {
      const int32_t code = RunWithProgress<int32_t>(label, [&] {
        return backup_chrome(location.arg(), ms_root.c_str(), true);
      });
      if (code != 0) Fail(step, CodeReason("backup_chrome", code));
      break;
    }
  }
  return MeasurePart(root, browser);
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
  int failed = 0;
  for (Browser browser : chosen) {
    try {
      const Counts part = BackupBrowser(browser, root, common);
      Say("  " + std::string(DisplayName(browser)) + ": " +
          DescribeCounts(part) + " in " +
          PathToUtf8(PartFolder(root, browser)));
    } catch (const Failure& failure) {
      Warn(std::string("marksafe: ") + failure.what());
      ++failed;
    }
  }
  if (failed > 0) {
    Fail("backup", std::to_string(failed) + " of " +
                       std::to_string(chosen.size()) +
                       " browsers failed (reasons above)");
  }
  Say("Done.");
  return kExitDone;
}

}  // namespace marksafe_cli
