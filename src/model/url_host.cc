// Host parsing for web addresses: IPv6 literals in brackets, IPv4 numbers
// in every form browsers accept (dotted, hex, octal, fewer than four
// parts), international domain names through the platform's IDN service,
// and the opaque hosts of other schemes.
#include "model/url_host.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/platform.h"

namespace marksafe {
namespace url_host {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Code points no host may contain.
bool IsForbiddenHostByte(unsigned char c) {
  return c == 0 || std::strchr("\t\n\r #/:<>?@[\\]^|", c) != nullptr;
}

// Domains additionally refuse controls, "%" and DEL.
bool IsForbiddenDomainByte(unsigned char c) {
  return IsForbiddenHostByte(c) || c < 0x20 || c == '%' || c == 0x7F;
}

std::string PercentDecode(const std::string& input) {
  std::string out;
  out.reserve(input.size());
  for (size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '%' && i + 2 < input.size() &&
        HexValue(input[i + 1]) >= 0 && HexValue(input[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(input[i + 1]) * 16 +
                               HexValue(input[i + 2]));
      i += 2;
    } else {
      out += input[i];
    }
  }
  return out;
}

// ---- IPv6 -------------------------------------------------------------------

// The dotted IPv4 address at the end of an IPv6 one, from p: four
// decimal numbers (no leading zeros, at most 255) that fill two pieces.
bool ParseEmbeddedIpv4(const std::string& input, size_t p, uint16_t address[8],
                       int* piece) {
  const size_t n = input.size();
  auto at = [&](size_t q) { return q < n ? input[q] : '\0'; };
  int numbers_seen = 0;
  while (p < n) {
    int ipv4_piece = -1;
    if (numbers_seen > 0) {
      if (at(p) == '.' && numbers_seen < 4) {
        ++p;
      } else {
        return false;
      }
    }
    if (!IsDigit(at(p))) return false;
    while (IsDigit(at(p))) {
      int digit = at(p) - '0';
      if (ipv4_piece == -1) {
        ipv4_piece = digit;
      } else if (ipv4_piece == 0) {
        return false;  // no leading zeros
      } else {
        ipv4_piece = ipv4_piece * 10 + digit;
      }
      if (ipv4_piece > 255) return false;
      ++p;
    }
    address[*piece] =
        static_cast<uint16_t>(address[*piece] * 0x100 + ipv4_piece);
    ++numbers_seen;
    if (numbers_seen == 2 || numbers_seen == 4) ++*piece;
  }
  return numbers_seen == 4;
}

bool ParseIpv6(const std::string& input, uint16_t address[8]) {
  for (int i = 0; i < 8; ++i) address[i] = 0;
  const size_t n = input.size();
  auto at = [&](size_t p) { return p < n ? input[p] : '\0'; };
  size_t p = 0;
  int piece = 0;
  int compress = -1;
  if (at(p) == ':') {
    if (at(p + 1) != ':') return false;
    p += 2;
    compress = ++piece;
  }
  while (p < n) {
    if (piece == 8) return false;
    if (at(p) == ':') {
      if (compress != -1) return false;
      ++p;
      compress = ++piece;
      continue;
    }
    unsigned value = 0;
    int length = 0;
    while (length < 4 && p < n && HexValue(at(p)) >= 0) {
      value = value * 16 + static_cast<unsigned>(HexValue(at(p)));
      ++p;
      ++length;
    }
    if (at(p) == '.') {
      // An embedded IPv4 address fills the last two pieces.
      if (length == 0) return false;
      p -= static_cast<size_t>(length);
      if (piece > 6) return false;
      if (!ParseEmbeddedIpv4(input, p, address, &piece)) return false;
      break;
    } else if (at(p) == ':') {
      ++p;
      if (p >= n) return false;
    } else if (p < n) {
      return false;
    }
    address[piece] = static_cast<uint16_t>(value);
    ++piece;
  }
  if (compress == -1) return piece == 8;
  // The pieces after "::" move to the end; the zero pieces after them
  // (never written) fill the gap.
  std::rotate(address + compress, address + piece, address + 8);
  return true;
}

// Lower-case hex pieces, the first longest run of two or more zero pieces
// written as "::".
std::string SerializeIpv6(const uint16_t address[8]) {
  int best_start = -1, best_length = 1;
  for (int i = 0; i < 8;) {
    if (address[i] != 0) {
      ++i;
      continue;
    }
    int start = i;
    while (i < 8 && address[i] == 0) ++i;
    if (i - start > best_length) {
      best_start = start;
      best_length = i - start;
    }
  }
  std::string out = "[";
  char piece_text[8];
  for (int i = 0; i < 8; ++i) {
    if (i == best_start) {
      out += i == 0 ? "::" : ":";
      i += best_length - 1;
      continue;
    }
    std::snprintf(piece_text, sizeof(piece_text), "%x", address[i]);
    out += piece_text;
    if (i != 7) out += ':';
  }
  return out + "]";
}

// ---- IPv4 -------------------------------------------------------------------

// Larger than any part may be; parts are capped here so that long digit
// strings cannot overflow.
constexpr uint64_t kTooLarge = uint64_t{1} << 40;

// One part of an IPv4 address: decimal, "0x" hex or "0" octal. False when
// the text is not such a number.
bool ParseIpv4Number(std::string text, uint64_t* value) {
  if (text.empty()) return false;
  int radix = 10;
  if (text.size() >= 2 && text[0] == '0' &&
      (text[1] == 'x' || text[1] == 'X')) {
    text.erase(0, 2);
    radix = 16;
  } else if (text.size() >= 2 && text[0] == '0') {
    text.erase(0, 1);
    radix = 8;
  }
  uint64_t result = 0;
  for (char c : text) {
    int digit = HexValue(c);
    if (digit < 0 || digit >= radix) return false;
    result =
        result * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
    if (result > kTooLarge) result = kTooLarge;
  }
  *value = result;
  return true;
}

std::vector<std::string> SplitDots(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    if (dot == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, dot - start));
    start = dot + 1;
  }
}

// A domain whose last label is a number is read as an IPv4 address.
bool EndsInANumber(const std::string& domain) {
  std::vector<std::string> parts = SplitDots(domain);
  if (parts.back().empty()) {
    if (parts.size() == 1) return false;
    parts.pop_back();
  }
  const std::string& last = parts.back();
  if (!last.empty() &&
      last.find_first_not_of("0123456789") == std::string::npos) {
    return true;
  }
  uint64_t ignored = 0;
  return ParseIpv4Number(last, &ignored);
}

bool ParseIpv4(const std::string& domain, std::string* out) {
  std::vector<std::string> parts = SplitDots(domain);
  if (parts.back().empty() && parts.size() > 1) parts.pop_back();
  if (parts.size() > 4) return false;
  std::vector<uint64_t> numbers;
  for (const std::string& part : parts) {
    uint64_t value = 0;
    if (!ParseIpv4Number(part, &value)) return false;
    numbers.push_back(value);
  }
  for (size_t i = 0; i + 1 < numbers.size(); ++i) {
    if (numbers[i] > 255) return false;
  }
  const size_t count = numbers.size();
  if (numbers.back() >= (uint64_t{1} << (8 * (5 - count)))) return false;
  uint64_t address = numbers.back();
  for (size_t i = 0; i + 1 < count; ++i) {
    address += numbers[i] << (8 * (3 - i));
  }
  char text[16];
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u",
                static_cast<unsigned>((address >> 24) & 0xFF),
                static_cast<unsigned>((address >> 16) & 0xFF),
                static_cast<unsigned>((address >> 8) & 0xFF),
                static_cast<unsigned>(address & 0xFF));
  *out = text;
  return true;
}

// ---- Domains ----------------------------------------------------------------

bool DomainToAscii(const std::string& domain, std::string* out) {
  bool ascii = true;
  for (unsigned char c : domain) {
    if (c >= 0x80) ascii = false;
  }
  if (ascii) {
    // The IDN mapping of an ASCII name only lower-cases it.
    out->clear();
    for (char c : domain) {
      *out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
  } else {
    std::u16string converted;
    if (!platform::IdnToAscii(platform::FromUtf8(domain), &converted)) {
      return false;
    }
    *out = platform::ToUtf8(converted);
  }
  return !out->empty();
}

bool ParseOpaqueHost(const std::string& input, std::string* out) {
  out->clear();
  for (unsigned char c : input) {
    if (IsForbiddenHostByte(c)) return false;
    if (c < 0x20 || c > 0x7E) {
      AppendPercentEscape(c, out);
    } else {
      *out += static_cast<char>(c);
    }
  }
  return true;
}

}  // namespace

bool ParseHost(const std::string& input, bool special, std::string* out) {
  if (!input.empty() && input[0] == '[') {
    if (input.size() < 2 || input.back() != ']') return false;
    uint16_t address[8];
    if (!ParseIpv6(input.substr(1, input.size() - 2), address)) return false;
    *out = SerializeIpv6(address);
    return true;
  }
  if (!special) return ParseOpaqueHost(input, out);
  std::string ascii;
  if (!DomainToAscii(PercentDecode(input), &ascii)) return false;
  for (unsigned char c : ascii) {
    if (IsForbiddenDomainByte(c)) return false;
  }
  if (EndsInANumber(ascii)) return ParseIpv4(ascii, out);
  *out = ascii;
  return true;
}

}  // namespace url_host
}  // namespace marksafe
