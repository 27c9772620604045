// A store the library reads whole (a browser's own backup, a snapshot)
// merged straight into a browser: nothing is written out in between.
#include <optional>

#include "commands.h"
#include "errors.h"
#include "marksafe/marksafe.h"
#include "progress.h"
#include "target.h"

namespace marksafe_cli {

Change RestoreWhole(Browser target, const std::filesystem::path& source,
                    int32_t source_kind, const CommonOptions& options,
                    const std::string& step) {
  if (target == Browser::kIe) {
    Fail(step, "Internet Explorer takes the parts of a backup set only");
  }
  const Location location = PrepareTarget(target, options, step);
  std::optional<ChromeCopy> copy;
  if (target == Browser::kChrome) copy.emplace(location, step);
  Change change;
  change.before = Measure(target, location);
  const MsString ms_source = ToMsPath(source);
  const int32_t kind = target == Browser::kChrome ? MARKSAFE_STORE_CHROME
                                                  : MARKSAFE_STORE_PLACES;
  const int32_t code = RunWithProgress<int32_t>(
      std::string("restoring into ") + DisplayName(target), [&] {
        const int32_t done =
            marksafe_restore_from(ms_source.c_str(), source_kind,
                                  location.ms_path.c_str(), kind, false);
        change.report = TakeLastReport();
        return done;
      });
  if (code != 0) {
    const std::string reason = CodeReason("marksafe_restore_from", code);
    FailWithReport(step,
                   target == Browser::kChrome ? WithChromiumHint(reason)
                                              : WithFirefoxHint(reason),
                   change.report);
  }
  if (copy) copy->Saved();
  change.after = Measure(target, location);
  return change;
}

}  // namespace marksafe_cli
