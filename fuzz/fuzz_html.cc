// Bookmark HTML text -> tree, and the tree written as HTML and read again:
// the writer promises every title, URL, tag and keyword back exactly and
// every date to the second.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "html/html_reader.h"
#include "html/html_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marksafe;
  const std::string text(reinterpret_cast<const char*>(data), size);
  model::Tree tree;
  Status status = html::ReadBookmarkHtml(text, &tree);
  // A failed read (too deep) may leave a partial tree, which must still be
  // a sound one.
  fuzz::CheckTree(tree);
  if (!status.ok()) return 0;
  if (tree.root(model::Root::kMenu) == model::kNoItem) __builtin_trap();

  model::Tree again;
  Status status_again = html::ReadBookmarkHtml(html::WriteBookmarkHtml(tree),
                                               &again);
  if (!status_again.ok()) __builtin_trap();
  fuzz::Kept kept;
  kept.date_unit = 1000000;
  fuzz::ExpectSameTrees(tree, again, kept);
  return 0;
}
