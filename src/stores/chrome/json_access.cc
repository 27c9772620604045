#include "stores/chrome/json_access.h"

#include <cstring>

namespace marksafe {
namespace chrome {

const Json::Value* Member(const Json::Value& node, const char* key) {
  if (!node.isObject()) return nullptr;
  return node.find(key, key + std::strlen(key));
}

Json::Value* MutableMember(Json::Value* node, const char* key) {
  if (node == nullptr || !node->isObject()) return nullptr;
  // find() on the const object gives the address of the stored member.
  const Json::Value& const_node = *node;
  return const_cast<Json::Value*>(Member(const_node, key));
}

bool StringMember(const Json::Value& node, const char* key, std::string* out) {
  const Json::Value* member = Member(node, key);
  if (member == nullptr || member->isNull()) {
    out->clear();
    return true;
  }
  if (!member->isString()) return false;
  const char* begin = nullptr;
  const char* end = nullptr;
  if (!member->getString(&begin, &end)) {
    out->clear();
    return true;
  }
  out->assign(begin, end);
  return true;
}

static bool HasType(const Json::Value& node, const char* type) {
  const Json::Value* member = Member(node, "type");
  if (member == nullptr || !member->isString()) return false;
  const char* begin = nullptr;
  const char* end = nullptr;
  if (!member->getString(&begin, &end)) return false;
  const size_t length = std::strlen(type);
  return static_cast<size_t>(end - begin) == length &&
         std::memcmp(begin, type, length) == 0;
}

bool IsFolderNode(const Json::Value& node) { return HasType(node, "folder"); }
bool IsUrlNode(const Json::Value& node) { return HasType(node, "url"); }

const Json::Value* ChildrenOf(const Json::Value& node) {
  const Json::Value* children = Member(node, "children");
  if (children == nullptr || !children->isArray()) return nullptr;
  return children;
}

const Json::Value* RootFolder(const Json::Value& document, const char* name) {
  const Json::Value* roots = Member(document, "roots");
  if (roots == nullptr) return nullptr;
  const Json::Value* root = Member(*roots, name);
  if (root == nullptr || !IsFolderNode(*root)) return nullptr;
  return root;
}

}  // namespace chrome
}  // namespace marksafe
