// Warnings of the profile search (a profile file not read, a profile folder
// outside its browser's folder): each goes to the diagnostics like any
// line, and to the ProfileWarnings collecting on the thread, so that a host
// can show them to the person.
#ifndef MARKSAFE_PROFILES_PROFILE_WARNINGS_H_
#define MARKSAFE_PROFILES_PROFILE_WARNINGS_H_

#include <string>
#include <vector>

#include "base/text.h"
#include "platform/debug_log.h"
#include "platform/file_names.h"

namespace marksafe {

// Collects the warnings made on this thread while it lives (the innermost
// of nested ones).
class ProfileWarnings {
 public:
  ProfileWarnings();
  ~ProfileWarnings();
  ProfileWarnings(const ProfileWarnings&) = delete;
  ProfileWarnings& operator=(const ProfileWarnings&) = delete;

  // Each warning once, in the order made, without its line end.
  const std::vector<std::u16string>& lines() const { return lines_; }

  // Hands line to the collector of this thread, if any.
  static void Add(const std::u16string& line);

 private:
  ProfileWarnings* previous_;
  std::vector<std::u16string> lines_;
};

// Formats like DebugLog (format ends in "\n") and emits the warning, its
// paths written with the system's separators.
template <typename... Args>
void ProfileWarning(const char16_t* format, const Args&... args) {
  const std::u16string line = DisplayPath(FormatMessage(0, format, args...));
  EmitLine(line);
  ProfileWarnings::Add(line);
}

}  // namespace marksafe

#endif  // MARKSAFE_PROFILES_PROFILE_WARNINGS_H_
