// JSON text written without a document tree: the quoting every writer of
// this library uses.
#ifndef MARKSAFE_COMMON_JSON_TEXT_H_
#define MARKSAFE_COMMON_JSON_TEXT_H_

#include <string>

namespace marksafe {

// Appends text as the body of a JSON string (without the quotes), as
// JsonCpp quotes with UTF-8 emitted as it stands: '"' as \", a backslash as
// \\, backspace, form feed, line feed, carriage return and tab as
// \b \f \n \r \t, every other byte below 0x20 as \u00XX with uppercase
// digits, everything else as it stands.
void AppendQuotedBody(const std::string& text, std::string* out);

}  // namespace marksafe

#endif  // MARKSAFE_COMMON_JSON_TEXT_H_
