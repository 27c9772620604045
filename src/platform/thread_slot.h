// Values kept per thread and destroyed when their thread ends.
//
// A C++ thread_local object with a destructor is not used for this: built
// with MinGW, its destructor runs after the thread's emulated storage has
// been freed, so every host thread that ended after calling in corrupted
// the heap. The system's own per-thread slots (fiber-local storage on
// Windows, thread keys on POSIX) call back while the thread's memory is
// still whole.
#ifndef MARKSAFE_PLATFORM_THREAD_SLOT_H_
#define MARKSAFE_PLATFORM_THREAD_SLOT_H_

#include <cstdint>
#include <memory>

namespace marksafe {
namespace platform {

class ThreadOwned {
 public:
  virtual ~ThreadOwned() = default;
};

// One slot: each thread's value is its own, deleted when the thread ends.
// Meant for objects of static storage; destroying the slot (process exit,
// library unload) deletes the calling thread's value and frees the slot.
class ThreadSlot {
 public:
  ThreadSlot();
  ~ThreadSlot();
  ThreadSlot(const ThreadSlot&) = delete;
  ThreadSlot& operator=(const ThreadSlot&) = delete;

  // The calling thread's value, or nullptr before it is set.
  ThreadOwned* Get() const;
  // Makes value the calling thread's, deleting the one it had.
  void Set(std::unique_ptr<ThreadOwned> value);

 private:
  uintptr_t key_ = 0;
  bool ok_ = false;
};

// The calling thread's T in slot, made (value-initialised) on first use.
// Throws std::bad_alloc when it cannot be made.
template <class T>
T& PerThread(ThreadSlot* slot) {
  struct Box : ThreadOwned {
    T value{};
  };
  if (ThreadOwned* held = slot->Get()) return static_cast<Box*>(held)->value;
  auto box = std::make_unique<Box>();
  T& value = box->value;
  slot->Set(std::move(box));
  return value;
}

}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_THREAD_SLOT_H_
