#include "stores/chrome/added_nodes.h"

#include <utility>

namespace marksafe {
namespace chrome {

uint32_t AddedNodes::AddAfter(const Json::Value* children, AddedNode node) {
  const uint32_t index = size();
  nodes_.push_back(std::move(node));
  after_[children].push_back(index);
  return index;
}

uint32_t AddedNodes::AddBelow(uint32_t parent, AddedNode node) {
  const uint32_t index = size();
  nodes_.push_back(std::move(node));
  nodes_[parent].children.push_back(index);
  return index;
}

const std::vector<uint32_t>* AddedNodes::After(
    const Json::Value& children) const {
  if (after_.empty()) return nullptr;
  const auto found = after_.find(&children);
  return found == after_.end() ? nullptr : &found->second;
}

}  // namespace chrome
}  // namespace marksafe
