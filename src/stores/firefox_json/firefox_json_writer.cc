#include "stores/firefox_json/firefox_json_writer.h"

#include <json/json.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "base/error_codes.h"
#include "base/json_text.h"
#include "base/text.h"
#include "platform/platform.h"
#include "stores/firefox_json/firefox_json_reader.h"

namespace marksafe {
namespace firefox_json {
namespace {

struct RootInfo {
  model::Root root;
  const char* guid;
  const char* mark;
  const char* title;  // what Firefox calls the root in its own backups
};

constexpr RootInfo kRoots[] = {
    {model::Root::kMenu, "menu________", "bookmarksMenuFolder", "menu"},
    {model::Root::kToolbar, "toolbar_____", "toolbarFolder", "toolbar"},
    {model::Root::kOther, "unfiled_____", "unfiledBookmarksFolder", "unfiled"},
    {model::Root::kMobile, "mobile______", "mobileFolder", "mobile"}};

// Guids of the file's items: seven characters from the seed, then the
// item's number in five, so that no two items of one file share one.
class GuidMaker {
 public:
  explicit GuidMaker(uint64_t seed) : seed_(Mix(seed)) {}
  std::string Next() {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string guid(12, 'A');
    uint64_t high = seed_;
    for (int i = 0; i < 7; ++i, high >>= 6) guid[i] = kDigits[high & 63];
    uint64_t low = count_++;
    for (int i = 11; i >= 7; --i, low >>= 6) guid[i] = kDigits[low & 63];
    return guid;
  }

 private:
  static uint64_t Mix(uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return x;
  }
  uint64_t seed_;
  uint64_t count_ = 0;
};

Json::Value NodeOf(const model::Item& item, int index, int id,
                   GuidMaker* guids) {
  Json::Value node(Json::objectValue);
  node["guid"] = guids->Next();
  node["title"] = platform::ToUtf8(item.title);
  node["index"] = index;
  node["id"] = id;
  if (item.date_added != 0) node["dateAdded"] = Json::Int64(item.date_added);
  if (item.last_modified != 0) {
    node["lastModified"] = Json::Int64(item.last_modified);
  }
  switch (item.kind) {
    case model::ItemKind::kFolder:
      node["typeCode"] = 2;
      node["type"] = "text/x-moz-place-container";
      node["children"] = Json::Value(Json::arrayValue);
      break;
    case model::ItemKind::kSeparator:
      node["typeCode"] = 3;
      node["type"] = "text/x-moz-place-separator";
      node["title"] = "";
      break;
    case model::ItemKind::kLink: {
      node["typeCode"] = 1;
      node["type"] = "text/x-moz-place";
      node["uri"] = platform::ToUtf8(item.url);
      std::u16string tags;
      for (const std::u16string& tag : item.tags) {
        tags += (tags.empty() ? u"" : u",") + tag;
      }
      if (!tags.empty()) node["tags"] = platform::ToUtf8(tags);
      if (!item.keyword.empty()) node["keyword"] = platform::ToUtf8(item.keyword);
      if (!item.post_data.empty()) node["postData"] = platform::ToUtf8(item.post_data);
      break;
    }
  }
  return node;
}

// Fills root's "children" from the tree's folder, with an explicit stack
// of (folder, its JSON list) pairs. The lists are filled in place: JsonCpp
// keeps the elements of an array in a map, so a pointer to one stays valid
// while other lists grow.
void FillRoot(const model::Tree& tree, model::ItemId folder, Json::Value* list,
              int* next_id, GuidMaker* guids) {
  std::vector<std::pair<model::ItemId, Json::Value*>> stack;
  stack.emplace_back(folder, list);
  while (!stack.empty()) {
    const auto [id, out] = stack.back();
    stack.pop_back();
    const std::vector<model::ItemId>& children = tree.at(id).children;
    out->resize(static_cast<Json::ArrayIndex>(children.size()));
    for (size_t i = 0; i < children.size(); ++i) {
      const auto index = static_cast<Json::ArrayIndex>(i);
      (*out)[index] =
          NodeOf(tree.at(children[i]), static_cast<int>(i), (*next_id)++, guids);
    }
    for (size_t i = children.size(); i-- > 0;) {
      if (tree.at(children[i]).kind != model::ItemKind::kFolder) continue;
      stack.emplace_back(children[i],
                         &(*out)[static_cast<Json::ArrayIndex>(i)]["children"]);
    }
  }
}

}  // namespace

std::string WriteFirefoxBackup(const model::Tree& tree, model::Time now) {
  GuidMaker guids(static_cast<uint64_t>(now));
  Json::Value top(Json::objectValue);
  top["guid"] = "root________";
  top["title"] = "";
  top["index"] = 0;
  top["id"] = 1;
  top["dateAdded"] = Json::Int64(now);
  top["lastModified"] = Json::Int64(now);
  top["typeCode"] = 2;
  top["type"] = "text/x-moz-place-container";
  top["root"] = "placesRoot";
  Json::Value& roots = top["children"] = Json::Value(Json::arrayValue);
  int next_id = 2 + static_cast<int>(std::size(kRoots));
  for (const RootInfo& info : kRoots) {
    const model::ItemId id = tree.root(info.root);
    model::Item folder;
    if (id != model::kNoItem) folder = tree.at(id);
    folder.title = platform::FromUtf8(info.title);
    if (folder.date_added == 0) folder.date_added = now;
    if (folder.last_modified == 0) folder.last_modified = now;
    Json::Value node = NodeOf(folder, static_cast<int>(roots.size()),
                              2 + static_cast<int>(roots.size()), &guids);
    node["guid"] = info.guid;
    node["root"] = info.mark;
    Json::Value& added = roots.append(std::move(node));
    if (id != model::kNoItem) {
      FillRoot(tree, id, &added["children"], &next_id, &guids);
    }
  }
  return CompactJson(top);
}

Status WriteFirefoxBackupFile(const model::Tree& tree, model::Time now,
                              bool compressed, std::string* bytes) {
  *bytes = WriteFirefoxBackup(tree, now);
  if (bytes->size() > kMaxBackupJsonBytes) {
    const size_t mib = bytes->size() >> 20;
    bytes->clear();
    return Status::Error(kErrorNotEnoughMemory,
                         u"the backup would hold " + NumberText(mib) +
                             u" MiB of JSON, more than the " +
                             NumberText(kMaxBackupJsonBytes >> 20) +
                             u" MiB a backup may hold");
  }
  if (compressed) *bytes = EncodeJsonLz4(*bytes);
  return Status::Ok();
}

}  // namespace firefox_json
}  // namespace marksafe
