#include "faults/faults_support.h"

#include "support/test_support.h"

namespace marksafe {
namespace test {

model::Tree LinkTree(const std::string& prefix, int links) {
  model::Tree tree;
  const model::ItemId menu = tree.AddRoot(model::Root::kMenu, u"menu");
  const model::ItemId toolbar = tree.AddRoot(model::Root::kToolbar, u"toolbar");
  tree.AddRoot(model::Root::kOther, u"other");
  tree.AddRoot(model::Root::kMobile, u"mobile");
  model::ItemId folder = model::kNoItem;
  for (int i = 0; i < links; ++i) {
    if (i % 50 == 0) {
      model::Item item;
      item.kind = model::ItemKind::kFolder;
      item.title = U16(prefix + " folder " + std::to_string(i / 50));
      item.date_added = item.last_modified = 1600000000000000;
      folder = tree.Add(i % 100 == 0 ? toolbar : menu, std::move(item));
    }
    model::Item link;
    link.kind = model::ItemKind::kLink;
    link.title = U16(prefix + " " + std::to_string(i));
    link.url = U16("https://" + prefix + ".example/" + std::to_string(i));
    link.date_added = link.last_modified = 1600000000000000 + i;
    (void)tree.Add(folder, std::move(link));
  }
  return tree;
}

std::map<std::string, int> UrlCounts(const model::Tree& tree) {
  std::map<std::string, int> counts;
  for (model::Root root : {model::Root::kMenu, model::Root::kToolbar,
                           model::Root::kOther, model::Root::kMobile}) {
    const model::ItemId id = tree.root(root);
    if (id == model::kNoItem) continue;
    tree.ForEachBelow(id, [&](model::ItemId item) {
      if (tree.at(item).kind == model::ItemKind::kLink) {
        ++counts[U8(tree.at(item).url)];
      }
    });
  }
  return counts;
}

bool Holds(const std::map<std::string, int>& whole,
           const std::map<std::string, int>& part) {
  for (const auto& [url, count] : part) {
    auto it = whole.find(url);
    if (it == whole.end() || it->second < count) return false;
  }
  return true;
}

}  // namespace test
}  // namespace marksafe
