// Legacy character sets through glibc's iconv.
#include <errno.h>
#include <iconv.h>

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace marksafe {
namespace platform {

bool DecodeCharset(const std::string& bytes, const std::string& charset,
                   std::u16string* out) {
  out->clear();
  if (charset.empty()) return false;
  iconv_t cd = ::iconv_open("UTF-16LE", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out->reserve(bytes.size());
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  char buffer[4096];
  auto drain = [&](const char* end) {
    for (const char* p = buffer; p + 1 < end; p += 2) {
      out->push_back(static_cast<char16_t>(
          static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8)));
    }
  };
  while (in_left > 0) {
    char* put = buffer;
    size_t put_left = sizeof(buffer);
    const size_t done = ::iconv(cd, &in, &in_left, &put, &put_left);
    drain(put);
    if (done != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // A byte the set does not map (EILSEQ) or a sequence cut off at the
    // end (EINVAL): one U+FFFD for it, and on after it.
    out->push_back(u'\uFFFD');
    ++in;
    --in_left;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* put = buffer;
  size_t put_left = sizeof(buffer);
  ::iconv(cd, nullptr, nullptr, &put, &put_left);
  drain(put);
  ::iconv_close(cd);
  return true;
}

}  // namespace platform
}  // namespace marksafe
