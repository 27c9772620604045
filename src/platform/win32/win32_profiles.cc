// The user's browser data folders from the shell, file times, and the locks
// Chromium-family browsers and Firefox hold in a profile they use.
#include <string>

#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

std::u16string Folder(int id) {
  wchar_t buffer[MAX_PATH + 1] = {};
  // Never asks the shell to create the folder.
  if (!::SHGetSpecialFolderPathW(nullptr, buffer, id, FALSE)) return {};
  buffer[MAX_PATH] = 0;
  return win32::FromWide(buffer, wcslen(buffer));
}

}  // namespace

BrowserDataFolders GetBrowserDataFolders() {
  win32::KeepLastError keep;
  BrowserDataFolders folders;
  folders.windows_layout = true;
  folders.home = Folder(CSIDL_PROFILE);
  folders.local_app_data = Folder(CSIDL_LOCAL_APPDATA);
  folders.roaming_app_data = Folder(CSIDL_APPDATA);
  return folders;
}

bool GetLastWriteTime(const std::u16string& path, int64_t* microseconds) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExW(win32::NativePath(path).c_str(),
                              GetFileExInfoStandard, &data)) {
    return false;
  }
  ULARGE_INTEGER ticks;
  ticks.LowPart = data.ftLastWriteTime.dwLowDateTime;
  ticks.HighPart = data.ftLastWriteTime.dwHighDateTime;
  // 100 ns units since 1601 to microseconds since 1970.
  *microseconds =
      static_cast<int64_t>(ticks.QuadPart / 10) - 11644473600000000LL;
  return true;
}

bool ChromiumUserDataInUse(const std::u16string& user_data_folder,
                           const std::u16string& /*flatpak_app*/) {
  if (user_data_folder.empty()) return false;
  std::u16string path = user_data_folder;
  if (path.back() != u'\\' && path.back() != u'/') path += u'\\';
  path += u"lockfile";
  win32::KeepLastError keep;
  // The browser keeps the file open for writing, sharing only reading, and
  // has it removed when it closes it.
  win32::ScopedHandle file(::CreateFileW(
      win32::NativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.valid()) return false;
  const DWORD error = ::GetLastError();
  // Access is also refused to a file whose removal is pending, the moment
  // the browser lets go of it.
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

bool FirefoxProfileInUseBy(const std::u16string& profile_folder,
                           const std::u16string& /*flatpak_app*/) {
  return FirefoxProfileInUse(profile_folder);
}

// Windows tells who holds a file open only through the Restart Manager,
// which is not used here: the holder is found by its command line.
int64_t ProfileLockOwner(const std::u16string& /*folder*/,
                         bool /*chromium*/) {
  return 0;
}

}  // namespace platform
}  // namespace marksafe
