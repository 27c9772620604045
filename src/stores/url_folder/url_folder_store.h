// A folder of .url files (a root's folder in Favorites) as a store: read
// into one root of the tree, written one .url file and one folder at a
// time, each lasting once written.
#ifndef MARKSAFE_STORES_URL_FOLDER_URL_FOLDER_STORE_H_
#define MARKSAFE_STORES_URL_FOLDER_URL_FOLDER_STORE_H_

#include <string>

#include "context/store_lock.h"
#include "stores/store.h"

namespace marksafe {
namespace ie {

class UrlFolderStore : public stores::Store {
 public:
  // folder is read into root `root` of the tree, titled name. lock_path is
  // the folder whose lock keeps other writers out (Favorites itself, for
  // every root's folder in it). With overwrite, a link whose name is that
  // of a .url file there replaces that file; without, it goes beside it.
  UrlFolderStore(std::u16string folder, std::u16string lock_path,
                 model::Root root, std::u16string name, bool overwrite);

  Status Lock() override { return lock_.Acquire(lock_path_); }
  Status Read(model::Tree* tree) override;
  model::Capabilities capabilities() const override {
    return model::FavoritesCapabilities();
  }
  // below must be the root Read made: the folder on disk is its image. One
  // merge goes into the store, written as it is made: every item added
  // lies in its span.
  Status WriteAdded(model::Tree* tree, model::ItemId below,
                    model::RootReport* root_report,
                    stores::ItemSpan span) override;
  Status Commit(bool) override { return Status::Ok(); }

 private:
  std::u16string lock_path_;
  model::Root root_;
  std::u16string name_;
  bool overwrite_;
  StoreLock lock_;
};

// Sibling folders of one title are written as "Title", "Title (2)", ...;
// read back, they are "Title" again wherever a sibling "Title" exists.
void FoldNumberedFolders(model::Tree* tree, model::ItemId root);

}  // namespace ie
}  // namespace marksafe

#endif  // MARKSAFE_STORES_URL_FOLDER_URL_FOLDER_STORE_H_
