// marksafe history ROOT [--browser X], marksafe diff ROOT[@WHEN] [ROOT@WHEN]
// and the snapshots a backup keeps.
#include "history.h"

#include <json/json.h>

#include <map>
#include <sstream>
#include <system_error>

#include "backup_set_layout.h"
#include "base/error_codes.h"
#include "errors.h"
#include "json_answer.h"
#include "output.h"
#include "profiles.h"
#include "verify.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

constexpr int32_t kSnapshotUnchanged = 1;
constexpr int32_t kNoSnapshots =
    static_cast<int32_t>(marksafe::kErrorNotSupported);

Json::Value ParseJson(const char* text, const std::string& step) {
  Json::Value result;
  if (!ParseObject(text, &result)) {
    Fail(step, "the library's answer is not JSON");
  }
  return result;
}

std::string PartNameOf(const fs::path& folder) {
  return PathToUtf8(folder.filename());
}

// "2026-12-07 21:45:00Z" for "20261207T214500Z" ("-2" kept).
std::string ShowId(const std::string& id) {
  if (id.size() < 16) return id;
  return id.substr(0, 4) + "-" + id.substr(4, 2) + "-" + id.substr(6, 2) +
         " " + id.substr(9, 2) + ":" + id.substr(11, 2) + ":" +
         id.substr(13, 2) + "Z" + id.substr(16);
}

// A side of diff: ROOT or ROOT@WHEN (the last "@" after the last
// separator).
void SplitSide(const std::string& side, fs::path* root, std::string* when) {
  const size_t at = side.rfind('@');
  const size_t slash = side.find_last_of("/\\");
  if (at == std::string::npos || (slash != std::string::npos && at < slash)) {
    *root = fs::absolute(PathFromUtf8(side));
    when->clear();
    return;
  }
  *root = fs::absolute(PathFromUtf8(side.substr(0, at)));
  *when = side.substr(at + 1);
}

// Prints a diff's changes folder by folder.
void ShowChanges(const Json::Value& result) {
  std::map<std::string, std::vector<std::string>> by_folder;
  for (const Json::Value& change : result["changes"]) {
    const std::string kind = change["change"].asString();
    std::string line = (kind == "added"     ? "  + "
                        : kind == "removed" ? "  - "
                        : kind == "renamed" ? "  ~ "
                                            : "  > ") +
                       change["title"].asString();
    if (change["type"].asString() == "folder") line += "/";
    if (change.isMember("url")) line += "  " + change["url"].asString();
    if (kind == "renamed" || kind == "moved") {
      line += "  (" + kind + " from " + change["from"].asString() + ")";
    }
    by_folder[change["folder"].asString()].push_back(line);
  }
  for (const auto& [folder, lines] : by_folder) {
    Say(folder + ":");
    for (const std::string& line : lines) Say(line);
  }
  Say(std::to_string(result["added"].asInt64()) + " added, " +
      std::to_string(result["removed"].asInt64()) + " removed, " +
      std::to_string(result["renamed"].asInt64()) + " renamed, " +
      std::to_string(result["moved"].asInt64()) + " moved");
}

// The newest snapshot: the last one at least no time old.
const char kNewest[] = "0s";

}  // namespace

void SnapshotBackup(const fs::path& root,
                    const std::vector<fs::path>& part_folders,
                    const RetentionOptions& retention, bool prune) {
  const MsString ms_root = ToMsPath(root);
  MS_CHAR id[MARKSAFE_SNAPSHOT_ID_UNITS] = {0};
  bool ok = true;
  for (const fs::path& folder : part_folders) {
    const int32_t code =
        marksafe_snapshot_part(ms_root.c_str(), ToMsPath(folder).c_str(), id);
    if (code == kNoSnapshots) {
      Say("  no snapshots: this build has no zstd");
      return;
    }
    const std::string name = PartNameOf(folder);
    if (code == kSnapshotUnchanged) {
      Say("  " + name + ": unchanged since its last snapshot; none written");
    } else if (code == 0) {
      Say("  " + name + ": snapshot History/" + MsToUtf8(id));
    } else {
      Warn("marksafe: backup: the snapshot of " + name +
           " could not be written (the part is)");
      ok = false;
    }
  }
  if (!ok || !prune) return;
  int32_t removed = 0;
  if (marksafe_prune_snapshots(ms_root.c_str(), retention.last,
                               retention.daily,
                               retention.weekly, retention.monthly,
                               &removed) != 0) {
    Warn("marksafe: backup: old snapshots could not all be removed");
  }
  if (removed > 0) {
    Say("  pruned " + std::to_string(removed) + " old snapshot" +
        (removed == 1 ? "" : "s"));
  }
}

int RunHistory(const HistoryOptions& options) {
  const fs::path root = fs::absolute(PathFromUtf8(options.dir));
  RequireBackupRoot(root, "history");
  const Json::Value result = ParseJson(
      marksafe_history(ToMsPath(root).c_str(), nullptr), "history");
  for (const Json::Value& error : result["errors"]) {
    Warn("marksafe: history: " + error.asString());
  }
  int shown = 0;
  for (const Json::Value& entry : result["snapshots"]) {
    const std::string browser = entry["browser"].asString();
    if (!options.browser.empty() && browser != options.browser) continue;
    std::string owner = browser;
    if (!entry["profile"].asString().empty()) {
      owner += (owner.empty() ? "\"" : " \"") + entry["profile"].asString() +
               "\"";
    }
    if (!owner.empty()) owner = " (" + owner + ")";
    std::string change = "first snapshot";
    if (!entry["first"].asBool()) {
      change = "+" + std::to_string(entry["added"].asInt64()) + " -" +
               std::to_string(entry["removed"].asInt64()) + ", " +
               std::to_string(entry["renamed"].asInt64()) + " renamed, " +
               std::to_string(entry["moved"].asInt64()) + " moved";
    }
    Say(ShowId(entry["id"].asString()) + "  " + entry["part"].asString() +
        owner + ": " + std::to_string(entry["links"].asInt64()) + " links, " +
        std::to_string(entry["folders"].asInt64()) + " folders; " + change);
    ++shown;
  }
  if (shown == 0) Say("No snapshots in " + PathToUtf8(root) + ".");
  return kExitDone;
}

fs::path FindSnapshot(const fs::path& root, const std::string& part_name,
                      const std::string& when, const std::string& step) {
  MS_CHAR found[260] = {0};
  const MsString ms_part = Utf8ToMs(part_name);
  const int32_t code =
      marksafe_find_snapshot(ToMsPath(root).c_str(), ms_part.c_str(),
                             Utf8ToMs(when).c_str(), found);
  if (code == static_cast<int32_t>(marksafe::kErrorInvalidParameter)) {
    FailUsage(step + ": \"" + when +
              "\" is no snapshot id, date (2026-12-01) or age (3d)");
  }
  if (code != 0) {
    Fail(step, "no snapshot" + (part_name.empty() ? "" : " of " + part_name) +
                   " in " + PathToUtf8(root) + " is as old as " + when +
                   "; nothing was written");
  }
  return PathFromUtf8(MsToUtf8(found));
}

int RunDiff(const DiffOptions& options) {
  const std::string step = "diff";
  if (options.sides.empty() || options.sides.size() > 2) {
    FailUsage("diff: name ROOT[@WHEN] once (against a browser) or twice");
  }
  fs::path root;
  std::string when;
  SplitSide(options.sides[0], &root, &when);
  RequireBackupRoot(root, step);
  CommonOptions common = options.common;
  std::string part_name;
  Browser family = Browser::kFirefox;
  if (!options.browser.empty()) {
    family = FamilyOf(options.browser);
    ChooseProfile(options.browser, &common, step);
    part_name = PartNameOf(
        ChooseRestorePart(root, family, common.data, "", "", step).folder);
  } else if (options.sides.size() == 1) {
    FailUsage("diff: name the browser to compare with (--browser)");
  }
  const fs::path before =
      FindSnapshot(root, part_name, when.empty() ? kNewest : when, step);
  const MsString ms_before = ToMsPath(before);
  const char* text = nullptr;
  if (options.sides.size() == 2) {
    fs::path other_root;
    std::string other_when;
    SplitSide(options.sides[1], &other_root, &other_when);
    RequireBackupRoot(other_root, step);
    const fs::path after =
        FindSnapshot(other_root, PathToUtf8(before.stem()),
                     other_when.empty() ? kNewest : other_when, step);
    Say("From " + PathToUtf8(before) + " to " + PathToUtf8(after));
    text = marksafe_diff(ms_before.c_str(), MARKSAFE_STORE_SNAPSHOT,
                         ToMsPath(after).c_str(), MARKSAFE_STORE_SNAPSHOT);
  } else {
    const Location live = Locate(family, common.data);
    if (!live.found) Fail(step, "no browser data found to compare with");
    Say("From " + PathToUtf8(before) + " to " + PathToUtf8(live.path));
    text = marksafe_diff(ms_before.c_str(), MARKSAFE_STORE_SNAPSHOT,
                         live.ms_path.c_str(), StoreKind(family));
  }
  const Json::Value result = ParseJson(text, step);
  if (result.isMember("error")) Fail(step, result["error"].asString());
  ShowChanges(result);
  return kExitDone;
}

SnapshotPart::SnapshotPart(const fs::path& snapshot, const SetPart& like,
                           const std::string& step)
    : scratch_(step, "marksafe-as-of-", "the snapshot"), part_(like) {
  part_.folder = scratch_.path() / like.folder.parent_path().filename() /
                 like.folder.filename();
  const int32_t code = marksafe_snapshot_to_part(
      ToMsPath(snapshot).c_str(), ToMsPath(part_.folder).c_str());
  if (code != 0) {
    const LibraryReport report = TakeLastReport();
    std::string why = "cannot be read";
    for (const ProblemItem& problem : report.problems) why = problem.reason;
    Fail(step, "the snapshot " + PathToUtf8(snapshot) + ": " + why);
  }
  part_.name += " as of " + PathToUtf8(snapshot.parent_path().filename());
}

}  // namespace marksafe_cli
