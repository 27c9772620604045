#include "text.h"

#include <cstdint>
#include <system_error>

namespace marksafe_cli {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(char32_t cp, MsString* out) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out->push_back(static_cast<MS_CHAR>(0xD800 + (cp >> 10)));
    out->push_back(static_cast<MS_CHAR>(0xDC00 + (cp & 0x3FF)));
  } else {
    out->push_back(static_cast<MS_CHAR>(cp));
  }
}

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

MsString Utf8ToMs(const std::string& utf8) {
  MsString out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<uint8_t>(utf8[i]);
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
      out.push_back(static_cast<MS_CHAR>(kReplacement));
      ++i;
      continue;
    }
    size_t j = i + 1;
    for (; j <= i + extra; ++j) {
      if (j >= utf8.size() || (static_cast<uint8_t>(utf8[j]) & 0xC0) != 0x80) {
        break;
      }
      cp = (cp << 6) | (static_cast<uint8_t>(utf8[j]) & 0x3F);
    }
    const bool complete = j == i + extra + 1;
    if (!complete || cp < min || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      cp = kReplacement;
    }
    AppendUtf16(cp, &out);
    i = j;
  }
  return out;
}

std::string MsToUtf8(const MS_CHAR* text) {
  std::string out;
  if (text == nullptr) return out;
  for (size_t i = 0; text[i] != 0; ++i) {
    char32_t cp = static_cast<uint16_t>(text[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      const char32_t low = static_cast<uint16_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      } else {
        cp = kReplacement;
      }
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(cp, &out);
  }
  return out;
}

std::string MsToUtf8(const MsString& text) { return MsToUtf8(text.c_str()); }

MsString ToMsPath(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) absolute = path;
  absolute = absolute.lexically_normal();
  // "/a/b/" and "/a/b" name the same folder; the library is given the form
  // without the trailing separator so that what it appends reads cleanly.
  if (!absolute.has_filename() && absolute.has_relative_path()) {
    absolute = absolute.parent_path();
  }
  return Utf8ToMs(PathToUtf8(absolute));
}

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::u8path(utf8);
}

std::filesystem::path PathFromMs(const MS_CHAR* text) {
  std::string utf8 = MsToUtf8(text);
  // The library writes "\" between components on every system; where the
  // file system's separator is "/" the backslash has to become one.
  if (std::filesystem::path::preferred_separator == '/') {
    for (char& c : utf8) {
      if (c == '\\') c = '/';
    }
  }
  return PathFromUtf8(utf8);
}

std::string PathToUtf8(const std::filesystem::path& path) {
  return path.u8string();
}

}  // namespace marksafe_cli
