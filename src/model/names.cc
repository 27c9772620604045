#include "model/names.h"

#include <string>

#include "base/text.h"
#include "platform/file_names.h"
#include "platform/platform.h"

namespace marksafe {
namespace model {
namespace {

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Units and UTF-8 bytes of the character that starts at text[i].
void CharacterAt(const std::u16string& text, size_t i, size_t* units,
                 size_t* bytes) {
  const char16_t c = text[i];
  if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
    *units = 2;
    *bytes = 4;
  } else {
    *units = 1;
    *bytes = c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
  }
}

bool IsRefused(char16_t c) {
  switch (c) {
    case u':':
    case u'\\':
    case u'/':
    case u'?':
    case u'*':
    case u'|':
    case u'>':
    case u'<':
    case u'"':
      return true;
    default:
      return c < 0x20 || c == 0x7F;
  }
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == 0x00A0 || c == 0x3000 || c == u'\t';
}

// Windows reads these as devices, with any extension.
bool IsDeviceName(const std::u16string& stem) {
  std::u16string base = ToUpperCase(stem.substr(0, stem.find(u'.')));
  while (!base.empty() && IsBlank(base.back())) base.pop_back();
  static const char16_t* const kDevices[] = {u"CON", u"PRN", u"AUX", u"NUL",
                                             u"CONIN$", u"CONOUT$"};
  for (const char16_t* device : kDevices) {
    if (base == device) return true;
  }
  return base.size() == 4 &&
         (base.compare(0, 3, u"COM") == 0 || base.compare(0, 3, u"LPT") == 0) &&
         base[3] >= u'0' && base[3] <= u'9';
}

// Removes outer blanks and trailing dots (Windows drops trailing dots and
// blanks, so "a." and "a" would be one name there).
std::u16string Trim(const std::u16string& text) {
  size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  size_t end = text.size();
  while (end > begin && (IsBlank(text[end - 1]) || text[end - 1] == u'.')) {
    --end;
  }
  return text.substr(begin, end - begin);
}

// The stem, cut to fit, trimmed again (a cut may leave a blank or a dot at
// the end) and never empty unless nothing fits.
std::u16string FitStem(const std::u16string& stem, size_t max_units,
                       size_t max_bytes) {
  std::u16string cut = Trim(CutToFit(stem, max_units, max_bytes));
  if (cut.empty() && max_units > 0 && max_bytes > 0) cut = u"_";
  return cut;
}

size_t Less(size_t a, size_t b) { return a > b ? a - b : 0; }

}  // namespace

std::u16string CutToFit(const std::u16string& text, size_t max_units,
                        size_t max_bytes) {
  size_t units_used = 0;
  size_t bytes_used = 0;
  size_t i = 0;
  while (i < text.size()) {
    size_t units = 0;
    size_t bytes = 0;
    CharacterAt(text, i, &units, &bytes);
    if (units_used + units > max_units || bytes_used + bytes > max_bytes) {
      break;
    }
    units_used += units;
    bytes_used += bytes;
    i += units;
  }
  return text.substr(0, i);
}

size_t Utf8Length(const std::u16string& text) {
  size_t total = 0;
  for (size_t i = 0; i < text.size();) {
    size_t units = 0;
    size_t bytes = 0;
    CharacterAt(text, i, &units, &bytes);
    total += bytes;
    i += units;
  }
  return total;
}

std::u16string NameStem(const std::u16string& title, size_t room_units,
                        size_t room_bytes) {
  std::u16string stem;
  stem.reserve(title.size());
  for (size_t i = 0; i < title.size(); ++i) {
    const char16_t c = title[i];
    if (IsHigh(c) && i + 1 < title.size() && IsLow(title[i + 1])) {
      stem.push_back(c);
      stem.push_back(title[++i]);
    } else if (IsHigh(c) || IsLow(c) || IsRefused(c)) {
      stem.push_back(u'_');
    } else {
      stem.push_back(c);
    }
  }
  stem = Trim(stem);
  if (stem.empty()) stem = u"_";
  if (IsDeviceName(stem)) stem.insert(stem.begin(), u'_');
  return FitStem(stem, Less(kMaxNameUnits, room_units),
                 Less(kMaxNameBytes, room_bytes));
}

void NameAllocator::Reserve(const std::u16string& name) {
  taken_.insert(ToUpperCase(name));
}

bool NameAllocator::Taken(const std::u16string& name) const {
  return taken_.count(ToUpperCase(name)) != 0;
}

std::u16string NameAllocator::Allocate(const std::u16string& title,
                                       const std::u16string& suffix,
                                       NameLimit limit) {
  limit.units = limit.units < kMaxNameUnits ? limit.units : kMaxNameUnits;
  limit.bytes = limit.bytes < kMaxNameBytes ? limit.bytes : kMaxNameBytes;
  const size_t suffix_units = suffix.size();
  const size_t suffix_bytes = Utf8Length(suffix);
  if (limit.units <= suffix_units || limit.bytes <= suffix_bytes) return {};

  const std::u16string stem = NameStem(title, 0, 0);
  std::u16string name = FitStem(stem, limit.units - suffix_units,
                                limit.bytes - suffix_bytes) +
                        suffix;
  if (name.size() > suffix_units && !Taken(name)) {
    taken_.insert(ToUpperCase(name));
    return name;
  }
  unsigned& next = next_number_[ToUpperCase(stem) + u'\n' + ToUpperCase(suffix)];
  if (next < 2) next = 2;
  for (;; ++next) {
    const std::u16string number =
        u" (" + platform::FromUtf8(std::to_string(next)) + u")";
    const size_t tail_units = number.size() + suffix_units;
    const size_t tail_bytes = number.size() + suffix_bytes;
    if (limit.units <= tail_units || limit.bytes <= tail_bytes) return {};
    name = FitStem(stem, limit.units - tail_units, limit.bytes - tail_bytes) +
           number + suffix;
    if (!Taken(name)) {
      taken_.insert(ToUpperCase(name));
      ++next;
      return name;
    }
  }
}

}  // namespace model
}  // namespace marksafe
