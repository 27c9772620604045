// The demo's sandbox: a user profile laid out as on Windows (Favorites,
// Program Files with Internet Explorer, roaming and local application data
// with a Firefox profile and Chrome's Default profile) and a backup root.
#ifndef MARKSAFE_TOOLS_MARKSAFE_DEMO_PROFILE_H_
#define MARKSAFE_TOOLS_MARKSAFE_DEMO_PROFILE_H_

#include <filesystem>

namespace marksafe_cli {

struct Sandbox {
  std::filesystem::path root;
  std::filesystem::path favorites;
  std::filesystem::path program_files;
  std::filesystem::path appdata;  // roaming application data
  std::filesystem::path places;
  std::filesystem::path chrome_bookmarks;
  std::filesystem::path backup;
};

Sandbox LayOutSandbox(const std::filesystem::path& root);

// Writes the Favorites tree, places.sqlite and the Bookmarks file with the
// demo's bookmarks. Fails (exit 1) when a file cannot be written.
void BuildSandbox(const Sandbox& sandbox);

// Sets MARKSAFE_FAVORITES, MARKSAFE_APPDATA and MARKSAFE_PROGRAM_FILES for
// the rest of the process, so that the library finds the sandbox's data as
// the desktop user's.
void PointLibraryAt(const Sandbox& sandbox);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_DEMO_PROFILE_H_
