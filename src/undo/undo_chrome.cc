// Undo in a Chrome Bookmarks file: with the checks and lock of a restore
// (refused while a browser holds the profile), the chosen nodes are taken
// out of their folders and the file is saved for Chrome in one step.
#include <json/json.h>

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/error_codes.h"
#include "base/text.h"
#include "context/store_lock.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/chrome_paths.h"
#include "stores/chrome/chrome_writer.h"
#include "undo/undo.h"

namespace marksafe {
namespace undo {
namespace {

std::u16string Member(const Json::Value& node, const char* name) {
  const Json::Value& value = node[name];
  if (value.isString() || value.isIntegral()) {
    return platform::FromUtf8(value.asString());
  }
  return std::u16string();
}

struct Placed {
  const Json::Value* node;
  std::u16string parent;
};

// Calls visit(folder, children) for each node of the roots that has a
// list of children, parents before what they hold; visit may replace the
// list. Iterative. Only members that exist are reached (operator[] on a
// node would add a null member).
template <typename Visit>
void ForEachFolder(Json::Value* document, Visit visit) {
  Json::Value& roots = (*document)["roots"];
  if (!roots.isObject()) return;
  std::vector<Json::Value*> stack;
  for (const std::string& name : roots.getMemberNames()) {
    if (roots[name].isObject()) stack.push_back(&roots[name]);
  }
  while (!stack.empty()) {
    Json::Value* folder = stack.back();
    stack.pop_back();
    if (!folder->isMember("children") || !(*folder)["children"].isArray()) {
      continue;
    }
    Json::Value& children = (*folder)["children"];
    visit(*folder, children);
    for (Json::Value& child : children) {
      if (child.isObject()) stack.push_back(&child);
    }
  }
}

StoreItem LookUp(const std::unordered_map<std::u16string, Placed>& index,
                 const context::JournalEntry& entry) {
  StoreItem now;
  auto found = index.find(entry.id);
  if (found == index.end()) return now;
  const Json::Value& node = *found->second.node;
  now.found = true;
  now.kind = node["type"].isString() && node["type"].asString() == "folder"
                 ? model::ItemKind::kFolder
                 : model::ItemKind::kLink;
  now.guid = Member(node, "guid");
  now.parent = found->second.parent;
  now.title = Member(node, "name");
  now.url = Member(node, "url");
  const Json::Value& children = node["children"];
  if (children.isArray()) {
    for (const Json::Value& child : children) {
      if (child.isObject()) now.children.push_back(Member(child, "id"));
    }
  }
  return now;
}

}  // namespace

Status UndoChrome(const context::Journal& journal, bool dry_run,
                  Result* result) {
  const std::u16string& file = journal.store_path;
  if (!dry_run && chrome::ChromiumHoldsFile(file)) {
    return Status::Error(kErrorSharingViolation,
                         DisplayPath(file) +
                             u" is in a profile a running browser holds; "
                             u"close it first");
  }
  StoreLock lock;  // a dry run changes nothing and takes no lock
  const Status locked = dry_run ? Status::Ok() : lock.Acquire(file);
  if (!locked.ok()) return locked;
  Json::Value document;
  if (!chrome::load_chrome_file(file.c_str(), &document)) {
    return Status::Error(kErrorInvalidData,
                         DisplayPath(file) + u" is no Chrome bookmarks file");
  }
  std::unordered_map<std::u16string, Placed> index;
  ForEachFolder(&document, [&](const Json::Value& folder,
                                const Json::Value& children) {
    const std::u16string parent = Member(folder, "id");
    for (const Json::Value& child : children) {
      if (child.isObject()) index[Member(child, "id")] = Placed{&child, parent};
    }
  });
  const auto chosen = Decide(
      journal,
      [&](const context::JournalEntry& entry) { return LookUp(index, entry); },
      result);
  result->removed = static_cast<int64_t>(chosen.size());
  if (dry_run || chosen.empty()) return Status::Ok();
  std::unordered_set<std::u16string> removed;
  for (const context::JournalEntry* entry : chosen) removed.insert(entry->id);
  index.clear();  // its pointers do not survive the changes below
  ForEachFolder(&document, [&](const Json::Value&, Json::Value& children) {
    Json::Value kept(Json::arrayValue);
    for (Json::Value& child : children) {
      if (child.isObject() && removed.count(Member(child, "id")) != 0) {
        continue;
      }
      kept.append(std::move(child));
    }
    children.swap(kept);
  });
  chrome::ChromeWriter writer(&document, chrome::NodeTable());
  writer.MarkChanged();
  Status saved = writer.Save(file);
  if (!saved.ok()) result->removed = 0;
  return saved;
}

}  // namespace undo
}  // namespace marksafe
