#include "faults/faults_support.h"

#include "support/test_support.h"
#include "support/tree_support.h"

namespace marksafe {
namespace test {

model::Tree LinkTree(const std::string& prefix, int links) {
  model::Tree tree;
  const model::ItemId menu = tree.AddRoot(model::Root::kMenu, u"menu");
  const model::ItemId toolbar = tree.AddRoot(model::Root::kToolbar, u"toolbar");
  tree.AddRoot(model::Root::kOther, u"other");
  tree.AddRoot(model::Root::kMobile, u"mobile");
  model::ItemId folder = model::kNoItem;
  const model::Time date = 1600000000000000;
  for (int i = 0; i < links; ++i) {
    const std::string n = std::to_string(i);
    if (i % 50 == 0) {
      folder = Put(&tree, i % 100 == 0 ? toolbar : menu,
                   NewFolder(U16(prefix + " folder " + n), date));
    }
    Put(&tree, folder,
        NewLink(U16(prefix + " " + n),
                U16("https://" + prefix + ".example/" + n), date + i,
                date + i));
  }
  return tree;
}

std::map<std::string, int> UrlCounts(const model::Tree& tree) {
  std::map<std::string, int> counts;
  for (model::Root root : model::kAllRoots) {
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
