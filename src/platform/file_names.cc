#include "platform/file_names.h"

#include "platform/platform.h"

namespace marksafe {

bool EqualsNoCase(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] &&
        platform::UpperCase(a[i]) != platform::UpperCase(b[i])) {
      return false;
    }
  }
  return true;
}

std::u16string ToUpperCase(const std::u16string& text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    // ASCII, most of every name, without a call into the case table.
    if (c >= u'a' && c <= u'z') {
      c = static_cast<char16_t>(c - u'a' + u'A');
    } else if (c >= 0x80) {
      c = platform::UpperCase(c);
    }
  }
  return out;
}

std::u16string DisplayPath(const std::u16string& path) {
  return platform::FromUtf8(platform::NativePathUtf8(path));
}

}  // namespace marksafe
