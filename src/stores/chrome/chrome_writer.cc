#include "stores/chrome/chrome_writer.h"

#include <utility>

#include "base/debug_log.h"
#include "base/url_normalize.h"
#include "context/job.h"
#include "context/store_lock.h"
#include "platform/platform.h"
#include "stores/chrome/chrome_checksum.h"
#include "stores/chrome/json_access.h"

namespace marksafe {
namespace chrome {
namespace {

// The item and everything below it.
model::Counts SubtreeCounts(const model::Tree& tree, model::ItemId id) {
  model::Counts counts;
  model::CountItem(tree.at(id).kind, &counts);
  if (tree.at(id).kind == model::ItemKind::kFolder) {
    counts += model::CountBelow(tree, id);
  }
  return counts;
}

// A member of a node as text for the journal: "" unless a string or a
// whole number (a file from elsewhere may hold anything).
std::u16string MemberText(const Json::Value& node, const char* name) {
  const Json::Value& value = node[name];
  if (value.isString()) return platform::FromUtf8(value.asString());
  if (value.isIntegral()) return platform::FromUtf8(value.asString());
  return std::u16string();
}

}  // namespace

ChromeWriter::ChromeWriter(Json::Value* document, NodeTable nodes)
    : document_(document), nodes_(std::move(nodes)), now_(model::Now()) {}

Json::Value* ChromeWriter::Append(const model::Tree& tree, model::ItemId id,
                                  Json::Value* parent) {
  const model::Item& item = tree.at(id);
  if (!ids_) ids_ = std::make_unique<IdAllocator>(*document_);
  const int64_t added =
      model::ToChromeTime(item.date_added != 0 ? item.date_added : now_);
  Json::Value node;
  if (item.kind == model::ItemKind::kLink) {
    // Chrome rewrites every address into its standard form when it loads
    // the file; written in that form, the bookmark reads back as written.
    std::u16string url;
    NormalizeUrl(item.url, &url);
    make_url_node(ids_->Next(), platform::ToUtf8(item.title), platform::ToUtf8(url),
                  added, &node);
  } else {
    const int64_t modified =
        item.last_modified != 0 ? model::ToChromeTime(item.last_modified)
                                : added;
    make_folder_node(ids_->Next(), platform::ToUtf8(item.title), added, modified,
                     &node);
  }
  Json::Value& children = (*parent)["children"];
  if (children.isNull()) children = Json::Value(Json::arrayValue);
  // The reader leaves out folders whose children are no list; nothing of
  // Chrome's is overwritten even if one came here.
  if (!children.isArray()) return nullptr;
  // Array elements live in a map: this address stays valid while later
  // nodes are appended.
  Json::Value* stored = &children.append(std::move(node));
  nodes_[static_cast<size_t>(id)] = stored;
  written_.push_back(Written{item.kind, stored, parent, item.title});
  changed_ = true;
  return stored;
}

Json::Value* ChromeWriter::NodeOf(const model::Tree& tree, model::ItemId id) {
  // The added folders without a node between id and the nearest ancestor
  // that has one, written from the top down.
  std::vector<model::ItemId> missing;
  model::ItemId at = id;
  while (at != model::kNoItem && nodes_[static_cast<size_t>(at)] == nullptr) {
    const model::Item& item = tree.at(at);
    if (!item.added || item.kind != model::ItemKind::kFolder ||
        item.depth > kMaxChromeDepth) {
      return nullptr;
    }
    missing.push_back(at);
    at = item.parent;
  }
  if (at == model::kNoItem) return nullptr;
  // The table holds the reader's const view of nodes of *document_, which
  // this writer may change.
  Json::Value* node = const_cast<Json::Value*>(nodes_[static_cast<size_t>(at)]);
  for (auto it = missing.rbegin(); it != missing.rend() && node != nullptr;
       ++it) {
    node = Append(tree, *it, node);
  }
  return node;
}

void ChromeWriter::WriteAdded(const model::Tree& tree, model::ItemId below,
                              model::RootReport* root_report,
                              model::Report* report, model::ItemId first,
                              model::ItemId end) {
  nodes_.resize(tree.size(), nullptr);
  const auto in_range = [&](model::ItemId id) {
    return id >= first && id < end && tree.at(id).added;
  };
  if (NodeOf(tree, below) == nullptr) {
    // Nowhere to write: every added item below is lost.
    model::Counts lost;
    tree.ForEachBelow(below, [&](model::ItemId id) {
      if (in_range(id)) model::CountItem(tree.at(id).kind, &lost);
    });
    if (lost.total() == 0) return;
    if (root_report != nullptr) root_report->failed += lost;
    if (report != nullptr) {
      report->AddProblem(
          tree.PathOf(below),
          "write failed: the folder has no node in the Chrome file", true);
    }
    return;
  }
  tree.ForEachBelow(below, [&](model::ItemId id) {
    const model::Item& item = tree.at(id);
    if (!in_range(id) || nodes_[static_cast<size_t>(id)] != nullptr) return;
    // Below an item that was not written: counted with it.
    const Json::Value* parent = nodes_[static_cast<size_t>(item.parent)];
    if (parent == nullptr) return;
    const char* reason = nullptr;
    if (item.depth > kMaxChromeDepth) {
      reason = "nested deeper than Chrome loads";
    } else if (item.kind == model::ItemKind::kSeparator) {
      reason = "separator";
    }
    if (reason == nullptr) {
      if (Append(tree, id, const_cast<Json::Value*>(parent)) != nullptr &&
          root_report != nullptr) {
        model::CountItem(item.kind, &root_report->added);
        context::Current().progress().Written(item.kind);
      }
      return;
    }
    const model::Counts counts = SubtreeCounts(tree, id);
    DebugLog(u"[Chrome] not written (%s): %s\n", platform::FromUtf8(reason),
             tree.PathOf(id));
    if (root_report != nullptr) root_report->not_carried += counts;
    if (report != nullptr) {
      report->AddProblem(tree.PathOf(id), reason, false, item.url);
    }
  });
}

Status ChromeWriter::Save(const std::u16string& path) {
  if (!PrepareForChrome(document_, changed_)) return Status::Ok();
  // Chromium itself keeps the file closed between its writes; a program
  // that has it open now would lose or overwrite this write.
  if (StoreHeldOpen(path)) {
    return Status::Error(kErrorStoreInUse,
                         u"another program has the Chrome file " + path +
                             u" open");
  }
  const Status saved = save_chrome_file(*document_, path);
  if (saved.ok()) {
    if (context::JournalRecorder* journal = context::Current().journal()) {
      for (Written& written : written_) {
        context::JournalEntry entry;
        entry.kind = written.kind;
        entry.id = MemberText(*written.node, "id");
        entry.guid = MemberText(*written.node, "guid");
        entry.parent = MemberText(*written.parent, "id");
        entry.title = std::move(written.title);
        entry.url = MemberText(*written.node, "url");
        journal->Add(context::StoreKind::kChrome, path, std::move(entry));
      }
    }
    written_ = std::vector<Written>();
    return Status::Ok();
  }
  return Status::Error(saved.code(), u"cannot replace the Chrome file " + path);
}

}  // namespace chrome
}  // namespace marksafe
