// The line end of text files on POSIX systems.
#include "platform/platform.h"

namespace marksafe {
namespace platform {

const char* TextLineEnd() { return "\n"; }

}  // namespace platform
}  // namespace marksafe
