// The library's answers in JSON (profiles, comparisons, reports, the
// browsers' own backups) and the manifests the program peeks into.
#ifndef MARKSAFE_TOOLS_MARKSAFE_JSON_ANSWER_H_
#define MARKSAFE_TOOLS_MARKSAFE_JSON_ANSWER_H_

#include <json/json.h>

#include <string>

namespace marksafe_cli {

// True when text is one JSON object, then in *out.
bool ParseObject(const std::string& text, Json::Value* out);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_JSON_ANSWER_H_
