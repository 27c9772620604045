// The bookmark HTML reader's state, shared by its tokenizer
// (html_reader.cc) and its tree builder (html_tree_builder.cc).
#ifndef MARKSAFE_STORES_HTML_HTML_READER_STATE_H_
#define MARKSAFE_STORES_HTML_HTML_READER_STATE_H_

#include <string>
#include <vector>

#include "base/status.h"
#include "model/bookmark_tree.h"
#include "stores/html/html_reader.h"

namespace marksafe {
namespace html {
namespace detail {

struct Attribute {
  std::string name;  // lower case
  const char* begin;
  const char* end;
};
// Seconds since 1970 in a date attribute; 0 when it holds none.
model::Time DateOf(const Attribute* attribute);

// What a first look at a file finds before it is read.
struct Prescan {
  std::string charset;       // the label a <META> before the first list gives
  // An <H3> carries MOBILE_BOOKMARKS_FOLDER="true" and no earlier mark of
  // the same <H3> names a root still free, so it becomes the mobile root.
  bool mobile_mark = false;
  bool toolbar_marked = false;  // the toolbar root is named by an <H3>
  bool other_marked = false;    // the unsorted root is named by an <H3>
  size_t items = 0;  // <A> and <H3> tags: room to make in the tree at once
};

class Reader {
 public:
  // Reads input into *tree; without a tree (prescan) only fills *prescan.
  Reader(const std::string& input, model::Tree* tree, Prescan* prescan,
         HtmlNotes* notes)
      : begin_(input.data()),
        end_(input.data() + input.size()),
        tree_(tree),
        prescan_(prescan),
        notes_(notes),
        mobile_mark_(prescan->mobile_mark) {}

  Status Run();

 private:
  // kSkipped: the title of a link that is left out (skipped_).
  enum class Capture { kNone, kTitle, kHeading, kSkipped };

  // Tokenizer.
  const char* SkipPast(const char* from, const char* what) const;
  const char* NextOf(char c, const char* from, const char** cache) const;
  const char* ReadAttributes(const char* p);
  const char* CommentEnd(const char* from) const;
  void OnPrescanTag(const std::string& name);

  // Tree builder.
  void OnText(const char* begin, const char* end);
  Status OnStartTag(const std::string& name);
  void OnEndTag(const std::string& name);
  void EndCapture(bool implicit);
  Status StartFolder();
  Status AddLink();
  model::ItemId Current() const { return open_.empty() ? menu_ : open_.back(); }
  const Attribute* Find(const char* name) const;
  // ADD_DATE, or last_modified (the item's LAST_MODIFIED) when it has none.
  model::Time DateAdded(model::Time last_modified) const;
  bool IsMarked(const char* name) const;
  // Adds the top-level folder held back for its title: the mobile root
  // when the title is exactly "Mobile bookmarks", else a menu folder.
  void AddHeldFolder();
  Status TooDeep() const;

  const char* const begin_;
  const char* const end_;
  model::Tree* const tree_;
  Prescan* const prescan_;
  HtmlNotes* const notes_;
  bool list_seen_ = false;  // prescan: a <DL> has come
  std::vector<Attribute> attributes_;
  // Where the next ", ' and line break lie: searched once and reused while
  // the tokenizer has not passed them, so that a file written on one long
  // line is still read in linear time.
  mutable const char* next_double_quote_ = nullptr;
  mutable const char* next_single_quote_ = nullptr;
  mutable const char* next_line_break_ = nullptr;

  model::ItemId menu_ = model::kNoItem;
  // The folders whose <DL> is open, innermost last. A <DL> without a folder
  // before it repeats the current folder, so that its </DL> pops it again.
  std::vector<model::ItemId> open_;
  // The folder of the last <H3>, until its <DL> or another item comes.
  model::ItemId pending_ = model::kNoItem;
  Capture capture_ = Capture::kNone;
  model::ItemId capture_item_ = model::kNoItem;
  std::u16string heading_;
  bool heading_seen_ = false;
  const bool mobile_mark_;
  // The links left out: the folder they lay in, title and URL (the paths
  // are made at the end, when every title is known).
  struct Skipped {
    model::ItemId parent;
    std::u16string title;
    std::u16string url;
  };
  std::vector<Skipped> skipped_;
  // In a file without the mobile mark, a top-level folder is held back
  // until its title is complete (capture_item_ is then kNoItem): only the
  // whole title, as captured, tells whether it is the mobile root.
  bool holding_ = false;
  model::Item held_;
};

}  // namespace detail
}  // namespace html
}  // namespace marksafe

#endif  // MARKSAFE_STORES_HTML_HTML_READER_STATE_H_
