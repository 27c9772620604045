#include "backup_set_layout.h"

#include <system_error>

#include "errors.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

const char* PartLeaf(Browser browser) {
  switch (browser) {
    case Browser::kIe:
      return "Favorites";
    case Browser::kFirefox:
      return "Firefox";
    case Browser::kChrome:
      return "Chrome";
  }
  return "";
}

}  // namespace

std::string PartName(Browser browser) {
  return std::string("Bookmarks/") + PartLeaf(browser);
}

fs::path PartFolder(const fs::path& root, Browser browser) {
  return root / "Bookmarks" / PartLeaf(browser);
}

std::string PositionFile(Browser browser) {
  switch (browser) {
    case Browser::kIe:
      return "";
    case Browser::kFirefox:
      return "pos.ini";
    case Browser::kChrome:
      return "chrome_pos.ini";
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
