// The last-error value belongs to the thread that set it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/platform.h"

namespace marksafe {
namespace platform {
namespace {

// The value is set after the other thread exists and read before it is
// joined: starting and joining a thread may themselves set the value.
TEST(SystemTest, LastErrorIsPerThread) {
  std::atomic<int> step{0};
  uint32_t seen_by_other = 1;
  std::thread other([&step, &seen_by_other] {
    while (step.load() != 1) std::this_thread::yield();
    seen_by_other = GetLastError();
    SetLastError(5);
    step.store(2);
  });
  SetLastError(1234);
  step.store(1);
  while (step.load() != 2) std::this_thread::yield();
  const uint32_t mine = GetLastError();
  other.join();
  EXPECT_EQ(seen_by_other, 0u);
  EXPECT_EQ(mine, 1234u);
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
