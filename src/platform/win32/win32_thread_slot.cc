// Per-thread slots on fiber-local storage, whose callback deletes a
// thread's value when the thread ends.
#include <new>

#include "platform/thread_slot.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

void WINAPI DeleteThreadOwned(void* value) {
  delete static_cast<ThreadOwned*>(value);
}

DWORD Index(uintptr_t key) { return static_cast<DWORD>(key); }

}  // namespace

ThreadSlot::ThreadSlot() {
  const DWORD index = ::FlsAlloc(DeleteThreadOwned);
  ok_ = index != FLS_OUT_OF_INDEXES;
  if (ok_) key_ = index;
}

// FlsFree calls back for the value of every thread that still has one.
ThreadSlot::~ThreadSlot() {
  if (ok_) ::FlsFree(Index(key_));
}

// The thread's last error is kept: a slot is read between a failing call
// and the reading of its code.
ThreadOwned* ThreadSlot::Get() const {
  if (!ok_) return nullptr;
  const DWORD error = ::GetLastError();
  void* value = ::FlsGetValue(Index(key_));
  ::SetLastError(error);
  return static_cast<ThreadOwned*>(value);
}

void ThreadSlot::Set(std::unique_ptr<ThreadOwned> value) {
  if (!ok_) throw std::bad_alloc();
  ThreadOwned* previous = Get();
  const DWORD error = ::GetLastError();
  if (!::FlsSetValue(Index(key_), value.get())) throw std::bad_alloc();
  ::SetLastError(error);
  value.release();
  delete previous;
}

}  // namespace platform
}  // namespace marksafe
