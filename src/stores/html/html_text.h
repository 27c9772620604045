// The text of a bookmark HTML file: ASCII character classes and the
// decoding of character references into UTF-16.
#ifndef MARKSAFE_STORES_HTML_HTML_TEXT_H_
#define MARKSAFE_STORES_HTML_HTML_TEXT_H_

#include <string>

namespace marksafe {
namespace html {

inline bool IsAsciiAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

std::string LowerCopy(const char* begin, const char* end);
// True when [begin, end) is word (given in lower case), ASCII case ignored.
bool EqualsNoCaseAscii(const char* begin, const char* end, const char* word);

// Text with character references, decoded and appended as UTF-16: anything
// that is no complete valid reference is kept literally.
void AppendDecoded(const char* begin, const char* end, std::u16string* out);
std::u16string Decoded(const char* begin, const char* end);

}  // namespace html
}  // namespace marksafe

#endif  // MARKSAFE_STORES_HTML_HTML_TEXT_H_
