// UTF-16 <-> UTF-8 conversion. Invalid input never fails: a lone surrogate
// or a malformed UTF-8 sequence becomes U+FFFD.
#include <utf8.h>

#include <iterator>

#include "platform/platform.h"

namespace marksafe {
namespace platform {

std::string ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  auto sink = std::back_inserter(out);
  for (size_t i = 0; i < text.size(); ++i) {
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
  if (utf8::is_valid(text.begin(), text.end())) {
    utf8::unchecked::utf8to16(text.begin(), text.end(),
                              std::back_inserter(out));
    return out;
  }
  std::string repaired;
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(repaired),
                        0xFFFDu);
  utf8::unchecked::utf8to16(repaired.begin(), repaired.end(),
                            std::back_inserter(out));
  return out;
}

}  // namespace platform
}  // namespace marksafe
