// Small helpers on UTF-16 strings shared by every subsystem.
#ifndef MARKSAFE_COMMON_TEXT_H_
#define MARKSAFE_COMMON_TEXT_H_

#include <cstddef>
#include <string>

namespace marksafe {

// The length of a NUL-terminated UTF-16 string (0 for null).
size_t TextLength(const char16_t* text);

// A string from a possibly null NUL-terminated pointer (empty for null).
std::u16string FromPointer(const char16_t* text);

// The first max_chars units of text (a truncating copy into a buffer of
// max_chars + 1 units).
std::u16string Truncated(const std::u16string& text, size_t max_chars);

// Writes text into a caller's buffer of capacity units, cut to capacity - 1
// units, always terminated. Nothing is written when capacity is 0.
void CopyToBuffer(const std::u16string& text, char16_t* out, size_t capacity);

// Equality without regard to case, as the file system compares names.
bool EqualsNoCase(const std::u16string& a, const std::u16string& b);

// Upper-cases every unit as the file system does.
std::u16string ToUpperCase(const std::u16string& text);

// True when the last unit is "\" or "/".
bool EndsWithSeparator(const std::u16string& path);

// path with one "\" added unless it already ends with a separator.
std::u16string WithTrailingSeparator(const std::u16string& path);

// folder, a "\" unless folder already ends with a separator, and name.
std::u16string JoinPath(const std::u16string& folder,
                        const std::u16string& name);

// A path as the person knows it, for messages and reports: the system's
// own separators ("/" on POSIX, where the library joins with "\").
std::u16string DisplayPath(const std::u16string& path);

// Decimal text of a number, as UTF-16.
std::u16string NumberText(long long value);

// ASCII/UTF-8 literal to UTF-16 (for messages and tests).
std::u16string Widen(const std::string& utf8);
std::string Narrow(const std::u16string& text);

}  // namespace marksafe

#endif  // MARKSAFE_COMMON_TEXT_H_
