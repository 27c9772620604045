#include "target.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "base/error_codes.h"
#include "errors.h"

namespace fs = std::filesystem;

namespace marksafe_cli {

Location PrepareTarget(Browser target, const CommonOptions& options,
                       const std::string& step) {
  // A Bookmarks file named in a profile folder that has none yet is made
  // as well, as the browser makes it.
  std::error_code ec;
  const fs::path named = PathFromUtf8(options.data.chrome_bookmarks);
  const bool named_missing =
      !options.data.chrome_bookmarks.empty() && !fs::exists(named, ec) &&
      fs::is_directory(fs::absolute(named, ec).parent_path(), ec);
  if (target == Browser::kChrome &&
      (options.data.create_chrome_file || named_missing)) {
    // A Chromium profile that never had bookmarks: its file is made as
    // the browser makes it, then written like any other.
    RequireNotRunning(target, options.data, options.close_browsers, step);
    const MsString file = ToMsPath(PathFromUtf8(options.data.chrome_bookmarks));
    const int32_t code = marksafe_create_chrome_bookmarks(file.c_str());
    if (code != 0 && code != marksafe::kErrorFileExists) {
      Fail(step, "cannot create " + options.data.chrome_bookmarks + ": " +
                     CodeReason("marksafe_create_chrome_bookmarks", code));
    }
  }
  Location location = Locate(target, options.data);
  RequireUsableData(target, location, step);
  if (!(target == Browser::kChrome && options.data.sandbox)) {
    RequireNotRunning(target, options.data, options.close_browsers, step);
  }
  return location;
}

namespace {

// Whether two files hold the same bytes (false when either cannot be read).
bool SameBytes(const fs::path& a, const fs::path& b) {
  std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
  if (!left || !right) return false;
  return std::equal(std::istreambuf_iterator<char>(left),
                    std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(right),
                    std::istreambuf_iterator<char>());
}

}  // namespace

ChromeCopy::ChromeCopy(const Location& chrome, const std::string& step)
    : file_(chrome.path) {
  const int32_t code = mk_chrome_temp_file(chrome.arg());
  if (code != 0) {
    Fail(step,
         "could not keep a copy of the Bookmarks file, so nothing was "
         "written: " +
             CodeReason("mk_chrome_temp_file", code));
  }
}

ChromeCopy::~ChromeCopy() {
  try {
    fs::path copy = file_;
    copy += "~";
    std::error_code ec;
    if (saved_ || SameBytes(file_, copy)) fs::remove(copy, ec);
  } catch (...) {
    // The copy stays; it is only a spare.
  }
}

}  // namespace marksafe_cli
