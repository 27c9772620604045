// Replacing a whole folder (a part of a backup set) by a complete new one
// built beside it, so that a failure or a crash at any point leaves either
// the previous folder or the new one, never a mix nor nothing.
#ifndef MARKSAFE_BACKUP_SET_FOLDER_SWAP_H_
#define MARKSAFE_BACKUP_SET_FOLDER_SWAP_H_

#include <string>

#include "base/status.h"

namespace marksafe {

// Where a new folder is built: beside folder, named "<folder>.marksafe-new".
std::u16string StagingFolderFor(const std::u16string& folder);

// Makes staging, complete, take folder's place. Its files are flushed to
// the disk first. Where the system swaps two folders in one step that is
// used; elsewhere the previous folder is moved aside to
// "<folder>.marksafe-old", staging moved in, and the old one removed (a
// run cut short in between is repaired by RecoverInterruptedSwap). A
// previous folder that cannot be removed is left as "<folder>.marksafe-old"
// and named in the thread's report. On failure folder is as it was and
// staging is left for the caller.
// The previous folder is removed unread, in this call: it is first renamed
// "<folder>.marksafe-trash-N", and one that cannot be removed stays so and
// is named in the thread's report (the swap has succeeded all the same).
// Leftovers of earlier runs beside folder ("*.marksafe-trash-N", and
// "<part>.marksafe-old" beside its "<part>") are removed first. A job whose
// options say remove_previous_later leaves the renamed previous folder for
// RemoveSetAsideFolders.
[[nodiscard]] Status SwapInFolder(const std::u16string& staging,
                                  const std::u16string& folder);

// Removes the previous folders that swaps of this process set aside for
// later, and returns how many could not be removed (each named in the
// calling job's report). A folder never removed is swept by the next
// backup beside it.
size_t RemoveSetAsideFolders();

// The folder a reader reads for folder: folder itself, or, when a swap cut
// short between its two moves left only the previous folder aside, that
// one (complete, as it was before the swap began).
std::u16string ReadableFolder(const std::u16string& folder);

// Puts back a previous folder that a swap cut short between its two moves
// left aside, so that readers and the next writer find it.
void RecoverInterruptedSwap(const std::u16string& folder);

}  // namespace marksafe

#endif  // MARKSAFE_BACKUP_SET_FOLDER_SWAP_H_
