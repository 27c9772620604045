#include "target.h"

#include "errors.h"

namespace marksafe_cli {

Location PrepareTarget(Browser target, const CommonOptions& options,
                       const std::string& step) {
  Location location = Locate(target, options.data);
  RequireUsableData(target, location, step);
  if (!(target == Browser::kChrome && options.data.sandbox)) {
    RequireNotRunning(target, options.close_browsers, step);
  }
  return location;
}

void KeepChromeCopy(const Location& chrome, const std::string& step) {
  const int32_t code = mk_chrome_temp_file(chrome.arg());
  if (code != 0) {
    Fail(step,
         "could not keep a copy of the Bookmarks file, so nothing was "
         "written: " +
             CodeReason("mk_chrome_temp_file", code));
  }
}

}  // namespace marksafe_cli
