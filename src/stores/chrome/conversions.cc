#include "stores/chrome/conversions.h"

#include "base/text.h"

namespace marksafe {
namespace chrome {

void wide_to_escaped_ascii(const std::u16string& text, std::string* out) {
  out->reserve(out->size() + text.size());
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      out->push_back(static_cast<char>(unit));
      if (unit == u'\\') out->push_back('\\');
    } else {
      AppendUnitEscape(unit, out);
    }
  }
}

}  // namespace chrome
}  // namespace marksafe
