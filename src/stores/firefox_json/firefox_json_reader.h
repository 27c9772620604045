// Reading Firefox's own bookmark backups into the bookmark tree: the JSON
// file Firefox writes into <profile>/bookmarkbackups every day and when a
// person chooses "Backup...", plain (.json) or compressed (.jsonlz4).
//
// .jsonlz4 is the 8 bytes "mozLz40\0", the decompressed size as 4 bytes
// little-endian, then one LZ4 block (not an LZ4 frame).
//
// The JSON is one tree of objects. The top object (root "placesRoot") holds
// the roots, each marked by "root": "bookmarksMenuFolder" (Root::kMenu),
// "toolbarFolder" (kToolbar), "unfiledBookmarksFolder" (kOther),
// "mobileFolder" (kMobile); other top children (the tags folder of older
// backups) are not bookmarks and are passed over. Every item has
// "typeCode" (1 link, 2 folder, 3 separator; older files only "type", a
// text/x-moz-place... type), "title", "dateAdded" and "lastModified"
// (microseconds since 1970); links "uri" and optionally "tags" (comma
// separated), "keyword" and "postData"; folders "children" in order.
//
// Every backup is untrusted: sizes are capped before anything is
// allocated, the compressed block must decompress to exactly the size the
// header gives, and a file that is no such backup is refused with a
// message saying why. A link without a URL and an item of an unknown type
// are left out and counted.
#ifndef MARKSAFE_STORES_FIREFOX_JSON_FIREFOX_JSON_READER_H_
#define MARKSAFE_STORES_FIREFOX_JSON_FIREFOX_JSON_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/status.h"
#include "model/bookmark_tree.h"

namespace marksafe {
namespace firefox_json {

// The largest JSON text read or written (plain, or what a .jsonlz4
// decompresses to), and the largest backup file read: the text compressed
// never takes more. A profile of a million bookmarks makes about 300 MB of
// JSON, and Firefox compresses it to about 120 MB.
constexpr size_t kMaxBackupJsonBytes = size_t{1} << 30;
constexpr size_t kMaxBackupFileBytes =
    kMaxBackupJsonBytes + (kMaxBackupJsonBytes >> 6);

// The magic that starts a .jsonlz4 file.
extern const char kJsonLz4Magic[8];

// True when bytes start with the .jsonlz4 magic.
bool IsJsonLz4(const std::string& bytes);

// The JSON text of a .jsonlz4 file's bytes. Fails (code 13) when the magic
// is missing, the size is over kMaxBackupJsonBytes or more than the block
// could hold, or the block is damaged or does not give exactly that size.
[[nodiscard]] Status DecodeJsonLz4(const std::string& bytes, std::string* json);

// The JSON text compressed as a .jsonlz4 file; empty when json is over
// kMaxBackupJsonBytes.
std::string EncodeJsonLz4(const std::string& json);

// What a backup held that the tree does not.
struct BackupNotes {
  int64_t skipped = 0;  // links without a URL, items of unknown type
};

// Reads a backup's bytes (.jsonlz4 or plain JSON, told apart by the magic)
// into *tree (normally empty). Each root the file has becomes a root of
// tree with the file's title. Fails (code 13, a message saying why) for a
// file that is no Firefox bookmark backup, is damaged, nests deeper than
// the JSON reader's limit or than model::kMaxDepth. Iterative; linear in the
// input.
[[nodiscard]] Status ReadFirefoxBackup(const std::string& bytes,
                                       model::Tree* tree,
                                       BackupNotes* notes = nullptr);

// Reads the backup file at path: a regular file of at most
// kMaxBackupFileBytes inside its own folder (a link leading elsewhere is
// not followed). Fails with code 2 when it cannot be read so, else as
// ReadFirefoxBackup.
[[nodiscard]] Status ReadFirefoxBackupFile(const std::u16string& path,
                                           model::Tree* tree,
                                           BackupNotes* notes = nullptr);

}  // namespace firefox_json
}  // namespace marksafe

#endif  // MARKSAFE_STORES_FIREFOX_JSON_FIREFOX_JSON_READER_H_
