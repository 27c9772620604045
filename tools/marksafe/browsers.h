// The three browsers as the program sees them: names, where their data is
// (named on the command line or found by the library), whether that data
// can be used, whether the browser runs, and how much it holds.
#ifndef MARKSAFE_TOOLS_MARKSAFE_BROWSERS_H_
#define MARKSAFE_TOOLS_MARKSAFE_BROWSERS_H_

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "marksafe/marksafe.h"
#include "text.h"

namespace marksafe_cli {

enum class Browser { kIe, kFirefox, kChrome };
constexpr std::array<Browser, 3> kAllBrowsers = {
    Browser::kIe, Browser::kFirefox, Browser::kChrome};

const char* DisplayName(Browser browser);  // "Internet Explorer"
const char* KeyName(Browser browser);      // "ie"
std::optional<Browser> ParseBrowser(const std::string& key);

// Where the data is, as named with --favorites, --places and
// --chrome-bookmarks (UTF-8; empty: let the library find it).
struct DataOptions {
  std::string favorites;
  std::string places;
  std::string chrome_bookmarks;
  // The data lives in a sandbox the program built itself: a running
  // Chrome cannot be writing into it.
  bool sandbox = false;
  // Set when --browser / --profile chose one profile (profiles.h): whether
  // a running browser holds it (it alone decides, not whether any browser
  // of the family runs), a label for messages, and whether its Chromium
  // Bookmarks file is still to be made (a profile that never had one).
  // profile_in_use asks again, after the browser was asked to close;
  // close_profile asks the browser holding the profile (whichever of the
  // family it is) to close, true when the profile is free then.
  std::optional<bool> profile_running;
  std::function<bool()> profile_in_use;
  std::function<bool()> close_profile;
  std::string profile_label;
  bool create_chrome_file = false;
  // The chosen profile as a backup set names its part: the browser's key
  // and name, the profile's name and folder (empty: none chosen).
  std::string profile_browser;
  std::string profile_browser_name;
  std::string profile_name;
  std::string profile_folder;
};

struct Location {
  bool named = false;  // given on the command line
  bool found = false;  // the folder or file exists
  std::filesystem::path path;
  MsString ms_path;  // the same path as the library takes it

  // The argument for exports that find the data themselves when given null.
  const MS_CHAR* arg() const { return named ? ms_path.c_str() : nullptr; }
};

Location Locate(Browser browser, const DataOptions& data);

// Empty when the file looks like what the browser keeps there, else the
// reason it cannot be used ("is not an SQLite database", "is not JSON ...").
std::string PlacesProblem(const std::filesystem::path& file);
std::string BookmarksProblem(const std::filesystem::path& file);

// Fails (exit 1) unless the browser's data was found and can be used.
void RequireUsableData(Browser browser, const Location& location,
                       const std::string& step);

// Internet Explorer never counts as running: its favorites are plain files.
bool IsRunning(Browser browser);
// Fails (exit 1) when the browser runs, unless close is set: then it asks
// the browser to close and fails only when it is still there.
void RequireNotRunning(Browser browser, bool close, const std::string& step);
// The same for the data options' chosen profile, when one was chosen: only
// a browser holding that profile counts (it is never closed for it).
void RequireNotRunning(Browser browser, const DataOptions& data, bool close,
                       const std::string& step);

struct Counts {
  bool ok = false;
  uint64_t size = 0;
  int32_t folders = 0;
  int32_t links = 0;
};

// The browser's live data, measured by the library's size exports.
Counts Measure(Browser browser, const Location& location);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_BROWSERS_H_
