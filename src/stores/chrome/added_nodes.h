// The nodes a write adds to a Chrome document, kept beside the document
// instead of in it: a JSON value of eight members per bookmark cost more to
// build, walk and free than all the rest of a large import. When the
// document is written (WriteDocumentText) and summed (TreeChecksum), each
// list of added nodes follows the elements of the "children" array it was
// added to, in the order added.
#ifndef MARKSAFE_STORES_CHROME_ADDED_NODES_H_
#define MARKSAFE_STORES_CHROME_ADDED_NODES_H_

#include <json/json.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace marksafe {
namespace chrome {

// A node as Chrome writes a new one: a url node has date_added,
// date_last_used "0", guid, id, name, type "url" and url; a folder node
// children, date_added, date_last_used "0", date_modified, guid, id, name
// and type "folder". Dates are Chrome times, written as decimal strings.
struct AddedNode {
  bool folder = false;
  int64_t date_added = 0;
  int64_t date_modified = 0;        // folders
  std::string id;
  std::string guid;                 // left out when empty
  std::string name;                 // UTF-8
  std::string url;                  // url nodes, as Chrome stores it
  std::vector<uint32_t> children;   // folders: indices of added nodes
};

class AddedNodes {
 public:
  // Adds node after the elements of children, an array of the document
  // (which must outlive this list). Returns the node's index.
  uint32_t AddAfter(const Json::Value* children, AddedNode node);
  // Adds node as the last child of the added folder at index parent.
  uint32_t AddBelow(uint32_t parent, AddedNode node);

  // The added nodes that follow the elements of children, or null.
  const std::vector<uint32_t>* After(const Json::Value& children) const;

  const AddedNode& operator[](uint32_t index) const { return nodes_[index]; }
  bool empty() const { return nodes_.empty(); }
  uint32_t size() const { return static_cast<uint32_t>(nodes_.size()); }

 private:
  std::vector<AddedNode> nodes_;
  std::unordered_map<const Json::Value*, std::vector<uint32_t>> after_;
};

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_ADDED_NODES_H_
