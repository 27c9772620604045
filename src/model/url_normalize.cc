// Parses an absolute address and writes it back in the serialisation
// browsers store: scheme, credentials, host, port, path, query and fragment
// are each read by the rules of the URL Standard and written with its
// percent-encode sets. Works on UTF-8 bytes: every delimiter is ASCII and
// every non-ASCII byte is percent-encoded wherever text is encoded.
#include "model/url_normalize.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "model/url_common_form.h"
#include "model/url_host.h"
#include "platform/platform.h"

namespace marksafe {
namespace {

// ---- Percent-encoding
// ---------------------------------------------------------

enum class EncodeSet {
  kC0Control,
  kFragment,
  kQuery,
  kSpecialQuery,
  kPath,
  kUserinfo
};

bool InSet(unsigned char c, EncodeSet set) {
  if (c < 0x20 || c > 0x7E) return true;  // C0 controls, DEL, non-ASCII
  const char* extra = "";
  switch (set) {
    case EncodeSet::kC0Control:
      return false;
    case EncodeSet::kFragment:
      extra = " \"<>`";
      break;
    case EncodeSet::kQuery:
      extra = " \"#<>";
      break;
    case EncodeSet::kSpecialQuery:
      extra = " \"#<>'";
      break;
    case EncodeSet::kPath:
      extra = " \"#<>?`{}";
      break;
    case EncodeSet::kUserinfo:
      extra = " \"#<>?`{}/:;=@[\\]^|";
      break;
  }
  return std::strchr(extra, c) != nullptr;
}

// Appends text with every byte of set written as "%XX" (upper-case hex).
// Existing escapes pass unchanged: "%" is in no set.
void AppendEncoded(const std::string& text, EncodeSet set, std::string* out) {
  for (unsigned char c : text) {
    if (InSet(c, set)) {
      AppendPercentEscape(c, out);
    } else {
      *out += static_cast<char>(c);
    }
  }
}

// ---- Schemes
// --------------------------------------------------------------------

struct SchemeInfo {
  const char* name;
  int default_port;  // -1: none
};

constexpr SchemeInfo kSpecialSchemes[] = {{"http", 80}, {"https", 443},
                                          {"ftp", 21},  {"ws", 80},
                                          {"wss", 443}, {"file", -1}};

const SchemeInfo* SpecialScheme(const std::string& scheme) {
  for (const SchemeInfo& info : kSpecialSchemes) {
    if (scheme == info.name) return &info;
  }
  return nullptr;
}

bool IsAsciiAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSchemeChar(char c) {
  return IsAsciiAlpha(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
         c == '.';
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// ---- The parsed address
// ---------------------------------------------------------

struct Url {
  std::string scheme;
  const SchemeInfo* special = nullptr;
  bool has_host = false;
  std::string username;
  std::string password;
  std::string host;
  std::string port;  // empty: none, or the scheme's default
  bool opaque_path = false;
  std::string opaque;
  std::vector<std::string> path;
  bool has_query = false;
  std::string query;
  bool has_fragment = false;
  std::string fragment;

  bool is_file() const { return scheme == "file"; }
};

bool IsSlash(char c, bool special) {
  return c == '/' || (special && c == '\\');
}

// "C:" or "C|".
bool IsWindowsDriveLetter(const std::string& text) {
  return text.size() == 2 && IsAsciiAlpha(text[0]) &&
         (text[1] == ':' || text[1] == '|');
}

bool EqualsNoCaseAscii(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (LowerAscii(a[i]) != b[i]) return false;
  }
  return true;
}

bool IsSingleDot(const std::string& s) {
  return s == "." || EqualsNoCaseAscii(s, "%2e");
}

bool IsDoubleDot(const std::string& s) {
  return s == ".." || EqualsNoCaseAscii(s, ".%2e") ||
         EqualsNoCaseAscii(s, "%2e.") || EqualsNoCaseAscii(s, "%2e%2e");
}

void ShortenPath(Url* url) {
  if (url->path.empty()) return;
  // A file address never climbs above its drive.
  if (url->is_file() && url->path.size() == 1 && url->path[0].size() == 2 &&
      IsAsciiAlpha(url->path[0][0]) && url->path[0][1] == ':') {
    return;
  }
  url->path.pop_back();
}

// Reads path segments from text (which starts right after a separator, or
// at the first segment), resolving "." and "..".
void ParsePathSegments(const std::string& text, Url* url) {
  const bool special = url->special != nullptr;
  size_t start = 0;
  while (true) {
    size_t end = start;
    while (end < text.size() && !IsSlash(text[end], special)) ++end;
    const bool last = end == text.size();
    std::string segment;
    AppendEncoded(text.substr(start, end - start), EncodeSet::kPath, &segment);
    if (IsDoubleDot(segment)) {
      ShortenPath(url);
      if (last) url->path.emplace_back();
    } else if (IsSingleDot(segment)) {
      if (last) url->path.emplace_back();
    } else {
      if (url->is_file() && url->path.empty() &&
          IsWindowsDriveLetter(segment)) {
        segment[1] = ':';
      }
      url->path.push_back(segment);
    }
    if (last) return;
    start = end + 1;
  }
}

// The path start: one leading separator is skipped. A special address always
// gets at least one (possibly empty) segment; another one only when text
// is not empty.
void ParsePath(const std::string& text, Url* url) {
  const bool special = url->special != nullptr;
  if (!special && text.empty()) return;
  size_t skip = (!text.empty() && IsSlash(text[0], special)) ? 1 : 0;
  ParsePathSegments(text.substr(skip), url);
}

// userinfo@host:port. The last "@" ends the credentials; the first ":" in
// them starts the password.
bool ParseAuthority(const std::string& authority, Url* url) {
  const bool special = url->special != nullptr;
  std::string host_port = authority;
  size_t at = authority.rfind('@');
  if (at != std::string::npos) {
    std::string userinfo = authority.substr(0, at);
    host_port = authority.substr(at + 1);
    if (host_port.empty()) return false;
    size_t colon = userinfo.find(':');
    AppendEncoded(userinfo.substr(0, colon), EncodeSet::kUserinfo,
                  &url->username);
    if (colon != std::string::npos) {
      AppendEncoded(userinfo.substr(colon + 1), EncodeSet::kUserinfo,
                    &url->password);
    }
  }
  // The port starts at the first ":" outside brackets.
  size_t colon = std::string::npos;
  bool in_brackets = false;
  for (size_t i = 0; i < host_port.size(); ++i) {
    char c = host_port[i];
    if (c == '[') in_brackets = true;
    if (c == ']') in_brackets = false;
    if (c == ':' && !in_brackets) {
      colon = i;
      break;
    }
  }
  std::string host_text = host_port.substr(0, colon);
  if (host_text.empty() && (special || colon != std::string::npos)) {
    return false;
  }
  if (!url_host::ParseHost(host_text, special, &url->host)) return false;
  url->has_host = true;
  if (colon == std::string::npos) return true;

  std::string digits = host_port.substr(colon + 1);
  if (digits.empty()) return true;
  uint32_t port = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    port = port * 10 + static_cast<uint32_t>(c - '0');
    if (port > 65535) return false;
  }
  if (special && static_cast<int>(port) == url->special->default_port) {
    return true;
  }
  url->port = std::to_string(port);
  return true;
}

// file:, file:/path, file://host/path, file:///C:/path.
bool ParseFile(const std::string& rest, Url* url) {
  url->has_host = true;  // the empty host
  if (rest.size() >= 2 && IsSlash(rest[0], true) && IsSlash(rest[1], true)) {
    size_t end = 2;
    while (end < rest.size() && !IsSlash(rest[end], true)) ++end;
    std::string host = rest.substr(2, end - 2);
    if (IsWindowsDriveLetter(host)) {
      // "file://C:/x": the drive is the path's first segment.
      ParsePathSegments(rest.substr(2), url);
      return true;
    }
    if (!host.empty()) {
      if (!url_host::ParseHost(host, true, &url->host)) return false;
      if (url->host == "localhost") url->host.clear();
    }
    ParsePath(rest.substr(end), url);
    return true;
  }
  ParsePath(rest, url);
  return true;
}

bool Parse(const std::string& raw, Url* url) {
  // Leading and trailing C0 controls and spaces go; tabs and line breaks go
  // everywhere.
  size_t begin = 0, end = raw.size();
  while (begin < end && static_cast<unsigned char>(raw[begin]) <= 0x20) {
    ++begin;
  }
  while (end > begin && static_cast<unsigned char>(raw[end - 1]) <= 0x20) {
    --end;
  }
  std::string input;
  for (size_t i = begin; i < end; ++i) {
    if (raw[i] != '\t' && raw[i] != '\n' && raw[i] != '\r') input += raw[i];
  }

  // An absolute address starts with a scheme; nothing here resolves a
  // relative one.
  if (input.empty() || !IsAsciiAlpha(input[0])) return false;
  size_t colon = 1;
  while (colon < input.size() && IsSchemeChar(input[colon])) ++colon;
  if (colon >= input.size() || input[colon] != ':') return false;
  for (size_t i = 0; i < colon; ++i) url->scheme += LowerAscii(input[i]);
  url->special = SpecialScheme(url->scheme);
  std::string rest = input.substr(colon + 1);

  // The first "#" starts the fragment and the first "?" before it the
  // query, in every part of an address.
  size_t hash = rest.find('#');
  if (hash != std::string::npos) {
    url->has_fragment = true;
    url->fragment = rest.substr(hash + 1);
    rest.resize(hash);
  }
  size_t question = rest.find('?');
  if (question != std::string::npos) {
    url->has_query = true;
    url->query = rest.substr(question + 1);
    rest.resize(question);
  }

  if (url->is_file()) return ParseFile(rest, url);
  if (url->special != nullptr) {
    // Any number of slashes or backslashes (also none) lead to the host.
    size_t start = 0;
    while (start < rest.size() && IsSlash(rest[start], true)) ++start;
    size_t path_start = start;
    while (path_start < rest.size() && !IsSlash(rest[path_start], true)) {
      ++path_start;
    }
    if (!ParseAuthority(rest.substr(start, path_start - start), url)) {
      return false;
    }
    ParsePath(rest.substr(path_start), url);
    return true;
  }
  if (rest.compare(0, 2, "//") == 0) {
    size_t path_start = rest.find('/', 2);
    if (path_start == std::string::npos) path_start = rest.size();
    if (!ParseAuthority(rest.substr(2, path_start - 2), url)) return false;
    ParsePath(rest.substr(path_start), url);
    return true;
  }
  if (!rest.empty() && rest[0] == '/') {
    ParsePath(rest, url);
    return true;
  }
  url->opaque_path = true;
  AppendEncoded(rest, EncodeSet::kC0Control, &url->opaque);
  return true;
}

std::string Serialize(const Url& url) {
  std::string out = url.scheme + ":";
  if (url.has_host) {
    out += "//";
    if (!url.username.empty() || !url.password.empty()) {
      out += url.username;
      if (!url.password.empty()) out += ":" + url.password;
      out += "@";
    }
    out += url.host;
    if (!url.port.empty()) out += ":" + url.port;
  }
  if (url.opaque_path) {
    out += url.opaque;
  } else {
    // Without a host, a path starting with an empty segment would read as
    // one ("//x"); "/." keeps it a path.
    if (!url.has_host && url.path.size() > 1 && url.path[0].empty()) {
      out += "/.";
    }
    for (const std::string& segment : url.path) out += "/" + segment;
  }
  if (url.has_query) {
    out += "?";
    AppendEncoded(
        url.query,
        url.special != nullptr ? EncodeSet::kSpecialQuery : EncodeSet::kQuery,
        &out);
  }
  if (url.has_fragment) {
    out += "#";
    AppendEncoded(url.fragment, EncodeSet::kFragment, &out);
  }
  return out;
}

}  // namespace

bool NormalizeUrl(const std::u16string& url, std::u16string* out) {
  size_t host_end = 0;
  if (IsCommonWebForm(url, &host_end)) {
    *out = url;
    // An empty path is written "/".
    if (host_end == url.size() || url[host_end] != u'/') {
      out->insert(host_end, 1, u'/');
    }
    return true;
  }
  Url parsed;
  if (!Parse(platform::ToUtf8(url), &parsed)) {
    *out = url;
    return false;
  }
  *out = platform::FromUtf8(Serialize(parsed));
  return true;
}

bool IsUrl(const std::u16string& url) {
  size_t host_end = 0;
  Url parsed;
  return IsCommonWebForm(url, &host_end) ||
         Parse(platform::ToUtf8(url), &parsed);
}

std::u16string NormalizedOrSelf(const std::u16string& url) {
  std::u16string out;
  NormalizeUrl(url, &out);
  return out;
}

}  // namespace marksafe
