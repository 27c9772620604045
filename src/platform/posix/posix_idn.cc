// International host names to their ASCII form through libidn2 (IDNA 2008
// with the UTS #46 mapping, as URL parsers apply it).
#include <idn2.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace marksafe {
namespace platform {
namespace {

// Frees what libidn2 allocated when the scope ends.
struct Idn2Output {
  char* text = nullptr;
  ~Idn2Output() { idn2_free(text); }
};

bool ToAscii(const std::string& utf8, int flags, std::string* ascii) {
  Idn2Output result;
  if (idn2_to_ascii_8z(utf8.c_str(), &result.text, flags) != IDN2_OK ||
      result.text == nullptr) {
    return false;
  }
  *ascii = result.text;
  return true;
}

}  // namespace

bool IdnToAscii(const std::u16string& host, std::u16string* out) {
  if (host.empty() || host.find(u'\0') != std::u16string::npos) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  std::string utf8 = ToUtf8(host);
  std::string ascii;
  // Non-transitional processing first (it keeps ß and ς, as today's
  // browsers do). Names it refuses, among them those with symbols such as
  // U+2615 that browsers accept, get the more lenient transitional
  // processing.
  if (!ToAscii(utf8, IDN2_NONTRANSITIONAL | IDN2_NFC_INPUT, &ascii) &&
      !ToAscii(utf8, IDN2_TRANSITIONAL | IDN2_NFC_INPUT, &ascii)) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  *out = FromUtf8(ascii);
  return true;
}

}  // namespace platform
}  // namespace marksafe
