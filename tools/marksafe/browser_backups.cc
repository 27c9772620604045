#include "browser_backups.h"

#include <json/json.h>

#include <cstdio>
#include <ctime>
#include <sstream>
#include <vector>

#include "backup_set_layout.h"
#include "base/error_codes.h"
#include "dry_run.h"
#include "errors.h"
#include "json_answer.h"
#include "output.h"
#include "profiles.h"
#include "set_parts.h"
#include "text.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

struct BackupFile {
  std::string name;
  std::string date;  // "YYYY-MM-DD"
  int64_t time = 0;  // seconds since 1970
  std::string file;
  int32_t kind = MARKSAFE_STORE_FIREFOX_BACKUP;
  int64_t links = -1, folders = -1;  // -1: not counted
  std::string error;
};

struct ProfileBackups {
  ProfileInfo profile;
  std::vector<BackupFile> backups;  // oldest first
};

ProfileBackups ListBackups(const BrowserBackupOptions& options, bool count,
                           const std::string& step) {
  ProfileBackups out;
  out.profile = FindProfiles(options.from_browser, options.from_profile, false,
                             true, step)
                    .front();
  const MsString folder = Utf8ToMs(out.profile.folder);
  Json::Value document;
  if (!ParseObject(marksafe_browser_backups(folder.c_str(), count),
                   &document)) {
    Fail(step, "the library's list of backups is not JSON");
  }
  if (document.isMember("error")) {
    Fail(step, out.profile.folder + ": " + document["error"].asString());
  }
  for (const Json::Value& each : document["backups"]) {
    BackupFile backup;
    backup.name = each["name"].asString();
    backup.date = each["date"].asString();
    backup.time = each["time"].asInt64();
    backup.file = each["file"].asString();
    backup.kind = each["kind"].asInt();
    if (each.isMember("links")) backup.links = each["links"].asInt64();
    if (each.isMember("folders")) backup.folders = each["folders"].asInt64();
    backup.error = each["error"].asString();
    out.backups.push_back(std::move(backup));
  }
  return out;
}

std::string ProfileLabel(const ProfileInfo& profile) {
  return profile.browser_name + " profile \"" + profile.name + "\"";
}

// "HH:MM" UTC.
std::string ClockOf(int64_t seconds) {
  const int64_t minutes = ((seconds % 86400 + 86400) % 86400) / 60;
  char text[16];
  std::snprintf(text, sizeof(text), "%02d:%02d",
                static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
  return text;
}

// The backup WHEN names, as the library resolves it. None: exit 1, naming
// the oldest there is; nothing is written.
size_t PickBackup(const ProfileBackups& found, const std::string& when,
                  const std::string& step) {
  MS_CHAR file[260] = {0};
  const int32_t code = marksafe_find_browser_backup(
      Utf8ToMs(found.profile.folder).c_str(), Utf8ToMs(when).c_str(), file);
  const std::string picked = code == 0 ? MsToUtf8(file) : std::string();
  for (size_t i = 0; i < found.backups.size(); ++i) {
    if (found.backups[i].file == picked) return i;
  }
  const BackupFile& oldest = found.backups.front();
  Fail(step, "no backup of " + ProfileLabel(found.profile) + " as of " +
                 when + ": " +
                 (code == static_cast<int32_t>(marksafe::kErrorInvalidParameter)
                      ? "it is no date (YYYY-MM-DD), age (3d, 12h, 2w) or "
                        "name of one"
                      : "the oldest is " + oldest.name + " of " +
                            oldest.date));
}

// Internet Explorer takes parts only: the backup becomes its family's
// part of a backup set in a scratch folder, which the conversion into
// Favorites then reads like any set.
Change RestoreIntoIe(const BrowserBackupOptions& options,
                     const ProfileBackups& found, const BackupFile& backup,
                     const std::string& from, const std::string& step) {
  ScratchFolder scratch(step, "marksafe-browser-backup-",
                        "the browser's backup");
  const Browser family = backup.kind == MARKSAFE_STORE_CHROME
                             ? Browser::kChrome
                             : Browser::kFirefox;
  const MsString file = Utf8ToMs(backup.file);
  const MsString folder = ToMsPath(PartFolder(scratch.path(), family));
  const MsString browser = Utf8ToMs(found.profile.browser);
  const MsString profile = Utf8ToMs(found.profile.name);
  const int32_t code = marksafe_backup_part(
      file.c_str(), backup.kind, folder.c_str(), browser.c_str(),
      profile.c_str());
  if (code != 0) {
    FailWithReport(step, backup.file + " cannot be read", TakeLastReport());
  }
  Say(from);
  const auto run = [&](const CommonOptions& common) {
    return ConvertPart(family, Browser::kIe, scratch.path(), common);
  };
  if (options.dry_run) {
    RunDryRun(Browser::kIe, options.common, step, run);
    return Change();
  }
  return run(options.common);
}

}  // namespace

int RunBrowserHistory(const BrowserBackupOptions& options) {
  const ProfileBackups found = ListBackups(options, true, "history");
  if (found.backups.empty()) {
    Say("No backups of its own in " + ProfileLabel(found.profile) + " (" +
        found.profile.folder + ")");
    return kExitDone;
  }
  Say("Backups of " + ProfileLabel(found.profile) + " (" +
      found.profile.folder + "), oldest first:");
  for (const BackupFile& backup : found.backups) {
    const std::string counts =
        !backup.error.empty()
            ? "unreadable: " + backup.error
            : std::to_string(backup.links) + " links, " +
                  std::to_string(backup.folders) + " folders";
    Say("  " + backup.date + " " + ClockOf(backup.time) + "  " +
        backup.name + "  " + counts);
  }
  return kExitDone;
}

int RunRestoreFromBrowser(const BrowserBackupOptions& options) {
  const std::string step = std::string("restore into ") + KeyName(options.to);
  const ProfileBackups found = ListBackups(options, false, step);
  if (found.backups.empty()) {
    Fail(step, ProfileLabel(found.profile) + " has no backups of its own");
  }
  const size_t index =
      options.as_of.empty() ? found.backups.size() - 1
                            : PickBackup(found, options.as_of, step);
  const BackupFile& backup = found.backups[index];
  const std::string from = "From " + backup.name + " (" + backup.date +
                           ") of " + ProfileLabel(found.profile);
  if (options.to == Browser::kIe) {
    const Change change = RestoreIntoIe(options, found, backup, from, step);
    if (options.dry_run) return kExitDone;
    return ShowRestored(change, backup.name, options.to, step);
  }
  // Firefox and Chrome take the backup's tree as it is read.
  Say(from);
  const auto run = [&](const CommonOptions& common) {
    return RestoreWhole(options.to, PathFromUtf8(backup.file), backup.kind,
                        common, step);
  };
  if (options.dry_run) return RunDryRun(options.to, options.common, step, run);
  return ShowRestored(run(options.common), backup.name, options.to, step);
}

}  // namespace marksafe_cli
