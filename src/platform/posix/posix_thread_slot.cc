// Per-thread slots on POSIX thread keys.
#include <pthread.h>

#include <new>

#include "platform/thread_slot.h"

namespace marksafe {
namespace platform {
namespace {

extern "C" void DeleteThreadOwned(void* value) {
  delete static_cast<ThreadOwned*>(value);
}

pthread_key_t Key(uintptr_t key) { return static_cast<pthread_key_t>(key); }

}  // namespace

ThreadSlot::ThreadSlot() {
  pthread_key_t key;
  ok_ = pthread_key_create(&key, DeleteThreadOwned) == 0;
  if (ok_) key_ = static_cast<uintptr_t>(key);
}

ThreadSlot::~ThreadSlot() {
  if (!ok_) return;
  delete Get();
  pthread_key_delete(Key(key_));
}

ThreadOwned* ThreadSlot::Get() const {
  return ok_ ? static_cast<ThreadOwned*>(pthread_getspecific(Key(key_)))
             : nullptr;
}

void ThreadSlot::Set(std::unique_ptr<ThreadOwned> value) {
  if (!ok_) throw std::bad_alloc();
  ThreadOwned* previous = Get();
  if (pthread_setspecific(Key(key_), value.get()) != 0) throw std::bad_alloc();
  value.release();
  delete previous;
}

}  // namespace platform
}  // namespace marksafe
