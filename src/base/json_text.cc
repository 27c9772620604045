#include "base/json_text.h"

#include "base/text.h"

namespace marksafe {

std::string CompactJson(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

namespace {

// The bytes a JSON string holds as they are: all but the quote, the
// backslash and the control characters.
struct PlainBytes {
  bool byte[256];
  constexpr PlainBytes() : byte() {
    for (int c = 0x20; c < 256; ++c) byte[c] = c != '"' && c != '\\';
  }
};
constexpr PlainBytes kPlain;

}  // namespace

void AppendQuotedBody(const std::string& text, std::string* out) {
  AppendQuotedBody(text.data(), text.data() + text.size(), out);
}

void AppendQuotedBody(const char* begin, const char* end, std::string* out) {
  for (const char* p = begin; p != end; ++p) {
    // A run of characters that need no escape goes in at once.
    const char* plain = p;
    while (plain != end && kPlain.byte[static_cast<unsigned char>(*plain)]) {
      ++plain;
    }
    if (plain != p) {
      out->append(p, static_cast<size_t>(plain - p));
      p = plain;
      if (p == end) break;
    }
    const char c = *p;
    switch (c) {
      case '"':
        out->append("\\\"");
        break;
      case '\\':
        out->append("\\\\");
        break;
      case '\b':
        out->append("\\b");
        break;
      case '\f':
        out->append("\\f");
        break;
      case '\n':
        out->append("\\n");
        break;
      case '\r':
        out->append("\\r");
        break;
      case '\t':
        out->append("\\t");
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          AppendUnitEscape(static_cast<unsigned char>(c), out);
        } else {
          out->push_back(c);
        }
    }
  }
}

}  // namespace marksafe
