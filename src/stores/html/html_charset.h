// The character set of a bookmark HTML file and its text as UTF-8. Files
// are UTF-8 today, but older browsers and other programs wrote them in the
// system's code page and said so in a <META ... charset=...> tag; UTF-16
// files start with a byte order mark.
#ifndef MARKSAFE_STORES_HTML_HTML_CHARSET_H_
#define MARKSAFE_STORES_HTML_HTML_CHARSET_H_

#include <string>

#include "base/status.h"

namespace marksafe {
namespace html {

// True, with the text as UTF-8 in *utf8, when bytes start with a UTF-16
// byte order mark (either byte order). A lone surrogate becomes U+FFFD.
bool DecodeUtf16WithBom(const std::string& bytes, std::string* utf8);

// The label after "charset=" in a <META> CONTENT value such as
// "text/html; charset=windows-1252"; empty when it names none.
std::string CharsetOfContent(const std::string& content);

// bytes, in the character set the file declares with label, as UTF-8 in
// *utf8. Labels are read as browsers read them: letter case and outer
// blanks do not matter, ISO-8859-1 and ASCII mean windows-1252, and a
// UTF-16 label in a file whose tags are readable as ASCII means UTF-8.
// *converted is false (and *utf8 untouched) when bytes are to be read as
// UTF-8 as they stand. Fails when the label names no character set the
// system knows and the bytes are not UTF-8 either.
[[nodiscard]] Status DecodeDeclared(const std::string& bytes,
                                    const std::string& label,
                                    std::string* utf8, bool* converted);

}  // namespace html
}  // namespace marksafe

#endif  // MARKSAFE_STORES_HTML_HTML_CHARSET_H_
