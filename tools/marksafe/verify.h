// marksafe verify DIR: does each browser hold everything its part of the
// backup set holds?
#ifndef MARKSAFE_TOOLS_MARKSAFE_VERIFY_H_
#define MARKSAFE_TOOLS_MARKSAFE_VERIFY_H_

#include <string>

#include "commands.h"

namespace marksafe_cli {

struct VerifyOptions {
  CommonOptions common;
  std::string dir;
  std::string browser;  // empty: every part of the set
  std::string as_of;    // WHEN: each Firefox and Chrome part's snapshot
};

// The kind (MARKSAFE_STORE_*) of a browser's own data.
int32_t StoreKind(Browser browser);

// 0 when every browser holds every link of its part; 1 otherwise, after
// listing per folder what is missing and what the browser has beyond it.
int RunVerify(const VerifyOptions& options);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_VERIFY_H_
