// What a target folder of an import already holds, built once per folder
// per call so that an import of many bookmarks does not scan the folder's
// children for every one of them: the URLs of its url children (in the form
// browsers store them, NormalizedOrSelf, and then compared without regard to
// ASCII case, so that an address Chrome rewrote on loading still matches the
// backup's raw one) and its folder children by exact name.
#ifndef MARKSAFE_CHROME_FOLDER_INDEX_H_
#define MARKSAFE_CHROME_FOLDER_INDEX_H_

#include <json/json.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace marksafe {
namespace chrome {

class FolderIndex {
 public:
  // folder must be a folder node whose "children" is an array or absent.
  explicit FolderIndex(Json::Value* folder) : folder_(folder) {}
  FolderIndex(const FolderIndex&) = delete;
  FolderIndex& operator=(const FolderIndex&) = delete;

  // True when a direct url child has url, both sides normalised, ASCII case
  // ignored. A url child without a url member counts as having the empty
  // URL; one whose url is not a string is never equal.
  bool has_url_child(const std::u16string& url);
  // The same for a url that is normalised already (saves a second pass).
  bool has_normalized_url_child(const std::u16string& url);

  // The first folder child named name exactly (byte for byte), or null.
  Json::Value* FolderChild(const std::string& name);

  // Appends a node to the folder's children (making the array when it is
  // absent) and records it. Returns the stored node.
  Json::Value* Append(Json::Value&& node);

 private:
  static std::u16string UrlKey(const std::u16string& normalized_url);
  void Record(Json::ArrayIndex index);
  void Build();

  Json::Value* folder_;
  bool built_ = false;
  std::unordered_set<std::u16string> url_keys_;
  std::unordered_map<std::string, Json::ArrayIndex> folders_;
};

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_CHROME_FOLDER_INDEX_H_
