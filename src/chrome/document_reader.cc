#include "chrome/document_reader.h"

#include <exception>

namespace marksafe {
namespace chrome {

std::string KeepBackslashesBeforeHighBytes(const std::string& text) {
  // Follows JsonCpp's tokenizer far enough to know where strings and
  // comments are: a '"' outside comments opens a string, a backslash in a
  // string takes the next byte with it, "//" runs to the end of the line
  // ("\n" or "\r") and "/*" to "*/".
  enum class State { kOutside, kString, kLineComment, kBlockComment };
  State state = State::kOutside;
  std::string out;
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
  if (start == 0) return text;
  out.append(text, start, std::string::npos);
  return out;
}

bool ParseDocumentText(const std::string& text, Json::Value* out) {
  *out = Json::Value();
  const std::string prepared = KeepBackslashesBeforeHighBytes(text);
  Json::Reader reader;  // default features: comments allowed, any root
  bool parsed = false;
  try {
    // Comments are not kept: the writer lays out values only.
    parsed = reader.parse(prepared, *out, /*collectComments=*/false);
  } catch (const std::exception&) {
    parsed = false;  // JsonCpp throws when nesting exceeds its stack limit
  }
  if (!parsed) *out = Json::Value();
  return parsed;
}

}  // namespace chrome
}  // namespace marksafe
