// The process's memory as the system sees it.
#ifndef MARKSAFE_PLATFORM_MEMORY_H_
#define MARKSAFE_PLATFORM_MEMORY_H_

namespace marksafe {
namespace platform {

// Hands the memory the process has freed back to the system where the
// allocator keeps it (glibc keeps freed pages inside its heap): called after
// a large tree is dropped and before another large block is made, so that
// the peak is not the sum of both.
void ReleaseFreedMemory();

}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_MEMORY_H_
