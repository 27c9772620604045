#include "exports/host_stores.h"

#include <json/json.h>

#include <string>

#include "context/job.h"
#include "exports/export_util.h"
#include "model/report.h"
#include "platform/platform.h"

namespace marksafe {
namespace exports {

void PutReadFailure(const Status& status, Json::Value* out) {
  (*out)["code"] = CodeOf(status);
  (*out)["error"] = platform::ToUtf8(status.message());
  for (const model::Problem& problem : context::Current().report().problems) {
    (*out)["error"] = platform::ToUtf8(problem.path) + " " + problem.reason;
  }
}

}  // namespace exports
}  // namespace marksafe
