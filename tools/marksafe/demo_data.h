// The bookmarks of the demo's sandbox profile: a few dozen realistic ones
// per browser, in nested folders, with titles in several scripts.
#ifndef MARKSAFE_TOOLS_MARKSAFE_DEMO_DATA_H_
#define MARKSAFE_TOOLS_MARKSAFE_DEMO_DATA_H_

#include <vector>

namespace marksafe_cli {

struct DemoBookmark {
  const char* folder;  // "" for the root, "News/Asia" for nested folders
  const char* title;   // UTF-8
  const char* url;
};

// Internet Explorer: the Favorites folder (titles are file names).
const std::vector<DemoBookmark>& DemoFavorites();
// Firefox: the bookmarks menu, the unsorted bookmarks, the toolbar (which
// is not part of a backup).
const std::vector<DemoBookmark>& DemoFirefoxMenu();
const std::vector<DemoBookmark>& DemoFirefoxUnsorted();
const std::vector<DemoBookmark>& DemoFirefoxToolbar();
// Chrome: the bookmark bar and the other bookmarks.
const std::vector<DemoBookmark>& DemoChromeBar();
const std::vector<DemoBookmark>& DemoChromeOther();

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_DEMO_DATA_H_
