#include "backup_set/interchange.h"

#include "base/text.h"
#include "platform/file_names.h"
#include "platform/ini_file.h"

namespace marksafe {
namespace interchange {
namespace {

constexpr size_t kExtensionChars = 18;

// True for ".", "..", ". ." and the like: names the file system reads as
// this folder or its parent (Windows drops trailing dots and blanks).
bool IsDotName(const std::u16string& name) {
  bool has_dot = false;
  for (char16_t c : name) {
    if (c == u'.') {
      has_dot = true;
    } else if (c != u' ') {
      return false;
    }
  }
  return has_dot;
}

// A value that no INI reader misreads: no control character at all (a NUL
// would end the value early, a line break would start a line of its own).
std::u16string WithoutControls(const std::u16string& value) {
  std::u16string out(value);
  for (char16_t& c : out) {
    if (c < 0x20 || c == 0x7F) c = u' ';
  }
  return out;
}

using platform::ini::IsBlank;

// What the profile writer keeps of a value (without controls): it drops the
// leading blanks when it writes the line, and the trailing ones when it
// rewrites the file for a later key.
std::u16string IniValue(const std::u16string& value, bool rewritten_later) {
  size_t begin = 0;
  while (begin < value.size() && IsBlank(value[begin])) ++begin;
  size_t end = value.size();
  while (rewritten_later && end > begin && IsBlank(value[end - 1])) --end;
  return value.substr(begin, end - begin);
}

// The Title value of a shortcut: the title and ".url". A title that starts
// with a blank is put in quotes, which every INI reader takes off again:
// unquoted, the writer and the readers would drop those blanks. (The value
// ends in ".url", so no other title is ever read as quoted.)
std::u16string TitleValue(const std::u16string& title) {
  const std::u16string value = WithoutControls(title) + kUrlSuffix;
  if (IsBlank(value[0])) return u"\"" + value + u"\"";
  return IniValue(value, false);
}

}  // namespace

std::string ShortcutFileBytes(const std::u16string& title,
                              const std::u16string& url) {
  // UTF-16LE keeps every title character. The file is written whole, in one
  // step, with the bytes the INI writer leaves when it adds the two keys to
  // a file holding only the byte-order mark: a bookmark costs one file
  // write instead of three.
  const std::u16string text =
      std::u16string(u"[") + kShortcutSection + u"]\r\n" + kUrlKey + u"=" +
      ShortcutUrlValue(url) + u"\r\n" + kTitleKey + u"=" +
      TitleValue(title) + u"\r\n";
  std::string bytes(2 + 2 * text.size(), '\0');
  bytes[0] = '\xFF';
  bytes[1] = '\xFE';
  char* out = &bytes[2];
  for (const char16_t unit : text) {
    *out++ = static_cast<char>(unit & 0xFF);
    *out++ = static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::u16string ShortcutUrlValue(const std::u16string& url) {
  return IniValue(WithoutControls(url), true);
}

bool HasExtension(const std::u16string& name, const std::u16string& filter) {
  size_t dot = name.rfind(u'.');
  return dot != std::u16string::npos && dot + 1 != name.size() &&
         ExtensionMatches(name.substr(dot + 1), filter);
}

bool IsShortcutFileName(const std::u16string& name) {
  return HasExtension(name, kUrlExtension);
}

bool ExtensionMatches(const std::u16string& name,
                      const std::u16string& filter) {
  size_t dot = name.rfind(u'.');
  std::u16string extension =
      dot == std::u16string::npos ? name : name.substr(dot + 1);
  return EqualsNoCase(Truncated(extension, kExtensionChars),
                      Truncated(filter, kExtensionChars));
}

std::u16string TitleFromFileName(const std::u16string& name) {
  return name.size() < 4 ? std::u16string() : name.substr(0, name.size() - 4);
}

bool ResolvePositionValue(const std::u16string& exported_folder,
                          const std::u16string& value, std::u16string* out) {
  if (out == nullptr) return false;
  if (!value.empty() && (value[0] == u'\\' || value[0] == u'/')) return false;
  if (value.find(u':') != std::u16string::npos) return false;
  // Every component must stay inside: no "..", nor a dot name that the
  // system would read as ".." (".. ", "...").
  size_t begin = 0;
  while (begin <= value.size()) {
    size_t end = value.find_first_of(u"\\/", begin);
    if (end == std::u16string::npos) end = value.size();
    const std::u16string part = value.substr(begin, end - begin);
    if (IsDotName(part) && Trimmed(part, u" ") != u".") return false;
    begin = end + 1;
  }
  *out = JoinPath(exported_folder, value);
  return true;
}

}  // namespace interchange
}  // namespace marksafe
