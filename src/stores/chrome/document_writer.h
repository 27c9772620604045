// Writes a Chrome document as text in the layout of JsonCpp's StyledWriter:
// one member per line as its quoted key, " : " and its value; three spaces
// of indentation per level; "{}" and "[]" for empty containers; a short
// array of plain values on one line as "[ a, b ]" when it stays within 74
// columns; members in ascending byte order of their keys; a "\n" after the
// whole text. Comments are not written.
//
// Strings are quoted so that they read back as the same bytes: '"' as \",
// a backslash as \\, backspace, form feed, line feed, carriage return and
// tab as \b \f \n \r \t, every other byte below 0x20 as \u00XX with
// uppercase digits, everything else as it stands. The names of the nodes
// below the roots (bookmark bar, other and mobile bookmarks) are written
// encoded instead: every character outside ASCII as \uXXXX (uppercase, a
// surrogate pair as two escapes), which is how Chrome's own files spell
// them.
#ifndef MARKSAFE_STORES_CHROME_DOCUMENT_WRITER_H_
#define MARKSAFE_STORES_CHROME_DOCUMENT_WRITER_H_

#include <json/json.h>

#include <string>
#include <unordered_set>

#include "base/json_text.h"
#include "stores/chrome/added_nodes.h"

namespace marksafe {
namespace chrome {

// The name values that are written encoded (see EncodedNames).
using EncodedNameSet = std::unordered_set<const Json::Value*>;

// The text of document, lines ending in "\n". Every string value whose
// address is in encoded_names is written in the encoded form. The nodes of
// *added (may be null) are written where they were added, as the same
// nodes in the document would be, names encoded.
std::string WriteDocumentText(const Json::Value& document,
                              const EncodedNameSet& encoded_names,
                              const AddedNodes* added = nullptr);

// Appends the encoded form of a name: the UTF-8 text as UTF-16 units, each
// unit below 0x80 as itself and every other as \uXXXX, then quoted as above
// (so a backslash of the name becomes \\ and a quote \").
void AppendEncodedNameBody(const std::string& utf8_name, std::string* out);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_DOCUMENT_WRITER_H_
