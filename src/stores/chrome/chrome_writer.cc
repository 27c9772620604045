#include "stores/chrome/chrome_writer.h"

#include <utility>

#include "context/job.h"
#include "context/store_lock.h"
#include "model/url_normalize.h"
#include "platform/debug_log.h"
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

ChromeWriter::Place ChromeWriter::PlaceOf(model::ItemId id) const {
  const size_t at = static_cast<size_t>(id);
  return Place{nodes_[at], added_of_[at]};
}

ChromeWriter::Place ChromeWriter::Append(const model::Tree& tree,
                                         model::ItemId id, Place parent) {
  const model::Item& item = tree.at(id);
  if (!ids_) ids_ = std::make_unique<IdAllocator>(*document_);
  AddedNode node;
  node.folder = item.kind == model::ItemKind::kFolder;
  node.date_added =
      model::ToChromeTime(item.date_added != 0 ? item.date_added : now_);
  if (node.folder) {
    node.date_modified = item.last_modified != 0
                             ? model::ToChromeTime(item.last_modified)
                             : node.date_added;
  } else {
    // Chrome rewrites every address into its standard form when it loads
    // the file; written in that form, the bookmark reads back as written.
    std::u16string url;
    NormalizeUrl(item.url, &url);
    node.url = platform::ToUtf8(url);
  }
  node.id = ids_->Next();
  if (!NewGuid(&node.guid)) node.guid.clear();
  node.name = platform::ToUtf8(item.title);
  uint32_t index = kNotAdded;
  if (parent.node != nullptr) {
    // The table holds the reader's const view of nodes of *document_,
    // which this writer may change.
    Json::Value& children =
        (*const_cast<Json::Value*>(parent.node))["children"];
    if (children.isNull()) children = Json::Value(Json::arrayValue);
    // The reader leaves out folders whose children are no list; nothing of
    // Chrome's is overwritten even if one came here.
    if (!children.isArray()) return Place();
    // Array values live in their parent's map: this address stays valid.
    index = added_.AddAfter(&children, std::move(node));
  } else {
    index = added_.AddBelow(parent.added, std::move(node));
  }
  added_of_[static_cast<size_t>(id)] = index;
  written_.push_back(Written{parent, item.title});
  changed_ = true;
  return Place{nullptr, index};
}

ChromeWriter::Place ChromeWriter::NodeOf(const model::Tree& tree,
                                         model::ItemId id) {
  // The added folders without a node between id and the nearest ancestor
  // that has one, written from the top down.
  std::vector<model::ItemId> missing;
  model::ItemId at = id;
  while (at != model::kNoItem && !PlaceOf(at).found()) {
    const model::Item& item = tree.at(at);
    if (!item.added || item.kind != model::ItemKind::kFolder ||
        item.depth > kMaxChromeDepth) {
      return Place();
    }
    missing.push_back(at);
    at = item.parent;
  }
  if (at == model::kNoItem) return Place();
  Place place = PlaceOf(at);
  for (auto it = missing.rbegin(); it != missing.rend() && place.found();
       ++it) {
    place = Append(tree, *it, place);
  }
  return place;
}

void ChromeWriter::WriteAdded(const model::Tree& tree, model::ItemId below,
                              model::RootReport* root_report,
                              model::Report* report, model::ItemId first,
                              model::ItemId end) {
  nodes_.resize(tree.size(), nullptr);
  added_of_.resize(tree.size(), kNotAdded);
  const auto in_range = [&](model::ItemId id) {
    return id >= first && id < end && tree.at(id).added;
  };
  if (!NodeOf(tree, below).found()) {
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
    if (!in_range(id) || PlaceOf(id).found()) return;
    // Below an item that was not written: counted with it.
    const Place parent = PlaceOf(item.parent);
    if (!parent.found()) return;
    const char* reason = nullptr;
    if (item.depth > kMaxChromeDepth) {
      reason = "nested deeper than Chrome loads";
    } else if (item.kind == model::ItemKind::kSeparator) {
      reason = "separator";
    }
    if (reason == nullptr) {
      if (Append(tree, id, parent).found() && root_report != nullptr) {
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
  // A synced root made now takes an id above the added nodes' too.
  if (ids_ != nullptr && AddSyncedRoot(document_, ids_.get())) changed_ = true;
  if (!PrepareForChrome(document_, changed_, &added_)) return Status::Ok();
  // Chromium itself keeps the file closed between its writes; a program
  // that has it open now would lose or overwrite this write.
  if (StoreHeldOpen(path)) {
    return Status::Error(kErrorStoreInUse,
                         u"another program has the Chrome file " + path +
                             u" open");
  }
  const Status saved = save_chrome_file(*document_, path, &added_);
  if (!saved.ok()) {
    return Status::Error(saved.code(),
                         u"cannot replace the Chrome file " + path);
  }
  if (context::JournalRecorder* journal = context::Current().journal()) {
    for (uint32_t index = 0; index < added_.size(); ++index) {
      const AddedNode& node = added_[index];
      Written& written = written_[index];
      context::JournalEntry entry;
      entry.kind =
          node.folder ? model::ItemKind::kFolder : model::ItemKind::kLink;
      entry.id = platform::FromUtf8(node.id);
      entry.guid = platform::FromUtf8(node.guid);
      entry.parent = written.parent.node != nullptr
                         ? MemberText(*written.parent.node, "id")
                         : platform::FromUtf8(added_[written.parent.added].id);
      entry.title = std::move(written.title);
      entry.url = platform::FromUtf8(node.url);
      journal->Add(context::StoreKind::kChrome, path, std::move(entry));
    }
  }
  written_ = std::vector<Written>();
  return Status::Ok();
}

}  // namespace chrome
}  // namespace marksafe
