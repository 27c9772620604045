// Freed memory handed back to the system: the process heap returns what it
// frees on its own.
#include "platform/memory.h"

namespace marksafe {
namespace platform {

void ReleaseFreedMemory() {}

}  // namespace platform
}  // namespace marksafe
