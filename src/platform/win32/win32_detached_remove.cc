// Removing a folder tree: on Windows at once (deleting files there does not
// wait on freed blocks being discarded).
#include "platform/platform.h"

namespace marksafe {
namespace platform {

bool RemoveTreeDetached(const std::u16string& path) { return RemoveTree(path); }

}  // namespace platform
}  // namespace marksafe
