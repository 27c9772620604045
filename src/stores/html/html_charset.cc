#include "stores/html/html_charset.h"

#include <cstdint>
#include <initializer_list>

#include "base/error_codes.h"
#include "platform/platform.h"
#include "stores/html/html_text.h"

namespace marksafe {
namespace html {
namespace {

// The label in lower case without outer blanks and quotes; empty when it
// holds a character no character set name has (it is handed to the
// system's converter only in this form).
std::string CleanLabel(const std::string& label) {
  size_t begin = 0, end = label.size();
  while (begin < end && (IsSpace(label[begin]) || label[begin] == '"' ||
                         label[begin] == '\'')) {
    ++begin;
  }
  while (end > begin && (IsSpace(label[end - 1]) || label[end - 1] == '"' ||
                         label[end - 1] == '\'')) {
    --end;
  }
  if (end - begin > 40) return std::string();
  std::string out;
  for (size_t i = begin; i < end; ++i) {
    const char c = Lower(label[i]);
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                         c == '-' || c == '_' || c == '.' || c == ':';
    if (!allowed) return std::string();
    out.push_back(c);
  }
  return out;
}

bool OneOf(const std::string& label, std::initializer_list<const char*> set) {
  for (const char* name : set) {
    if (label == name) return true;
  }
  return false;
}

}  // namespace

bool DecodeUtf16WithBom(const std::string& bytes, std::string* utf8) {
  if (bytes.size() < 2) return false;
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  bool big_endian;
  if (byte(0) == 0xFF && byte(1) == 0xFE) {
    big_endian = false;
  } else if (byte(0) == 0xFE && byte(1) == 0xFF) {
    big_endian = true;
  } else {
    return false;
  }
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(
        big_endian ? (byte(i) << 8) | byte(i + 1)
                   : byte(i) | (byte(i + 1) << 8)));
  }
  if (bytes.size() % 2 != 0) text.push_back(u'\uFFFD');  // a cut-off unit
  *utf8 = platform::ToUtf8(text);
  return true;
}

std::string CharsetOfContent(const std::string& content) {
  std::string lower(content);
  for (char& c : lower) c = Lower(c);
  size_t at = lower.find("charset");
  while (at != std::string::npos) {
    size_t p = at + 7;
    while (p < lower.size() && IsSpace(lower[p])) ++p;
    if (p < lower.size() && lower[p] == '=') {
      ++p;
      while (p < lower.size() && IsSpace(lower[p])) ++p;
      size_t end = p;
      while (end < lower.size() && !IsSpace(lower[end]) && lower[end] != ';') {
        ++end;
      }
      return content.substr(p, end - p);
    }
    at = lower.find("charset", at + 7);
  }
  return std::string();
}

Status DecodeDeclared(const std::string& bytes, const std::string& label,
                      std::string* utf8, bool* converted) {
  *converted = false;
  std::string name = CleanLabel(label);
  if (name.empty() ||
      OneOf(name, {"utf-8", "utf8", "unicode-1-1-utf-8", "x-unicode20utf8",
                   "utf-16", "utf-16le", "utf-16be", "unicode",
                   "unicodefeff", "ucs-2", "iso-10646-ucs-2"})) {
    return Status::Ok();
  }
  // Browsers read these labels as windows-1252, which gives characters to
  // the bytes 0x80-0x9F that ISO-8859-1 leaves as controls.
  if (OneOf(name, {"iso-8859-1", "iso8859-1", "iso88591", "iso_8859-1",
                   "iso_8859-1:1987", "latin1", "l1", "cp819", "ibm819",
                   "iso-ir-100", "csisolatin1", "us-ascii", "ascii",
                   "ansi_x3.4-1968", "x-cp1252", "cp1252"})) {
    name = "windows-1252";
  } else if (OneOf(name, {"iso-8859-9", "iso8859-9", "iso_8859-9", "latin5",
                          "l5"})) {
    name = "windows-1254";
  } else if (OneOf(name, {"iso-8859-11", "tis-620"})) {
    name = "windows-874";
  } else if (OneOf(name, {"sjis", "x-sjis", "ms_kanji", "shift-jis"})) {
    name = "shift_jis";
  }
  std::u16string text;
  if (!platform::DecodeCharset(bytes, name, &text)) {
    // An unknown label on a file that is valid UTF-8 loses nothing read as
    // UTF-8; anything else cannot be read faithfully.
    if (platform::ToUtf8(platform::FromUtf8(bytes)) == bytes) {
      return Status::Ok();
    }
    return Status::Error(kErrorInvalidData,
                         u"Bookmark HTML: unknown character set \"" +
                             platform::FromUtf8(label.substr(0, 40)) + u"\"");
  }
  *utf8 = platform::ToUtf8(text);
  *converted = true;
  return Status::Ok();
}

}  // namespace html
}  // namespace marksafe
