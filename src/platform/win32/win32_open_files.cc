// Whether another program has a file open. The Restart Manager lists the
// processes that hold a file; this process's own handles (an open places
// connection of the caller) do not count.
#include "platform/win32/win32_api.h"  // windows.h, before the header below

#include <restartmanager.h>

#include <vector>

#include "platform/system_env.h"

namespace marksafe {
namespace platform {

bool SystemEnv::FileHeldOpen(const std::u16string& path) {
  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  if (::RmStartSession(&session, 0, key) != ERROR_SUCCESS) return false;
  const std::wstring native = win32::NativePath(path);
  LPCWSTR files[] = {native.c_str()};
  bool held = false;
  if (::RmRegisterResources(session, 1, files, 0, nullptr, 0, nullptr) ==
      ERROR_SUCCESS) {
    UINT needed = 0;
    UINT count = 0;
    DWORD reasons = 0;
    std::vector<RM_PROCESS_INFO> holders;
    DWORD rc = ::RmGetList(session, &needed, &count, nullptr, &reasons);
    // The list can grow between the two calls: asked again until it fits.
    for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < 3; ++attempt) {
      holders.resize(needed);
      count = needed;
      rc = ::RmGetList(session, &needed, &count, holders.data(), &reasons);
    }
    if (rc == ERROR_SUCCESS) {
      for (UINT i = 0; i < count && i < holders.size(); ++i) {
        if (holders[i].Process.dwProcessId != ::GetCurrentProcessId()) {
          held = true;
        }
      }
    }
  }
  ::RmEndSession(session);
  return held;
}

}  // namespace platform
}  // namespace marksafe
