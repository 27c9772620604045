#include "platform/random_block.h"

#include <cstring>

#include "platform/platform.h"

namespace marksafe {

bool BlockRandomBytes(unsigned char* out, size_t size) {
  constexpr size_t kBlock = 4096;
  thread_local unsigned char block[kBlock];
  thread_local size_t left = 0;
  if (size > kBlock) return platform::RandomBytes(out, size).ok();
  if (left < size) {
    if (!platform::RandomBytes(block, kBlock).ok()) return false;
    left = kBlock;
  }
  unsigned char* taken = block + (kBlock - left);
  std::memcpy(out, taken, size);
  std::memset(taken, 0, size);
  left -= size;
  return true;
}

}  // namespace marksafe
