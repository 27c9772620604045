// The shared library's own translation unit. The exports live in the
// subsystem libraries, which CMake links in whole; this file only gives the
// library target a source of its own.
#include "marksafe/marksafe.h"

namespace marksafe {
// Referenced nowhere; keeps this object non-empty on every toolchain.
extern const int kLibraryAbiVersion = 1;
}  // namespace marksafe
