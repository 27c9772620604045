// Whether another program has a file open: Windows refuses to open a file
// with no sharing while any handle on it is open.
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace sys {

bool FileHeldOpen(const std::u16string& path) {
  // Asking for no access at all would be granted beside any handle; read
  // access with no sharing is refused while another handle is open.
  win32::ScopedHandle file(::CreateFileW(win32::NativePath(path).c_str(),
                                         GENERIC_READ, 0, nullptr,
                                         OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  return !file.valid() && ::GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace sys
}  // namespace platform
}  // namespace marksafe
