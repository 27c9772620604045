#include "base/status.h"

#include "base/debug_log.h"
#include "platform/platform.h"

namespace marksafe {

bool SucceededOrSetLastError(const Status& status) {
  if (status.ok()) return true;
  DebugLog(u"%s\n", status.message().c_str());
  platform::SetLastError(status.code());
  return false;
}

}  // namespace marksafe
