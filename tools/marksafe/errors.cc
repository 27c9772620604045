#include "errors.h"

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
  if (!is_firefox_running()) return reason;
  return reason +
         "; Firefox is running now, and the library does not open "
         "places.sqlite while it runs";
}

}  // namespace marksafe_cli
