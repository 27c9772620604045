// The thread's last-error value is the system's own.
#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {

uint32_t GetLastError() { return ::GetLastError(); }

void SetLastError(uint32_t code) { ::SetLastError(code); }

}  // namespace platform
}  // namespace marksafe
