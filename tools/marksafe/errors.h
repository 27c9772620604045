// How a command gives up: a Failure carries the exit code (1 failed, 2 wrong
// usage) and one line naming the step and the reason.
#ifndef MARKSAFE_TOOLS_MARKSAFE_ERRORS_H_
#define MARKSAFE_TOOLS_MARKSAFE_ERRORS_H_

#include <cstdint>
#include <stdexcept>
#include <string>

namespace marksafe_cli {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

class Failure : public std::runtime_error {
 public:
  Failure(int exit_code, const std::string& line)
      : std::runtime_error(line), exit_code_(exit_code) {}
  int exit_code() const { return exit_code_; }

 private:
  int exit_code_;
};

// "step: reason", exit code 1.
[[noreturn]] void Fail(const std::string& step, const std::string& reason);
// Exit code 2.
[[noreturn]] void FailUsage(const std::string& reason);

// "export_name returned 87" / "export_name failed (last error 3)".
std::string CodeReason(const char* export_name, int32_t code);
std::string FalseReason(const char* export_name);
// Adds why a Firefox step failed when the library found the store's
// profile held by a running Firefox (it was started meanwhile): the library
// does not open places.sqlite while Firefox holds it. Reads the last error.
std::string WithFirefoxHint(const std::string& reason);
// The same for a Chromium profile's folder.
std::string WithChromiumHint(const std::string& reason);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_ERRORS_H_
