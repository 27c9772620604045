// Pieces the readers and writers of .url trees share: reading one plain
// .url file into an item, and the name limits of a folder on disk.
#ifndef MARKSAFE_BACKUP_SET_URL_FILES_H_
#define MARKSAFE_BACKUP_SET_URL_FILES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "model/bookmark_tree.h"
#include "model/names.h"
#include "model/report.h"
#include "platform/platform.h"

namespace marksafe {
namespace backup_set {

// Reads the .url file at path (named name) as a link: URL whole, title
// from its "Title" key less ".url", else from name less ".url". False (a
// diagnostic line and a Problem in the current report) when the file has
// no URL (none, an empty one, or the text "Fail"), or one longer than any
// browser keeps.
bool ReadPlainShortcut(const std::u16string& path, const std::u16string& name,
                       model::Item* item);

// The URL that a .url file holding bytes gives ReadPlainShortcut; empty
// when it gives none. Nothing is reported.
std::u16string ShortcutUrlIn(const std::string& bytes);

// The title a name on disk stands for: a "\\" that the listing showed as
// U+F05C (a backslash byte inside a POSIX name) is a "\\" again.
std::u16string TitleOfName(const std::u16string& name);

// The limits of a name made inside folder: the file system's name limit
// and the room the whole path leaves. A folder's name leaves room for a
// short name inside it.
model::NameLimit FileNameLimit(const std::u16string& folder);
model::NameLimit FolderNameLimit(const std::u16string& folder);

// A folder on disk that a writer adds entries to: where it is, the names
// taken in it, and how long a new name may be.
struct DiskFolder {
  explicit DiskFolder(const std::u16string& folder)
      : dir(folder),
        file_limit(FileNameLimit(folder)),
        folder_limit(FolderNameLimit(folder)) {}
  std::u16string dir;
  model::NameAllocator names;
  model::NameLimit file_limit;
  model::NameLimit folder_limit;
};

// Writes a link's .url file at path: the bytes of the file it was read
// from as it stands (Item::source_file), else a new shortcut in the Chrome
// form; over what is there with replace, else only as a new file.
Status WriteShortcut(const model::Item& item, const std::u16string& path,
                     bool replace);

// Writes one link (a new .url file) or folder of tree into folder under a
// name of its own, never over an existing entry, and counts it as added
// (and, for the progress of the call, as written). Returns the new name;
// empty when the item failed: it is then counted and named as failed and
// status says why (a name that cannot fit fails with too_long_error).
std::u16string WriteNewEntry(const model::Tree& tree, model::ItemId id,
                             DiskFolder* folder, uint32_t too_long_error,
                             model::RootReport* root_report,
                             model::Report* report, Status* status);

// True for a listing entry that a reader of a .url tree walks into: a real
// folder, not a link, not the host's marker.
bool IsFolderToRead(const platform::DirEntry& entry);
// True for a listing entry that is a regular .url file (not a link to
// one, nor a FIFO, device or socket).
bool IsShortcutToRead(const platform::DirEntry& entry);

// The path of a listed entry of folder (platform::ChildPath). For an entry
// whose name is no valid text or no single name: false, a diagnostic line
// and a Problem in the thread's current report (it is not read).
bool ReadableEntryPath(const std::u16string& folder,
                       const platform::DirEntry& entry, std::u16string* path);

// The item a listed entry (at path) of a .url tree stands for: a folder
// titled with its name, or the link its .url file holds. False for any
// other entry, and for a .url file without a URL.
bool ItemOfEntry(const platform::DirEntry& entry, const std::u16string& path,
                 model::Item* item);

// The failure of a tree that nests deeper than model::kMaxDepth at where.
Status TooDeep(const std::u16string& where);

// Counts one item (and with a folder everything below it) as failed and
// names it in report; the Status (code) says what failed and where.
Status ItemFailed(const model::Tree& tree, model::ItemId id,
                  const std::u16string& path, const std::string& reason,
                  uint32_t code, model::RootReport* root_report,
                  model::Report* report);

// "write failed: <reason in words>" for code.
std::string WriteFailedReason(uint32_t code);
// The failure, with code, of what the job could not do:
// "could not <what>: <the error in words>".
Status FailedTo(uint32_t code, const std::u16string& what);

}  // namespace backup_set
}  // namespace marksafe

#endif  // MARKSAFE_BACKUP_SET_URL_FILES_H_
