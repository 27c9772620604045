#include "profiles.h"

#include <json/json.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "errors.h"
#include "json_answer.h"
#include "output.h"

namespace fs = std::filesystem;

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
  info.data_folder = value["data_folder"].asString();
  info.is_default = value["default"].asBool();
  info.family_default = value["family_default"].asBool();
  info.running = value["running"].asBool();
  info.counted = value["counted"].asBool();
  info.folders = value["folders"].asInt();
  info.links = value["links"].asInt();
  return info;
}

std::string Slashed(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

// The store the library's own exports find when given no path; empty when
// they find none.
std::string LibraryDefaultStore(Browser family) {
  MS_CHAR buffer[260] = {};
  const bool found = family == Browser::kFirefox ? is_installed_firefox(buffer)
                                                 : is_installed_chrome(buffer);
  return found ? PathToUtf8(PathFromMs(buffer)) : std::string();
}

// Points data at profile, the default of its family: the library's own
// exports take it when they find the same store, else it is named.
void UseDefault(const ProfileInfo& profile, Browser family, DataOptions* data) {
  std::string& store =
      family == Browser::kChrome ? data->chrome_bookmarks : data->places;
  if (Slashed(LibraryDefaultStore(family)) == Slashed(profile.store)) return;
  store = profile.store;
  (family == Browser::kChrome ? data->chrome_note : data->places_note) =
      profile.browser_name + " (" + profile.install + ") profile \"" +
      profile.name + "\"";
  data->create_chrome_file =
      data->create_chrome_file ||
      (family == Browser::kChrome && !profile.store_exists);
}

// The family's default among every profile; null when it has none. With
// several installations of the family, says which one is taken.
const ProfileInfo* FamilyDefault(const std::vector<ProfileInfo>& all,
                                 Browser family) {
  const ProfileInfo* chosen = nullptr;
  std::vector<std::string> installs;
  for (const ProfileInfo& each : all) {
    if (each.family != family) continue;
    if (each.family_default) chosen = &each;
    if (std::find(installs.begin(), installs.end(), each.data_folder) ==
        installs.end()) {
      installs.push_back(each.data_folder);
    }
  }
  if (chosen != nullptr && installs.size() > 1) {
    Say(std::string(family == Browser::kChrome ? "Chromium family"
                                               : "Firefox family") +
        ": " + std::to_string(installs.size()) +
        " installations found; using the one used last, " +
        chosen->browser_name + " (" + chosen->install + ") profile \"" +
        chosen->name + "\" in " + chosen->folder);
  }
  return chosen;
}

// --profile as the library matches it: a folder that exists, as typed
// (relative, with "..", with a trailing separator), as its absolute path.
std::string ProfileQuery(const std::string& profile) {
  std::error_code ec;
  if (profile.empty() || !fs::is_directory(PathFromUtf8(profile), ec)) {
    return profile;
  }
  std::string query =
      PathToUtf8(fs::absolute(PathFromUtf8(profile), ec).lexically_normal());
  while (query.size() > 1 && (query.back() == '/' || query.back() == '\\')) {
    query.pop_back();
  }
  return query;
}

}  // namespace

std::string BrowserKey(const std::string& key) {
  std::string lower = key;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

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
    if (BrowserKey(key) == each.key) return each.family;
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
  if (!ParseObject(text, &document)) {
    Fail(step, "the library's list of profiles is not JSON");
  }
  // Each warning once per run, however often the profiles are looked up.
  static std::vector<std::string> warned;
  for (const Json::Value& each : document["warnings"]) {
    const std::string line = each.asString();
    if (std::find(warned.begin(), warned.end(), line) == warned.end()) {
      warned.push_back(line);
      Warn("marksafe: warning: " + line);
    }
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
    if (!pick && !browser.empty() && info.browser != BrowserKey(browser)) {
      continue;
    }
    out.push_back(std::move(info));
  }
  return out;
}

std::optional<ProfileInfo> FindStoreProfile(const std::string& store) {
  if (store.empty()) return std::nullopt;
  const MsString ms_store = Utf8ToMs(store);
  const MsString any;
  Json::Value document;
  if (!ParseObject(marksafe_profiles(any.c_str(), ms_store.c_str(), false),
                   &document) ||
      document["profiles"].size() != 1) {
    return std::nullopt;
  }
  ProfileInfo info = FromJson(document["profiles"][0]);
  // A profile picked by its folder's or its own name is another file's.
  const auto normal = [](std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return PathFromUtf8(path).lexically_normal();
  };
  if (normal(info.store) != normal(store)) return std::nullopt;
  return info;
}

void ChooseProfile(const std::string& given_key, CommonOptions* options,
                   const std::string& step) {
  const std::string key = BrowserKey(given_key);
  const Browser family = FamilyOf(key);
  if (family == Browser::kIe) {
    if (!options->profile.empty()) {
      FailUsage(step + ": --profile does not apply to Internet Explorer");
    }
    return;
  }
  const bool family_key = key == "firefox" || key == "chrome";
  DataOptions& data = options->data;
  std::string& store =
      family == Browser::kChrome ? data.chrome_bookmarks : data.places;
  if (!store.empty()) {
    // A named file is the store, whichever browser of the family it is of.
    if (options->profile.empty()) return;
    FailUsage(step + ": name either a profile or a " +
              (family == Browser::kChrome ? "--chrome-bookmarks file"
                                          : "--places file") +
              ", not both");
  }
  const std::string query = ProfileQuery(options->profile);
  ProfileInfo profile;
  if (family_key && query.empty()) {
    const std::vector<ProfileInfo> all =
        FindProfiles("", "", false, false, step);
    const bool own = std::any_of(all.begin(), all.end(), [&](const auto& each) {
      return each.browser == key;
    });
    if (!own) {
      // None of this browser: the family's default, as a plain command takes.
      const ProfileInfo* fallback = FamilyDefault(all, family);
      if (fallback != nullptr) UseDefault(*fallback, family, &data);
      return;
    }
    profile = FindProfiles(key, "", false, true, step).front();
  } else {
    profile = FindProfiles(key, query, false, true, step).front();
  }
  if (profile.family != family) {
    Fail(step, "the profile " + profile.folder + " belongs to " +
                   profile.browser_name + ", not to " + key);
  }
  store = profile.store;
  data.profile_running = profile.running;
  data.profile_in_use = [key, query, step] {
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

void ChooseDefaults(CommonOptions* options, const std::string& step) {
  DataOptions& data = options->data;
  if (!data.places.empty() && !data.chrome_bookmarks.empty()) return;
  const std::vector<ProfileInfo> all = FindProfiles("", "", false, false, step);
  for (Browser family : {Browser::kFirefox, Browser::kChrome}) {
    const std::string& store =
        family == Browser::kChrome ? data.chrome_bookmarks : data.places;
    if (!store.empty()) continue;
    const ProfileInfo* chosen = FamilyDefault(all, family);
    if (chosen != nullptr) UseDefault(*chosen, family, &data);
  }
}

int RunProfiles(const ProfilesOptions& options) {
  if (!options.browser.empty()) FamilyOf(options.browser);
  const bool pick = !options.profile.empty();
  const std::vector<ProfileInfo> profiles = FindProfiles(
      options.browser, ProfileQuery(options.profile), true, pick, "profiles");
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
