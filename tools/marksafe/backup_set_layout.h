// The backup set under a root, as the library lays it out:
// ROOT/Bookmarks/Favorites, ROOT/Bookmarks/Firefox (with "pos.ini") and
// ROOT/Bookmarks/Chrome (with "chrome_pos.ini"). The program looks at it
// before it calls an export, so that bad input changes nothing.
#ifndef MARKSAFE_TOOLS_MARKSAFE_BACKUP_SET_LAYOUT_H_
#define MARKSAFE_TOOLS_MARKSAFE_BACKUP_SET_LAYOUT_H_

#include <filesystem>
#include <string>

#include "browsers.h"

namespace marksafe_cli {

// "Bookmarks/Favorites", "Bookmarks/Firefox", "Bookmarks/Chrome".
std::string PartName(Browser browser);
std::filesystem::path PartFolder(const std::filesystem::path& root,
                                 Browser browser);
// "pos.ini" for Firefox, "chrome_pos.ini" for Chrome, empty for IE.
std::string PositionFile(Browser browser);

enum class PartState { kMissing, kNoPositionFile, kPresent };
PartState GetPartState(const std::filesystem::path& root, Browser browser);

// Each fails (exit 1) with a message naming the step:
// the root's path leaves room for "\Bookmarks\Favorites" within the
// library's 259 characters;
void RequireShortRoot(const std::filesystem::path& root,
                      const std::string& step);
// the root is an existing folder (and short enough);
void RequireBackupRoot(const std::filesystem::path& root,
                       const std::string& step);
// the browser's part is there, with its position file;
void RequirePart(const std::filesystem::path& root, Browser browser,
                 const std::string& step);
// no part is there without its position file.
void RequireCompleteParts(const std::filesystem::path& root,
                          const std::string& step);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_BACKUP_SET_LAYOUT_H_
