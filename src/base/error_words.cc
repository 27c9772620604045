#include "base/error_words.h"

#include "base/error_codes.h"

namespace marksafe {

std::string ErrorWords(uint32_t code) {
  switch (code) {
    case kErrorFileNotFound:
      return "file not found";
    case kErrorPathNotFound:
      return "folder not found";
    case kErrorTooManyOpenFiles:
      return "too many open files";
    case kErrorAccessDenied:
      return "access denied";
    case kErrorNotEnoughMemory:
      return "not enough memory";
    case kErrorInvalidData:
      return "the data is not valid";
    case kErrorWriteProtect:
      return "the medium is write-protected";
    case kErrorSharingViolation:
      return "in use by another program (locked)";
    case kErrorLockViolation:
      return "locked by another program";
    case kErrorFileExists:
      return "the file exists already";
    case kErrorInvalidParameter:
      return "invalid argument";
    case kErrorDiskFull:
      return "the disk is full";
    case kErrorDirNotEmpty:
      return "the folder is not empty";
    case kErrorAlreadyExists:
      return "it exists already";
    case kErrorFilenameTooLong:
      return "the name or path is too long";
    case kErrorIoDevice:
      return "input/output error";
    case kErrorFileCorrupt:
      return "the file is damaged";
    case kErrorCantResolveFilename:
      return "too many levels of links";
    default: return "error " + std::to_string(code);
  }
}

}  // namespace marksafe
