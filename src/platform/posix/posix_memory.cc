// Freed memory handed back to the system.
#include <malloc.h>

#include "platform/memory.h"

namespace marksafe {
namespace platform {

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

}  // namespace platform
}  // namespace marksafe
