// One writer per store: the advisory lock a run holds on a store (a Chrome
// Bookmarks file, a Favorites folder, a part of a backup set) across its
// whole read-merge-write, so that two runs never merge into the same old
// content and overwrite each other's additions.
#ifndef MARKSAFE_CONTEXT_STORE_LOCK_H_
#define MARKSAFE_CONTEXT_STORE_LOCK_H_

#include <cstdint>
#include <memory>
#include <string>

#include "base/error_codes.h"
#include "base/status.h"
#include "context/job.h"
#include "platform/platform.h"

namespace marksafe {

// The lock file of a store: beside it, its name followed by
// ".marksafe-lock".
std::u16string StoreLockPath(const std::u16string& store);

// ERROR_SHARING_VIOLATION: another program holds the store.
constexpr uint32_t kErrorStoreInUse = 32;

// Whether another program has the store file, or the SQLite write-ahead
// log beside it, open (platform::FileHeldOpen). What decides for a store
// named by its path with no browser profile around it.
bool StoreHeldOpen(const std::u16string& store);

// Holds the lock of a store while it lives.
class StoreLock {
 public:
  StoreLock() = default;
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  // Takes the lock, waiting at most the call's lock wait for another run.
  // Fails (kErrorLockViolation when another run holds it) with a message
  // that names the store; a failure is also added to the call's report.
  // A call that holds the lock already (a restore that merges into a store
  // it has locked), under any spelling of its path, takes it again at once.
  // The lock belongs to the call running on the thread (context::Current()).
  [[nodiscard]] Status Acquire(const std::u16string& store);
  ~StoreLock();

 private:
  void Release();

  context::Job* job_ = nullptr;
  std::u16string key_;  // the lock file's canonical path
  std::unique_ptr<platform::FileLock> lock_;
};

}  // namespace marksafe

#endif  // MARKSAFE_CONTEXT_STORE_LOCK_H_
