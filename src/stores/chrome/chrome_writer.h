// Bookmark tree -> Chrome document. The tree is the document as
// ReadChromeTree read it, with what model::Merge added (items marked
// added); the writer adds a node for each added item after the children of
// its parent's node, in the tree's order, and saves the document for
// Chrome once. The added nodes are kept beside the document (AddedNodes)
// until it is saved. Nothing that was in the document is changed or
// removed.
#ifndef MARKSAFE_STORES_CHROME_CHROME_WRITER_H_
#define MARKSAFE_STORES_CHROME_CHROME_WRITER_H_

#include <json/json.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "context/journal.h"
#include "model/bookmark_tree.h"
#include "model/report.h"
#include "stores/chrome/added_nodes.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/chrome_reader.h"

namespace marksafe {
namespace chrome {

// Chrome refuses a whole Bookmarks file nested deeper than its JSON reader
// takes (200 levels of objects and arrays; each folder costs two, the file
// and its roots four, and a url node may carry a meta_info object of its
// own). Items deeper than this below their root are not written.
constexpr int kMaxChromeDepth = 96;

class ChromeWriter {
 public:
  // document: the document the tree was read from; nodes: what
  // ReadChromeTree gave for it. Both must outlive the writer.
  ChromeWriter(Json::Value* document, NodeTable nodes);
  ChromeWriter(const ChromeWriter&) = delete;
  ChromeWriter& operator=(const ChromeWriter&) = delete;

  // Appends a node for every item of tree marked added that lies below
  // folder `below` and has none yet, and for the added folders above
  // `below` that have none (those are counted nowhere: the caller counts
  // the folders it made). New nodes get the item's name, URL (in the form
  // Chrome stores it), dates (the writer's time for a date of 0), a fresh
  // id above every id of the document, and a fresh guid. What is written
  // is counted as added in *root_report (may be null). An item too deep
  // for Chrome is not written, with everything below it: it is counted as
  // not_carried and named in *report (may be null).
  // Only items whose ids lie in [first, end) are written and counted: the
  // items one merge added, when several merges into one folder are
  // written after all of them (the added folders above `below` are
  // written whatever their ids).
  void WriteAdded(const model::Tree& tree, model::ItemId below,
                  model::RootReport* root_report, model::Report* report,
                  model::ItemId first = 0,
                  model::ItemId end = std::numeric_limits<model::ItemId>::max());

  // Whether the document changed: a node was appended, or MarkChanged was
  // called for a change made beside the writer.
  bool changed() const { return changed_; }
  void MarkChanged() { changed_ = true; }

  // Readies the document for Chrome (synced root, checksum of a changed
  // tree) and replaces the file at path with it in one step. A document
  // that is unchanged and complete is not written: the file keeps its
  // bytes. Fails with the system's error when the file cannot be replaced
  // (the old file is then intact). Once saved, the nodes written go to the
  // call's journal.
  [[nodiscard]] Status Save(const std::u16string& path);

 private:
  // Where an item's node is: in the document, or added by this writer.
  struct Place {
    const Json::Value* node = nullptr;
    uint32_t added = kNotAdded;
    bool found() const { return node != nullptr || added != kNotAdded; }
  };
  static constexpr uint32_t kNotAdded = std::numeric_limits<uint32_t>::max();

  Place PlaceOf(model::ItemId id) const;
  // The place of item id, writing it (and added folders above it) first.
  Place NodeOf(const model::Tree& tree, model::ItemId id);
  Place Append(const model::Tree& tree, model::ItemId id, Place parent);

  Json::Value* document_;
  NodeTable nodes_;
  std::vector<uint32_t> added_of_;  // by ItemId: its added node, or none
  AddedNodes added_;
  std::unique_ptr<IdAllocator> ids_;  // made on the first node written
  model::Time now_;
  bool changed_ = false;
  // What the journal needs of each added node beyond the node itself, by
  // the node's index.
  struct Written {
    Place parent;
    std::u16string title;
  };
  std::vector<Written> written_;
};

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_CHROME_WRITER_H_
