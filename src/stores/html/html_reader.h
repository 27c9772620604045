// Reading a bookmark HTML file (the "Netscape bookmark file" every browser
// imports and exports) into the bookmark tree.
//
// The reader is a forgiving tokenizer feeding a tree builder that keeps an
// explicit stack of open folders (no recursion). It accepts what browsers
// and hand editors write: tags and attribute names in any letter case,
// attribute values quoted with " or ' or unquoted, missing </DT>, </A> and
// <p>, stray tags and text, comments (read as HTML reads them: "<!-->" and
// "<!--->" are whole comments, "--!>" ends one too).
//
// Text is UTF-8 unless the file says otherwise: a UTF-16 byte order mark,
// or a <META> before the first list that declares another character set
// (CHARSET=... or CONTENT="text/html; charset=..."). A leading UTF-8 byte
// order mark is skipped; invalid bytes become U+FFFD. Character references
// (&amp; &lt; &gt; &quot; &#39; &apos;, the Latin-1 and common punctuation
// names, &#NNN; and &#xHH;) are decoded, and anything that is not a complete
// valid reference (no ";", an unknown name, a code point that is no
// character) is kept literally. Titles are kept exactly, outer blanks
// included; only when a title is ended by another tag instead of its own
// </A> or </H3> are the trailing blanks and line breaks dropped.
//
// What the file's elements become:
// - <DT><H3 ...>title</H3> is a folder; the next <DL> (a <DD> description
//   may come first) holds its children. ADD_DATE and LAST_MODIFIED (seconds
//   since 1970) are its dates.
// - <DT><A HREF=... ADD_DATE=... LAST_MODIFIED=... TAGS="a,b"
//   SHORTCUTURL=... POST_DATA=...>title</A> is a link (tags, keyword and
//   the keyword's POST data as Firefox writes them); an <A> without HREF is
//   left out, and one whose HREF is no absolute URL (no scheme, a web
//   address without a valid host) is left out and listed in HtmlNotes, as
//   both browsers' importers drop it. A missing ADD_DATE is LAST_MODIFIED.
//   ICON, ICON_URI and LAST_CHARSET are counted in HtmlNotes, not kept.
//   <DD> descriptions are ignored.
// - <HR> is a separator.
// - <H1> gives the menu root its title.
//
// Which root the items go to:
// - Everything at the top level goes to Root::kMenu: Firefox writes its
//   menu's items there. Chromium writes the contents of "Other bookmarks"
//   at the top level too (it writes no folder for it), so a Chromium file's
//   other bookmarks land in kMenu; the file cannot tell them apart.
// - The first folder with PERSONAL_TOOLBAR_FOLDER="true" (at any depth, as
//   old Netscape files nest it) is Root::kToolbar: its children become the
//   toolbar's, its title the root's. Both browsers mark their toolbar so.
// - The first folder with UNFILED_BOOKMARKS_FOLDER="true" is Root::kOther
//   (Firefox's "Other Bookmarks").
// Marks are read from the attributes of <H3> tags only, never from text.
// - Root::kMobile is the first folder marked MOBILE_BOOKMARKS_FOLDER="true"
//   (what WriteBookmarkHtml writes). In a file without that mark, a
//   top-level folder titled exactly "Mobile bookmarks" is the mobile root:
//   that is how Chromium (English) writes its mobile folder, a plain folder
//   after the other bookmarks. Firefox leaves its mobile root out of its
//   export altogether, so a Firefox "Mobile Bookmarks" folder is a menu
//   folder and stays one.
// Further folders carrying a root's mark are ordinary folders.
#ifndef MARKSAFE_STORES_HTML_HTML_READER_H_
#define MARKSAFE_STORES_HTML_HTML_READER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "model/bookmark_tree.h"

namespace marksafe {
namespace html {

// What a file held that the tree does not.
struct HtmlNotes {
  struct Skipped {
    model::Root root;     // the root the link lay in
    std::u16string path;  // as Tree::PathOf would name it
    std::u16string url;
  };
  std::vector<Skipped> skipped;  // links whose address is no URL
  int64_t icons = 0;             // links with ICON or ICON_URI
  int64_t charsets = 0;          // links with LAST_CHARSET
};

// Reads the bookmark HTML file's bytes into *tree (normally empty) and
// what it leaves out into *notes (may be null). The menu root is always
// made; the other roots when the file has them. Fails when folders nest
// deeper than model::kMaxDepth or the file declares a character set the
// system does not know (and is no UTF-8). Linear in the input.
[[nodiscard]] Status ReadBookmarkHtml(const std::string& bytes,
                                      model::Tree* tree,
                                      HtmlNotes* notes = nullptr);

}  // namespace html
}  // namespace marksafe

#endif  // MARKSAFE_STORES_HTML_HTML_READER_H_
