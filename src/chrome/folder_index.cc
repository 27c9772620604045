#include "chrome/folder_index.h"

#include "chrome/conversions.h"
#include "chrome/json_access.h"
#include "common/url_normalize.h"

namespace marksafe {
namespace chrome {

std::u16string FolderIndex::UrlKey(const std::u16string& normalized_url) {
  std::u16string key(normalized_url);
  for (char16_t& c : key) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return key;
}

void FolderIndex::Record(Json::ArrayIndex index) {
  const Json::Value& child = (*MutableMember(folder_, "children"))[index];
  std::string text;
  if (IsUrlNode(child)) {
    if (StringMember(child, "url", &text)) {
      url_keys_.insert(UrlKey(NormalizedOrSelf(utf8_to_wide_string(text))));
    }
  } else if (IsFolderNode(child)) {
    if (StringMember(child, "name", &text)) {
      folders_.emplace(text, index);  // keeps the first of equal names
    }
  }
}

void FolderIndex::Build() {
  if (built_) return;
  built_ = true;
  const Json::Value* children = ChildrenOf(*folder_);
  if (children == nullptr) return;
  for (Json::ArrayIndex index = 0; index < children->size(); ++index) {
    Record(index);
  }
}

bool FolderIndex::has_url_child(const std::u16string& url) {
  return has_normalized_url_child(NormalizedOrSelf(url));
}

bool FolderIndex::has_normalized_url_child(const std::u16string& url) {
  Build();
  return url_keys_.count(UrlKey(url)) != 0;
}

Json::Value* FolderIndex::FolderChild(const std::string& name) {
  Build();
  auto found = folders_.find(name);
  if (found == folders_.end()) return nullptr;
  return &(*MutableMember(folder_, "children"))[found->second];
}

Json::Value* FolderIndex::Append(Json::Value&& node) {
  Build();
  Json::Value& children = (*folder_)["children"];
  if (children.isNull()) children = Json::Value(Json::arrayValue);
  const Json::ArrayIndex index = children.size();
  children.append(std::move(node));
  Record(index);
  return &children[index];
}

}  // namespace chrome
}  // namespace marksafe
