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
#include "jobs/profile_jobs.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "profiles/browser_profiles.h"
#include "profiles/profile_warnings.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/chrome_misc.h"

namespace marksafe {
namespace exports {
namespace {

Json::Value ProfileJson(const jobs::ListedProfile& listed, bool count) {
  const BrowserProfile& profile = listed.profile;
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
  out["store_exists"] = listed.store_exists;
  out["default"] = profile.is_default;
  out["running"] = listed.running;
  if (count) {
    out["counted"] = listed.counted;
    out["folders"] = static_cast<int32_t>(listed.counts.folders);
    out["links"] = static_cast<int32_t>(listed.counts.links);
  }
  return out;
}

std::string ProfilesText(const MS_CHAR* browser, const MS_CHAR* profile,
                         bool count) {
  ProfileWarnings warnings;
  const bool all = browser == nullptr && profile == nullptr;
  std::vector<jobs::ListedProfile> listed;
  const Status status =
      jobs::ListProfiles(!all, ToU16(browser), ToU16(profile), count, &listed);
  Json::Value out(Json::objectValue);
  Json::Value& warned = out["warnings"] = Json::Value(Json::arrayValue);
  for (const std::u16string& line : warnings.lines()) {
    warned.append(platform::ToUtf8(line));
  }
  Json::Value& list = out["profiles"] = Json::Value(Json::arrayValue);
  if (!status.ok()) {
    out["error"] = platform::ToUtf8(status.message());
    out["code"] = status.code();
    return CompactJson(out);
  }
  for (const jobs::ListedProfile& each : listed) {
    Json::Value item = ProfileJson(each, count);
    if (all) item["family_default"] = each.family_default;
    list.append(std::move(item));
  }
  return CompactJson(out);
}

int32_t CreateChromeBookmarks(const MS_CHAR* chrome_file) {
  const std::u16string path =
      chrome_file == nullptr ? std::u16string() : ToU16(chrome_file);
  if (path.empty() || path.size() > chrome::kMaxChromePathChars) {
    return RefusedCode("marksafe_create_chrome_bookmarks",
                       kErrorInvalidParameter);
  }
  return CodeOf(chrome::CreateChromeFile(path));
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
  return marksafe::exports::GuardedCode([&] {
    return marksafe::exports::CodeOf(marksafe::jobs::CloseProfile(
        marksafe::exports::ToU16(browser), marksafe::exports::ToU16(profile)));
  });
}

MARKSAFE_API int32_t marksafe_create_chrome_bookmarks(
    const MS_CHAR* chrome_file) {
  return marksafe::exports::GuardedCode(
      [&] { return marksafe::exports::CreateChromeBookmarks(chrome_file); });
}

}  // extern "C"
