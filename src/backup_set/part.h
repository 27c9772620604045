// A browser's part of a backup set: a tree of .url files that Internet
// Explorer, Explorer and older readers understand, a position file that
// names the folder of each root, and a manifest that carries what .url files
// cannot (order, separators, dates, exact titles, tags, keywords).
//
//   Firefox part, "pos.ini", section "Menu":
//     Main    = Bookmarks Menu      (Root::kMenu)
//     Toolbar = Bookmarks Toolbar   (Root::kToolbar)
//     Others  = Unsorted Bookmarks  (Root::kOther)
//     Mobile  = Mobile Bookmarks    (Root::kMobile)
//   Chrome part, "chrome_pos.ini", section "Chrome_menu":
//     Bar    = Bookmarks bar        (Root::kToolbar)
//     other  = Other bookmarks      (Root::kOther)
//     synced = Mobile bookmarks     (Root::kMobile)
//
// Every root folder of the part is written, an empty one too. The .url
// files are written in the Chrome form (UTF-16LE, "URL" and "Title" keys;
// see interchange::ShortcutFileBytes) under names from model::NameAllocator;
// the manifest ("manifest.json", format in backup_set/manifest.h) keeps
// the exact values. A completion mark ("complete.mark") is written last:
// a part whose manifest announces one that is missing was cut short.
//
// The .url tree says what exists, the manifest says how: a file the
// manifest does not know (added by hand) is read as a plain .url file, a
// record whose file is gone (deleted by hand) is not read, and a part
// without a usable manifest (an older backup set, or a damaged manifest) is
// read from the files alone, in listing order, with a diagnostic line for a
// damaged one.
#ifndef MARKSAFE_BACKUP_SET_PART_H_
#define MARKSAFE_BACKUP_SET_PART_H_

#include <string>
#include <vector>

#include "backup_set/manifest.h"
#include "base/status.h"
#include "model/bookmark_tree.h"
#include "model/report.h"

namespace marksafe {
namespace backup_set {

enum class PartKind { kFirefox, kChrome };

// The roots a part of this kind can hold, in the order they are written.
std::vector<model::Root> PartRoots(PartKind kind);
// The folder name of a root in a part ("Bookmarks Toolbar", "Bookmarks
// bar", ...); empty when the part has no such root.
std::u16string RootFolderName(PartKind kind, model::Root root);

// Writes every root of tree that the part kind holds into folder.
// With replace_whole (a part inside a backup set), the part is built in a
// folder beside `folder` and put in its place only when complete, so that a
// failed backup leaves the previous part whole: any failure (an item that
// cannot be written included) stops the writing, keeps the previous part
// and removes the new one, and the report then counts everything the tree
// held as failed. The previous part is never read: it is swapped out and
// removed whole.
// Otherwise the files are written into folder as it stands, next to what
// is there (names that are taken get another; the records of a manifest
// there are kept, the new ones after them). Adds one RootReport per root to report (source =
// what the tree holds, added = what was written, failed = what could not
// be) and a Problem per item that could not be written. The manifest
// records source as the part's owner.
[[nodiscard]] Status WritePart(const model::Tree& tree, PartKind kind,
                               const std::u16string& folder,
                               bool replace_whole, model::Report* report,
                               const PartSource& source = PartSource());

// Reads the part in folder into tree: each root that the position file
// names and that exists becomes a root of tree titled with its folder name.
// Fails (nothing read) when the position file is missing or names no
// existing root folder. Position values that leave the part, links and
// the host's ".Quillbay" entries are not read; a .url file without a URL
// is skipped with a diagnostic line. A part cut short fails (code 13,
// and a Problem in the current report) unless the call's
// options accept incomplete parts.
// Items without a record have no dates (0). A tree deeper than model::kMaxDepth fails, naming the folder.
[[nodiscard]] Status ReadPart(const std::u16string& folder, PartKind kind,
                              model::Tree* tree);

// Sets *folders and *links to the size exports' figures of the part in
// folder as a restore would read it (model::AddHostCounts), its manifest
// knowing what the .url files cannot show. False, the counts unchanged,
// when the part cannot be read.
bool CountPart(const std::u16string& folder, PartKind kind, bool with_roots,
               int32_t* folders, int32_t* links);

// Reads a plain .url folder (the Favorites folder, a Favorites part, any
// interchange folder) into the children of `into`: sub-folders become
// folders titled with their names, .url files links titled with their
// "Title" key or else their file name less ".url". Sub-folders named
// ".Quillbay" or one of excluded (case-insensitive) are left out. Each
// item's file_name is its name on disk. A part's manifest is not read here.
[[nodiscard]] Status ReadUrlFolder(const std::u16string& folder,
                                   const std::vector<std::u16string>& excluded,
                                   model::Tree* tree, model::ItemId into);

// Writes the items of tree below `from` that are marked added into the
// existing folder `folder` on disk, whose present content tree holds below
// `from` as ReadUrlFolder read it (file_name set): new folders and .url
// files get names no entry there has, and no file that exists is ever
// overwritten or removed, except with replace_same_name (a folder that an
// earlier export of the same part wrote): there a new link whose name is
// that of a .url file replaces that file in one step. Counts go to
// root_report (added / failed) and failures to report.
[[nodiscard]] Status WriteAddedToUrlFolder(const model::Tree& tree,
                                           model::ItemId from,
                                           const std::u16string& folder,
                                           model::RootReport* root_report,
                                           model::Report* report,
                                           bool replace_same_name = false);

}  // namespace backup_set
}  // namespace marksafe

#endif  // MARKSAFE_BACKUP_SET_PART_H_
