// Writing the bookmark tree as a bookmark HTML file, in the shape Firefox
// and Chromium write and both import:
//
//   <!DOCTYPE NETSCAPE-Bookmark-file-1>
//   <META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
//   <TITLE>Bookmarks</TITLE>
//   <H1>menu title</H1>
//   <DL><p>
//       the menu's items
//       <DT><H3 ... PERSONAL_TOOLBAR_FOLDER="true">toolbar</H3>  its items
//       <DT><H3 ... UNFILED_BOOKMARKS_FOLDER="true">other</H3>   its items
//       <DT><H3 ... MOBILE_BOOKMARKS_FOLDER="true">Mobile Bookmarks</H3>
//   </DL><p>
//
// A root the tree lacks is left out; an empty one is written (empty).
// Folders carry ADD_DATE and LAST_MODIFIED, links also SHORTCUTURL (the
// keyword), POST_DATA (what the keyword sends) and TAGS (comma-separated),
// all only when set; separators are
// <HR>. Dates are written in whole seconds, as the format has them. Text
// and attribute values are escaped (& < > " ' and line breaks as
// character references), so ReadBookmarkHtml gives back every title, URL,
// tag and keyword exactly (Firefox tags hold no commas) and every date to
// the second. The mobile mark is this library's own: the
// browsers ignore it and import that folder as an ordinary one.
#ifndef MARKSAFE_STORES_HTML_HTML_WRITER_H_
#define MARKSAFE_STORES_HTML_HTML_WRITER_H_

#include <string>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace html {

// The tree as bookmark HTML, UTF-8. Iterative; linear in the tree.
std::string WriteBookmarkHtml(const model::Tree& tree);

}  // namespace html
}  // namespace marksafe

#endif  // MARKSAFE_STORES_HTML_HTML_WRITER_H_
