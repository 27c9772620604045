#include "platform/platform.h"
#include "stores/chrome/chrome_reader.h"

#include <limits>
#include <utility>

#include "base/error_codes.h"
#include "platform/debug_log.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/json_access.h"

namespace marksafe {
namespace chrome {
namespace {

// Error code of a document that cannot be read as a bookmark tree
// (ERROR_INVALID_DATA).

// Why node cannot be read, or null when it can.
const char* RefusalOf(const Json::Value& node) {
  if (!node.isObject()) return "node that is no object";
  const Json::Value* type = Member(node, "type");
  if (type == nullptr || !type->isString()) return "node without a type";
  std::string text;
  if (!StringMember(node, "name", &text)) return "name that is no text";
  if (IsUrlNode(node)) {
    if (!StringMember(node, "url", &text)) return "url that is no text";
    return nullptr;
  }
  if (IsFolderNode(node)) {
    const Json::Value* children = Member(node, "children");
    if (children != nullptr && !children->isNull() && !children->isArray()) {
      return "children that are no list";
    }
    return nullptr;
  }
  return "node of unknown type";
}

std::u16string TextMember(const Json::Value& node, const char* key) {
  std::string text;
  if (!StringMember(node, key, &text)) return std::u16string();
  return platform::FromUtf8(text);
}

// The item of a url or folder node that RefusalOf accepted.
model::Item ItemOf(const Json::Value& node) {
  model::Item item;
  item.title = TextMember(node, "name");
  item.date_added = model::FromChromeTime(ChromeTimeValue(Member(node, "date_added")));
  if (const Json::Value* id = Member(node, "id")) item.store_id = IdValue(*id);
  if (IsUrlNode(node)) {
    item.kind = model::ItemKind::kLink;
    item.url = TextMember(node, "url");
  } else {
    item.kind = model::ItemKind::kFolder;
    item.last_modified =
        model::FromChromeTime(ChromeTimeValue(Member(node, "date_modified")));
  }
  return item;
}

void Remember(model::ItemId id, const Json::Value* node, NodeTable* nodes) {
  if (nodes == nullptr) return;
  if (nodes->size() <= static_cast<size_t>(id)) {
    nodes->resize(static_cast<size_t>(id) + 1, nullptr);
  }
  (*nodes)[static_cast<size_t>(id)] = node;
}

void ReportLeftOut(const model::Tree& tree, model::ItemId parent,
                   const Json::Value& node, const char* reason,
                   model::Report* report) {
  std::u16string path = tree.PathOf(parent) + u"/" + TextMember(node, "name");
  DebugLog(u"[Chrome] node left out (%s): %s\n",
           platform::FromUtf8(reason), path);
  if (report == nullptr) return;
  report->AddProblem(std::move(path), reason, true, TextMember(node, "url"));
}

}  // namespace

int64_t ChromeTimeValue(const Json::Value* member) {
  if (member == nullptr) return 0;
  if (member->isInt64()) return member->asInt64() > 0 ? member->asInt64() : 0;
  if (member->isUInt64()) return std::numeric_limits<int64_t>::max();
  if (!member->isString()) return 0;
  const int64_t value = IdValue(*member);  // the same decimal reading
  return value > 0 ? value : 0;
}

Status ReadChromeTree(const Json::Value& document, model::Tree* tree,
                      NodeTable* nodes, model::Report* report) {
  const Json::Value* roots = Member(document, "roots");
  if (roots == nullptr || !roots->isObject()) {
    return Status::Error(kErrorInvalidData,
                         u"Chrome file without bookmark roots");
  }
  // Folders still to read: the folder's item and its children array.
  struct Pending {
    model::ItemId folder;
    const Json::Value* children;
  };
  std::vector<Pending> pending;
  for (const ChromeRoot& chrome_root : kChromeRoots) {
    const Json::Value* node = RootFolder(document, chrome_root.key);
    if (node == nullptr) continue;
    if (const char* reason = RefusalOf(*node)) {
      DebugLog(u"[Chrome] root %s left out (%s)\n",
               platform::FromUtf8(chrome_root.key),
               platform::FromUtf8(reason));
      if (report != nullptr) {
        report->AddProblem(TextMember(*node, "name"), reason, true);
      }
      continue;
    }
    const model::ItemId root =
        tree->AddRoot(chrome_root.root, TextMember(*node, "name"));
    model::Item& item = tree->at(root);
    const model::Item read = ItemOf(*node);
    item.date_added = read.date_added;
    item.last_modified = read.last_modified;
    item.store_id = read.store_id;
    Remember(root, node, nodes);
    if (const Json::Value* children = ChildrenOf(*node)) {
      pending.push_back({root, children});
    }
    // Children in document order below each folder: a folder's children
    // are appended when the folder is taken from the stack, and each
    // folder's own list is read in order, so the order within every folder
    // is the document's.
    while (!pending.empty()) {
      const Pending next = pending.back();
      pending.pop_back();
      for (const Json::Value& child : *next.children) {
        if (const char* reason = RefusalOf(child)) {
          ReportLeftOut(*tree, next.folder, child, reason, report);
          continue;
        }
        const model::ItemId id = tree->Add(next.folder, ItemOf(child));
        if (id == model::kNoItem) {
          return Status::Error(
              kErrorInvalidData,
              u"Chrome bookmarks nest deeper than " +
                  platform::FromUtf8(std::to_string(model::kMaxDepth)) +
                  u" folders: " + tree->PathOf(next.folder));
        }
        Remember(id, &child, nodes);
        if (IsFolderNode(child)) {
          if (const Json::Value* children = ChildrenOf(child)) {
            pending.push_back({id, children});
          }
        }
      }
    }
  }
  return Status::Ok();
}

}  // namespace chrome
}  // namespace marksafe
