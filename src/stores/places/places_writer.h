// Writing into a places store what a merge added to the tree read from it:
// new folders, links (with their tags and keyword) and separators, each
// appended after what its folder holds, with the item's own dates.
#ifndef MARKSAFE_STORES_PLACES_PLACES_WRITER_H_
#define MARKSAFE_STORES_PLACES_PLACES_WRITER_H_

#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/status.h"
#include "model/bookmark_tree.h"
#include "model/report.h"
#include "stores/places/places_handle.h"

namespace marksafe {
namespace firefox {

// One writer serves one import (one transaction, which the caller holds:
// ImportTransaction); it remembers the folders' next positions and the tag
// folders between calls.
class PlacesWriter {
 public:
  explicit PlacesWriter(ms_places* handle) : handle_(handle) {}

  // Writes every item below `from` (a folder of tree that exists in the
  // store, store_id set) that is marked added, parents before children, and
  // sets each written item's store_id (items that have one are not written
  // again). An item whose folder could not be written fails with it, and a
  // failed item is no longer marked added. Counts added and failed items into root_report
  // and names each failure in report (either may be null). The first
  // failure is returned; the rest are still written unless the store ended
  // the transaction. Only items whose ids lie in [first, end) are written.
  [[nodiscard]] Status WriteAdded(
      model::Tree* tree, model::ItemId from, model::RootReport* root_report,
      model::Report* report, model::ItemId first = 0,
      model::ItemId end = std::numeric_limits<model::ItemId>::max());

 private:
  // The next free position in folder (counted up as rows are added).
  int64_t* NextPosition(int64_t folder);
  Status WriteItem(const model::Tree& tree, model::ItemId id, int64_t parent,
                   int64_t* store_id, int64_t* place);
  int64_t PlaceFor(const std::u16string& url, const std::u16string& title);
  // Tags and keyword of a new link; what the store cannot take is named in
  // report.
  void WriteTags(const model::Tree& tree, model::ItemId id, int64_t place,
                 model::Report* report);
  void WriteKeyword(const model::Tree& tree, model::ItemId id,
                    int64_t bookmark, int64_t place, model::Report* report);
  void LoadTags();
  void LoadKeywords();

  ms_places* handle_;
  std::unordered_map<int64_t, int64_t> next_positions_;
  bool tags_loaded_ = false;
  bool has_tags_root_ = false;
  std::unordered_map<std::u16string, int64_t> tag_folders_;
  std::set<std::pair<int64_t, int64_t>> tagged_;  // (tag folder, place)
  bool keywords_loaded_ = false;
  enum class KeywordStore { kNone, kByPlace, kByBookmark } keyword_store_ =
      KeywordStore::kNone;
  std::unordered_map<std::u16string, int64_t> keywords_;  // -> place or id
  std::unordered_set<int64_t> places_with_keyword_;
};

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_WRITER_H_
