// Writing the bookmark tree as a Firefox bookmark backup: the JSON that
// Firefox's own "Restore > Choose File..." and its start-up restore from
// bookmarkbackups/ take, plain or as .jsonlz4 (see firefox_json_reader.h
// for the format).
//
// The top object is the places root ("root________"); below it the four
// roots with Firefox's guids and marks (menu________ bookmarksMenuFolder,
// toolbar_____ toolbarFolder, unfiled_____ unfiledBookmarksFolder,
// mobile______ mobileFolder), a root the tree lacks written empty. Each
// item gets "guid" (12 characters of [A-Za-z0-9_-], unique in the file),
// "title", "index", "id", "typeCode" and "type", its dates when known, and
// links "uri", "tags" (comma-separated), "keyword" and "postData" when set.
// Firefox reads a restore as replacing every bookmark of the profile.
#ifndef MARKSAFE_STORES_FIREFOX_JSON_FIREFOX_JSON_WRITER_H_
#define MARKSAFE_STORES_FIREFOX_JSON_FIREFOX_JSON_WRITER_H_

#include <string>

#include "base/status.h"
#include "model/bookmark_tree.h"

namespace marksafe {
namespace firefox_json {

// The tree as Firefox bookmark backup JSON, UTF-8. now (microseconds since
// 1970) dates the places root and seeds the guids. Iterative; linear.
std::string WriteFirefoxBackup(const model::Tree& tree, model::Time now);

// The bytes of a backup file of the tree: the JSON, compressed as .jsonlz4
// when compressed. Fails (code 8, *bytes empty) when the JSON is over
// kMaxBackupJsonBytes: no reader would take the file back.
[[nodiscard]] Status WriteFirefoxBackupFile(const model::Tree& tree,
                                            model::Time now, bool compressed,
                                            std::string* bytes);

}  // namespace firefox_json
}  // namespace marksafe

#endif  // MARKSAFE_STORES_FIREFOX_JSON_FIREFOX_JSON_WRITER_H_
