#include "stores/html/html_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/error_codes.h"
#include "base/text.h"
#include "model/url_normalize.h"
#include "platform/platform.h"
#include "stores/html/html_charset.h"
#include "stores/html/html_reader_state.h"
#include "stores/html/html_text.h"

namespace marksafe {
namespace html {
namespace detail {

const char* Reader::SkipPast(const char* from, const char* what) const {
  const size_t length = std::strlen(what);
  const char* found = std::search(from, end_, what, what + length);
  return found == end_ ? end_ : found + length;
}

const char* Reader::NextOf(char c, const char* from, const char** cache) const {
  if (*cache == nullptr || *cache < from) {
    const void* found = std::memchr(from, c, static_cast<size_t>(end_ - from));
    *cache = found == nullptr ? end_ : static_cast<const char*>(found);
  }
  return *cache;
}

// Where a comment whose "<!--" ends just before from ends, as HTML reads
// it: "<!-->" and "<!--->" are whole comments, "-->" or "--!>" end one, and
// one left open runs to the end of the file.
const char* Reader::CommentEnd(const char* from) const {
  if (from < end_ && *from == '>') return from + 1;
  if (end_ - from >= 2 && from[0] == '-' && from[1] == '>') return from + 2;
  static const char kDashes[] = "--";
  for (const char* p = from;;) {
    p = std::search(p, end_, kDashes, kDashes + 2);
    if (p == end_) return end_;
    if (end_ - p >= 3 && p[2] == '>') return p + 3;
    if (end_ - p >= 4 && p[2] == '!' && p[3] == '>') return p + 4;
    ++p;
  }
}

// Reads the attributes of a tag from p (just after its name) to past its
// ">"; returns where the tag ends.
const char* Reader::ReadAttributes(const char* p) {
  attributes_.clear();
  while (p < end_) {
    while (p < end_ && (IsSpace(*p) || *p == '/')) ++p;
    if (p >= end_) break;
    if (*p == '>') return p + 1;
    const char* name_begin = p;
    while (p < end_ && !IsSpace(*p) && *p != '>' && *p != '=' && *p != '/') {
      ++p;
    }
    if (p == name_begin) {  // a stray "="
      ++p;
      continue;
    }
    Attribute attribute{LowerCopy(name_begin, p), p, p};
    const char* q = p;
    while (q < end_ && IsSpace(*q)) ++q;
    if (q < end_ && *q == '=') {
      ++q;
      while (q < end_ && IsSpace(*q)) ++q;
      if (q < end_ && (*q == '"' || *q == '\'')) {
        const char quote = *q++;
        const char* close = NextOf(
            quote, q, quote == '"' ? &next_double_quote_ : &next_single_quote_);
        // A quote left open would swallow the lines after it: when no
        // quote closes it, or the value would run past a line break and the
        // tag's ">" comes before that break, the value ends at the ">".
        const char* line_break = NextOf('\n', q, &next_line_break_);
        if (close == end_) {
          const void* gt = std::memchr(q, '>', static_cast<size_t>(end_ - q));
          if (gt != nullptr) close = static_cast<const char*>(gt);
        } else if (line_break < close) {
          const void* gt =
              std::memchr(q, '>', static_cast<size_t>(line_break - q));
          if (gt != nullptr) close = static_cast<const char*>(gt);
        }
        attribute.begin = q;
        attribute.end = close;
        p = (close < end_ && *close == quote) ? close + 1 : close;
      } else {
        attribute.begin = q;
        while (q < end_ && !IsSpace(*q) && *q != '>') ++q;
        attribute.end = q;
        p = q;
      }
    }
    attributes_.push_back(std::move(attribute));
  }
  return end_;
}

Status Reader::Run() {
  const char* p = begin_;
  if (end_ - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
  if (tree_ != nullptr) menu_ = tree_->AddRoot(model::Root::kMenu, u"");
  while (p < end_) {
    const void* found = std::memchr(p, '<', static_cast<size_t>(end_ - p));
    const char* lt = found == nullptr ? end_ : static_cast<const char*>(found);
    if (lt > p) OnText(p, lt);
    if (lt >= end_) break;
    const char* next = lt + 1;
    if (next < end_ && *next == '!') {
      p = (end_ - lt >= 4 && std::memcmp(lt, "<!--", 4) == 0)
              ? CommentEnd(lt + 4)
              : SkipPast(next, ">");
      continue;
    }
    if (next < end_ && *next == '?') {
      p = SkipPast(next, ">");
      continue;
    }
    const bool closing = next < end_ && *next == '/';
    const char* name_begin = closing ? next + 1 : next;
    if (name_begin >= end_ || !IsAsciiAlpha(*name_begin)) {
      OnText(lt, lt + 1);  // a "<" that starts no tag is text
      p = lt + 1;
      continue;
    }
    const char* name_end = name_begin;
    while (name_end < end_ && !IsSpace(*name_end) && *name_end != '>' &&
           *name_end != '/') {
      ++name_end;
    }
    const std::string name = LowerCopy(name_begin, name_end);
    p = ReadAttributes(name_end);
    if (tree_ == nullptr) {
      if (!closing) OnPrescanTag(name);
    } else if (closing) {
      OnEndTag(name);
    } else {
      Status status = OnStartTag(name);
      if (!status.ok()) return status;
    }
  }
  if (tree_ == nullptr) return Status::Ok();
  EndCapture(true);
  model::Item& menu = tree_->at(menu_);
  if (heading_seen_) {
    menu.title = heading_;
  } else if (menu.title.empty()) {
    menu.title = u"Bookmarks Menu";
  }
  if (notes_ != nullptr) {
    for (Skipped& skipped : skipped_) {
      notes_->skipped.push_back(
          HtmlNotes::Skipped{tree_->RootOf(skipped.parent),
                             tree_->PathOf(skipped.parent) + u"/" +
                                 skipped.title,
                             std::move(skipped.url)});
    }
  }
  return Status::Ok();
}

void Reader::OnPrescanTag(const std::string& name) {
  if (name == "a" || name == "h3") ++prescan_->items;
  if (name == "dl") {
    list_seen_ = true;
  } else if (name == "meta" && !list_seen_ && prescan_->charset.empty()) {
    if (const Attribute* charset = Find("charset")) {
      prescan_->charset.assign(charset->begin, charset->end);
    } else if (const Attribute* content = Find("content")) {
      prescan_->charset =
          CharsetOfContent(std::string(content->begin, content->end));
    }
  } else if (name == "h3") {
    // The marks are taken in the order the tree builder takes them, so the
    // mobile mark counts only where it really names the mobile root: a
    // file whose one mobile mark sits on the toolbar's <H3> is read as if
    // it had none, as the file written from it is.
    if (IsMarked("personal_toolbar_folder") && !prescan_->toolbar_marked) {
      prescan_->toolbar_marked = true;
    } else if (IsMarked("unfiled_bookmarks_folder") &&
               !prescan_->other_marked) {
      prescan_->other_marked = true;
    } else if (IsMarked("mobile_bookmarks_folder")) {
      prescan_->mobile_mark = true;
    }
  }
}

}  // namespace detail

Status ReadBookmarkHtml(const std::string& bytes, model::Tree* tree,
                        HtmlNotes* notes) {
  std::string converted;
  bool is_converted = DecodeUtf16WithBom(bytes, &converted);
  detail::Prescan prescan;
  const auto look = [&prescan](const std::string& text) {
    prescan = detail::Prescan();
    static_cast<void>(detail::Reader(text, nullptr, &prescan, nullptr).Run());
  };
  look(is_converted ? converted : bytes);
  if (!is_converted && !prescan.charset.empty()) {
    const Status decoded =
        DecodeDeclared(bytes, prescan.charset, &converted, &is_converted);
    if (!decoded.ok()) return decoded;
    // The marks are looked for again in the text as it is read.
    if (is_converted) look(converted);
  }
  if (tree != nullptr) tree->Reserve(tree->size() + prescan.items + 1);
  return detail::Reader(is_converted ? converted : bytes, tree, &prescan, notes).Run();
}

}  // namespace html
}  // namespace marksafe
