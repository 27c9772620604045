// A temporary tree stands in for the user's folders: the library reads the
// shell folders from the MARKSAFE_* variables at every call.
#include <optional>

#include "support/browser_home.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {

struct BrowserHome::State {
  TempDir dir;
  std::optional<ScopedEnv> app_data, favorites, program_files, os_major;
};

BrowserHome::BrowserHome() : state_(new State) {
  roaming_ = state_->dir.sub("AppData/Roaming");
  favorites_ = state_->dir.sub("Favorites");
  program_files_ = state_->dir.sub("Program Files");
  MakeDirs(roaming_);
  MakeDirs(favorites_);
  state_->app_data.emplace("MARKSAFE_APPDATA", roaming_);
  state_->favorites.emplace("MARKSAFE_FAVORITES", favorites_);
  state_->program_files.emplace("MARKSAFE_PROGRAM_FILES", program_files_);
  state_->os_major.emplace("MARKSAFE_OS_MAJOR", "10");
}

BrowserHome::~BrowserHome() = default;

std::string BrowserHome::ChromeBookmarks() const {
  return state_->dir.sub(
      "AppData/Local/Google/Chrome/User Data/Default/Bookmarks");
}

}  // namespace test
}  // namespace marksafe
