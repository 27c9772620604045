// A call that refuses its arguments still ends as a call of its own, so
// that the report a host reads next is not the previous call's.
#include "context/job.h"
#include "exports/export_util.h"
#include "model/report.h"
#include "platform/platform.h"

namespace marksafe {
namespace exports {

void RefuseCall(const char* operation, uint32_t code) noexcept {
  try {
    // Joins the call's job when the check runs inside it.
    context::JobScope scope(operation);
    context::Current().report().Refuse();
  } catch (...) {
    // Out of memory: the code and last error still say what happened.
  }
  platform::SetLastError(code);
}

}  // namespace exports
}  // namespace marksafe
