// The system's advisory locks and flushes: LockFileEx on a lock file,
// FlushFileBuffers.
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

class HandleLock : public FileLock {
 public:
  explicit HandleLock(HANDLE handle) : handle_(handle) {}
  ~HandleLock() override {
    OVERLAPPED overlapped = {};
    ::UnlockFileEx(handle_, 0, 1, 0, &overlapped);
    ::CloseHandle(handle_);
  }
  HandleLock(const HandleLock&) = delete;
  HandleLock& operator=(const HandleLock&) = delete;

 private:
  HANDLE handle_;
};

}  // namespace

Status SystemEnv::LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                           std::unique_ptr<FileLock>* lock) {
  std::wstring native = win32::NativePath(lock_path);
  // Measured and slept on the Env's clock, which a test may run faster.
  Env* env = CurrentEnv();
  const int64_t deadline = env->NowMicros() + int64_t{timeout_ms} * 1000;
  auto wait = [env, deadline]() {
    if (env->NowMicros() >= deadline) {
      SetLastError(kErrorLockViolation);
      return false;
    }
    env->SleepForMicroseconds(kLockPollMicros);
    return true;
  };
  for (;;) {
    // Every holder opens the file to be deleted on close: once the last
    // run lets go, no lock file is left beside the store. A file whose
    // delete is pending cannot be opened (access denied) and is waited
    // out; one that became pending while this run waited on it is left.
    win32::ScopedHandle file(::CreateFileW(
        native.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE,
        nullptr));
    if (!file.valid()) {
      if (::GetLastError() != ERROR_ACCESS_DENIED || !wait())
        return FailedWithLastError(u"lock", lock_path);
      continue;
    }
    for (;;) {
      OVERLAPPED overlapped = {};
      if (::LockFileEx(file.get(),
                       LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                       1, 0, &overlapped)) {
        FILE_STANDARD_INFO info = {};
        if (::GetFileInformationByHandleEx(file.get(), FileStandardInfo,
                                           &info, sizeof(info)) &&
            !info.DeletePending) {
          lock->reset(new HandleLock(file.release()));
          return Status::Ok();
        }
        break;  // the previous holder's file, on its way out
      }
      DWORD err = ::GetLastError();
      if (err != ERROR_LOCK_VIOLATION && err != ERROR_IO_PENDING)
        return FailedWithLastError(u"lock", lock_path);
      if (!wait()) return FailedWithLastError(u"lock", lock_path);
    }
  }
}

Status SystemEnv::SyncPath(const std::u16string& path) {
  std::wstring native = win32::NativePath(path);
  DWORD attributes = ::GetFileAttributesW(native.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return FailedWithLastError(u"flush", path);
  // A folder's entries are written through by MoveFileExW's
  // MOVEFILE_WRITE_THROUGH; there is nothing to flush on its handle.
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Status::Ok();
  win32::ScopedHandle file(::CreateFileW(
      native.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return FailedWithLastError(u"flush", path);
  return OkOr(::FlushFileBuffers(file.get()) != 0, u"flush", path);
}

Status SystemEnv::SyncTree(const std::u16string& folder) {
  std::vector<std::wstring> folders{win32::NativePath(folder)};
  while (!folders.empty()) {
    const std::wstring current = std::move(folders.back());
    folders.pop_back();
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((current + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
      return FailedWithLastError(u"flush", folder);
    bool ok = true;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const DWORD attributes = data.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
      const std::wstring path = current + L"\\" + name;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        folders.push_back(path);
        continue;
      }
      win32::ScopedHandle file(::CreateFileW(
          path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      ok = file.valid() && ::FlushFileBuffers(file.get()) != 0;
    } while (ok && ::FindNextFileW(find, &data));
    {
      win32::KeepLastError keep;
      ::FindClose(find);
    }
    if (!ok) return FailedWithLastError(u"flush", folder);
  }
  return Status::Ok();
}

Status SystemEnv::ExchangeFolders(const std::u16string&,
                                  const std::u16string&) {
  // No call swaps two folders in one step here.
  return Failed(kErrorNotSupported, u"swap");
}

}  // namespace platform
}  // namespace marksafe
