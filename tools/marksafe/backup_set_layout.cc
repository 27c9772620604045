#include "backup_set_layout.h"

#include <system_error>

#include "backup_set/backup_set.h"
#include "backup_set/interchange.h"
#include "errors.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

// The library's own names, as UTF-8.
std::string Utf8(const char16_t* text) {
  return MsToUtf8(reinterpret_cast<const MS_CHAR*>(text));
}

std::string PartLeaf(Browser browser) {
  return Utf8(marksafe::BackupPartName(
      browser == Browser::kIe        ? marksafe::BackupPart::kFavorites
      : browser == Browser::kFirefox ? marksafe::BackupPart::kFirefox
                                     : marksafe::BackupPart::kChrome));
}

}  // namespace

std::string PartName(Browser browser) {
  return Utf8(marksafe::kBookmarksFolder) + "/" + PartLeaf(browser);
}

fs::path PartFolder(const fs::path& root, Browser browser) {
  return root / Utf8(marksafe::kBookmarksFolder) / PartLeaf(browser);
}

std::string PositionFile(Browser browser) {
  switch (browser) {
    case Browser::kIe:
      return "";
    case Browser::kFirefox:
      return Utf8(marksafe::interchange::kPosIni);
    case Browser::kChrome:
      return Utf8(marksafe::interchange::kChromePosIni);
  }
  return "";
}

PartState GetPartState(const fs::path& root, Browser browser) {
  std::error_code ec;
  fs::path folder = PartFolder(root, browser);
  // A part an interrupted swap left aside is there under that name.
  fs::path aside = folder;
  aside += ".marksafe-old";
  if (!fs::exists(folder, ec) && fs::is_directory(aside, ec)) folder = aside;
  if (!fs::is_directory(folder, ec)) return PartState::kMissing;
  const std::string position = PositionFile(browser);
  if (!position.empty() && !fs::is_regular_file(folder / position, ec)) {
    return PartState::kNoPositionFile;
  }
  return PartState::kPresent;
}

void RequireShortRoot(const fs::path& root, const std::string& step) {
  constexpr size_t kLongestRoot = 259 - 20;  // 20: "\Bookmarks\Favorites"
  const size_t length = ToMsPath(root).size();
  if (length > kLongestRoot) {
    Fail(step, "the backup folder path is too long (" + std::to_string(length) +
                   " characters; at most " + std::to_string(kLongestRoot) +
                   ")");
  }
}

void RequireBackupRoot(const fs::path& root, const std::string& step) {
  RequireShortRoot(root, step);
  std::error_code ec;
  if (!fs::exists(root, ec)) {
    Fail(step, "the backup folder " + PathToUtf8(root) + " does not exist");
  }
  if (!fs::is_directory(root, ec)) {
    Fail(step, PathToUtf8(root) + " is not a folder");
  }
}

void RequirePart(const fs::path& root, Browser browser,
                 const std::string& step) {
  switch (GetPartState(root, browser)) {
    case PartState::kMissing:
      Fail(step, "the backup set in " + PathToUtf8(root) + " has no " +
                     DisplayName(browser) + " part (" + PartName(browser) +
                     ")");
    case PartState::kNoPositionFile:
      Fail(step, "the " + std::string(DisplayName(browser)) + " part " +
                     PartName(browser) + " has no " + PositionFile(browser));
    case PartState::kPresent:
      break;
  }
}

void RequireCompleteParts(const fs::path& root, const std::string& step) {
  for (Browser browser : kAllBrowsers) {
    if (GetPartState(root, browser) == PartState::kNoPositionFile) {
      RequirePart(root, browser, step);
    }
  }
}

}  // namespace marksafe_cli
