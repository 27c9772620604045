// --dry-run of restore and convert: the step runs on a copy of the
// browser's data in a scratch folder, and what it added there is shown.
// The browser's own files are only read.
#ifndef MARKSAFE_TOOLS_MARKSAFE_DRY_RUN_H_
#define MARKSAFE_TOOLS_MARKSAFE_DRY_RUN_H_

#include <filesystem>
#include <functional>
#include <string>

#include "commands.h"
#include "errors.h"
#include "scratch_folder.h"

namespace marksafe_cli {

int RunDryRun(Browser target, const CommonOptions& options,
              const std::string& step,
              const std::function<Change(const CommonOptions&)>& run);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_DRY_RUN_H_
