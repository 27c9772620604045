// Small helpers on UTF-16 strings shared by every subsystem.
#ifndef MARKSAFE_BASE_TEXT_H_
#define MARKSAFE_BASE_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace marksafe {

// A string from a possibly null NUL-terminated pointer (empty for null).
std::u16string FromPointer(const char16_t* text);

// The first max_chars units of text (a truncating copy into a buffer of
// max_chars + 1 units).
std::u16string Truncated(const std::u16string& text, size_t max_chars);

// Writes text into a caller's buffer of capacity units, cut to capacity - 1
// units, always terminated. Nothing is written when capacity is 0.
void CopyToBuffer(const std::u16string& text, char16_t* out, size_t capacity);

// text without the units of blanks at either end. Inline, so that the
// platform backends share it.
inline std::u16string Trimmed(const std::u16string& text,
                              std::u16string_view blanks = u" \t") {
  const size_t begin = text.find_first_not_of(blanks);
  if (begin == std::u16string::npos) return std::u16string();
  return text.substr(begin, text.find_last_not_of(blanks) + 1 - begin);
}

// True when text is longer than tail and ends with it.
bool EndsWith(const std::u16string& text, const std::u16string& tail);

// True when the last unit is "\" or "/".
bool EndsWithSeparator(const std::u16string& path);

// path without its trailing separators (a lone "\" or "/" is kept).
std::u16string WithoutTrailingSeparators(std::u16string path);

// What follows the last separator of path (all of it when it has none).
std::u16string LastComponent(const std::u16string& path);

// path with one "\" added unless it already ends with a separator.
std::u16string WithTrailingSeparator(const std::u16string& path);

// folder, a "\" unless folder already ends with a separator, and name.
std::u16string JoinPath(const std::u16string& folder,
                        const std::u16string& name);

// Decimal text of a number, as UTF-16.
std::u16string NumberText(long long value);

// Two lower-case hex digits for each of size bytes.
std::string LowerHex(const unsigned char* bytes, size_t size);

// Appends "%XX", the byte in upper-case hex, as URLs escape it.
void AppendPercentEscape(unsigned char byte, std::string* out);

// Appends "\uXXXX", the UTF-16 unit in upper-case hex, as JSON escapes it.
void AppendUnitEscape(char16_t unit, std::string* out);

}  // namespace marksafe

#endif  // MARKSAFE_BASE_TEXT_H_
