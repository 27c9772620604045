// Stores of every kind read into the bookmark tree for the host extras, and
// a tree written out whole as one file.
#include "exports/host_stores.h"

#include <json/json.h>

#include <string>

#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "exports/export_util.h"
#include "jobs/store_jobs.h"
#include "marksafe/marksafe.h"
#include "model/report.h"
#include "platform/platform.h"

namespace marksafe {
namespace exports {

void Note(const std::u16string& path, const std::string& reason) {
  context::Current().report().problems.push_back(
      model::Problem{DisplayPath(path), std::u16string(), reason, true});
}


int32_t ReadPair(const StoreToRead& first, const StoreToRead& second,
                 Json::Value* out) {
  const StoreToRead* failed = nullptr;
  int32_t code = 0;
  for (const StoreToRead* store : {&first, &second}) {
    code = store->path == nullptr
               ? static_cast<int32_t>(kErrorInvalidParameter)
               : ReadStore(ToU16(store->path), store->kind, store->tree);
    if (code != 0) {
      failed = store;
      break;
    }
  }
  if (failed == nullptr) return 0;
  (*out)["code"] = code;
  (*out)["error"] = std::string(failed->label) + " cannot be read";
  for (const model::Problem& problem : context::Current().report().problems) {
    (*out)["error"] = platform::ToUtf8(problem.path) + " " + problem.reason;
  }
  return code;
}

int32_t ReadStore(const std::u16string& path, int32_t kind,
                  model::Tree* tree) {
  return static_cast<int32_t>(jobs::ReadStore(kind, path, tree).code());
}

int32_t ExportStore(
    const char16_t* source, int32_t kind, const char16_t* file,
    const std::function<std::string(const model::Tree&)>& write) {
  return static_cast<int32_t>(
      jobs::ExportStore(kind, source, file, write).code());
}

}  // namespace exports
}  // namespace marksafe
