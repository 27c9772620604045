#include "errors.h"

#include "common/error_codes.h"
#include "marksafe/marksafe.h"

namespace marksafe_cli {

void Fail(const std::string& step, const std::string& reason) {
  throw Failure(kExitFailed, step + ": " + reason);
}

void FailUsage(const std::string& reason) { throw Failure(kExitUsage, reason); }

std::string CodeReason(const char* export_name, int32_t code) {
  return std::string(export_name) + " returned error code " +
         std::to_string(code);
}

std::string FalseReason(const char* export_name) {
  return std::string(export_name) + " failed (last error " +
         std::to_string(marksafe_last_error()) + ")";
}

std::string WithFirefoxHint(const std::string& reason) {
  // A running Firefox holds the store's profile.
  if (marksafe_last_error() != marksafe::kErrorSharingViolation) return reason;
  return reason +
         "; a running Firefox holds that profile, and the library does not "
         "open its places.sqlite meanwhile";
}

}  // namespace marksafe_cli
