// One writer per store: the advisory lock a run holds on a store (a Chrome
// Bookmarks file, a Favorites folder, a part of a backup set) across its
// whole read-merge-write, so that two runs never merge into the same old
// content and overwrite each other's additions.
#ifndef MARKSAFE_COMMON_STORE_LOCK_H_
#define MARKSAFE_COMMON_STORE_LOCK_H_

#include <cstdint>
#include <memory>
#include <string>

#include "common/error_codes.h"
#include "common/status.h"
#include "platform/platform.h"

namespace marksafe {

// How long a run waits for another run that writes the same store.
constexpr uint32_t kStoreLockWaitMs = 5000;

// The lock file of a store: beside it, its name followed by
// ".marksafe-lock".
std::u16string StoreLockPath(const std::u16string& store);

// Holds the lock of a store while it lives.
class StoreLock {
 public:
  StoreLock() = default;
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  // Takes the lock, waiting at most kStoreLockWaitMs for another run. Fails
  // (kErrorLockViolation when another run holds it) with a message that
  // names the store; a failure is also added to the current report.
  // A thread that holds the lock already (a restore that merges into a
  // store it has locked) takes it again at once.
  [[nodiscard]] Status Acquire(const std::u16string& store);
  ~StoreLock();

 private:
  void Release();

  std::u16string path_;
  std::unique_ptr<platform::FileLock> lock_;
};

}  // namespace marksafe

#endif  // MARKSAFE_COMMON_STORE_LOCK_H_
