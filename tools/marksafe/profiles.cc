#include "profiles.h"

#include <json/json.h>

#include <sstream>

#include "errors.h"
#include "output.h"

namespace marksafe_cli {
namespace {

// The library's families, as the program's three browsers.
struct KeyFamily {
  const char* key;
  Browser family;
};
constexpr KeyFamily kKeys[] = {
    {"ie", Browser::kIe},           {"firefox", Browser::kFirefox},
    {"librewolf", Browser::kFirefox}, {"waterfox", Browser::kFirefox},
    {"chrome", Browser::kChrome},   {"chromium", Browser::kChrome},
    {"edge", Browser::kChrome},     {"brave", Browser::kChrome},
    {"vivaldi", Browser::kChrome}};

ProfileInfo FromJson(const Json::Value& value) {
  ProfileInfo info;
  info.browser = value["browser"].asString();
  info.browser_name = value["browser_name"].asString();
  info.family = value["family"].asString() == "chromium" ? Browser::kChrome
                                                         : Browser::kFirefox;
  info.install = value["install"].asString();
  info.name = value["name"].asString();
  info.folder = value["folder"].asString();
  info.store = value["store"].asString();
  info.store_exists = value["store_exists"].asBool();
  info.is_default = value["default"].asBool();
  info.running = value["running"].asBool();
  info.counted = value["counted"].asBool();
  info.folders = value["folders"].asInt();
  info.links = value["links"].asInt();
  return info;
}

}  // namespace

const std::vector<std::string>& BrowserKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> out;
    for (const KeyFamily& each : kKeys) out.push_back(each.key);
    return out;
  }();
  return keys;
}

Browser FamilyOf(const std::string& key) {
  for (const KeyFamily& each : kKeys) {
    if (key == each.key) return each.family;
  }
  std::string known;
  for (const std::string& each : BrowserKeys()) {
    known += (known.empty() ? "" : ", ") + each;
  }
  FailUsage("unknown browser \"" + key + "\" (known: " + known + ")");
}

std::vector<ProfileInfo> FindProfiles(const std::string& browser,
                                      const std::string& profile, bool count,
                                      bool pick, const std::string& step) {
  const MsString ms_browser = Utf8ToMs(browser);
  const MsString ms_profile = Utf8ToMs(profile);
  const char* text = marksafe_profiles(pick ? ms_browser.c_str() : nullptr,
                                       pick ? ms_profile.c_str() : nullptr,
                                       count);
  Json::Value document;
  std::istringstream in(text);
  Json::CharReaderBuilder builder;
  std::string errors;
  if (!Json::parseFromStream(builder, in, &document, &errors) ||
      !document.isObject()) {
    Fail(step, "the library's list of profiles is not JSON");
  }
  if (document.isMember("error")) {
    // The library lists what exists on lines of their own: one line here.
    std::string line = document["error"].asString();
    for (size_t at; (at = line.find("\n")) != std::string::npos;) {
      const size_t next = line.find_first_not_of(' ', at + 1);
      line.replace(at, (next == std::string::npos ? line.size() : next) - at,
                   next == std::string::npos ? "" : " ");
    }
    Fail(step, line);
  }
  std::vector<ProfileInfo> out;
  for (const Json::Value& each : document["profiles"]) {
    ProfileInfo info = FromJson(each);
    if (!pick && !browser.empty() && info.browser != browser) continue;
    out.push_back(std::move(info));
  }
  return out;
}

void ChooseProfile(const std::string& key, CommonOptions* options,
                   const std::string& step) {
  const Browser family = FamilyOf(key);
  if (family == Browser::kIe) {
    if (!options->profile.empty()) {
      FailUsage(step + ": --profile does not apply to Internet Explorer");
    }
    return;
  }
  const bool library_default = key == "firefox" || key == "chrome";
  if (library_default && options->profile.empty()) return;
  DataOptions& data = options->data;
  std::string& store =
      family == Browser::kChrome ? data.chrome_bookmarks : data.places;
  if (!store.empty()) {
    FailUsage(step + ": name either a profile or a " +
              (family == Browser::kChrome ? "--chrome-bookmarks file"
                                          : "--places file") +
              ", not both");
  }
  const ProfileInfo profile =
      FindProfiles(key, options->profile, false, true, step).front();
  if (profile.family != family) {
    Fail(step, "the profile " + profile.folder + " belongs to " +
                   profile.browser_name + ", not to " + key);
  }
  store = profile.store;
  data.profile_running = profile.running;
  data.profile_in_use = [key, query = options->profile, step] {
    return FindProfiles(key, query, false, true, step).front().running;
  };
  data.close_profile = [key, folder = profile.folder] {
    return marksafe_close_profile(Utf8ToMs(key).c_str(),
                                  Utf8ToMs(folder).c_str()) == 0;
  };
  data.profile_label =
      profile.browser_name + " profile \"" + profile.name + "\"";
  data.create_chrome_file =
      family == Browser::kChrome && !profile.store_exists;
  data.profile_browser = profile.browser;
  data.profile_browser_name = profile.browser_name;
  data.profile_name = profile.name;
  data.profile_folder = profile.folder;
}

int RunProfiles(const ProfilesOptions& options) {
  if (!options.browser.empty()) FamilyOf(options.browser);
  const bool pick = !options.profile.empty();
  const std::vector<ProfileInfo> profiles =
      FindProfiles(options.browser, options.profile, true, pick, "profiles");
  if (profiles.empty()) {
    Say(options.browser.empty() ? "No browser profile found."
                                : "No " + options.browser + " profile found.");
    return kExitDone;
  }
  Table table({"Browser", "Install", "Profile", "Default", "Running", "Folders",
               "Links", "Path"});
  for (size_t column : {1, 2, 3, 4, 7}) table.SetLeftAligned(column);
  for (const ProfileInfo& each : profiles) {
    const bool measured = each.counted;
    std::string links = measured ? std::to_string(each.links) : "-";
    if (!each.store_exists) links = "none yet";
    table.AddRow({each.browser_name, each.install, each.name,
                  each.is_default ? "yes" : "no", each.running ? "yes" : "no",
                  measured ? std::to_string(each.folders) : "-", links,
                  each.folder});
  }
  for (const std::string& line : table.Render("")) Say(line);
  return kExitDone;
}

}  // namespace marksafe_cli
