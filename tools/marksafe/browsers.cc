#include "browsers.h"

#include <json/json.h>

#include <cctype>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "errors.h"
#include "os.h"
#include "output.h"
#include "profiles.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

constexpr size_t kPathUnits = 260;

// found: the library's answer; a path it filled in is kept either way,
// so that a message can name it.
Location FromLibrary(bool found, const MS_CHAR* buffer) {
  Location location;
  location.found = found;
  if (buffer[0] != 0) {
    location.path = PathFromMs(buffer);
    location.ms_path = buffer;
  }
  return location;
}

Location Named(const std::string& utf8, bool want_directory) {
  Location location;
  location.named = true;
  location.path = PathFromUtf8(utf8);
  std::error_code ec;
  location.path = fs::absolute(location.path, ec).lexically_normal();
  location.ms_path = ToMsPath(location.path);
  location.found = want_directory ? fs::is_directory(location.path, ec)
                                  : fs::is_regular_file(location.path, ec);
  return location;
}

// A new, empty folder in the temporary folder; empty path when none can
// be made.
fs::path NewScratchFolder(const std::string& purpose) {
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  std::random_device random;
  for (int attempt = 0; !ec && attempt < 100; ++attempt) {
    fs::path folder =
        temp / ("marksafe-" + purpose + "-" + std::to_string(random()));
    if (fs::create_directory(folder, ec)) return folder;
  }
  return fs::path();
}

// Where the library reads the data variables (POSIX), a copy of the named
// places.sqlite in a throw-away profile is measured the way the live
// profile is. Elsewhere the file is exported into a throw-away folder and
// the export is measured: only explicit paths reach the library there.
Counts MeasureNamedPlaces(const Location& location) {
  Counts counts;
  const fs::path scratch = NewScratchFolder("measure");
  if (scratch.empty()) return counts;
  std::error_code ec;
  if (DataVariablesHonoured()) {
    const fs::path profile =
        scratch / "Roaming" / "Mozilla" / "Firefox" / "Profiles" / "m.default";
    fs::create_directories(profile, ec);
    if (!ec) fs::copy_file(location.path, profile / "places.sqlite", ec);
    // Writes Firefox has not moved into the store yet are in its -wal:
    // the copy counts them too.
    fs::path wal = location.path;
    wal += "-wal";
    std::error_code absent;
    if (!ec && fs::is_regular_file(wal, absent)) {
      fs::copy_file(wal, profile / "places.sqlite-wal", ec);
    }
    if (!ec) {
      ScopedEnvVar appdata("MARKSAFE_APPDATA", PathToUtf8(scratch / "Roaming"));
      counts.ok = get_firefox_bookmark_size(nullptr, false, &counts.size,
                                            &counts.folders, &counts.links);
    }
  } else if (ms_places_handle places = init_bookmark(location.arg())) {
    const MsString ms_scratch = ToMsPath(scratch);
    const bool exported =
        export_firefox_2_folder(places, ms_scratch.c_str(), false);
    release_bookmark(places);
    uint64_t export_size = 0;
    counts.ok =
        exported && get_firefox_bk_size(ms_scratch.c_str(), false, &export_size,
                                        &counts.folders, &counts.links);
    counts.size = fs::file_size(location.path, ec);
  }
  fs::remove_all(scratch, ec);
  return counts;
}

// JsonCpp's "* Line 2, Column 1\n  Syntax error: ...\n" as
// "line 2, column 1: Syntax error: ...".
std::string FirstJsonError(const std::string& errors) {
  std::string where = errors.substr(0, errors.find('\n'));
  if (where.rfind("* ", 0) == 0) where.erase(0, 2);
  for (char& c : where) c = static_cast<char>(std::tolower(c));
  std::string what;
  const size_t next = errors.find('\n');
  if (next != std::string::npos) {
    what = errors.substr(next + 1, errors.find('\n', next + 1) - next - 1);
    what.erase(0, what.find_first_not_of(' '));
  }
  return what.empty() ? where : where + ": " + what;
}

}  // namespace

const char* DisplayName(Browser browser) {
  switch (browser) {
    case Browser::kIe:
      return "Internet Explorer";
    case Browser::kFirefox:
      return "Firefox";
    case Browser::kChrome:
      return "Chrome";
  }
  return "?";
}

const char* KeyName(Browser browser) {
  switch (browser) {
    case Browser::kIe:
      return "ie";
    case Browser::kFirefox:
      return "firefox";
    case Browser::kChrome:
      return "chrome";
  }
  return "?";
}

std::optional<Browser> ParseBrowser(const std::string& key) {
  for (Browser browser : kAllBrowsers) {
    if (key == KeyName(browser)) return browser;
  }
  return std::nullopt;
}

Location Locate(Browser browser, const DataOptions& data) {
  MS_CHAR buffer[kPathUnits] = {};
  switch (browser) {
    case Browser::kIe: {
      if (!data.favorites.empty()) return Named(data.favorites, true);
      Location location = FromLibrary(get_ie_path(buffer), buffer);
      std::error_code ec;
      location.found = location.found && fs::is_directory(location.path, ec);
      return location;
    }
    case Browser::kFirefox:
      if (!data.places.empty()) return Named(data.places, false);
      return FromLibrary(is_installed_firefox(buffer), buffer);
    case Browser::kChrome:
      if (!data.chrome_bookmarks.empty()) {
        return Named(data.chrome_bookmarks, false);
      }
      return FromLibrary(is_installed_chrome(buffer), buffer);
  }
  return Location{};
}

std::string PlacesProblem(const fs::path& file) {
  static const char kMagic[16] = "SQLite format 3";  // with its NUL
  std::ifstream in(file, std::ios::binary);
  if (!in) return "cannot be read";
  char header[16] = {};
  in.read(header, sizeof(header));
  if (in.gcount() == 0) return "is empty, not a Firefox places database";
  if (in.gcount() < 16 || std::string(header, 16) != std::string(kMagic, 16)) {
    return "is not an SQLite database";
  }
  return "";
}

std::string BookmarksProblem(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return "cannot be read";
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  Json::Value document;
  std::string errors;
  try {
    if (!Json::parseFromStream(builder, in, &document, &errors)) {
      return "is not JSON (" + FirstJsonError(errors) + ")";
    }
  } catch (const Json::Exception&) {
    // The reader stops at its depth limit by throwing.
    return "nests deeper than a bookmarks file is read (" +
           std::to_string(builder.settings_["stackLimit"].asInt()) +
           " levels)";
  }
  if (!document.isObject() || !document["roots"].isObject() ||
      !document["roots"]["bookmark_bar"].isObject() ||
      !document["roots"]["other"].isObject()) {
    return "is JSON but not a Chrome bookmarks file (no roots.bookmark_bar "
           "and roots.other)";
  }
  return "";
}

void RequireUsableData(Browser browser, const Location& location,
                       const std::string& step) {
  static const char* const kWhat[] = {"the Favorites folder", "the places file",
                                      "the Chrome Bookmarks file"};
  static const char* const kNotFound[] = {
      "no Favorites folder found (Internet Explorer is not installed; name "
      "the folder with --favorites)",
      "no Firefox profile with places.sqlite found (name the file with "
      "--places)",
      "no Chrome Bookmarks file found (name it with --chrome-bookmarks)"};
  const auto index = static_cast<size_t>(browser);
  if (!location.found) {
    if (location.path.empty()) Fail(step, kNotFound[index]);
    std::error_code ec;
    // A profile Firefox made but never opened has no places file yet.
    const bool fresh_profile =
        browser == Browser::kFirefox &&
        location.path.filename() == "places.sqlite" &&
        fs::is_directory(location.path.parent_path(), ec);
    // Something else under that name (a FIFO, a folder for a file) is
    // named for what it is.
    const char* const missing = !fs::exists(location.path, ec)
                                    ? " does not exist"
                                : browser == Browser::kIe ? " is not a folder"
                                                          : " is not a file";
    Fail(step, std::string(kWhat[index]) + " " + PathToUtf8(location.path) +
                   missing +
                   (fresh_profile ? " (the profile was never opened: start "
                                    "Firefox with it once, then close it)"
                                  : ""));
  }
  // The library takes paths of at most 259 characters.
  if (location.ms_path.size() >= kPathUnits) {
    Fail(step, std::string(kWhat[index]) + " path is too long (" +
                   std::to_string(location.ms_path.size()) +
                   " characters; at most 259)");
  }
  std::string problem;
  if (browser == Browser::kFirefox) problem = PlacesProblem(location.path);
  if (browser == Browser::kChrome) problem = BookmarksProblem(location.path);
  if (!problem.empty()) Fail(step, PathToUtf8(location.path) + " " + problem);
}

bool StoreHeld(Browser browser, const Location& location) {
  if (browser == Browser::kIe || !location.found) return false;
  const std::optional<ProfileInfo> profile =
      FindStoreProfile(PathToUtf8(location.path));
  return profile.has_value() && profile->running;
}

void RequireNotRunning(Browser browser, const DataOptions& data, bool close,
                       const std::string& step) {
  if (!data.profile_running.has_value()) {
    // No profile was chosen: the profile around the store decides, found by
    // the store's path. A store in no profile the library finds is refused
    // by the library itself if a browser holds it.
    const Location location = Locate(browser, data);
    if (browser == Browser::kIe || !location.found) return;
    const std::string store = PathToUtf8(location.path);
    const std::optional<ProfileInfo> profile = FindStoreProfile(store);
    if (!profile.has_value()) return;
    DataOptions held = data;
    held.profile_running = profile->running;
    held.profile_in_use = [store] {
      const std::optional<ProfileInfo> again = FindStoreProfile(store);
      return again.has_value() && again->running;
    };
    held.close_profile = [key = profile->browser, folder = profile->folder] {
      return marksafe_close_profile(Utf8ToMs(key).c_str(),
                                    Utf8ToMs(folder).c_str()) == 0;
    };
    held.profile_label =
        profile->browser_name + " profile \"" + profile->name + "\"";
    RequireNotRunning(browser, held, close, step);
    return;
  }
  const auto in_use = [&data] {
    return data.profile_in_use ? data.profile_in_use() : *data.profile_running;
  };
  if (!in_use()) return;
  if (!close) {
    Fail(step, data.profile_label +
                   " is in use by the running browser; close it first or "
                   "pass --close-browsers");
  }
  // A chosen profile always comes with the way to close its browser.
  const bool closed = data.close_profile && data.close_profile();
  if (!closed || in_use()) {
    Fail(step, data.profile_label +
                   " is still in use after the browser was asked to close");
  }
  Say("  closed the browser that held " + data.profile_label);
}

namespace {

// Sets the folders and links of counts to those of source (of a
// MARKSAFE_STORE_ kind) as the library counts every store and backup;
// false, counts left as they were, when it cannot be read.
bool CountUserItems(const MS_CHAR* source, int32_t kind, Counts* counts) {
  int64_t folders = 0, links = 0;
  if (marksafe_count(source, kind, &folders, &links) != 0) return false;
  counts->folders = static_cast<int32_t>(folders);
  counts->links = static_cast<int32_t>(links);
  return true;
}

}  // namespace

Counts MeasurePart(const fs::path& folder, Browser browser) {
  const MsString ms_folder = ToMsPath(folder);
  Counts counts;
  switch (browser) {
    case Browser::kIe:
      counts.ok = get_ie_favorites_size(ms_folder.c_str(), false, &counts.size,
                                        &counts.folders, &counts.links);
      break;
    case Browser::kFirefox:
      // Counted by reading the part, the roots left out.
      counts.ok = get_firefox_bk_size(ms_folder.c_str(), false, &counts.size,
                                      &counts.folders, &counts.links);
      break;
    case Browser::kChrome:
      // The part's .url files measured as a folder of them, then counted
      // in one read of the part; a part that cannot be read (cut short)
      // keeps the count of its files, as a Firefox part does.
      counts.ok = get_ie_favorites_size(ms_folder.c_str(), false, &counts.size,
                                        &counts.folders, &counts.links);
      if (counts.ok) {
        (void)CountUserItems(ms_folder.c_str(), MARKSAFE_STORE_CHROME_PART,
                             &counts);
      }
      break;
  }
  return counts;
}

Counts Measure(Browser browser, const Location& location) {
  Counts counts;
  if (!location.found) return counts;
  switch (browser) {
    case Browser::kIe:
      counts.ok =
          get_ie_favorites_size(location.ms_path.c_str(), false, &counts.size,
                                &counts.folders, &counts.links);
      break;
    case Browser::kFirefox:
      if (!PlacesProblem(location.path).empty()) break;
      if (location.named) return MeasureNamedPlaces(location);
      counts.ok = get_firefox_bookmark_size(nullptr, false, &counts.size,
                                            &counts.folders, &counts.links);
      break;
    case Browser::kChrome: {
      // One read of the file: its user folders and links; its size is the
      // file's.
      std::error_code ec;
      counts.size = fs::file_size(location.path, ec);
      counts.ok = !ec && CountUserItems(location.ms_path.c_str(),
                                        MARKSAFE_STORE_CHROME, &counts);
      break;
    }
  }
  return counts;
}

}  // namespace marksafe_cli
