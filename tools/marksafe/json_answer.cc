#include "json_answer.h"

#include <memory>

namespace marksafe_cli {

bool ParseObject(const std::string& text, Json::Value* out) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  return reader->parse(text.data(), text.data() + text.size(), out,
                       &errors) &&
         out->isObject();
}

}  // namespace marksafe_cli
