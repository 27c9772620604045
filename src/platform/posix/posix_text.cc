// UTF-16 <-> UTF-8 conversion. Invalid input never fails: a lone surrogate
// or a malformed UTF-8 sequence becomes U+FFFD.
#include <utf8.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>

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

// Decodes text, when it is all well-formed UTF-8, in one pass into units
// (room for text.size(): a unit never takes fewer bytes than it makes) and
// returns their count; npos at the first malformed sequence.
size_t DecodeWellFormed(const std::string& text, char16_t* units) {
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  char16_t* to = units;
  size_t i = 0;
  while (i < size) {
    if (size - i >= 8) {
      // Most text is ASCII: eight bytes of it are taken at once.
      uint64_t block;
      std::memcpy(&block, in + i, sizeof block);
      if ((block & 0x8080808080808080u) == 0) {
        for (size_t k = 0; k < 8; ++k) to[k] = in[i + k];
        to += 8;
        i += 8;
        continue;
      }
    }
    uint32_t code_point = in[i];
    if (code_point < 0x80) {
      *to++ = static_cast<char16_t>(code_point);
      ++i;
      continue;
    }
    size_t length;
    if (code_point >= 0xC2 && code_point <= 0xDF) {
      length = 2;
      code_point &= 0x1F;
    } else if (code_point >= 0xE0 && code_point <= 0xEF) {
      length = 3;
      code_point &= 0x0F;
    } else if (code_point >= 0xF0 && code_point <= 0xF4) {
      length = 4;
      code_point &= 0x07;
    } else {
      return std::string::npos;
    }
    if (size - i < length) return std::string::npos;
    for (size_t k = 1; k < length; ++k) {
      const uint32_t unit = in[i + k];
      if ((unit & 0xC0) != 0x80) return std::string::npos;
      code_point = (code_point << 6) | (unit & 0x3F);
    }
    // Overlong forms, surrogates and what lies past U+10FFFF.
    if ((length == 3 && (code_point < 0x800 ||
                         (code_point >= 0xD800 && code_point <= 0xDFFF))) ||
        (length == 4 && (code_point < 0x10000 || code_point > 0x10FFFF))) {
      return std::string::npos;
    }
    if (code_point >= 0x10000) {
      code_point -= 0x10000;
      *to++ = static_cast<char16_t>(0xD800 + (code_point >> 10));
      *to++ = static_cast<char16_t>(0xDC00 + (code_point & 0x3FF));
    } else {
      *to++ = static_cast<char16_t>(code_point);
    }
    i += length;
  }
  return static_cast<size_t>(to - units);
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
  // Decoded into a buffer that is not cleared first, then copied once.
  char16_t small[256];
  std::unique_ptr<char16_t[]> large;
  char16_t* units = small;
  if (text.size() > sizeof small / sizeof *small) {
    large.reset(new char16_t[text.size()]);
    units = large.get();
  }
  const size_t count = DecodeWellFormed(text, units);
  if (count != std::string::npos) return std::u16string(units, count);
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
