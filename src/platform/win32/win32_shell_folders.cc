// Shell folders, the system's version and the library's own folder.

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

int FolderId(ShellFolder folder) {
  switch (folder) {
    case ShellFolder::kFavorites:
      return CSIDL_FAVORITES;  // 6
    case ShellFolder::kRoamingAppData:
      return CSIDL_APPDATA;  // 26
    case ShellFolder::kProgramFiles:
      return CSIDL_PROGRAM_FILES;  // 38
    case ShellFolder::kLocalState:
      return CSIDL_LOCAL_APPDATA;  // 28
  }
  return -1;
}

}  // namespace

Status SystemEnv::GetShellFolder(ShellFolder folder, std::u16string* out) {
  if (out == nullptr) {
    return Failed(ERROR_INVALID_PARAMETER, u"find a shell folder");
  }
  out->clear();
  int id = FolderId(folder);
  if (id < 0) {
    return Failed(ERROR_INVALID_PARAMETER, u"find a shell folder");
  }
  wchar_t buffer[MAX_PATH + 1] = {};
  // Never asks the shell to create the folder.
  if (!::SHGetSpecialFolderPathW(nullptr, buffer, id, FALSE))
    return FailedWithLastError(u"find a shell folder");
  buffer[MAX_PATH] = 0;
  *out = win32::FromWide(buffer, wcslen(buffer));
  return Status::Ok();
}

uint32_t SystemEnv::OsMajorVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  ::GetVersionExW(&info);
  return info.dwMajorVersion;  // 0 after a failure
}

// Any function of this library: the loader names the file it came from.
void AddressInLibrary() {}

std::u16string SystemEnv::LibraryFolder() {
  HMODULE module = win32::StoredModuleHandle();
  if (module == nullptr) {
    // Linked into an executable: the module that holds this code.
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&AddressInLibrary), &module);
  }
  wchar_t buffer[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameW(module, buffer, MAX_PATH);
  if (length == 0) return std::u16string();
  if (length >= MAX_PATH) length = MAX_PATH - 1;  // cut, as the API does
  std::u16string path = win32::FromWide(buffer, length);
  size_t slash = path.find_last_of(u'\\');
  if (slash != std::u16string::npos) path.resize(slash + 1);
  return path;
}

}  // namespace platform
}  // namespace marksafe
