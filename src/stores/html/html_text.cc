#include "stores/html/html_text.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/platform.h"

namespace marksafe {
namespace html {
namespace {

void AppendCodePoint(char32_t code_point, std::u16string* out) {
  if (code_point < 0x10000) {
    out->push_back(static_cast<char16_t>(code_point));
  } else {
    code_point -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
  }
}

// Raw UTF-8 text (no references in it) appended as UTF-16.
void AppendUtf8(const char* begin, const char* end, std::u16string* out) {
  // The ASCII run at the start, copied at once.
  const char* p = begin;
  while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
  const size_t at = out->size();
  out->resize(at + static_cast<size_t>(p - begin));
  std::copy(begin, p, out->begin() + static_cast<std::ptrdiff_t>(at));
  if (p < end) *out += platform::FromUtf8(std::string(p, end));
}

// The named references a bookmark file may carry: the markup ones, the
// Latin-1 range and the common typographic marks.
const std::unordered_map<std::string, char32_t>& NamedReferences() {
  static const std::unordered_map<std::string, char32_t> names = [] {
    static const char* const kLatin1[96] = {
        "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar",
        "sect",   "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",
        "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",
        "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",
        "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",
        "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute",
        "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",
        "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
        "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
        "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
        "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
        "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute",
        "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave", "uacute",
        "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
    std::unordered_map<std::string, char32_t> map = {
        {"amp", U'&'},      {"lt", U'<'},       {"gt", U'>'},
        {"quot", U'"'},     {"apos", U'\''},    {"OElig", 0x152},
        {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},
        {"Yuml", 0x178},    {"fnof", 0x192},    {"circ", 0x2C6},
        {"tilde", 0x2DC},   {"ensp", 0x2002},   {"emsp", 0x2003},
        {"thinsp", 0x2009}, {"zwnj", 0x200C},   {"zwj", 0x200D},
        {"lrm", 0x200E},    {"rlm", 0x200F},    {"ndash", 0x2013},
        {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},
        {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},
        {"bdquo", 0x201E},  {"dagger", 0x2020}, {"Dagger", 0x2021},
        {"bull", 0x2022},   {"hellip", 0x2026}, {"permil", 0x2030},
        {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"euro", 0x20AC},
        {"trade", 0x2122},  {"larr", 0x2190},   {"uarr", 0x2191},
        {"rarr", 0x2192},   {"darr", 0x2193},   {"harr", 0x2194}};
    for (int i = 0; i < 96; ++i) map.emplace(kLatin1[i], 0xA0 + i);
    return map;
  }();
  return names;
}

// The reference starting at *p ("&..."); false (and nothing consumed) when
// it is no complete valid reference.
bool ParseReference(const char* p, const char* end, char32_t* code_point,
                    const char** after) {
  const char* q = p + 1;
  if (q < end && *q == '#') {
    ++q;
    const bool hex = q < end && (*q == 'x' || *q == 'X');
    if (hex) ++q;
    uint32_t value = 0;
    int digits = 0;
    for (; q < end; ++q) {
      int digit;
      if (IsAsciiDigit(*q)) {
        digit = *q - '0';
      } else if (hex && Lower(*q) >= 'a' && Lower(*q) <= 'f') {
        digit = Lower(*q) - 'a' + 10;
      } else {
        break;
      }
      if (++digits > 8) return false;
      value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    }
    if (digits == 0 || q >= end || *q != ';') return false;
    if (value == 0 || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF)) {
      return false;
    }
    *code_point = value;
    *after = q + 1;
    return true;
  }
  const char* name_end = q;
  while (name_end < end && name_end - q < 16 &&
         (IsAsciiAlpha(*name_end) || IsAsciiDigit(*name_end))) {
    ++name_end;
  }
  if (name_end == q || name_end >= end || *name_end != ';') return false;
  const auto& names = NamedReferences();
  auto found = names.find(std::string(q, name_end));
  if (found == names.end()) {
    // &AMP; &LT; ... are common enough in hand-written files.
    const std::string lower = LowerCopy(q, name_end);
    if (lower != "amp" && lower != "lt" && lower != "gt" && lower != "quot") {
      return false;
    }
    found = names.find(lower);
  }
  *code_point = found->second;
  *after = name_end + 1;
  return true;
}

}  // namespace

std::string LowerCopy(const char* begin, const char* end) {
  std::string out(begin, end);
  for (char& c : out) c = Lower(c);
  return out;
}

bool EqualsNoCaseAscii(const char* begin, const char* end, const char* word) {
  const size_t length = std::strlen(word);
  if (static_cast<size_t>(end - begin) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (Lower(begin[i]) != word[i]) return false;
  }
  return true;
}

// Text with character references, decoded and appended as UTF-16.
void AppendDecoded(const char* begin, const char* end, std::u16string* out) {
  const char* raw = begin;
  const char* p = begin;
  while (p < end) {
    const void* amp = std::memchr(p, '&', static_cast<size_t>(end - p));
    if (amp == nullptr) break;
    p = static_cast<const char*>(amp);
    char32_t code_point;
    const char* after;
    if (ParseReference(p, end, &code_point, &after)) {
      AppendUtf8(raw, p, out);
      AppendCodePoint(code_point, out);
      raw = p = after;
    } else {
      ++p;
    }
  }
  AppendUtf8(raw, end, out);
}

std::u16string Decoded(const char* begin, const char* end) {
  std::u16string out;
  AppendDecoded(begin, end, &out);
  return out;
}

}  // namespace html
}  // namespace marksafe
