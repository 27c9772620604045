// What the host extras share: the failure of a comparison to read a store
// as JSON.
#ifndef MARKSAFE_EXPORTS_HOST_STORES_H_
#define MARKSAFE_EXPORTS_HOST_STORES_H_

#include <json/json.h>

#include <string>

#include "base/status.h"

namespace marksafe {
namespace exports {

// Sets "code" and "error" in *out for a comparison that could not read a
// store: the last problem of the current report, else status's message.
void PutReadFailure(const Status& status, Json::Value* out);

}  // namespace exports
}  // namespace marksafe

#endif  // MARKSAFE_EXPORTS_HOST_STORES_H_
