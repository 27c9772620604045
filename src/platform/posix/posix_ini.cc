// INI files read and written the way the Windows profile API does for what
// marksafe uses: names matched without regard to case, values trimmed of
// blanks and one pair of quotes, UTF-16LE files (FF FE) kept UTF-16LE and
// every other file treated as 8-bit (UTF-8) text. The writer changes the
// line of the key it writes, puts other key lines in their plain form, and
// keeps every other byte of the file.
#include <cerrno>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace {

enum class Encoding { kEightBit, kUtf16le };

struct Line {
  std::string raw;      // the line's bytes in the file, with its end
  std::u16string text;  // the line decoded, without its end
  bool has_end = false;
};

enum class LineKind { kOther, kSection, kKey };

struct Parsed {
  LineKind kind = LineKind::kOther;
  std::u16string name;   // section or key name, trimmed
  std::u16string value;  // key value, trimmed
};

struct IniFile {
  Encoding encoding = Encoding::kEightBit;
  std::string prefix;  // byte-order mark, kept as found
  std::vector<Line> lines;
  std::string trailer;  // an odd last byte of a UTF-16 file
  // A file loaded only to be read: each line parsed once, at load (a file
  // to be written back is parsed line by line as it changes).
  std::vector<Parsed> parsed;
};

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

// The blanks around an INI line's name and value.
constexpr std::u16string_view kIniBlanks = u" \t\v\f";

bool SameName(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperCase(a[i]) != UpperCase(b[i])) return false;
  }
  return true;
}

Parsed ParseLine(const std::u16string& text) {
  Parsed parsed;
  std::u16string line = Trimmed(text, kIniBlanks);
  if (line.empty() || line[0] == u';') return parsed;
  if (line[0] == u'[') {
    size_t close = line.rfind(u']');
    if (close != std::u16string::npos && close > 0) {
      parsed.kind = LineKind::kSection;
      parsed.name = Trimmed(line.substr(1, close - 1), kIniBlanks);
    }
    return parsed;
  }
  size_t equals = line.find(u'=');
  if (equals == std::u16string::npos) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.name = Trimmed(line.substr(0, equals), kIniBlanks);
  parsed.value = Trimmed(line.substr(equals + 1), kIniBlanks);
  return parsed;
}

std::string EncodeUtf16le(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::string Encode(Encoding encoding, const std::u16string& text) {
  return encoding == Encoding::kUtf16le ? EncodeUtf16le(text) : ToUtf8(text);
}

// Splits text (code units of either kind) into lines ending in CR LF, LF or
// a lone CR. The lines' bytes are kept only for a file to be written back.
template <typename Text, typename Decode>
void SplitLines(const Text& units, Decode decode, bool keep_raw,
                IniFile* file) {
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
    if (keep_raw) line.raw = decode.Raw(units.substr(start, next - start));
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

IniFile ParseFile(const std::string& bytes, bool keep_raw) {
  IniFile file;
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
    SplitLines(units, DecodeUtf16(), keep_raw, &file);
    return file;
  }
  std::string text = bytes;
  if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    file.prefix = text.substr(0, 3);
    text.erase(0, 3);
  }
  SplitLines(text, DecodeEightBit(), keep_raw, &file);
  return file;
}

std::string Serialize(const IniFile& file) {
  std::string bytes = file.prefix;
  for (const Line& line : file.lines) bytes += line.raw;
  bytes += file.trailer;
  return bytes;
}

// Line i parsed: the load's parse where the file has one, else parsed into
// *scratch.
const Parsed& ParsedLine(const IniFile& file, size_t i, Parsed* scratch) {
  if (i < file.parsed.size()) return file.parsed[i];
  *scratch = ParseLine(file.lines[i].text);
  return *scratch;
}

// The index of the header line of the first section called name, or -1.
long FindSection(const IniFile& file, const std::u16string& name) {
  Parsed scratch;
  for (size_t i = 0; i < file.lines.size(); ++i) {
    const Parsed& parsed = ParsedLine(file, i, &scratch);
    if (parsed.kind == LineKind::kSection && SameName(parsed.name, name)) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

// The index just past the last line of the section whose header is at
// header.
size_t SectionEnd(const IniFile& file, size_t header) {
  size_t i = header + 1;
  Parsed scratch;
  while (i < file.lines.size() &&
         ParsedLine(file, i, &scratch).kind != LineKind::kSection) {
    ++i;
  }
  return i;
}

// Reads the file; a missing file is an empty one (*missing set). False with
// the last error set when the file exists but cannot be read. keep_raw:
// the file is to be written back (its lines keep their bytes).
bool LoadFile(const std::string& native, IniFile* file, bool* missing,
              bool keep_raw) {
  std::string bytes;
  *missing = false;
  if (!posix::ReadAll(native, &bytes)) {
    if (errno != ENOENT) {
      posix::SetLastErrorFromErrno(errno, native);
      return false;
    }
    *missing = true;
  }
  *file = ParseFile(bytes, keep_raw);
  if (!keep_raw) {
    file->parsed.reserve(file->lines.size());
    for (const Line& line : file->lines) {
      file->parsed.push_back(ParseLine(line.text));
    }
  }
  return true;
}

std::u16string CutTo(const std::u16string& text, size_t size) {
  if (size == 0) return std::u16string();
  return text.size() < size ? text : text.substr(0, size - 1);
}

std::u16string DefaultResult(const std::u16string& default_value, size_t size) {
  // Trailing blanks of the default are dropped, as the system does.
  std::u16string value = default_value;
  while (!value.empty() && IsBlank(value.back())) value.pop_back();
  return CutTo(value, size);
}

bool HasLineBreak(const std::u16string& text) {
  return text.find_first_of(u"\r\n") != std::u16string::npos;
}

}  // namespace

// GetProfileString on a file loaded already (missing: there was none).
static std::u16string LookUp(const IniFile& ini, bool missing,
                             const std::u16string& section,
                             const std::u16string& key,
                             const std::u16string& default_value, size_t size) {
  std::u16string wanted_section = Trimmed(section, kIniBlanks);
  std::u16string wanted_key = Trimmed(key, kIniBlanks);
  long header = missing ? -1 : FindSection(ini, wanted_section);
  if (header < 0 || wanted_key.empty()) {
    SetLastError(kErrorFileNotFound);
    return DefaultResult(default_value, size);
  }
  size_t end = SectionEnd(ini, static_cast<size_t>(header));
  Parsed scratch;
  for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
    const Parsed& parsed = ParsedLine(ini, i, &scratch);
    if (parsed.kind != LineKind::kKey || !SameName(parsed.name, wanted_key)) {
      continue;
    }
    std::u16string value = parsed.value;
    size_t nul = value.find(u'\0');
    if (nul != std::u16string::npos) value.erase(nul);
    if (value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') &&
        value.back() == value[0]) {
      // As the system does: the opening quote goes, the rest (closing quote
      // included) is cut to the size, and the last unit of what was kept is
      // dropped when the size would have held the whole rest. So "abcd"
      // read with size 5 gives abc, not abcd.
      value.erase(0, 1);
      const bool whole = size >= value.size();
      value = CutTo(value, size);
      if (whole && !value.empty()) value.pop_back();
      return value;
    }
    return CutTo(value, size);
  }
  SetLastError(kErrorFileNotFound);
  return DefaultResult(default_value, size);
}

namespace sys {

std::u16string GetProfileString(const std::u16string& section,
                                const std::u16string& key,
                                const std::u16string& default_value,
                                size_t size, const std::u16string& file) {
  return GetProfileStrings(section, {key}, default_value, size, file)[0];
}

std::vector<std::u16string> GetProfileStrings(
    const std::u16string& section, const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size,
    const std::u16string& file) {
  std::vector<std::u16string> values;
  std::string native = posix::NativePath(file);
  IniFile ini;
  bool missing = false;
  if (native.empty() || !LoadFile(native, &ini, &missing, false)) {
    if (native.empty()) SetLastError(kErrorFileNotFound);
    values.assign(keys.size(), DefaultResult(default_value, size));
    return values;
  }
  for (const std::u16string& key : keys) {
    values.push_back(LookUp(ini, missing, section, key, default_value, size));
  }
  return values;
}

bool WriteProfileString(const std::u16string& section,
                        const std::u16string& key, const std::u16string& value,
                        const std::u16string& file) {
  std::u16string section_name = Trimmed(section, kIniBlanks);
  std::u16string key_name = Trimmed(key, kIniBlanks);
  // Names that could not be read back as written are refused.
  if (section_name.empty() || key_name.empty() || HasLineBreak(section) ||
      HasLineBreak(key) || section_name.find(u']') != std::u16string::npos ||
      key_name.find(u'=') != std::u16string::npos || key_name[0] == u';' ||
      key_name[0] == u'[') {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  std::string native = posix::NativePath(file);
  if (native.empty()) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  IniFile ini;
  bool missing = false;
  if (!LoadFile(native, &ini, &missing, true)) return false;

  // A line break inside the value would split the line and lose the rest:
  // it is written as a blank instead. Leading blanks are dropped, as the
  // system's writer does.
  std::u16string clean_value = value;
  for (char16_t& c : clean_value) {
    if (c == u'\r' || c == u'\n') c = u' ';
  }
  size_t lead = 0;
  while (lead < clean_value.size() && IsBlank(clean_value[lead])) ++lead;
  clean_value.erase(0, lead);
  const std::u16string kLineEnd = u"\r\n";
  auto make_line = [&](const std::u16string& text) {
    Line line;
    line.text = text;
    line.raw = Encode(ini.encoding, text + kLineEnd);
    line.has_end = true;
    return line;
  };
  // The system's writer rewrites the whole file, every key line in its
  // plain form "name=value", without blanks around either; other lines,
  // and lines whose bytes are not valid text, keep their bytes.
  for (Line& line : ini.lines) {
    Parsed parsed = ParseLine(line.text);
    if (parsed.kind != LineKind::kKey) continue;
    std::u16string plain = parsed.name + u"=" + parsed.value;
    if (plain != line.text &&
        line.raw.rfind(Encode(ini.encoding, line.text), 0) == 0) {
      line = make_line(plain);
    }
  }
  auto end_line = [&](Line* line) {
    if (!line->has_end) {
      line->raw += Encode(ini.encoding, kLineEnd);
      line->has_end = true;
    }
  };

  long header = FindSection(ini, section_name);
  if (header < 0) {
    if (!ini.lines.empty()) end_line(&ini.lines.back());
    ini.lines.push_back(make_line(u"[" + section + u"]"));
    ini.lines.push_back(make_line(key + u"=" + clean_value));
  } else {
    size_t first = static_cast<size_t>(header) + 1;
    size_t end = SectionEnd(ini, static_cast<size_t>(header));
    bool replaced = false;
    size_t last_content = static_cast<size_t>(header);
    for (size_t i = first; i < end; ++i) {
      Parsed parsed = ParseLine(ini.lines[i].text);
      if (!Trimmed(ini.lines[i].text, kIniBlanks).empty()) last_content = i;
      if (parsed.kind == LineKind::kKey && SameName(parsed.name, key_name)) {
        // The key keeps its spelling; the value is replaced.
        ini.lines[i] = make_line(parsed.name + u"=" + clean_value);
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      end_line(&ini.lines[last_content]);
      ini.lines.insert(ini.lines.begin() + static_cast<long>(last_content) + 1,
                       make_line(key + u"=" + clean_value));
    }
  }
  // Not synced: a writer of many small files (one per bookmark) must stay
  // fast, as the system's own profile writer is.
  if (!posix::ReplaceAtomically(native, Serialize(ini), false)) {
    posix::SetLastErrorFromErrno(errno, native);
    return false;
  }
  return true;
}

}  // namespace sys
}  // namespace platform
}  // namespace marksafe
