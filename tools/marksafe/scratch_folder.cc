#include "scratch_folder.h"

#include <random>
#include <system_error>

#include "errors.h"

namespace fs = std::filesystem;

namespace marksafe_cli {

ScratchFolder::ScratchFolder(const std::string& step,
                             const std::string& prefix,
                             const std::string& purpose) {
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  std::random_device random;
  for (int attempt = 0; !ec && attempt < 100; ++attempt) {
    fs::path folder = temp / (prefix + std::to_string(random()));
    if (fs::create_directory(folder, ec)) {
      path_ = folder;
      return;
    }
  }
  Fail(step, "cannot make a scratch folder for " + purpose);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace marksafe_cli
