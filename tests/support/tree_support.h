// Hand-built bookmark trees, and trees as lines that two trees holding the
// same bookmarks share.
#ifndef MARKSAFE_TESTS_SUPPORT_TREE_SUPPORT_H_
#define MARKSAFE_TESTS_SUPPORT_TREE_SUPPORT_H_

#include <string>
#include <vector>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace test {

model::Item NewLink(const std::u16string& title, const std::u16string& url,
                    model::Time added = 0, model::Time modified = 0);
model::Item NewFolder(const std::u16string& title, model::Time added = 0);
model::Item NewSeparator(model::Time added = 0);
// Adds item below parent; the test fails when the tree refuses it.
model::ItemId Put(model::Tree* tree, model::ItemId parent, model::Item item);

// Every item below the roots of tree, one line each: the root's key, then
// per item its depth, kind, title, URL, sorted tags and keyword, and with
// dates its dates.
std::vector<std::string> TreeLines(const model::Tree& tree,
                                   bool dates = true);

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_SUPPORT_TREE_SUPPORT_H_
