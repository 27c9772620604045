// Reads the text of a Chrome Bookmarks file into a Json::Value.
//
// It is JsonCpp's Json::Reader with its default features (comments allowed,
// any value as the root), with one difference in strings: a backslash
// followed by a byte of 0x80 or above is an ordinary backslash (JsonCpp
// would report a bad escape sequence), and the byte after it is read as
// usual. Comments are accepted and dropped.
#ifndef MARKSAFE_STORES_CHROME_DOCUMENT_READER_H_
#define MARKSAFE_STORES_CHROME_DOCUMENT_READER_H_

#include <json/json.h>

#include <string>

namespace marksafe {
namespace chrome {

// Parses text into *out. False for a text that is not JSON (also for one
// nested too deeply); *out is then null, and *why (when not null) says in
// words why: "line 3, column 5: Missing ',' or '}' in object declaration",
// or that it nests deeper than the JSON reader's limit.
bool ParseDocumentText(const std::string& text, Json::Value* out,
                       std::string* why = nullptr);

// The text with a second backslash put before every byte of 0x80 or above
// that follows a backslash inside a string, so that JsonCpp's reader keeps
// that backslash. Comments and the text outside strings are unchanged.
// False (out untouched) when the text has no such byte: a document of tens
// of megabytes is then read as it is, not copied.
bool KeepBackslashesBeforeHighBytes(const std::string& text, std::string* out);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_DOCUMENT_READER_H_
