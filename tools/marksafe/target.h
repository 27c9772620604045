// Getting a browser ready to be written into by a restore or conversion.
#ifndef MARKSAFE_TOOLS_MARKSAFE_TARGET_H_
#define MARKSAFE_TOOLS_MARKSAFE_TARGET_H_

#include <filesystem>
#include <string>

#include "browsers.h"
#include "commands.h"

namespace marksafe_cli {

// Finds the target's data and fails (exit 1) unless it is usable and the
// browser is not running (closing it with --close-browsers).
Location PrepareTarget(Browser target, const CommonOptions& options,
                       const std::string& step);

// The copy "Bookmarks~" kept beside Chrome's file while it is written.
// Making it fails (exit 1) when the copy cannot be made, so nothing is
// written then. It is removed once the write is saved whole (Saved), and
// when the write failed with the file as it was (a refused part, a lock);
// a failed write that changed the file keeps it.
class ChromeCopy {
 public:
  ChromeCopy(const Location& chrome, const std::string& step);
  ~ChromeCopy();
  ChromeCopy(const ChromeCopy&) = delete;
  ChromeCopy& operator=(const ChromeCopy&) = delete;

  void Saved() { saved_ = true; }

 private:
  std::filesystem::path file_;
  bool saved_ = false;
};

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_TARGET_H_
