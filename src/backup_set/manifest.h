// The manifest of a part: what the .url files cannot carry.
//
// One JSON file (interchange::kManifestName) beside the position file:
//
//   {"format": "marksafe part manifest", "version": 1,
//    "part": "firefox" | "chrome",
//    "roots": {"menu": "Bookmarks Menu", ...},
//    "completion_mark": true,
//    "browser": "brave", "profile": "Work",
//    "profile_folder": "/home/me/.config/BraveSoftware/Brave-Browser/Profile 1",
//    "records": [
//      {"path": "Bookmarks Menu", "type": "folder", "title": "menu",
//       "added": 1700000000000000, "modified": 1700000000000000},
//      {"path": "Bookmarks Menu/News/Example.url", "type": "link",
//       "title": "Example", "url": "https://example.com/",
//       "added": ..., "modified": ..., "tags": ["a"], "keyword": "ex"},
//      {"path": "Bookmarks Menu/News", "type": "separator", "added": ...},
//      ...]}
//
// Records come in tree order, parents before their children, siblings in
// order. "path" is the file's or folder's path relative to the part, with
// "/" between names; a separator has no file and is a record of its parent
// folder (its "path"), placed among that folder's records where it stands.
// A top folder's record gives the root's title and dates. Times are
// microseconds since 1970 (0 or missing: unknown); empty values are left
// out. "completion_mark" says that the writer ends the part with a
// completion mark (interchange::kCompletionMarkName): a part that has such
// a manifest but no mark was cut short. Manifests of earlier sets lack the
// key, and their parts are whole without a mark. "browser" (a browser key
// such as "chrome" or "librewolf"), "profile" (the profile's name as the
// browser shows it) and "profile_folder" say whose bookmarks the part holds;
// sets written before parts recorded it lack them, and readers that do not
// know them pass over them.
#ifndef MARKSAFE_BACKUP_SET_MANIFEST_H_
#define MARKSAFE_BACKUP_SET_MANIFEST_H_

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/status.h"
#include "model/bookmark_tree.h"

namespace marksafe {
namespace backup_set {

constexpr int kManifestVersion = 1;
// The manifest's "format".
extern const char kManifestFormat[];

// Whose bookmarks a part holds; every member empty when unknown.
struct PartSource {
  std::u16string browser;         // a browser key: "chrome", "brave", ...
  std::u16string profile;         // the profile's name as the browser shows it
  std::u16string profile_folder;  // the profile's folder
};

struct Record {
  std::u16string path;  // relative, "/" between names
  model::Item item;     // kind, title, url, dates, tags, keyword
};

// Collects records while a part is written and writes them as the
// manifest. SetSource and KeepExisting come before the first Add.
class ManifestWriter {
 public:
  explicit ManifestWriter(const char* part_kind);
  void AddRoot(model::Root root, const std::u16string& folder_name);
  void Add(const std::u16string& path, const model::Item& item);
  // Keeps the records of an existing manifest first (a part written into a
  // folder that holds one).
  void KeepExisting(std::vector<Record> records);
  // The folder holds an older export of the same part, whose entries this
  // one takes over: a kept record of a path written again is left out, and
  // so are the kept separators of a folder written again.
  void ReplaceRewrittenRecords() { replace_rewritten_ = true; }
  void SetSource(const PartSource& source) { source_ = source; }
  // Writes the manifest file at path, replacing one there in one step.
  // The records are taken: call once.
  [[nodiscard]] Status Write(const std::u16string& path);

 private:
  std::string part_kind_;
  PartSource source_;
  // Appends the document's text up to its first record.
  void AppendHead(std::string* text) const;

  std::vector<std::pair<std::string, std::u16string>> roots_;
  std::vector<Record> kept_;
  // The records added, as the manifest's JSON text: a part of 100,000
  // links keeps one string rather than a copy of every item.
  std::string records_text_;
  size_t record_count_ = 0;
  bool head_in_text_ = false;  // records_text_ begins with the head
  // With replace_rewritten_: the paths written and the folders holding
  // written records, which replace the kept records of the same place.
  std::unordered_set<std::u16string> written_;
  std::unordered_set<std::u16string> folders_;
  bool replace_rewritten_ = false;
};

// A manifest as read: its records and, from ReadManifest, the records of
// each folder (by its relative path) in order, separators included, and
// the records of the top folders.
struct Manifest {
  std::vector<Record> records;
  // parent path -> indexes into records, in order
  std::unordered_map<std::u16string, std::vector<size_t>> children;
  // top folder path -> index into records
  std::unordered_map<std::u16string, size_t> top_folders;
  bool completion_mark = false;  // the part ends with a completion mark
  // Why each damaged record was left out (the rest of the manifest holds).
  std::vector<std::string> skipped;
  PartSource source;
  std::string part;  // the part kind: "firefox" or "chrome"
  // Each root the part holds and the name of its top folder.
  std::vector<std::pair<model::Root, std::u16string>> roots;
};

enum class ManifestState { kMissing, kDamaged, kRead };

// Reads the manifest at path. kMissing when there is no file; kDamaged
// (with *why) when it does not parse, or is of another format, version or
// part kind. A record that is damaged (a value of the wrong type, a path
// that would leave the part) is left out and named in skipped.
ManifestState ReadManifest(const std::u16string& path, const char* part_kind,
                           Manifest* manifest, std::string* why);

// Reads a manifest from its bytes as ReadManifest does (never kMissing),
// without children and top_folders: a reader that builds a tree by path
// has no need of them. A null part_kind takes either kind.
ManifestState ParseManifest(const std::string& bytes, const char* part_kind,
                            Manifest* manifest, std::string* why);

// The last name of a relative path and the path of its folder ("" for a
// top name).
std::u16string LastName(const std::u16string& path);
std::u16string ParentPath(const std::u16string& path);

}  // namespace backup_set
}  // namespace marksafe

#endif  // MARKSAFE_BACKUP_SET_MANIFEST_H_
