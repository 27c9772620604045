// The line end of text files on Windows, as a text-mode stream writes it.
#include "platform/platform.h"

namespace marksafe {
namespace platform {

const char* TextLineEnd() { return "\r\n"; }

}  // namespace platform
}  // namespace marksafe
