// Whether a running Firefox holds a profile folder: Firefox keeps
// "parent.lock" open without sharing while it uses the profile, so opening
// it for exclusive use fails with a sharing violation.
#include <string>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {

bool SystemEnv::FirefoxProfileInUse(const std::u16string& profile_folder) {
  if (profile_folder.empty()) return false;
  std::u16string path = profile_folder;
  if (path.back() != u'\\' && path.back() != u'/') path += u'\\';
  path += u"parent.lock";
  win32::KeepLastError keep;
  win32::ScopedHandle file(
      ::CreateFileW(win32::NativePath(path).c_str(), GENERIC_READ, 0, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.valid()) return false;
  DWORD error = ::GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

}  // namespace platform
}  // namespace marksafe
