// Merging one tree into another: the rules every restore, import and
// conversion follows, whatever the target store is.
//
// - Nothing in the target is changed or removed; new items are appended to
//   the end of their folder in the source's order (into an empty folder
//   that is the source's order itself).
// - Items are matched as multisets per folder, so that a repeated merge adds
//   nothing and duplicates in the source are kept: the k-th source folder
//   titled T merges into the k-th target folder titled T (a new folder when
//   there is none), the k-th source link to URL u is added only when the
//   target folder held fewer than k links to u (URLs compared through
//   MergeOptions::url_key), and the k-th separator only when the target
//   folder held fewer than k separators.
// - What the target cannot hold is counted and named in the result, never
//   dropped silently.
// - Added items keep the source's title, URL, dates, tags and keyword; a
//   date the source did not have becomes the merge's time.
#ifndef MARKSAFE_MODEL_MERGE_H_
#define MARKSAFE_MODEL_MERGE_H_

#include <functional>
#include <string>
#include <vector>

#include "model/bookmark_tree.h"
#include "model/progress.h"
#include "model/report.h"

namespace marksafe {
namespace model {

// What a target store can hold.
struct Capabilities {
  bool separators = true;
  bool tags = true;           // and keywords
  bool place_queries = true;  // "place:" URLs (Firefox's saved searches)
  // The longest URL the store keeps, in UTF-16 units (0: no limit). A
  // longer one is not carried: a cut URL would be another address.
  size_t max_url_units = 0;
  // The store is a folder of .url files: a link read from such a file
  // keeps the file's path, so that the file is copied as it stands.
  bool shortcut_files = false;
};
Capabilities FirefoxCapabilities();    // everything
Capabilities ChromeCapabilities();     // no separators, tags, queries
Capabilities FavoritesCapabilities();  // Chrome's, in .url files

struct MergeOptions {
  Capabilities capabilities;
  // The form in which two URLs are compared (default: the normalised form,
  // NormalizedOrSelf).
  std::function<std::u16string(const std::u16string&)> url_key;
  // Source sub-folders with one of these names (case-insensitive) are left
  // out at every depth, with everything below them.
  std::vector<std::u16string> excluded_folders;
  // The time given to items without a date (0: Now()).
  Time now = 0;
  // The call's progress: its total grows by each link marked added, as
  // each will be written (null: none kept).
  Progress* progress = nullptr;
};

// Merges the children of source folder `from` into target folder `into`,
// marking every item it appends with added = true. Adds what it did to
// *report (which may be null): the counts of root_report and one Problem
// per item the target could not hold.
void Merge(const Tree& source, ItemId from, Tree* target, ItemId into,
           const MergeOptions& options, RootReport* root_report,
           Report* report);

}  // namespace model
}  // namespace marksafe

#endif  // MARKSAFE_MODEL_MERGE_H_
