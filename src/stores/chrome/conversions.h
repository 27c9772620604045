// Conversions between the UTF-8 text of the Chrome document and the UTF-16
// text of the file system, and the ASCII form in which node names are
// written. Invalid input is never rejected: a malformed UTF-8 sequence or a
// lone surrogate becomes U+FFFD.
#ifndef MARKSAFE_STORES_CHROME_CONVERSIONS_H_
#define MARKSAFE_STORES_CHROME_CONVERSIONS_H_

#include <string>

namespace marksafe {
namespace chrome {

// Appends to out, for each UTF-16 unit of text: a unit below 0x80 as one
// byte, a backslash as two; any other unit as "\u" and four uppercase hex
// digits (a surrogate pair thus as two escapes).
void wide_to_escaped_ascii(const std::u16string& text, std::string* out);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_CONVERSIONS_H_
