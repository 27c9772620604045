#include "stores/chrome/document_reader.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace marksafe {
namespace chrome {

bool KeepBackslashesBeforeHighBytes(const std::string& text,
                                    std::string* changed) {
  // Follows JsonCpp's tokenizer far enough to know where strings and
  // comments are: a '"' outside comments opens a string, a backslash in a
  // string takes the next byte with it, "//" runs to the end of the line
  // ("\n" or "\r") and "/*" to "*/".
  enum class State { kOutside, kString, kLineComment, kBlockComment };
  State state = State::kOutside;
  std::string& out = *changed;
  size_t start = 0;  // first byte not yet copied to out
  const size_t size = text.size();
  for (size_t i = 0; i < size; ++i) {
    const char c = text[i];
    switch (state) {
      case State::kOutside:
        if (c == '"') {
          state = State::kString;
        } else if (c == '/' && i + 1 < size) {
          if (text[i + 1] == '/') {
            state = State::kLineComment;
            ++i;
          } else if (text[i + 1] == '*') {
            state = State::kBlockComment;
            ++i;
          }
        }
        break;
      case State::kString:
        if (c == '"') {
          state = State::kOutside;
        } else if (c == '\\' && i + 1 < size) {
          if (static_cast<unsigned char>(text[i + 1]) >= 0x80) {
            out.append(text, start, i + 1 - start);
            out += '\\';
            start = i + 1;
          } else {
            ++i;
          }
        }
        break;
      case State::kLineComment:
        if (c == '\n' || c == '\r') state = State::kOutside;
        break;
      case State::kBlockComment:
        if (c == '*' && i + 1 < size && text[i + 1] == '/') {
          state = State::kOutside;
          ++i;
        }
        break;
    }
  }
  if (start == 0) return false;
  out.append(text, start, std::string::npos);
  return true;
}

bool ParseDocumentText(const std::string& text, Json::Value* out,
                       std::string* why) {
  *out = Json::Value();
  std::string changed;
  const std::string& prepared =
      KeepBackslashesBeforeHighBytes(text, &changed) ? changed : text;
  Json::Reader reader;  // default features: comments allowed, any root
  bool parsed = false;
  std::string reason;
  try {
    // Comments are not kept: the writer lays out values only.
    // Read in place: the string overload would keep a copy of the text.
    parsed = reader.parse(prepared.data(), prepared.data() + prepared.size(),
                          *out, /*collectComments=*/false);
    if (!parsed) {
      const std::vector<Json::Reader::StructuredError> errors =
          reader.getStructuredErrors();
      if (!errors.empty()) {
        // The line of the first error, counted as editors count.
        const size_t at = static_cast<size_t>(
            std::min<ptrdiff_t>(errors[0].offset_start,
                                static_cast<ptrdiff_t>(prepared.size())));
        const size_t line =
            1 + static_cast<size_t>(std::count(prepared.begin(),
                                               prepared.begin() + at, '\n'));
        const size_t line_start = prepared.rfind('\n', at == 0 ? 0 : at - 1);
        const size_t column =
            at - (line_start == std::string::npos || at == 0 ? 0
                                                             : line_start + 1) +
            1;
        reason = "line " + std::to_string(line) + ", column " +
                 std::to_string(column) + ": " + errors[0].message;
      }
    }
  } catch (const std::exception&) {
    // JsonCpp throws when nesting exceeds its stack limit.
    parsed = false;
    reason = "it nests deeper than the JSON reader's limit";
  }
  if (!parsed) {
    *out = Json::Value();
    if (why != nullptr) *why = reason.empty() ? "not JSON" : reason;
  }
  return parsed;
}

}  // namespace chrome
}  // namespace marksafe
