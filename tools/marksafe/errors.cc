#include "errors.h"

#include "base/error_codes.h"
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

namespace {

// A running browser holds the store's profile.
std::string WithInUseHint(const std::string& reason, const char* hint) {
  return marksafe_last_error() == marksafe::kErrorSharingViolation
             ? reason + hint
             : reason;
}

}  // namespace

std::string WithFirefoxHint(const std::string& reason) {
  return WithInUseHint(reason,
                       "; a running Firefox holds that profile (or another "
                       "program has the file open), and the library does "
                       "not open its places.sqlite meanwhile");
}

std::string WithChromiumHint(const std::string& reason) {
  return WithInUseHint(reason,
                       "; a running browser holds that profile's folder, and "
                       "the library does not write its Bookmarks meanwhile");
}

}  // namespace marksafe_cli
