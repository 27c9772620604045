#include "base/status.h"

namespace marksafe {

Status CouldNot(uint32_t code, const char16_t* what,
                const std::u16string& path) {
  std::u16string message = u"could not ";
  message += what;
  if (!path.empty()) message += u" " + path;
  return Status::Error(code, std::move(message));
}

}  // namespace marksafe
