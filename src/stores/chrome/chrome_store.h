// Chrome's bookmarks file as a store: read whole into the tree; written by
// appending what merges added to the document it was read from, saved in
// one step.
#ifndef MARKSAFE_STORES_CHROME_CHROME_STORE_H_
#define MARKSAFE_STORES_CHROME_CHROME_STORE_H_

#include <json/json.h>

#include <memory>
#include <string>

#include "context/store_lock.h"
#include "stores/chrome/chrome_writer.h"
#include "stores/store.h"

namespace marksafe {
namespace chrome {

class ChromeStore : public stores::Store {
 public:
  explicit ChromeStore(std::u16string file);

  // Refuses a file in a profile a running browser holds, then takes the
  // store's lock, held until the store is gone, so that no other run
  // writes the file between the read and the save.
  Status Lock() override;
  // Read as a source, the store names what its reader left out in the
  // call's report; read to be written, it keeps its document for the
  // writer, with the synced root Chrome needs.
  Status Read(model::Tree* tree) override;
  Status ReadToWrite(model::Tree* tree) override;
  model::Capabilities capabilities() const override {
    return model::ChromeCapabilities();
  }
  // Chrome has no menu: what a menu holds goes to "Other bookmarks".
  model::Root TargetRoot(model::Root root) const override {
    return root == model::Root::kMenu ? model::Root::kOther : root;
  }
  Status WriteAdded(model::Tree* tree, model::ItemId below,
                    model::RootReport* root_report,
                    stores::ItemSpan span) override;
  // Saves the document when it changed; when not ok nothing is saved.
  Status Commit(bool ok) override;

 private:
  Status Load();

  StoreLock lock_;
  Json::Value document_;
  std::unique_ptr<ChromeWriter> writer_;
};

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_CHROME_STORE_H_
