#include "stores/html/html_writer.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "context/job.h"
#include "model/progress.h"
#include "platform/platform.h"

namespace marksafe {
namespace html {
namespace {

// Indentation stops growing here: deep trees would otherwise spend most of
// the file on blanks.
constexpr size_t kMaxIndent = 32;

void AppendEscaped(const std::u16string& text, std::string* out) {
  const std::string utf8 = platform::ToUtf8(text);
  for (char c : utf8) {
    switch (c) {
      case '&':
        *out += "&amp;";
        break;
      case '<':
        *out += "&lt;";
        break;
      case '>':
        *out += "&gt;";
        break;
      case '"':
        *out += "&quot;";
        break;
      case '\'':
        *out += "&#39;";
        break;
      case '\n':
        *out += "&#10;";
        break;
      case '\r':
        *out += "&#13;";
        break;
      default:
        out->push_back(c);
    }
  }
}

void AppendIndent(size_t level, std::string* out) {
  out->append(4 * std::min(level, kMaxIndent), ' ');
}

// name="seconds", left out when there are none (0 reads back as unknown).
void AppendDate(const char* name, model::Time time, std::string* out) {
  const int64_t seconds = model::ToSeconds(time);
  if (seconds <= 0) return;
  *out += ' ';
  *out += name;
  *out += "=\"";
  *out += std::to_string(seconds);
  *out += '"';
}

void AppendLink(const model::Item& link, std::string* out) {
  *out += "<DT><A HREF=\"";
  AppendEscaped(link.url, out);
  *out += '"';
  AppendDate("ADD_DATE", link.date_added, out);
  AppendDate("LAST_MODIFIED", link.last_modified, out);
  if (!link.keyword.empty()) {
    *out += " SHORTCUTURL=\"";
    AppendEscaped(link.keyword, out);
    *out += '"';
    if (!link.post_data.empty()) {
      *out += " POST_DATA=\"";
      AppendEscaped(link.post_data, out);
      *out += '"';
    }
  }
  if (!link.tags.empty()) {
    std::u16string tags;
    for (const std::u16string& tag : link.tags) {
      if (!tags.empty()) tags += u',';
      tags += tag;
    }
    *out += " TAGS=\"";
    AppendEscaped(tags, out);
    *out += '"';
  }
  *out += '>';
  AppendEscaped(link.title, out);
  *out += "</A>\n";
}

// "<DT><H3 ...>title</H3>" and the line opening its list.
void AppendFolderStart(const model::Item& folder, const char* mark,
                       const std::u16string& title, size_t level,
                       std::string* out) {
  AppendIndent(level, out);
  *out += "<DT><H3";
  AppendDate("ADD_DATE", folder.date_added, out);
  AppendDate("LAST_MODIFIED", folder.last_modified, out);
  if (mark != nullptr) {
    *out += ' ';
    *out += mark;
    *out += "=\"true\"";
  }
  *out += '>';
  AppendEscaped(title, out);
  *out += "</H3>\n";
  AppendIndent(level, out);
  *out += "<DL><p>\n";
}

// Everything below folder, its items at indentation level.
void AppendContents(const model::Tree& tree, model::ItemId folder, size_t level,
                    std::string* out) {
  std::vector<std::pair<model::ItemId, size_t>> stack;
  stack.emplace_back(folder, 0);
  while (!stack.empty()) {
    const model::ItemId current = stack.back().first;
    const size_t index = stack.back().second;
    const size_t depth = level + stack.size() - 1;
    const model::Item& parent = tree.at(current);
    if (index >= parent.children.size()) {
      stack.pop_back();
      if (!stack.empty()) {
        AppendIndent(depth - 1, out);
        *out += "</DL><p>\n";
      }
      continue;
    }
    ++stack.back().second;
    const model::ItemId child = parent.children[index];
    const model::Item& item = tree.at(child);
    switch (item.kind) {
      case model::ItemKind::kLink:
        AppendIndent(depth, out);
        AppendLink(item, out);
        context::Current().progress().Written(item.kind);
        break;
      case model::ItemKind::kSeparator:
        AppendIndent(depth, out);
        *out += "<HR>\n";
        break;
      case model::ItemKind::kFolder:
        AppendFolderStart(item, nullptr, item.title, depth, out);
        stack.emplace_back(child, 0);
        break;
    }
  }
}

}  // namespace

std::string WriteBookmarkHtml(const model::Tree& tree) {
  context::Current().progress().AddTotal(model::LinksIn(tree));
  std::string out;
  out.reserve(256 + tree.size() * 96);
  out +=
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
      "<!-- This is an automatically generated file.\n"
      "     It will be read and overwritten.\n"
      "     DO NOT EDIT! -->\n"
      // A file that names the mobile mark is read by its marks alone, so a
      // menu folder that happens to be titled "Mobile bookmarks" stays one.
      "<!-- MOBILE_BOOKMARKS_FOLDER marks the mobile bookmarks. -->\n"
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
      "charset=UTF-8\">\n"
      "<TITLE>Bookmarks</TITLE>\n"
      "<H1>";
  const model::ItemId menu = tree.root(model::Root::kMenu);
  AppendEscaped(menu != model::kNoItem ? tree.at(menu).title : u"Bookmarks",
                &out);
  out += "</H1>\n\n<DL><p>\n";
  if (menu != model::kNoItem) AppendContents(tree, menu, 1, &out);

  struct Special {
    model::Root root;
    const char* mark;
    const char16_t* default_title;
  };
  static const Special kSpecial[] = {
      {model::Root::kToolbar, "PERSONAL_TOOLBAR_FOLDER", u"Bookmarks Toolbar"},
      {model::Root::kOther, "UNFILED_BOOKMARKS_FOLDER", u"Other Bookmarks"},
      {model::Root::kMobile, "MOBILE_BOOKMARKS_FOLDER", u"Mobile Bookmarks"},
  };
  for (const Special& special : kSpecial) {
    const model::ItemId root = tree.root(special.root);
    if (root == model::kNoItem) continue;
    const model::Item& item = tree.at(root);
    AppendFolderStart(item, special.mark,
                      item.title.empty() ? special.default_title : item.title,
                      1, &out);
    AppendContents(tree, root, 2, &out);
    AppendIndent(1, &out);
    out += "</DL><p>\n";
  }
  out += "</DL><p>\n";
  return out;
}

}  // namespace html
}  // namespace marksafe
