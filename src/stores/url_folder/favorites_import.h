// Bringing a Firefox or Chrome part of a backup set into a Favorites folder
// (or any folder of .url files): the part is read into the bookmark tree,
// merged into the folder titled subfolder_title inside dest_folder (one
// sub-folder per root, named as in the part), and only what is new is
// written. Nothing that is in dest_folder is overwritten or removed.
#ifndef MARKSAFE_STORES_URL_FOLDER_FAVORITES_IMPORT_H_
#define MARKSAFE_STORES_URL_FOLDER_FAVORITES_IMPORT_H_

#include <string>
#include <vector>

#include "backup_set/folder_tree.h"
#include "backup_set/part.h"
#include "base/status.h"
#include "model/report.h"

namespace marksafe {
namespace ie {

// part_folder: the part (Bookmarks\Firefox or Bookmarks\Chrome of a set).
// Adds one RootReport per root of the part to the call's report. With overwrite, a
// link whose name is that of a .url file an earlier export left in the
// root's folder replaces that file in one step (see WriteAddedToUrlFolder);
// without, it is written beside it.
[[nodiscard]] Status MergePartIntoFavorites(const std::u16string& part_folder,
                                            backup_set::PartKind kind,
                                            const std::u16string& dest_folder,
                                            const std::u16string& subfolder_title,
                                            bool overwrite = true);

// Journals the entries a copy made in the Favorites folder (as
// CopyCounts::made gives them: folders end in a separator), freeing each
// as it goes.
void JournalCopiedEntries(const std::u16string& favorites,
                          std::vector<MadeEntry> made);

}  // namespace ie
}  // namespace marksafe

#endif  // MARKSAFE_STORES_URL_FOLDER_FAVORITES_IMPORT_H_
