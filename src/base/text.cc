#include "base/text.h"

namespace marksafe {

std::u16string FromPointer(const char16_t* text) {
  return text == nullptr ? std::u16string() : std::u16string(text);
}

std::u16string Truncated(const std::u16string& text, size_t max_chars) {
  return text.size() <= max_chars ? text : text.substr(0, max_chars);
}

void CopyToBuffer(const std::u16string& text, char16_t* out, size_t capacity) {
  if (out == nullptr || capacity == 0) return;
  size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  text.copy(out, n);
  out[n] = 0;
}

bool EndsWithSeparator(const std::u16string& path) {
  return !path.empty() && (path.back() == u'\\' || path.back() == u'/');
}

bool EndsWith(const std::u16string& text, const std::u16string& tail) {
  return text.size() > tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::u16string WithoutTrailingSeparators(std::u16string path) {
  while (path.size() > 1 && EndsWithSeparator(path)) path.pop_back();
  return path;
}

std::u16string LastComponent(const std::u16string& path) {
  const size_t cut = path.find_last_of(u"\\/");
  return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

std::u16string WithTrailingSeparator(const std::u16string& path) {
  return EndsWithSeparator(path) ? path : path + u'\\';
}

std::u16string JoinPath(const std::u16string& folder,
                        const std::u16string& name) {
  return WithTrailingSeparator(folder) + name;
}

std::u16string NumberText(long long value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::string LowerHex(const unsigned char* bytes, size_t size) {
  static const char kHex[] = "0123456789abcdef";
  std::string hex(size * 2, '0');
  for (size_t i = 0; i < size; ++i) {
    hex[2 * i] = kHex[bytes[i] >> 4];
    hex[2 * i + 1] = kHex[bytes[i] & 15];
  }
  return hex;
}

namespace {
const char kUpperHex[] = "0123456789ABCDEF";
}  // namespace

void AppendPercentEscape(unsigned char byte, std::string* out) {
  const char escape[3] = {'%', kUpperHex[byte >> 4], kUpperHex[byte & 15]};
  out->append(escape, 3);
}

void AppendUnitEscape(char16_t unit, std::string* out) {
  out->append("\\u");
  for (int shift = 12; shift >= 0; shift -= 4) {
    out->push_back(kUpperHex[(unit >> shift) & 15]);
  }
}

}  // namespace marksafe
