// The system's advisory locks and flushes: flock on a lock file, fsync.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace {

// The lock file is removed while still locked, when the lock is let go.
// A waiter that opened it before then finds, once it has the lock, that
// the name no longer leads to its file, and starts again on a new one.
class FlockLock : public FileLock {
 public:
  FlockLock(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~FlockLock() override {
    unlink(path_.c_str());
    flock(fd_, LOCK_UN);
    close(fd_);
  }
  FlockLock(const FlockLock&) = delete;
  FlockLock& operator=(const FlockLock&) = delete;

 private:
  int fd_;
  std::string path_;
};

// True when the name still leads to the open file.
bool StillNamed(int fd, const std::string& path) {
  struct stat opened, named;
  return fstat(fd, &opened) == 0 && lstat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace

Status SystemEnv::LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                           std::unique_ptr<FileLock>* lock) {
  std::string native = posix::NativePath(lock_path);
  // Measured and slept on the Env's clock, which a test may run faster.
  Env* env = CurrentEnv();
  const int64_t deadline = env->NowMicros() + int64_t{timeout_ms} * 1000;
  int fd = -1;
  for (;;) {
    if (fd < 0) {
      fd = open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                0666);
      if (fd < 0) {
        posix::SetLastErrorFromErrno(errno, native);
        return FailedWithLastError(u"lock", lock_path);
      }
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      if (StillNamed(fd, native)) break;
      // Removed (or replaced) by the holder that let go: a new file.
      close(fd);
      fd = -1;
      if (env->NowMicros() < deadline) continue;
      return Failed(kErrorLockViolation, u"lock", lock_path);
    }
    int err = errno;
    if (err == EINTR) continue;
    if (err != EWOULDBLOCK || env->NowMicros() >= deadline) {
      close(fd);
      if (err == EWOULDBLOCK) {
        SetLastError(kErrorLockViolation);
      } else {
        posix::SetLastErrorFromErrno(err, native);
      }
      return FailedWithLastError(u"lock", lock_path);
    }
    env->SleepForMicroseconds(kLockPollMicros);
  }
  lock->reset(new FlockLock(fd, native));
  return Status::Ok();
}

Status SystemEnv::SyncPath(const std::u16string& path) {
  std::string native = posix::NativePath(path);
  int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    posix::SetLastErrorFromErrno(errno, native);
    return FailedWithLastError(u"flush", path);
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    // The files below a folder just built: one flush of the file system
    // rather than one per file.
#ifdef __linux__
    syncfs(fd);
#else
    sync();
#endif
  }
  // Some file systems cannot flush a folder (EINVAL): nothing to do there.
  bool ok = fsync(fd) == 0 || errno == EINVAL;
  int err = errno;
  close(fd);
  if (!ok) posix::SetLastErrorFromErrno(err, native);
  return OkOr(ok, u"flush", path);
}

Status SystemEnv::SyncTree(const std::u16string& folder) {
  return SyncPath(folder);
}

Status SystemEnv::ExchangeFolders(const std::u16string& a,
                                  const std::u16string& b) {
#if defined(__linux__) && defined(SYS_renameat2)
  constexpr unsigned kRenameExchange = 2;  // RENAME_EXCHANGE
  std::string from = posix::NativePath(a);
  std::string to = posix::NativePath(b);
  if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
              kRenameExchange) == 0) {
    return Status::Ok();
  }
  if (errno != ENOSYS && errno != EINVAL) {
    posix::SetLastErrorFromErrno(errno, from);
    return FailedWithLastError(u"swap", a);
  }
#else
  (void)a;
  (void)b;
#endif
  return Failed(kErrorNotSupported, u"swap", a);
}

}  // namespace platform
}  // namespace marksafe
