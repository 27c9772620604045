#include "context/store_lock.h"

#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "model/report.h"
#include "platform/debug_log.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"

namespace marksafe {
namespace {

Status LockFailed(const std::u16string& store, const std::u16string& lock_path,
                  uint32_t code) {
  const Status failed = Status::Error(
      code, code == kErrorLockViolation
                ? u"another run is writing " + DisplayPath(store) +
                      u"; nothing was changed, try again when it has ended"
                : u"cannot lock " + DisplayPath(store) + u" for writing (" +
                      DisplayPath(lock_path) + u")");
  DebugLog(u"[lock] %s\n", failed.message().c_str());
  context::Current().report().AddProblem(
      DisplayPath(store), "not written: " + platform::ToUtf8(failed.message()),
      false);
  return failed;
}

}  // namespace

std::u16string StoreLockPath(const std::u16string& store) {
  return WithoutTrailingSeparators(store) + u".marksafe-lock";
}

bool StoreHeldOpen(const std::u16string& store) {
  return platform::FileHeldOpen(store) ||
         platform::FileHeldOpen(store + u"-wal");
}

StoreLock::~StoreLock() { Release(); }

void StoreLock::Release() {
  if (job_ == nullptr) return;
  // The file lock is let go only with the call's last hold of it.
  if (job_->DropLock(key_)) lock_.reset();
  job_ = nullptr;
  key_.clear();
}

Status StoreLock::Acquire(const std::u16string& store) {
  Release();
  context::Job& job = context::Current();
  const std::u16string lock_path = StoreLockPath(store);
  const std::u16string key = platform::CanonicalPath(lock_path);
  if (!job.AddLock(key)) {
    const Status locked =
        platform::LockFile(lock_path, job.options().lock_wait_ms, &lock_);
    if (!locked.ok()) {
      job.DropLock(key);
      return LockFailed(store, lock_path, locked.code());
    }
  }
  job_ = &job;
  key_ = key;
  return Status::Ok();
}

}  // namespace marksafe
