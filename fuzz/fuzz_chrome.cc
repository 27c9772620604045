// A Chrome Bookmarks file -> document -> tree, and the document written back:
// what the reader parsed, the writer must write as text the reader parses
// again, and the tree read from both must hold the same items.
#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "model/report.h"
#include "stores/chrome/chrome_checksum.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/chrome_reader.h"
#include "stores/chrome/document_reader.h"

namespace {

marksafe::model::Counts CountAll(const marksafe::model::Tree& tree) {
  marksafe::model::Counts counts;
  for (marksafe::model::Root root : marksafe::model::kAllRoots) {
    if (tree.root(root) != marksafe::model::kNoItem) {
      counts += marksafe::model::CountBelow(tree, tree.root(root));
    }
  }
  return counts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marksafe;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Json::Value document;
  if (!chrome::ParseDocumentText(text, &document)) return 0;

  model::Tree tree;
  chrome::NodeTable nodes;
  model::Report report;
  Status status = chrome::ReadChromeTree(document, &tree, &nodes, &report);
  if (!status.ok()) return 0;
  fuzz::CheckTree(tree);
  if (nodes.size() != tree.size()) __builtin_trap();
  (void)model::ReportJson(report);
  (void)chrome::TreeChecksum(document);
  chrome::IdAllocator ids(document);
  if (ids.Next() == ids.Next()) __builtin_trap();

  // The writer's text of the document reads back to the same tree.
  Json::Value again;
  if (!chrome::ParseDocumentText(chrome::ChromeFileText(document), &again)) {
    __builtin_trap();
  }
  model::Tree tree_again;
  Status status_again =
      chrome::ReadChromeTree(again, &tree_again, nullptr, nullptr);
  if (!status_again.ok() || CountAll(tree) != CountAll(tree_again)) {
    __builtin_trap();
  }
  return 0;
}
