// The commands that look at the browsers and back them up: profiles,
// status and backup.
#include <memory>

#include "command_line.h"
#include "errors.h"
#include "profiles.h"

namespace marksafe_cli {

Command AddProfilesCommand(CLI::App* app) {
  auto options = std::make_shared<ProfilesOptions>();
  CLI::App* profiles = app->add_subcommand(
      "profiles",
      "list every browser profile: browser, profile, default, running, counts");
  AddBrowserFilter(profiles, &options->browser);
  profiles->add_option("--profile", options->profile,
                       "show only this profile (name, folder or file)");
  profiles->footer(
      "Browsers: ie, firefox, librewolf, waterfox, chrome, chromium, edge, "
      "brave, vivaldi\n(native, Flatpak and Snap installations). A browser "
      "that runs holds only its own profiles.");
  return {profiles, [options] { return RunProfiles(*options); }};
}

namespace {

struct StatusLine {
  CommonOptions options;
  std::string browser;
  std::string dir;
};

int RunStatusCommand(StatusLine* status) {
  if (!status->dir.empty()) return RunSetStatus(status->dir);
  if (!status->browser.empty()) {
    ChooseProfile(status->browser, &status->options, "status");
  } else if (!status->options.profile.empty()) {
    FailUsage("status: --profile needs --browser");
  } else {
    ChooseDefaults(&status->options, "status");
  }
  return RunStatus(status->options);
}

}  // namespace

Command AddStatusCommand(CLI::App* app) {
  auto line = std::make_shared<StatusLine>();
  CLI::App* status = app->add_subcommand(
      "status", "show each browser: installed, data, running, counts");
  status->add_option("DIR", line->dir,
                     "a backup set: list its parts instead of the browsers");
  AddDataOptions(status, &line->options);
  AddBrowserFilter(status, &line->browser);
  AddVerbose(status, &line->options.verbose);
  return {status, [line] { return RunStatusCommand(line.get()); },
          &line->options.verbose};
}

namespace {

struct BackupLine {
  BackupOptions options;
  bool ie = false, firefox = false, chrome = false;
  std::string browser;
};

void AddRetentionOptions(CLI::App* backup, RetentionOptions* keep) {
  backup->add_option("--keep-last", keep->last,
                     "snapshots kept: the newest this many")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  backup->add_option("--keep-daily", keep->daily,
                     "... and the last of each of this many days")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  backup->add_option("--keep-weekly", keep->weekly, "... of this many weeks")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  backup->add_option("--keep-monthly", keep->monthly,
                     "... of this many months")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
}

int RunBackupCommand(BackupLine* backup) {
  BackupOptions& options = backup->options;
  if (!backup->browser.empty()) {
    options.browsers.push_back(FamilyOf(backup->browser));
    ChooseProfile(backup->browser, &options.common, "backup");
  } else if (!options.common.profile.empty()) {
    FailUsage("backup: --profile needs --browser");
  } else {
    ChooseDefaults(&options.common, "backup");
  }
  if (backup->ie) options.browsers.push_back(Browser::kIe);
  if (backup->firefox) options.browsers.push_back(Browser::kFirefox);
  if (backup->chrome) options.browsers.push_back(Browser::kChrome);
  return RunBackup(options);
}

}  // namespace

Command AddBackupCommand(CLI::App* app) {
  auto line = std::make_shared<BackupLine>();
  CLI::App* backup = app->add_subcommand(
      "backup", "write the browsers' bookmarks into a backup set under DIR");
  backup->add_option("DIR", line->options.dir, "backup root")->required();
  backup->add_flag("--ie", line->ie, "back up Internet Explorer");
  backup->add_flag("--firefox", line->firefox, "back up Firefox");
  backup->add_flag("--chrome", line->chrome, "back up Chrome");
  AddBrowserFilter(backup, &line->browser);
  backup->footer(
      "Without --ie, --firefox or --chrome every browser whose "
      "data is found is backed up.");
  AddRetentionOptions(backup, &line->options.keep);
  AddDataOptions(backup, &line->options.common);
  AddVerbose(backup, &line->options.common.verbose);
  return {backup, [line] { return RunBackupCommand(line.get()); },
          &line->options.common.verbose};
}

}  // namespace marksafe_cli
