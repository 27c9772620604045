// A new folder in the temporary folder, removed with everything in it when
// the object goes (also when the run fails).
#ifndef MARKSAFE_TOOLS_MARKSAFE_SCRATCH_FOLDER_H_
#define MARKSAFE_TOOLS_MARKSAFE_SCRATCH_FOLDER_H_

#include <filesystem>
#include <string>

namespace marksafe_cli {

class ScratchFolder {
 public:
  // Fails the step (exit 1) with "cannot make a scratch folder for
  // <purpose>" when no folder can be made.
  ScratchFolder(const std::string& step, const std::string& prefix,
                const std::string& purpose);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_SCRATCH_FOLDER_H_
