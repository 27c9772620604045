// marksafe verify DIR [--as-of WHEN]: each part of a backup set (or its
// snapshot of that time) against the live data of the profile it came from
// (marksafe_compare), folder by folder.
#include "verify.h"

#include <json/json.h>

#include <algorithm>
#include <sstream>
#include <system_error>

#include "backup_set_layout.h"
#include "errors.h"
#include "history.h"
#include "json_answer.h"
#include "output.h"
#include "profiles.h"
#include "set_parts.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

int32_t PartKind(Browser browser) {
  switch (browser) {
    case Browser::kIe:
      return MARKSAFE_STORE_URL_FOLDER;
    case Browser::kFirefox:
      return MARKSAFE_STORE_FIREFOX_PART;
    case Browser::kChrome:
      return MARKSAFE_STORE_CHROME_PART;
  }
  return -1;
}

// Compares one part, or the snapshot of it at snapshot (when not empty);
// returns the links the browser lacks (-1: could not compare).
int64_t VerifyPart(const SetPart& set_part, const fs::path& snapshot,
                   const Location& location) {
  const Browser browser = set_part.family;
  std::string name = DescribePart(set_part);
  if (!snapshot.empty()) {
    name += " as of " + PathToUtf8(snapshot.parent_path().filename());
  }
  if (!location.found) {
    Say(name + ": no browser data found; the part cannot be checked");
    return -1;
  }
  const MsString backup = ToMsPath(snapshot.empty() ? set_part.folder
                                                    : snapshot);
  const char* text = marksafe_compare(
      backup.c_str(),
      snapshot.empty() ? PartKind(browser) : MARKSAFE_STORE_SNAPSHOT,
      location.ms_path.c_str(), StoreKind(browser));
  Json::Value result;
  if (!ParseObject(text, &result)) {
    Say(name + ": the library's comparison is not JSON");
    return -1;
  }
  if (result.isMember("error")) {
    Say(name + ": " + result["error"].asString());
    return -1;
  }
  const int64_t missing = result["missing"].asInt64();
  const int64_t extra = result["extra"].asInt64();
  Say(name + " (" + PathToUtf8(location.path) + "): " +
      std::to_string(missing) + " links of the backup missing, " +
      std::to_string(extra) + " links not in the backup");
  for (const Json::Value& folder : result["folders"]) {
    const std::string where =
        folder["root"].asString() +
        (folder["folder"].asString().empty() ? ""
                                             : "/" + folder["folder"].asString());
    Say("  " + where + ": " + std::to_string(folder["missing"].size()) +
        " missing, " + std::to_string(folder["extra"].size()) + " extra");
    for (const char* side : {"missing", "extra"}) {
      for (const Json::Value& link : folder[side]) {
        Say(std::string("    ") + (side[0] == 'm' ? "missing: " : "extra:   ") +
            link["title"].asString() + " -> " + link["url"].asString());
      }
    }
  }
  return missing;
}

}  // namespace

int32_t StoreKind(Browser browser) {
  switch (browser) {
    case Browser::kIe:
      return MARKSAFE_STORE_URL_FOLDER;
    case Browser::kFirefox:
      return MARKSAFE_STORE_PLACES;
    case Browser::kChrome:
      return MARKSAFE_STORE_CHROME;
  }
  return -1;
}

// The browser data a part is checked against: the chosen profile's, or
// for a slot the family's default, or the profile the part's manifest
// names.
Location StoreOf(const SetPart& part, const CommonOptions& options) {
  if (part.legacy || part.profile_folder.empty()) {
    return Locate(part.family, options.data);
  }
  DataOptions data;
  const fs::path store = PathFromUtf8(part.profile_folder) /
                         (part.family == Browser::kFirefox ? "places.sqlite"
                                                           : "Bookmarks");
  (part.family == Browser::kFirefox ? data.places : data.chrome_bookmarks) =
      PathToUtf8(store);
  return Locate(part.family, data);
}

int RunVerify(const VerifyOptions& options) {
  const fs::path root = fs::absolute(PathFromUtf8(options.dir));
  std::error_code ec;
  if (!fs::is_directory(root / "Bookmarks", ec)) {
    Fail("verify", PathToUtf8(root) + " is not a backup set (no Bookmarks "
                                      "folder)");
  }
  CommonOptions common = options.common;
  std::vector<SetPart> parts;
  if (!options.browser.empty()) {
    const Browser family = FamilyOf(options.browser);
    ChooseProfile(options.browser, &common, "verify");
    parts.push_back(
        ChooseRestorePart(root, family, common.data, "", "", "verify"));
  } else {
    ChooseDefaults(&common, "verify");
    parts = ListParts(root);
  }
  if (!options.as_of.empty() && options.browser.empty()) {
    // Only Firefox and Chrome parts keep snapshots.
    parts.erase(std::remove_if(parts.begin(), parts.end(),
                               [](const SetPart& part) {
                                 return part.family == Browser::kIe;
                               }),
                parts.end());
  }
  int64_t lacking = 0;
  bool failed = false;
  for (const SetPart& part : parts) {
    const Location store = options.browser.empty()
                               ? StoreOf(part, common)
                               : Locate(part.family, common.data);
    // As of a date: the part's snapshot is checked in its place.
    const fs::path snapshot =
        options.as_of.empty()
            ? fs::path()
            : FindSnapshot(root, PathToUtf8(part.folder.filename()),
                           options.as_of, "verify");
    const int64_t missing = VerifyPart(part, snapshot, store);
    if (missing < 0) failed = true;
    if (missing > 0) lacking += missing;
  }
  if (parts.empty()) Fail("verify", PathToUtf8(root) + " holds no part");
  if (failed) Fail("verify", "not every part could be checked");
  if (lacking > 0) {
    Fail("verify", "the browsers lack " + std::to_string(lacking) +
                       " links of the backup");
  }
  Say("Every link of the backup is in the browsers.");
  return kExitDone;
}

}  // namespace marksafe_cli
