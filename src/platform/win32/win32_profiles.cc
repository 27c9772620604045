// The user's browser data folders from the shell, file times, and the locks
// Chromium-family browsers and Firefox hold in a profile they use.
#include <string>

#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "platform/system_env.h"
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

// The final path of an existing file or folder, every link and junction
// followed, upper-cased for comparison; empty when it cannot be opened.
std::wstring FinalPath(const std::u16string& path) {
  win32::ScopedHandle handle(::CreateFileW(
      win32::FullPath(path).c_str(), 0,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.valid()) return {};
  wchar_t buffer[32768];
  const DWORD length = ::GetFinalPathNameByHandleW(
      handle.get(), buffer, 32767, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= 32767) return {};
  std::wstring out(buffer, length);
  ::CharUpperBuffW(&out[0], static_cast<DWORD>(out.size()));
  while (out.size() > 1 && out.back() == L'\\') out.pop_back();
  return out;
}

}  // namespace

std::u16string SystemEnv::CanonicalPath(const std::u16string& path) {
  // Names compare without case: one case for the key.
  std::u16string full = win32::FromWide(win32::FullPath(path));
  while (full.size() > 3 && full.back() == u'\\') full.pop_back();
  for (char16_t& c : full) c = UpperCase(c);
  return full;
}

bool SystemEnv::ResolvesInside(const std::u16string& path,
                               const std::u16string& folder) {
  win32::KeepLastError keep;
  const std::wstring inner = FinalPath(path);
  const std::wstring outer = FinalPath(folder);
  if (inner.empty() || outer.empty()) return false;
  if (inner == outer) return true;
  const std::wstring prefix = outer + L"\\";
  return inner.compare(0, prefix.size(), prefix) == 0;
}

Status SystemEnv::ReadProfileFile(const std::u16string& folder,
                                  const std::u16string& path,
                                  std::string* bytes, size_t max_bytes) {
  // The last error is left as it was: a file that cannot be taken is
  // passed over, not reported.
  win32::KeepLastError keep;
  const Status unreadable =
      Status::Error(kErrorInvalidData, u"could not read " + path);
  bytes->clear();
  if (!ResolvesInside(path, folder)) return unreadable;
  win32::ScopedHandle file(::CreateFileW(
      win32::FullPath(path).c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK) {
    return unreadable;
  }
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<uint64_t>(size.QuadPart) > max_bytes) {
    return unreadable;
  }
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr)) {
      bytes->clear();
      return unreadable;
    }
    if (got == 0) return Status::Ok();
    bytes->append(buffer, got);
    if (bytes->size() > max_bytes) {
      bytes->clear();
      return unreadable;
    }
  }
}

BrowserDataFolders GetBrowserDataFolders() {
  win32::KeepLastError keep;
  BrowserDataFolders folders;
  folders.windows_layout = true;
  folders.home = Folder(CSIDL_PROFILE);
  folders.local_app_data = Folder(CSIDL_LOCAL_APPDATA);
  folders.roaming_app_data = Folder(CSIDL_APPDATA);
  return folders;
}

Status SystemEnv::GetLastWriteTime(const std::u16string& path,
                                   int64_t* microseconds) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExW(win32::NativePath(path).c_str(),
                              GetFileExInfoStandard, &data)) {
    return FailedWithLastError(u"read the time of", path);
  }
  ULARGE_INTEGER ticks;
  ticks.LowPart = data.ftLastWriteTime.dwLowDateTime;
  ticks.HighPart = data.ftLastWriteTime.dwHighDateTime;
  // 100 ns units since 1601 to microseconds since 1970.
  *microseconds =
      static_cast<int64_t>(ticks.QuadPart / 10) - 11644473600000000LL;
  return Status::Ok();
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
