// The debugger channel on POSIX: standard error, only when MARKSAFE_DEBUG is
// set to a non-empty value.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/platform.h"

namespace marksafe {
namespace platform {

void DebugOutput(const std::u16string& line) {
  const char* enabled = std::getenv("MARKSAFE_DEBUG");
  if (enabled == nullptr || enabled[0] == '\0') return;
  int saved_errno = errno;
  std::string bytes = ToUtf8(line);
  // One write per line, so that lines of different threads do not mix.
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t written = write(STDERR_FILENO, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    data += written;
    left -= static_cast<size_t>(written);
  }
  errno = saved_errno;
}

}  // namespace platform
}  // namespace marksafe
