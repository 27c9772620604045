// The result of an internal step that can fail: a Windows error code (0 for
// success) and a message naming the step, the file and, where there is one,
// the bookmark. Callers must look at it; the exports turn it into their own
// result at their edge.
#ifndef MARKSAFE_BASE_STATUS_H_
#define MARKSAFE_BASE_STATUS_H_

#include <cstdint>
#include <string>
#include <utility>

#include "base/error_codes.h"

namespace marksafe {

class [[nodiscard]] Status {
 public:
  Status() = default;  // success
  static Status Ok() { return Status(); }
  // code 0 is turned into kErrorInvalidParameter: a failure never reads as
  // success.
  static Status Error(uint32_t code, std::u16string message) {
    return Status(code == kErrorSuccess ? kErrorInvalidParameter : code,
                  std::move(message));
  }

  bool ok() const { return code_ == kErrorSuccess; }
  uint32_t code() const { return code_; }
  const std::u16string& message() const { return message_; }

  // Keeps the first failure: this when it failed, else other.
  Status& Update(Status other) {
    if (ok() && !other.ok()) *this = std::move(other);
    return *this;
  }

 private:
  Status(uint32_t code, std::u16string message)
      : code_(code), message_(std::move(message)) {}

  uint32_t code_ = kErrorSuccess;
  std::u16string message_;
};

// A failure with code: "could not <what>", followed by path when there is
// one.
Status CouldNot(uint32_t code, const char16_t* what,
                const std::u16string& path = {});

}  // namespace marksafe

#endif  // MARKSAFE_BASE_STATUS_H_
