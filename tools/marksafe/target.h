// Getting a browser ready to be written into by a restore or conversion.
#ifndef MARKSAFE_TOOLS_MARKSAFE_TARGET_H_
#define MARKSAFE_TOOLS_MARKSAFE_TARGET_H_

#include <string>

#include "browsers.h"
#include "commands.h"

namespace marksafe_cli {

// Finds the target's data and fails (exit 1) unless it is usable and the
// browser is not running (closing it with --close-browsers).
Location PrepareTarget(Browser target, const CommonOptions& options,
                       const std::string& step);

// Keeps the copy "Bookmarks~" beside Chrome's file before it is written;
// fails (exit 1) when the copy cannot be made, so nothing is written then.
void KeepChromeCopy(const Location& chrome, const std::string& step);

// Removes that copy once the write it guarded has been saved whole; a
// write that failed keeps it.
void DropChromeCopy(const Location& chrome);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_TARGET_H_
