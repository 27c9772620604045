#include "model/url_common_form.h"

namespace marksafe {
namespace {

// What a character after the host of a common address means to the scan
// below.
enum PathChar : unsigned char {
  kPlain,     // kept as it stands
  kRewrite,   // escaped or otherwise changed by a parse: not common
  kQueryOrFragment,
  kDot,
  kPercent,
};

struct PathCharTable {
  PathChar of[128];
  constexpr PathCharTable() : of() {
    for (int c = 0; c < 128; ++c) {
      of[c] = (c <= 0x20 || c == 0x7F) ? kRewrite : kPlain;
    }
    for (const char c : {'"', '<', '>', '`', '{', '}', '\\', '\''}) {
      of[static_cast<unsigned char>(c)] = kRewrite;
    }
    of[static_cast<unsigned char>('?')] = kQueryOrFragment;
    of[static_cast<unsigned char>('#')] = kQueryOrFragment;
    of[static_cast<unsigned char>('.')] = kDot;
    of[static_cast<unsigned char>('%')] = kPercent;
  }
};
constexpr PathCharTable kPathChars;

}  // namespace

bool IsCommonWebForm(const std::u16string& url, size_t* host_end) {
  size_t at = 0;
  if (url.compare(0, 7, u"http://") == 0) {
    at = 7;
  } else if (url.compare(0, 8, u"https://") == 0) {
    at = 8;
  } else {
    return false;
  }
  const char16_t* const text = url.data();
  const size_t size = url.size();
  const size_t host_start = at;
  size_t label_start = at;
  for (; at < size; ++at) {
    const char16_t c = text[at];
    if (c == u'/' || c == u'?' || c == u'#') break;
    if (c == u'.') {
      if (at == label_start) return false;  // an empty label
      label_start = at + 1;
    } else if (c == u'-') {
      // "xn--" anywhere in the host may be punycode to check.
      if (at >= host_start + 3 && text[at - 1] == u'-' &&
          text[at - 2] == u'n' && text[at - 3] == u'x') {
        return false;
      }
    } else if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) {
      return false;
    }
  }
  // The last label starts with a letter, so the host is no IPv4 address.
  if (at == host_start || label_start == at || text[label_start] < u'a' ||
      text[label_start] > u'z') {
    return false;
  }
  *host_end = at;
  bool in_path = true;
  for (; at < size; ++at) {
    const char16_t c = text[at];
    if (c >= 0x80) return false;
    switch (kPathChars.of[c]) {
      case kPlain:
        break;
      case kRewrite:
        return false;
      case kQueryOrFragment:
        in_path = false;
        break;
      case kDot:  // "/." in the path may be a dot segment
        if (in_path && text[at - 1] == u'/') return false;
        break;
      case kPercent:  // so may "%2e"
        if (in_path && at + 2 < size && text[at + 1] == u'2' &&
            (text[at + 2] | 0x20) == u'e') {
          return false;
        }
        break;
    }
  }
  return true;
}

}  // namespace marksafe
