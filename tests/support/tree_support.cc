#include "support/tree_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_support.h"

namespace marksafe {
namespace test {

model::Item NewLink(const std::u16string& title, const std::u16string& url,
                    model::Time added, model::Time modified) {
  model::Item item;
  item.kind = model::ItemKind::kLink;
  item.title = title;
  item.url = url;
  item.date_added = added;
  item.last_modified = modified;
  return item;
}

model::Item NewFolder(const std::u16string& title, model::Time added) {
  model::Item item;
  item.title = title;
  item.date_added = item.last_modified = added;
  return item;
}

model::Item NewSeparator(model::Time added) {
  model::Item item;
  item.kind = model::ItemKind::kSeparator;
  item.date_added = added;
  return item;
}

model::ItemId Put(model::Tree* tree, model::ItemId parent, model::Item item) {
  const model::ItemId id = tree->Add(parent, std::move(item));
  EXPECT_NE(id, model::kNoItem);
  return id;
}

std::vector<std::string> TreeLines(const model::Tree& tree, bool dates) {
  std::vector<std::string> lines;
  for (model::Root root : model::kAllRoots) {
    const model::ItemId top = tree.root(root);
    if (top == model::kNoItem) continue;
    lines.push_back(model::RootKey(root));
    tree.ForEachBelow(top, [&](model::ItemId id) {
      const model::Item& item = tree.at(id);
      static const char* const kKinds[] = {"F", "L", "S"};
      std::string line = std::string(static_cast<size_t>(item.depth), ' ') +
                         kKinds[static_cast<int>(item.kind)] + " " +
                         U8(item.title) + "|" + U8(item.url);
      std::vector<std::u16string> tags = item.tags;
      std::sort(tags.begin(), tags.end());
      for (const std::u16string& tag : tags) line += "|#" + U8(tag);
      if (!item.keyword.empty()) line += "|@" + U8(item.keyword);
      if (dates) {
        line += "|" + std::to_string(item.date_added) + "|" +
                std::to_string(item.last_modified);
      }
      lines.push_back(line);
    });
  }
  return lines;
}

}  // namespace test
}  // namespace marksafe
