// The user profile's own shell folders. Tests write browser data there, so
// they run only where the profile is a throw-away one: under Wine, or where
// MARKSAFE_TEST_OWN_PROFILE is set.
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <filesystem>

#include "support/browser_home.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace marksafe {
namespace test {
namespace {

std::string ShellPath(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return "";
  return fs::path(buffer).u8string();
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr &&
         GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool HasContent(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec) &&
         (!fs::is_directory(path, ec) || !fs::is_empty(path, ec));
}

fs::path Native(const std::string& utf8) { return fs::u8path(utf8); }

}  // namespace

struct BrowserHome::State {
  bool moved_ie = false;
  bool added_ie = false;
};

BrowserHome::BrowserHome() : state_(new State) {
  if (!UnderWine() && std::getenv("MARKSAFE_TEST_OWN_PROFILE") == nullptr) {
    unusable_ = "the profile's browser data belongs to a person here";
    return;
  }
  roaming_ = ShellPath(CSIDL_APPDATA);
  favorites_ = ShellPath(CSIDL_FAVORITES);
  program_files_ = ShellPath(CSIDL_PROGRAM_FILES);
  if (roaming_.empty() || favorites_.empty() || program_files_.empty()) {
    unusable_ = "a shell folder is missing";
  } else if (HasContent(Native(roaming_) / "Mozilla") ||
             HasContent(Native(ChromeBookmarks()).parent_path()) ||
             HasContent(Native(favorites_))) {
    unusable_ = "the profile holds browser data already";
  }
  if (!unusable_.empty()) roaming_.clear();
}

BrowserHome::~BrowserHome() {
  if (roaming_.empty()) return;
  std::error_code ec;
  fs::remove_all(Native(roaming_) / "Mozilla", ec);
  fs::remove_all(Native(roaming_).parent_path() / "Local" / "Google", ec);
  for (const auto& entry : fs::directory_iterator(Native(favorites_), ec)) {
    fs::remove_all(entry.path(), ec);
  }
  SetIeInstalled(true);
  if (state_->added_ie) {
    fs::remove(Native(program_files_) / "Internet Explorer" / "iexplore.exe",
               ec);
  }
}

std::string BrowserHome::ChromeBookmarks() const {
  return (Native(roaming_).parent_path() / "Local" / "Google" / "Chrome" /
          "User Data" / "Default" / "Bookmarks")
      .u8string();
}

void BrowserHome::SetIeInstalled(bool installed) {
  const fs::path iexplore =
      Native(program_files_) / "Internet Explorer" / "iexplore.exe";
  fs::path away = iexplore;
  away += ".away";
  std::error_code ec;
  if (installed && state_->moved_ie) {
    fs::rename(away, iexplore, ec);
    state_->moved_ie = ec.value() != 0;
  } else if (installed && !fs::exists(iexplore, ec)) {
    WriteBytes(iexplore.u8string(), "");
    state_->added_ie = true;
  } else if (!installed && fs::exists(iexplore, ec)) {
    fs::rename(iexplore, away, ec);
    state_->moved_ie = ec.value() == 0;
  }
}

}  // namespace test
}  // namespace marksafe
