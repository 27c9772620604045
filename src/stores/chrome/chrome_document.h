// The Chrome document: the JSON tree of Chrome's Bookmarks file, loaded
// whole, changed in memory by one export call, and saved at most once to the
// path it came from. The roots bookmark_bar, other and synced are read and
// filled; every other member passes through unread and is written back as
// it was read.
#ifndef MARKSAFE_STORES_CHROME_CHROME_DOCUMENT_H_
#define MARKSAFE_STORES_CHROME_CHROME_DOCUMENT_H_

#include <json/json.h>

#include <cstdint>
#include <string>

#include "base/status.h"
#include "stores/chrome/document_writer.h"

namespace marksafe {
namespace chrome {

// The longest path of a Chrome file that is used (longer ones are refused
// rather than cut, which would name another file).
constexpr size_t kMaxChromePathChars = 258;

// Loads the file at path (null: the Chrome file locator's) into *document.
// False for a missing, short (8 characters or fewer) or overlong path, a file
// that cannot be read, or a text that is not JSON; *document is then null.
bool load_chrome_file(const char16_t* path, Json::Value* document);

// The file text of document and the nodes of *added (may be null): the
// styled text with the names below the roots encoded, and a second line
// end, each line end TextLineEnd().
std::string ChromeFileText(const Json::Value& document,
                           const AddedNodes* added = nullptr);

// Writes ChromeFileText(document) over path in one step (beside it, then
// moved over it). Fails for a path shorter than 3 characters or a failed
// write; the old file is then intact. The document is not changed.
Status save_chrome_file(const Json::Value& document,
                        const std::u16string& path,
                        const AddedNodes* added = nullptr);

// A new folder node: children [], date_added, date_last_used "0",
// date_modified, guid, id, name, type "folder". Dates are Chrome times
// (microseconds since 1601) written in decimal; the guid is a fresh random
// one (NewGuid), as Chrome gives its own nodes.
void make_folder_node(const std::string& id, const std::string& name,
                      int64_t date_added, int64_t date_modified,
                      Json::Value* node);

// The number an id member stands for: the decimal digits at its start (after
// blanks and a sign), 0 without digits; a number member as itself; other
// types 0. Saturates instead of overflowing.
int64_t IdValue(const Json::Value& id);

// Ids for new nodes: decimal texts above every id anywhere in the
// document's roots (and never below 3, the ids of Chrome's own roots). Ids
// are compared and counted as decimal texts of any length, so a document
// holding an id of 2^64 or more still gets unique ids and nothing wraps.
class IdAllocator {
 public:
  explicit IdAllocator(const Json::Value& document);
  std::string Next();

 private:
  std::string last_;  // digits, no leading zeros
};

// Collects the names that are written encoded: the "name" strings of every
// node below each root folder, at any depth below folders.
void encode_node_names(const Json::Value& document, EncodedNameSet* names);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_CHROME_DOCUMENT_H_
