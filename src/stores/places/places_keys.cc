#include "stores/places/places_keys.h"

#include <algorithm>

#include "platform/platform.h"
#include "platform/random_block.h"

namespace marksafe {
namespace firefox {
namespace {

constexpr size_t kHashedUrlBytes = 1500;
constexpr size_t kSchemeSearchBytes = 50;
constexpr uint32_t kGoldenRatio = 0x9E3779B9u;
constexpr size_t kGuidRandomBytes = 9;
const char kBase64Url[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

uint32_t Rotl5(uint32_t h) { return (h << 5) | (h >> 27); }

uint32_t Hash32(const char* bytes, size_t size) {
  uint32_t h = 0;
  for (size_t i = 0; i < size; ++i) {
    h = (Rotl5(h) ^ static_cast<unsigned char>(bytes[i])) * kGoldenRatio;
  }
  return h;
}

}  // namespace

int64_t UrlHash(const std::string& url_utf8) {
  const size_t size = std::min(url_utf8.size(), kHashedUrlBytes);
  const uint64_t url_hash = Hash32(url_utf8.data(), size);
  const size_t colon = url_utf8.find(':');
  if (colon == std::string::npos || colon >= kSchemeSearchBytes) {
    return static_cast<int64_t>(url_hash);
  }
  const uint64_t scheme_hash = Hash32(url_utf8.data(), colon) & 0xFFFFu;
  return static_cast<int64_t>((scheme_hash << 32) + url_hash);
}

bool NewGuid(std::string* out) {
  unsigned char bytes[kGuidRandomBytes];
  if (!BlockRandomBytes(bytes, sizeof bytes)) return false;
  out->clear();
  for (size_t i = 0; i < kGuidRandomBytes; i += 3) {
    const uint32_t group = (uint32_t{bytes[i]} << 16) |
                           (uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) {
      out->push_back(kBase64Url[(group >> shift) & 0x3F]);
    }
  }
  return true;
}

std::string ReversedHost(const std::string& url_utf8) {
  const size_t marker = url_utf8.find("://");
  if (marker == std::string::npos) return std::string();
  const size_t start = marker + 3;
  size_t end = url_utf8.find_first_of("/?#", start);
  if (end == std::string::npos) end = url_utf8.size();
  std::string host = url_utf8.substr(start, end - start);
  const size_t at = host.rfind('@');
  if (at != std::string::npos) host.erase(0, at + 1);
  // A port goes; the colons inside an IPv6 address stay.
  const size_t colon = host.rfind(':');
  if (colon != std::string::npos &&
      host.find(']', colon) == std::string::npos) {
    host.resize(colon);
  }
  if (host.empty()) return std::string();
  for (char& c : host) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  std::reverse(host.begin(), host.end());
  return host + ".";
}

}  // namespace firefox
}  // namespace marksafe
