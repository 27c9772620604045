#include "base/status.h"

#include "base/debug_log.h"
#include "platform/platform.h"

namespace marksafe {

Status CouldNot(uint32_t code, const char16_t* what,
                const std::u16string& path) {
  std::u16string message = u"could not ";
  message += what;
  if (!path.empty()) message += u" " + path;
  return Status::Error(code, std::move(message));
}

bool SucceededOrSetLastError(const Status& status) {
  if (status.ok()) return true;
  DebugLog(u"%s\n", status.message().c_str());
  platform::SetLastError(status.code());
  return false;
}

}  // namespace marksafe
