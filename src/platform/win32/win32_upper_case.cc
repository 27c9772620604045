// Upper-casing of single UTF-16 units, as the file system compares names:
// the system's invariant simple mapping, one unit to one unit, taken once
// into a table. Surrogate halves are left as they are.
#include <array>
#include <memory>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

using UpperTable = std::array<char16_t, 0x10000>;

std::unique_ptr<UpperTable> BuildTable() {
  win32::KeepLastError keep;
  auto table = std::make_unique<UpperTable>();
  for (unsigned unit = 0; unit < 0x10000; ++unit) {
    char16_t upper = static_cast<char16_t>(unit);
    if (unit < 0xD800 || unit > 0xDFFF) {
      wchar_t in = static_cast<wchar_t>(unit);
      wchar_t out = in;
      if (::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, &in, 1, &out,
                         1) == 1) {
        upper = static_cast<char16_t>(out);
      }
    }
    (*table)[unit] = upper;
  }
  return table;
}

}  // namespace

char16_t UpperCase(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  static const std::unique_ptr<UpperTable> table = BuildTable();
  return (*table)[c];
}

}  // namespace platform
}  // namespace marksafe
