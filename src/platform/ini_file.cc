#include "platform/ini_file.h"

#include "base/text.h"
#include "platform/platform.h"

namespace marksafe {
namespace platform {
namespace ini {
namespace {

std::string EncodeUtf16le(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

// Splits text (code units of either kind) into lines ending in CR LF, LF or
// a lone CR.
template <typename Text, typename Decode>
void SplitLines(const Text& units, Decode decode, File* file) {
  size_t start = 0;
  while (start < units.size()) {
    size_t end = start;
    while (end < units.size() && units[end] != '\r' && units[end] != '\n') {
      ++end;
    }
    size_t next = end;
    if (next < units.size()) {
      if (units[next] == '\r' && next + 1 < units.size() &&
          units[next + 1] == '\n') {
        next += 2;
      } else {
        next += 1;
      }
    }
    Line line;
    line.text = decode(units.substr(start, end - start));
    line.raw = decode.Raw(units.substr(start, next - start));
    line.has_end = next > end;
    file->lines.push_back(std::move(line));
    start = next;
  }
}

struct DecodeEightBit {
  std::u16string operator()(const std::string& bytes) const {
    return FromUtf8(bytes);
  }
  std::string Raw(const std::string& bytes) const { return bytes; }
};

struct DecodeUtf16 {
  std::u16string operator()(const std::u16string& units) const { return units; }
  std::string Raw(const std::u16string& units) const {
    return EncodeUtf16le(units);
  }
};

}  // namespace

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

bool SameName(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperCase(a[i]) != UpperCase(b[i])) return false;
  }
  return true;
}

Parsed ParseLine(const std::u16string& text) {
  Parsed parsed;
  std::u16string line = Trimmed(text, kBlanks);
  if (line.empty() || line[0] == u';') return parsed;
  if (line[0] == u'[') {
    size_t close = line.rfind(u']');
    if (close != std::u16string::npos && close > 0) {
      parsed.kind = LineKind::kSection;
      parsed.name = Trimmed(line.substr(1, close - 1), kBlanks);
    }
    return parsed;
  }
  size_t equals = line.find(u'=');
  if (equals == std::u16string::npos) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.name = Trimmed(line.substr(0, equals), kBlanks);
  parsed.value = Trimmed(line.substr(equals + 1), kBlanks);
  return parsed;
}

std::string Encode(Encoding encoding, const std::u16string& text) {
  return encoding == Encoding::kUtf16le ? EncodeUtf16le(text) : ToUtf8(text);
}

File Parse(const std::string& bytes) {
  File file;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    file.encoding = Encoding::kUtf16le;
    file.prefix = bytes.substr(0, 2);
    std::u16string units;
    size_t pairs = (bytes.size() - 2) / 2;
    units.reserve(pairs);
    for (size_t i = 0; i < pairs; ++i) {
      unsigned char low = static_cast<unsigned char>(bytes[2 + 2 * i]);
      unsigned char high = static_cast<unsigned char>(bytes[3 + 2 * i]);
      units.push_back(static_cast<char16_t>(low | (high << 8)));
    }
    if ((bytes.size() - 2) % 2 != 0)
      file.trailer = bytes.substr(bytes.size() - 1);
    SplitLines(units, DecodeUtf16(), &file);
    return file;
  }
  std::string text = bytes;
  if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    file.prefix = text.substr(0, 3);
    text.erase(0, 3);
  }
  SplitLines(text, DecodeEightBit(), &file);
  return file;
}

std::string Serialize(const File& file) {
  std::string bytes = file.prefix;
  for (const Line& line : file.lines) bytes += line.raw;
  bytes += file.trailer;
  return bytes;
}

long FindSection(const File& file, const std::u16string& name) {
  for (size_t i = 0; i < file.lines.size(); ++i) {
    Parsed parsed = ParseLine(file.lines[i].text);
    if (parsed.kind == LineKind::kSection && SameName(parsed.name, name)) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

size_t SectionEnd(const File& file, size_t header) {
  size_t i = header + 1;
  while (i < file.lines.size() &&
         ParseLine(file.lines[i].text).kind != LineKind::kSection) {
    ++i;
  }
  return i;
}

std::u16string Section::Get(const std::u16string& key) const {
  for (const auto& entry : keys) {
    if (SameName(entry.first, key)) return entry.second;
  }
  return std::u16string();
}

std::vector<Section> Sections(const File& file, size_t max_sections,
                              size_t max_keys, bool* cut) {
  std::vector<Section> sections;
  *cut = false;
  for (const Line& line : file.lines) {
    Parsed parsed = ParseLine(line.text);
    if (parsed.kind == LineKind::kSection) {
      if (sections.size() == max_sections) {
        *cut = true;
        break;
      }
      sections.push_back(Section{std::move(parsed.name), {}});
    } else if (parsed.kind == LineKind::kKey && !sections.empty() &&
               sections.back().keys.size() < max_keys) {
      sections.back().keys.emplace_back(std::move(parsed.name),
                                        std::move(parsed.value));
    }
  }
  return sections;
}

}  // namespace ini
}  // namespace platform
}  // namespace marksafe
