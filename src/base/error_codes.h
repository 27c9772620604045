// Every error code the library returns or leaves as the thread's last error,
// named once. They are the Windows system error codes of the same meaning
// (the win32 backend checks that its macros agree), so that a host reads
// the same number on both systems. Header only: the platform layer uses it
// too.
#ifndef MARKSAFE_BASE_ERROR_CODES_H_
#define MARKSAFE_BASE_ERROR_CODES_H_

#include <cstdint>

namespace marksafe {

constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorTooManyOpenFiles = 4;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kErrorOutOfMemory = 14;
constexpr uint32_t kErrorNotSameDevice = 17;
constexpr uint32_t kErrorWriteProtect = 19;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorSharingViolation = 32;  // a running browser holds it
constexpr uint32_t kErrorLockViolation = 33;     // another writer's lock
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorOpenFailed = 110;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorDirNotEmpty = 145;
constexpr uint32_t kErrorBusy = 170;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorFilenameTooLong = 206;
constexpr uint32_t kErrorNotConnected = 652;  // a places handle without one
constexpr uint32_t kErrorIoDevice = 1117;
constexpr uint32_t kErrorFileCorrupt = 1392;
constexpr uint32_t kErrorCantResolveFilename = 1921;
constexpr uint32_t kErrorDatabaseFailure = 4313;

}  // namespace marksafe

#endif  // MARKSAFE_BASE_ERROR_CODES_H_
