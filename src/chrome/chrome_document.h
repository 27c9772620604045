// The Chrome document: the JSON tree of Chrome's Bookmarks file, loaded
// whole, changed in memory by one export call, and saved at most once to the
// path it came from. Only roots.bookmark_bar and roots.other are read and
// filled; every other member passes through unread and is written back as
// it was read.
#ifndef MARKSAFE_CHROME_CHROME_DOCUMENT_H_
#define MARKSAFE_CHROME_CHROME_DOCUMENT_H_

#include <json/json.h>

#include <cstdint>
#include <string>

#include "chrome/document_writer.h"

namespace marksafe {
namespace chrome {

// The longest path of a Chrome file that is used (longer ones are refused
// rather than cut, which would name another file).
constexpr size_t kMaxChromePathChars = 258;

// Fixed dates of the folder nodes made here.
extern const char kNewFolderDateAdded[];     // "12915246468212928"
extern const char kNewFolderDateModified[];  // "12915248079990011"

// The id counter of an import: the id the next new node receives.
using IdCounter = int64_t;

// Loads the file at path (null: the Chrome file locator's) into *document.
// False for a missing, short (8 characters or fewer) or overlong path, a file
// that cannot be read, or a text that is not JSON; *document is then null.
bool load_chrome_file(const char16_t* path, Json::Value* document);

// The file text of document: the styled text with the names below the two
// roots encoded, and a second line end, each line end TextLineEnd().
std::string ChromeFileText(const Json::Value& document);

// Writes ChromeFileText(document) over path in one step (beside it, then
// moved over it). False for a path shorter than 3 characters or a failed
// write; the old file is then intact. The document is not changed.
bool save_chrome_file(const Json::Value& document, const std::u16string& path);

// New nodes, built member by member (a name or URL holding quotes or
// backslashes is kept as it is):
//   url:    date_added "0", date_last_used "0", guid, id, name, type "url",
//           url
//   folder: children [], date_added and date_modified the fixed dates,
//           date_last_used "0", guid, id, name, type "folder"
// The guid is a fresh random one (NewGuid), as Chrome gives its own nodes.
void make_url_node(const std::string& id, const std::string& name,
                   const std::string& url, Json::Value* node);
void make_folder_node(const std::string& id, const std::string& name,
                      Json::Value* node);

// The number an id member stands for: the decimal digits at its start (after
// blanks and a sign), 0 without digits; a number member as itself; other
// types 0. Saturates instead of overflowing.
int64_t IdValue(const Json::Value& id);

// Raises *counter to the id of node and of every node below it (when
// larger). False when node is not a folder node.
bool scan_max_id(const Json::Value& node, IdCounter* counter);

// Sets *counter to one above the largest id in every root (2 when all are
// smaller, so never below 3). False, counter as it stands, when the counter
// is null or roots.bookmark_bar is not a folder; otherwise the result of the
// walk of roots.other.
bool next_node_id(const Json::Value& document, IdCounter* counter);

// Collects the names that are written encoded: the "name" strings of every
// child of roots.bookmark_bar and roots.other, at any depth below folders.
// False (nothing collected) when the bar is not a folder; false with the
// bar's names collected when the other root is not.
bool encode_node_names(const Json::Value& document, EncodedNameSet* names);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_CHROME_CHROME_DOCUMENT_H_
