// International host names to their ASCII form through the system's IDN
// conversion (normaliz).
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {

bool IdnToAscii(const std::u16string& host, std::u16string* out) {
  if (host.empty() || host.find(u'\0') != std::u16string::npos ||
      host.size() > 0x7FFFFFFF) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const int length = static_cast<int>(host.size());
  int needed = ::IdnToAscii(0, win32::Wide(host), length, nullptr, 0);
  if (needed <= 0) return false;
  std::vector<wchar_t> ascii(static_cast<size_t>(needed));
  int written =
      ::IdnToAscii(0, win32::Wide(host), length, ascii.data(), needed);
  if (written <= 0) return false;
  *out = win32::FromWide(ascii.data(), static_cast<size_t>(written));
  return true;
}

}  // namespace platform
}  // namespace marksafe
