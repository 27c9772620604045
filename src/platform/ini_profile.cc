// The profile API on INI bytes: values lose one pair of quotes as the
// system's reader drops them. The writer changes the line of the key it
// writes, puts other key lines in their plain form, and keeps every other
// byte of the file.
#include "platform/ini_profile.h"

#include <string>
#include <vector>

#include "base/error_codes.h"
#include "base/text.h"
#include "platform/ini_file.h"
#include "platform/platform.h"

namespace marksafe {
namespace platform {
namespace ini {
namespace {

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

// A value as the system's reader returns it, at most size - 1 units.
std::u16string ValueRead(std::u16string value, size_t size) {
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

// GetProfileString on a file loaded already (missing: there was none).
std::u16string LookUp(const File& file, bool missing,
                      const std::u16string& section, const std::u16string& key,
                      const std::u16string& default_value, size_t size) {
  std::u16string wanted_section = Trimmed(section, kBlanks);
  std::u16string wanted_key = Trimmed(key, kBlanks);
  long header = missing ? -1 : FindSection(file, wanted_section);
  if (header >= 0 && !wanted_key.empty()) {
    size_t end = SectionEnd(file, static_cast<size_t>(header));
    for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
      Parsed parsed = ParseLine(file.lines[i].text);
      if (parsed.kind == LineKind::kKey && SameName(parsed.name, wanted_key)) {
        return ValueRead(parsed.value, size);
      }
    }
  }
  SetLastError(kErrorFileNotFound);
  return DefaultResult(default_value, size);
}

// Names that could not be read back as written.
bool RefusedNames(const std::u16string& section, const std::u16string& key) {
  std::u16string section_name = Trimmed(section, kBlanks);
  std::u16string key_name = Trimmed(key, kBlanks);
  return section_name.empty() || key_name.empty() || HasLineBreak(section) ||
         HasLineBreak(key) || section_name.find(u']') != std::u16string::npos ||
         key_name.find(u'=') != std::u16string::npos || key_name[0] == u';' ||
         key_name[0] == u'[';
}

// The file as the system's writer leaves it: key = clean_value in section,
// every key line in its plain form.
class IniEdit {
 public:
  explicit IniEdit(File* file) : file_(file) {}

  // The system's writer rewrites the whole file, every key line in its
  // plain form "name=value", without blanks around either; other lines,
  // and lines whose bytes are not valid text, keep their bytes.
  void PlainKeyLines() {
    for (Line& line : file_->lines) {
      Parsed parsed = ParseLine(line.text);
      if (parsed.kind != LineKind::kKey) continue;
      std::u16string plain = parsed.name + u"=" + parsed.value;
      if (plain != line.text &&
          line.raw.rfind(Encode(file_->encoding, line.text), 0) == 0) {
        line = MakeLine(plain);
      }
    }
  }

  void Set(const std::u16string& section, const std::u16string& key,
           const std::u16string& value) {
    const std::u16string key_name = Trimmed(key, kBlanks);
    long header = FindSection(*file_, Trimmed(section, kBlanks));
    if (header < 0) {
      if (!file_->lines.empty()) EndLine(&file_->lines.back());
      file_->lines.push_back(MakeLine(u"[" + section + u"]"));
      file_->lines.push_back(MakeLine(key + u"=" + value));
      return;
    }
    size_t end = SectionEnd(*file_, static_cast<size_t>(header));
    size_t last_content = static_cast<size_t>(header);
    for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
      Parsed parsed = ParseLine(file_->lines[i].text);
      if (!Trimmed(file_->lines[i].text, kBlanks).empty()) {
        last_content = i;
      }
      if (parsed.kind == LineKind::kKey && SameName(parsed.name, key_name)) {
        // The key keeps its spelling; the value is replaced.
        file_->lines[i] = MakeLine(parsed.name + u"=" + value);
        return;
      }
    }
    EndLine(&file_->lines[last_content]);
    file_->lines.insert(
        file_->lines.begin() + static_cast<long>(last_content) + 1,
        MakeLine(key + u"=" + value));
  }

 private:
  Line MakeLine(const std::u16string& text) const {
    Line line;
    line.text = text;
    line.raw = Encode(file_->encoding, text + u"\r\n");
    line.has_end = true;
    return line;
  }

  void EndLine(Line* line) const {
    if (!line->has_end) {
      line->raw += Encode(file_->encoding, u"\r\n");
      line->has_end = true;
    }
  }

  File* file_;
};

}  // namespace

std::u16string DefaultProfileString(const std::u16string& default_value,
                                    size_t size) {
  return DefaultResult(default_value, size);
}

std::vector<std::u16string> ProfileStringsIn(
    const std::string* bytes, const std::u16string& section,
    const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size) {
  const File file = Parse(bytes != nullptr ? *bytes : std::string());
  std::vector<std::u16string> values;
  for (const std::u16string& key : keys) {
    values.push_back(
        LookUp(file, bytes == nullptr, section, key, default_value, size));
  }
  return values;
}

bool SetProfileStringIn(std::string* bytes, const std::u16string& section,
                        const std::u16string& key,
                        const std::u16string& value) {
  if (RefusedNames(section, key)) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
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
  File file = Parse(*bytes);
  IniEdit edit(&file);
  edit.PlainKeyLines();
  edit.Set(section, key, clean_value);
  *bytes = Serialize(file);
  return true;
}

}  // namespace ini
}  // namespace platform
}  // namespace marksafe
