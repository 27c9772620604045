// The extras a host needs to work per browser profile: the list of every
// profile the user has (with counts and whether a browser holds it),
// closing the browser that holds one, and a fresh Chromium Bookmarks file
// for a profile that has none yet.
#include <json/json.h>

#include <string>
#include <vector>

#include "base/error_codes.h"
#include "base/json_text.h"
#include "base/text.h"
#include "exports/export_util.h"
#include "jobs/store_jobs.h"
#include "marksafe/marksafe.h"
#include "model/bookmark_tree.h"
#include "platform/platform.h"
#include "profiles/browser_profiles.h"
#include "profiles/profile_warnings.h"
#include "stores/chrome/chrome_checksum.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/chrome_misc.h"

namespace marksafe {
namespace exports {
namespace {

// The folders and links below the store's roots; false when the store is
// missing or cannot be read.
bool CountStore(const BrowserProfile& profile, int32_t* folders,
                int32_t* links) {
  model::Counts counts;
  const bool counted =
      jobs::CountStore(profile.family == BrowserFamily::kChromium
                           ? MARKSAFE_STORE_CHROME
                           : MARKSAFE_STORE_PLACES,
                       profile.store, &counts)
          .ok();
  *folders = counted ? static_cast<int32_t>(counts.folders) : 0;
  *links = counted ? static_cast<int32_t>(counts.links) : 0;
  return counted;
}

bool SameProfile(const BrowserProfile& a, const BrowserProfile& b) {
  return a.browser == b.browser && a.data_folder == b.data_folder &&
         a.folder == b.folder;
}

Json::Value ProfileJson(const BrowserProfile& profile, bool count) {
  Json::Value out(Json::objectValue);
  const BrowserInfo* info = FindBrowser(profile.browser);
  out["browser"] = platform::ToUtf8(profile.browser);
  out["browser_name"] = info != nullptr ? platform::ToUtf8(info->name) : "";
  out["family"] =
      profile.family == BrowserFamily::kChromium ? "chromium" : "firefox";
  out["install"] = platform::ToUtf8(InstallKindName(profile.install));
  out["app"] = platform::ToUtf8(profile.app);
  out["data_folder"] = platform::ToUtf8(profile.data_folder);
  out["name"] = platform::ToUtf8(profile.name);
  out["folder_name"] = platform::ToUtf8(profile.folder_name);
  out["folder"] = platform::ToUtf8(profile.folder);
  out["store"] = platform::ToUtf8(profile.store);
  out["store_exists"] = platform::PathExists(profile.store);
  out["default"] = profile.is_default;
  out["running"] = ProfileInUse(profile);
  if (count) {
    int32_t folders = 0, links = 0;
    const bool counted = CountStore(profile, &folders, &links);
    out["counted"] = counted;
    out["folders"] = folders;
    out["links"] = links;
  }
  return out;
}

std::string ProfilesText(const MS_CHAR* browser, const MS_CHAR* profile,
                         bool count) {
  ProfileWarnings warnings;
  const std::vector<BrowserProfile> profiles = FindProfiles();
  Json::Value out(Json::objectValue);
  Json::Value& warned = out["warnings"] = Json::Value(Json::arrayValue);
  for (const std::u16string& line : warnings.lines()) {
    warned.append(platform::ToUtf8(line));
  }
  Json::Value& list = out["profiles"] = Json::Value(Json::arrayValue);
  if (browser == nullptr && profile == nullptr) {
    // Each family's default: what a command takes when nothing is named.
    std::vector<BrowserProfile> defaults(2);
    const bool has_default[] = {
        PickFamilyDefault(profiles, BrowserFamily::kFirefox, &defaults[0]).ok(),
        PickFamilyDefault(profiles, BrowserFamily::kChromium, &defaults[1])
            .ok()};
    for (const BrowserProfile& each : profiles) {
      Json::Value item = ProfileJson(each, count);
      const size_t family = each.family == BrowserFamily::kFirefox ? 0 : 1;
      item["family_default"] =
          has_default[family] && SameProfile(each, defaults[family]);
      list.append(std::move(item));
    }
  } else {
    BrowserProfile picked;
    const Status status = PickProfile(profiles, ToU16(browser),
                                      ToU16(profile), &picked);
    if (status.ok()) {
      list.append(ProfileJson(picked, count));
    } else {
      out["error"] = platform::ToUtf8(status.message());
      out["code"] = status.code();
    }
  }
  return CompactJson(out);
}

int32_t CloseProfile(const MS_CHAR* browser, const MS_CHAR* profile) {
  BrowserProfile picked;
  const Status status = FindProfile(ToU16(browser), ToU16(profile), &picked);
  if (!status.ok()) return static_cast<int32_t>(status.code());
  return CloseProfileHolder(picked) ? 0 : kErrorBusy;
}

int32_t CreateChromeBookmarks(const MS_CHAR* chrome_file) {
  const std::u16string path =
      chrome_file == nullptr ? std::u16string() : ToU16(chrome_file);
  if (path.empty() || path.size() > chrome::kMaxChromePathChars) {
    return RefusedCode("marksafe_create_chrome_bookmarks",
                       kErrorInvalidParameter);
  }
  if (platform::PathExists(path)) return kErrorFileExists;
  const size_t slash = path.find_last_of(u"/\\");
  if (slash == std::u16string::npos ||
      !platform::IsDirectory(path.substr(0, slash))) {
    return kErrorPathNotFound;
  }
  // What a Chromium browser writes for a new profile: the three roots,
  // empty, with the ids it gives them, a checksum and version 1.
  Json::Value document(Json::objectValue);
  Json::Value& roots = document["roots"] = Json::Value(Json::objectValue);
  struct Root {
    const char* key;
    const char* id;
    const char* name;
  };
  const Root kRoots[] = {{"bookmark_bar", "1", "Bookmarks bar"},
                         {"other", "2", "Other bookmarks"},
                         {"synced", "3", "Mobile bookmarks"}};
  const int64_t now = model::ToChromeTime(model::Now());
  for (const Root& root : kRoots) {
    chrome::make_folder_node(root.id, root.name, now, 0, &roots[root.key]);
  }
  document["version"] = 1;
  chrome::PrepareForChrome(&document, true);
  return chrome::save_chrome_file(document, path) ? 0 : kErrorInvalidParameter;
}

}  // namespace
}  // namespace exports
}  // namespace marksafe

extern "C" {

MARKSAFE_API const char* marksafe_profiles(const MS_CHAR* browser,
                                           const MS_CHAR* profile,
                                           bool count) {
  static marksafe::platform::ThreadSlot slot;
  return marksafe::exports::TextPerThread(
      &slot, "{\"profiles\":[],\"error\":\"out of memory\",\"code\":14}",
      [&] {
        return marksafe::exports::ProfilesText(browser, profile, count);
      });
}

MARKSAFE_API int32_t marksafe_close_profile(const MS_CHAR* browser,
                                            const MS_CHAR* profile) {
  return marksafe::exports::GuardedCode(
      [&] { return marksafe::exports::CloseProfile(browser, profile); });
}

MARKSAFE_API int32_t marksafe_create_chrome_bookmarks(
    const MS_CHAR* chrome_file) {
  return marksafe::exports::GuardedCode(
      [&] { return marksafe::exports::CreateChromeBookmarks(chrome_file); });
}

}  // extern "C"
