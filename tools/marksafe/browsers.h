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
  // Set when places or chrome_bookmarks was not typed but is the default
  // profile found for the family (profiles.h, ChooseDefaults): which one.
  std::string places_note;
  std::string chrome_note;
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

// Whether a running browser holds the profile of the located store (what
// "profiles" says of that profile); false for a store in no profile the
// library finds.
bool StoreHeld(Browser browser, const Location& location);
// Fails (exit 1) when a running browser holds the profile of the data
// options' store (the chosen one, else the one the store lies in), unless
// close is set: then it asks that browser to close and fails only when the
// profile is still held. Only a browser holding that profile counts,
// and only the processes holding it are asked to close.
void RequireNotRunning(Browser browser, const DataOptions& data, bool close,
                       const std::string& step);

struct Counts {
  bool ok = false;
  uint64_t size = 0;
  int32_t folders = 0;
  int32_t links = 0;
};

// The browser's live data: its size, and its links and folders as the
// library counts every store and backup (below the roots, the roots left
// out; marksafe_count).
Counts Measure(Browser browser, const Location& location);

// The same for a part of a backup set (folder) of the browser's kind.
Counts MeasurePart(const std::filesystem::path& folder, Browser browser);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_BROWSERS_H_
