// Operations on trees of Internet Shortcut files: copy, measure, file size,
// and hiding the host's marker entries. They run under the thread's own
// account and keep no state.
#ifndef MARKSAFE_BACKUP_SET_FOLDER_TREE_H_
#define MARKSAFE_BACKUP_SET_FOLDER_TREE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"

namespace marksafe {

// Copies the files of source whose extension equals filter (without the
// dot, case-insensitive, both cut to 18 characters) into destination,
// recursively, creating destination first. ".Quillbay" folders are never
// entered; with skip_imported "Imported from IE" folders neither. A failed
// file copy makes the result false and the copy goes on; a failed sub-folder
// or a non-zero *cancel_flag (read before each entry) stops at once. With
// overwrite, a file already there with the same bytes is left untouched
// rather than rewritten. With never_replace no file there is replaced
// whatever overwrite says: one with other bytes is kept and the copy is
// written beside it as "name (2).ext" (or counted as failed).
//
// counts, when given, receives what the copy did: files copied, files left
// as they were (the same bytes there already), files that failed, folders
// created and folders that were there; and, when made is set, each folder
// created (its path ending in a separator) and file copied anew, parents
// first, a file with the URL it holds (taken from the bytes copied, so
// that no file is read twice).
struct MadeEntry {
  std::u16string path;
  std::u16string url;  // empty for a folder or a file with no URL
};
struct CopyCounts {
  int64_t files_copied = 0;
  int64_t files_present = 0;
  int64_t files_failed = 0;
  int64_t folders_created = 0;
  int64_t folders_present = 0;
  std::vector<MadeEntry>* made = nullptr;
};
// Fails with the code of the last failing file copy or the failing folder
// ("could not copy <source>").
Status copy_folder(const std::u16string& source,
                   const std::u16string& destination,
                   const std::u16string& filter, bool overwrite,
                   const volatile uint8_t* cancel_flag, bool skip_imported,
                   CopyCounts* counts = nullptr, bool never_replace = false);

// Adds up the sizes of the files matching filter below folder and counts
// them and the sub-folders (the folder itself not counted). Reparse points
// are ignored. size must not be null; the counts may be. False when folder
// cannot be listed (outputs 0), and fails with the figures found so far
// (the first failure's code) when any sub-folder cannot be listed or file
// measured: they fall short.
Status MeasureTree(const std::u16string& folder, uint64_t* size,
                   const std::u16string& filter, int32_t* folder_count,
                   int32_t* file_count);

// Ok when path exists, or a folder with its missing parents was made there;
// else "could not create <path>" with the system's code.
Status EnsureFolder(const std::u16string& path);

// Adds the hidden attribute to every entry named name (case-insensitive)
// anywhere below root. Fails (the last failure's code) when a folder cannot
// be listed or an attribute cannot be set.
Status HideMarkers(const std::u16string& root, const std::u16string& name);

}  // namespace marksafe

#endif  // MARKSAFE_BACKUP_SET_FOLDER_TREE_H_
