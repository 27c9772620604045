// Chrome document -> bookmark tree. The roots bookmark_bar, other and
// synced become the tree's kToolbar, kOther and kMobile roots; folder and
// url nodes become folders and links in document order, with their exact
// names, URLs, dates and ids. Chrome's file may hold anything: a node of a
// type this reader does not know, or with a member of the wrong type, is
// left out (and named in the report), never trusted and never thrown on.
#ifndef MARKSAFE_STORES_CHROME_CHROME_READER_H_
#define MARKSAFE_STORES_CHROME_CHROME_READER_H_

#include <json/json.h>

#include <vector>

#include "base/status.h"
#include "model/bookmark_tree.h"
#include "model/report.h"

namespace marksafe {
namespace chrome {

// Chrome's roots in the order Chrome keeps them.
struct ChromeRoot {
  const char* key;  // member of "roots"
  model::Root root;
};
constexpr ChromeRoot kChromeRoots[] = {
    {"bookmark_bar", model::Root::kToolbar},
    {"other", model::Root::kOther},
    {"synced", model::Root::kMobile}};

// The document node each item was read from, by ItemId (null for items
// that have none, such as items added to the tree later). The pointers stay
// valid while the document lives and only gets nodes appended: JsonCpp
// keeps array elements in a map.
using NodeTable = std::vector<const Json::Value*>;

// Reads every root of document that is a folder node into *tree (which
// should be empty), titled with the root's name. store_id is the node's id
// (IdValue: saturated, never overflowing), dates are converted from
// Chrome's time. When nodes is not null it receives the node of each item.
// Nodes left out are named in *report (may be null) as problems, and in the
// debug log. Fails when the document has no "roots" object, or when folders
// nest deeper than model::kMaxDepth (then *tree is incomplete and must not
// be used).
[[nodiscard]] Status ReadChromeTree(const Json::Value& document,
                                    model::Tree* tree, NodeTable* nodes,
                                    model::Report* report);

// The Chrome time of a date member: a decimal string (Chrome's form) or a
// number; 0 for anything else or a negative value.
int64_t ChromeTimeValue(const Json::Value* member);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_CHROME_READER_H_
