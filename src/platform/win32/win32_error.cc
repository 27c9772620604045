// The thread's last-error value is the system's own.
#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {

// The library's names for the codes are the system's own values.
static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND, "error code");
static_assert(kErrorPathNotFound == ERROR_PATH_NOT_FOUND, "error code");
static_assert(kErrorTooManyOpenFiles == ERROR_TOO_MANY_OPEN_FILES,
              "error code");
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED, "error code");
static_assert(kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY, "error code");
static_assert(kErrorInvalidData == ERROR_INVALID_DATA, "error code");
static_assert(kErrorNotSameDevice == ERROR_NOT_SAME_DEVICE, "error code");
static_assert(kErrorWriteProtect == ERROR_WRITE_PROTECT, "error code");
static_assert(kErrorGenFailure == ERROR_GEN_FAILURE, "error code");
static_assert(kErrorSharingViolation == ERROR_SHARING_VIOLATION, "error code");
static_assert(kErrorLockViolation == ERROR_LOCK_VIOLATION, "error code");
static_assert(kErrorNotSupported == ERROR_NOT_SUPPORTED, "error code");
static_assert(kErrorFileExists == ERROR_FILE_EXISTS, "error code");
static_assert(kErrorInvalidParameter == ERROR_INVALID_PARAMETER, "error code");
static_assert(kErrorOpenFailed == ERROR_OPEN_FAILED, "error code");
static_assert(kErrorDiskFull == ERROR_DISK_FULL, "error code");
static_assert(kErrorInvalidName == ERROR_INVALID_NAME, "error code");
static_assert(kErrorDirNotEmpty == ERROR_DIR_NOT_EMPTY, "error code");
static_assert(kErrorBusy == ERROR_BUSY, "error code");
static_assert(kErrorAlreadyExists == ERROR_ALREADY_EXISTS, "error code");
static_assert(kErrorFilenameTooLong == ERROR_FILENAME_EXCED_RANGE,
              "error code");
static_assert(kErrorIoDevice == ERROR_IO_DEVICE, "error code");
static_assert(kErrorFileCorrupt == ERROR_FILE_CORRUPT, "error code");
static_assert(kErrorCantResolveFilename == ERROR_CANT_RESOLVE_FILENAME,
              "error code");
static_assert(kErrorDatabaseFailure == ERROR_DATABASE_FAILURE, "error code");

uint32_t GetLastError() { return ::GetLastError(); }

void SetLastError(uint32_t code) { ::SetLastError(code); }

}  // namespace platform
}  // namespace marksafe
