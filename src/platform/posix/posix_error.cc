// The thread's last-error value and the mapping of errno to Windows codes.
#include <sys/stat.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace marksafe {
namespace platform {
namespace {

thread_local uint32_t g_last_error = 0;

}  // namespace

uint32_t GetLastError() { return g_last_error; }

void SetLastError(uint32_t code) { g_last_error = code; }

namespace posix {

uint32_t WindowsErrorFor(int err) {
  switch (err) {
    case 0:
      return 0;
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
      return kErrorAccessDenied;
    case EROFS:
      return kErrorWriteProtect;
    case EEXIST:
      return kErrorAlreadyExists;
    case EINVAL:
      return kErrorInvalidParameter;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
      return kErrorDiskFull;
    case ENAMETOOLONG:
      return kErrorFilenameTooLong;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EXDEV:
      return kErrorNotSameDevice;
    case ENOTEMPTY:
      return kErrorDirNotEmpty;
    case EBUSY:
      return kErrorBusy;
    case ETXTBSY:
      return kErrorSharingViolation;
    case EIO:
      return kErrorIoDevice;
    case ELOOP:
      return kErrorCantResolveFilename;
    default:
      return kErrorGenFailure;
  }
}

void SetLastErrorFromErrno(int err, const std::string& native_path) {
  uint32_t code = WindowsErrorFor(err);
  if (err == ENOENT) {
    struct stat st;
    std::string parent = ParentOf(native_path);
    if (stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      code = kErrorPathNotFound;
    }
  }
  SetLastError(code);
}

}  // namespace posix
}  // namespace platform
}  // namespace marksafe
