// --dry-run of restore and convert: the step runs on a copy of the
// browser's data in a scratch folder, and what it added there is shown.
// The browser's own files are only read.
#ifndef MARKSAFE_TOOLS_MARKSAFE_DRY_RUN_H_
#define MARKSAFE_TOOLS_MARKSAFE_DRY_RUN_H_

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <system_error>

#include "commands.h"
#include "errors.h"

namespace marksafe_cli {

// A new folder in the temporary folder, removed with everything in it when
// the object goes (also when the run fails).
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& step,
                         const std::string& prefix = "marksafe-dry-run-") {
    std::error_code ec;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    std::random_device random;
    for (int attempt = 0; !ec && attempt < 100; ++attempt) {
      std::filesystem::path folder =
          temp / (prefix + std::to_string(random()));
      if (std::filesystem::create_directory(folder, ec)) {
        path_ = folder;
        return;
      }
    }
    Fail(step, "cannot make a scratch folder in " + temp.string());
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};


int RunDryRun(Browser target, const CommonOptions& options,
              const std::string& step,
              const std::function<Change(const CommonOptions&)>& run);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_DRY_RUN_H_
