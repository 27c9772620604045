// JSON text as every writer of this library writes it: compact, UTF-8 as
// it stands.
#ifndef MARKSAFE_BASE_JSON_TEXT_H_
#define MARKSAFE_BASE_JSON_TEXT_H_

#include <json/json.h>

#include <string>

namespace marksafe {

// value as compact JSON text (no indentation, UTF-8 emitted as it stands).
std::string CompactJson(const Json::Value& value);

// For text written without a document tree: appends text as the body of a
// JSON string (without the quotes), as
// JsonCpp quotes with UTF-8 emitted as it stands: '"' as \", a backslash as
// \\, backspace, form feed, line feed, carriage return and tab as
// \b \f \n \r \t, every other byte below 0x20 as \u00XX with uppercase
// digits, everything else as it stands.
void AppendQuotedBody(const std::string& text, std::string* out);
// The same for the bytes [begin, end).
void AppendQuotedBody(const char* begin, const char* end, std::string* out);

}  // namespace marksafe

#endif  // MARKSAFE_BASE_JSON_TEXT_H_
