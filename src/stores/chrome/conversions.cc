#include "stores/chrome/conversions.h"

namespace marksafe {
namespace chrome {

void wide_to_escaped_ascii(const std::u16string& text, std::string* out) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  out->reserve(out->size() + text.size());
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      out->push_back(static_cast<char>(unit));
      if (unit == u'\\') out->push_back('\\');
    } else {
      out->append("\\u");
      out->push_back(kHexDigits[(unit >> 12) & 0xF]);
      out->push_back(kHexDigits[(unit >> 8) & 0xF]);
      out->push_back(kHexDigits[(unit >> 4) & 0xF]);
      out->push_back(kHexDigits[unit & 0xF]);
    }
  }
}

}  // namespace chrome
}  // namespace marksafe
