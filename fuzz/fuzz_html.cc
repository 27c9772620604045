// Bookmark HTML text -> tree, and the tree written as HTML and read again:
// the writer promises every title, URL, tag, keyword and POST data back
// exactly and every date to the second. The same text is also read behind
// a declared character set (chosen by the input's length), so that the
// conversions of legacy and UTF-16 files see every byte sequence.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "stores/html/html_reader.h"
#include "stores/html/html_writer.h"

namespace {

void CheckNotes(const marksafe::model::Tree& tree,
                const marksafe::html::HtmlNotes& notes) {
  for (const auto& skipped : notes.skipped) {
    if (tree.root(skipped.root) == marksafe::model::kNoItem) __builtin_trap();
  }
  if (notes.icons < 0 || notes.charsets < 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marksafe;
  const std::string text(reinterpret_cast<const char*>(data), size);

  static const char* const kDeclared[] = {
      "<META CONTENT=\"text/html; charset=windows-1252\">",
      "<meta charset='ISO-8859-2'>",
      "<META CHARSET=shift_jis>",
      "<META CHARSET=\"utf-16\">",
      "\xFF\xFE",
      "\xFE\xFF",
  };
  constexpr size_t kDeclaredCount = sizeof(kDeclared) / sizeof(kDeclared[0]);
  model::Tree declared_tree;
  html::HtmlNotes declared_notes;
  const Status declared = html::ReadBookmarkHtml(
      kDeclared[size % kDeclaredCount] + text, &declared_tree,
      &declared_notes);
  fuzz::CheckTree(declared_tree);
  if (declared.ok()) CheckNotes(declared_tree, declared_notes);

  model::Tree tree;
  html::HtmlNotes notes;
  Status status = html::ReadBookmarkHtml(text, &tree, &notes);
  // A failed read (too deep) may leave a partial tree, which must still be
  // a sound one.
  fuzz::CheckTree(tree);
  if (!status.ok()) return 0;
  if (tree.root(model::Root::kMenu) == model::kNoItem) __builtin_trap();
  CheckNotes(tree, notes);

  // What is written names only URLs, so nothing is left out again.
  model::Tree again;
  html::HtmlNotes again_notes;
  Status status_again = html::ReadBookmarkHtml(html::WriteBookmarkHtml(tree),
                                               &again, &again_notes);
  if (!status_again.ok() || !again_notes.skipped.empty()) __builtin_trap();
  fuzz::Kept kept;
  kept.date_unit = 1000000;
  fuzz::ExpectSameTrees(tree, again, kept);
  return 0;
}
