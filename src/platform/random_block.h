// Random bytes for the many small identifiers a write makes (guids).
#ifndef MARKSAFE_PLATFORM_RANDOM_BLOCK_H_
#define MARKSAFE_PLATFORM_RANDOM_BLOCK_H_

#include <cstddef>

namespace marksafe {

// Fills out with size bytes of the system's random generator, drawn a block
// at a time: a restore makes a guid or two per item, and a system call for
// each costs more than the rest of making it. Each byte is handed out once.
// False when the system has no random bytes to give.
bool BlockRandomBytes(unsigned char* out, size_t size);

}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_RANDOM_BLOCK_H_
