// UTF-16 <-> UTF-8 conversion. Invalid input never fails: a lone surrogate
// or a malformed UTF-8 sequence becomes U+FFFD.
#include <utf8.h>

#include <cstddef>
#include <iterator>

#include "platform/platform.h"

namespace marksafe {
namespace platform {

namespace {

// Most titles and addresses are ASCII: a run of it is copied a unit at a
// time into room made at once, without the encoder, in one pass.
template <typename To, typename From>
size_t AppendAsciiRun(const From& text, size_t from, To* out) {
  const size_t at = out->size();
  out->resize(at + (text.size() - from));
  auto* to = out->data() + at;
  size_t end = from;
  for (; end < text.size() && static_cast<uint32_t>(text[end]) < 0x80; ++end) {
    *to++ = static_cast<typename To::value_type>(text[end]);
  }
  out->resize(at + (end - from));
  return end;
}

}  // namespace

std::string ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  auto sink = std::back_inserter(out);
  size_t i = AppendAsciiRun(text, 0, &out);
  for (; i < text.size(); ++i) {
    uint32_t unit = text[i];
    uint32_t code_point = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code_point = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      code_point = 0xFFFD;
    }
    utf8::unchecked::append(code_point, sink);
  }
  return out;
}

std::u16string FromUtf8(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  const size_t ascii = AppendAsciiRun(text, 0, &out);
  if (ascii == text.size()) return out;
  const auto rest = text.begin() + static_cast<std::ptrdiff_t>(ascii);
  if (utf8::is_valid(rest, text.end())) {
    utf8::unchecked::utf8to16(rest, text.end(), std::back_inserter(out));
    return out;
  }
  std::string repaired;
  utf8::replace_invalid(rest, text.end(), std::back_inserter(repaired),
                        0xFFFDu);
  utf8::unchecked::utf8to16(repaired.begin(), repaired.end(),
                            std::back_inserter(out));
  return out;
}

}  // namespace platform
}  // namespace marksafe
