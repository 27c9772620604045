// What today's Chrome expects of a Bookmarks file beyond its bookmarks: a
// "checksum" member that matches the tree, a "synced" root ("Mobile
// bookmarks"; Chrome ignores a file without it and later overwrites it with
// an empty tree), and a guid on every node.
#ifndef MARKSAFE_STORES_CHROME_CHROME_CHECKSUM_H_
#define MARKSAFE_STORES_CHROME_CHROME_CHECKSUM_H_

#include <json/json.h>

#include <string>

#include "stores/chrome/added_nodes.h"

namespace marksafe {
namespace chrome {

// The checksum Chrome keeps for the tree: the lower-case hex MD5 over the
// roots bookmark_bar, other and synced in that order, each node visited
// depth first in document order. A url node feeds its id (ASCII), its name
// (UTF-16LE), "url" and its url; a folder node its id, its name (UTF-16LE),
// "folder" and then its children. Other nodes, and roots that are not
// folders, feed nothing. Empty when no MD5 is available. The nodes of
// *added (may be null) count as the document's.
std::string TreeChecksum(const Json::Value& document,
                         const AddedNodes* added = nullptr);

// A random version-4 UUID as lower-case hex with dashes
// (xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx). False when the system has no
// random generator; *guid is then untouched.
bool NewGuid(std::string* guid);

// Adds an empty "synced" root ("Mobile bookmarks", the guid Chrome gives
// it, an id above every other) when roots is an object without one. Returns
// whether it was added. The id comes from *ids when given (the allocator
// of nodes added beside the document), else from the document's ids.
class IdAllocator;
bool AddSyncedRoot(Json::Value* document, IdAllocator* ids = nullptr);

// Readies a document for Chrome before it is saved: adds an empty "synced"
// root when roots has none (AddSyncedRoot), and
// sets "checksum" to TreeChecksum when changed is true or the root was
// added, counting the nodes of *added (may be null). A document whose roots
// is not an object is left alone. Returns whether the document was changed
// here.
bool PrepareForChrome(Json::Value* document, bool changed,
                      const AddedNodes* added = nullptr);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_CHROME_CHECKSUM_H_
