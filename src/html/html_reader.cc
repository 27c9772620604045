#include "html/html_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/error_codes.h"
#include "common/text.h"
#include "common/url_normalize.h"
#include "html/html_charset.h"
#include "platform/platform.h"

namespace marksafe {
namespace html {
namespace {

bool IsAsciiAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

std::string LowerCopy(const char* begin, const char* end) {
  std::string out(begin, end);
  for (char& c : out) c = Lower(c);
  return out;
}

bool EqualsNoCaseAscii(const char* begin, const char* end, const char* word) {
  const size_t length = std::strlen(word);
  if (static_cast<size_t>(end - begin) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (Lower(begin[i]) != word[i]) return false;
  }
  return true;
}

void AppendCodePoint(char32_t code_point, std::u16string* out) {
  if (code_point < 0x10000) {
    out->push_back(static_cast<char16_t>(code_point));
  } else {
    code_point -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
  }
}

// Raw UTF-8 text (no references in it) appended as UTF-16.
void AppendUtf8(const char* begin, const char* end, std::u16string* out) {
  const char* p = begin;
  while (p < end && static_cast<unsigned char>(*p) < 0x80) {
    out->push_back(static_cast<char16_t>(*p));
    ++p;
  }
  if (p < end) *out += platform::FromUtf8(std::string(p, end));
}

// The named references a bookmark file may carry: the markup ones, the
// Latin-1 range and the common typographic marks.
const std::unordered_map<std::string, char32_t>& NamedReferences() {
  static const std::unordered_map<std::string, char32_t> names = [] {
    static const char* const kLatin1[96] = {
        "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar",
        "sect",   "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",
        "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",
        "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",
        "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",
        "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute",
        "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",
        "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
        "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
        "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
        "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
        "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute",
        "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave", "uacute",
        "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
    std::unordered_map<std::string, char32_t> map = {
        {"amp", U'&'},      {"lt", U'<'},       {"gt", U'>'},
        {"quot", U'"'},     {"apos", U'\''},    {"OElig", 0x152},
        {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},
        {"Yuml", 0x178},    {"fnof", 0x192},    {"circ", 0x2C6},
        {"tilde", 0x2DC},   {"ensp", 0x2002},   {"emsp", 0x2003},
        {"thinsp", 0x2009}, {"zwnj", 0x200C},   {"zwj", 0x200D},
        {"lrm", 0x200E},    {"rlm", 0x200F},    {"ndash", 0x2013},
        {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},
        {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},
        {"bdquo", 0x201E},  {"dagger", 0x2020}, {"Dagger", 0x2021},
        {"bull", 0x2022},   {"hellip", 0x2026}, {"permil", 0x2030},
        {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"euro", 0x20AC},
        {"trade", 0x2122},  {"larr", 0x2190},   {"uarr", 0x2191},
        {"rarr", 0x2192},   {"darr", 0x2193},   {"harr", 0x2194}};
    for (int i = 0; i < 96; ++i) map.emplace(kLatin1[i], 0xA0 + i);
    return map;
  }();
  return names;
}

// The reference starting at *p ("&..."); false (and nothing consumed) when
// it is no complete valid reference.
bool ParseReference(const char* p, const char* end, char32_t* code_point,
                    const char** after) {
  const char* q = p + 1;
  if (q < end && *q == '#') {
    ++q;
    const bool hex = q < end && (*q == 'x' || *q == 'X');
    if (hex) ++q;
    uint32_t value = 0;
    int digits = 0;
    for (; q < end; ++q) {
      int digit;
      if (IsAsciiDigit(*q)) {
        digit = *q - '0';
      } else if (hex && Lower(*q) >= 'a' && Lower(*q) <= 'f') {
        digit = Lower(*q) - 'a' + 10;
      } else {
        break;
      }
      if (++digits > 8) return false;
      value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    }
    if (digits == 0 || q >= end || *q != ';') return false;
    if (value == 0 || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF)) {
      return false;
    }
    *code_point = value;
    *after = q + 1;
    return true;
  }
  const char* name_end = q;
  while (name_end < end && name_end - q < 16 &&
         (IsAsciiAlpha(*name_end) || IsAsciiDigit(*name_end))) {
    ++name_end;
  }
  if (name_end == q || name_end >= end || *name_end != ';') return false;
  const auto& names = NamedReferences();
  auto found = names.find(std::string(q, name_end));
  if (found == names.end()) {
    // &AMP; &LT; ... are common enough in hand-written files.
    const std::string lower = LowerCopy(q, name_end);
    if (lower != "amp" && lower != "lt" && lower != "gt" && lower != "quot") {
      return false;
    }
    found = names.find(lower);
  }
  *code_point = found->second;
  *after = name_end + 1;
  return true;
}

// Text with character references, decoded and appended as UTF-16.
void AppendDecoded(const char* begin, const char* end, std::u16string* out) {
  const char* raw = begin;
  const char* p = begin;
  while (p < end) {
    const void* amp = std::memchr(p, '&', static_cast<size_t>(end - p));
    if (amp == nullptr) break;
    p = static_cast<const char*>(amp);
    char32_t code_point;
    const char* after;
    if (ParseReference(p, end, &code_point, &after)) {
      AppendUtf8(raw, p, out);
      AppendCodePoint(code_point, out);
      raw = p = after;
    } else {
      ++p;
    }
  }
  AppendUtf8(raw, end, out);
}

std::u16string Decoded(const char* begin, const char* end) {
  std::u16string out;
  AppendDecoded(begin, end, &out);
  return out;
}

struct Attribute {
  std::string name;  // lower case
  const char* begin;
  const char* end;
};

// Seconds since 1970 in a date attribute; 0 when it holds none.
model::Time DateOf(const Attribute* attribute) {
  if (attribute == nullptr) return 0;
  const char* p = attribute->begin;
  while (p < attribute->end && IsSpace(*p)) ++p;
  int64_t seconds = 0;
  int digits = 0;
  for (; p < attribute->end && IsAsciiDigit(*p); ++p) {
    if (++digits > 15) break;  // far beyond any real date
    seconds = seconds * 10 + (*p - '0');
  }
  return model::FromSeconds(seconds);
}

// What a first look at a file finds before it is read.
struct Prescan {
  std::string charset;       // the label a <META> before the first list gives
  bool mobile_mark = false;  // an <H3> carries MOBILE_BOOKMARKS_FOLDER="true"
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
  if (name == "dl") {
    list_seen_ = true;
  } else if (name == "meta" && !list_seen_ && prescan_->charset.empty()) {
    if (const Attribute* charset = Find("charset")) {
      prescan_->charset.assign(charset->begin, charset->end);
    } else if (const Attribute* content = Find("content")) {
      prescan_->charset =
          CharsetOfContent(std::string(content->begin, content->end));
    }
  } else if (name == "h3" && IsMarked("mobile_bookmarks_folder")) {
    prescan_->mobile_mark = true;
  }
}

void Reader::OnText(const char* begin, const char* end) {
  switch (capture_) {
    case Capture::kNone:
      return;
    case Capture::kTitle:
      AppendDecoded(begin, end,
                    holding_ ? &held_.title : &tree_->at(capture_item_).title);
      return;
    case Capture::kHeading:
      AppendDecoded(begin, end, &heading_);
      return;
    case Capture::kSkipped:
      AppendDecoded(begin, end, &skipped_.back().title);
      return;
  }
}

void Reader::EndCapture(bool implicit) {
  if (capture_ == Capture::kNone) return;
  if (implicit) {
    std::u16string& text =
        capture_ == Capture::kHeading   ? heading_
        : capture_ == Capture::kSkipped ? skipped_.back().title
        : holding_                      ? held_.title
                                        : tree_->at(capture_item_).title;
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t' ||
                             text.back() == u'\n' || text.back() == u'\r')) {
      text.pop_back();
    }
  }
  if (capture_ == Capture::kTitle && holding_) AddHeldFolder();
  capture_ = Capture::kNone;
  capture_item_ = model::kNoItem;
}

const Attribute* Reader::Find(const char* name) const {
  for (const Attribute& attribute : attributes_) {
    if (attribute.name == name) return &attribute;
  }
  return nullptr;
}

model::Time Reader::DateAdded(model::Time last_modified) const {
  const model::Time added = DateOf(Find("add_date"));
  return added != 0 ? added : last_modified;
}

bool Reader::IsMarked(const char* name) const {
  const Attribute* attribute = Find(name);
  return attribute != nullptr &&
         EqualsNoCaseAscii(attribute->begin, attribute->end, "true");
}

void Reader::AddHeldFolder() {
  holding_ = false;
  model::ItemId id = model::kNoItem;
  if (held_.title == u"Mobile bookmarks" &&
      tree_->root(model::Root::kMobile) == model::kNoItem) {
    id = tree_->AddRoot(model::Root::kMobile, held_.title);
    tree_->at(id).date_added = held_.date_added;
    tree_->at(id).last_modified = held_.last_modified;
  } else {
    // One level below the menu: never too deep.
    id = tree_->Add(menu_, std::move(held_));
  }
  held_ = model::Item();
  pending_ = id;
}

Status Reader::TooDeep() const {
  return Status::Error(kErrorInvalidData,
                       u"Bookmark HTML: folders nested deeper than " +
                           NumberText(model::kMaxDepth) + u" levels");
}

Status Reader::StartFolder() {
  model::Item folder;
  folder.kind = model::ItemKind::kFolder;
  folder.last_modified = DateOf(Find("last_modified"));
  folder.date_added = DateAdded(folder.last_modified);

  model::ItemId id = model::kNoItem;
  auto take_root = [&](model::Root root) {
    if (tree_->root(root) != model::kNoItem) return false;
    id = tree_->AddRoot(root, u"");
    model::Item& item = tree_->at(id);
    item.date_added = folder.date_added;
    item.last_modified = folder.last_modified;
    return true;
  };
  if (!(IsMarked("personal_toolbar_folder") &&
        take_root(model::Root::kToolbar)) &&
      !(IsMarked("unfiled_bookmarks_folder") &&
        take_root(model::Root::kOther)) &&
      !(mobile_mark_ && IsMarked("mobile_bookmarks_folder") &&
        take_root(model::Root::kMobile))) {
    if (!mobile_mark_ && Current() == menu_ &&
        tree_->root(model::Root::kMobile) == model::kNoItem) {
      held_ = std::move(folder);
      holding_ = true;
      pending_ = model::kNoItem;
      capture_ = Capture::kTitle;
      capture_item_ = model::kNoItem;
      return Status::Ok();
    }
    id = tree_->Add(Current(), std::move(folder));
    if (id == model::kNoItem) return TooDeep();
  }
  pending_ = id;
  capture_ = Capture::kTitle;
  capture_item_ = id;
  return Status::Ok();
}

Status Reader::AddLink() {
  const Attribute* href = Find("href");
  if (href == nullptr) return Status::Ok();
  model::Item link;
  link.kind = model::ItemKind::kLink;
  link.url = Decoded(href->begin, href->end);
  std::u16string normalized;
  if (!NormalizeUrl(link.url, &normalized)) {
    // Both browsers' importers drop an address that is no URL; it is left
    // out here too, and named.
    skipped_.push_back(Skipped{Current(), u"", std::move(link.url)});
    capture_ = Capture::kSkipped;
    return Status::Ok();
  }
  link.last_modified = DateOf(Find("last_modified"));
  link.date_added = DateAdded(link.last_modified);
  if (const Attribute* keyword = Find("shortcuturl")) {
    link.keyword = Decoded(keyword->begin, keyword->end);
    // A keyword can send POST data in place of a query.
    if (const Attribute* post_data = Find("post_data")) {
      if (!link.keyword.empty()) {
        link.post_data = Decoded(post_data->begin, post_data->end);
      }
    }
  }
  if (notes_ != nullptr) {
    if (Find("icon") != nullptr || Find("icon_uri") != nullptr) {
      ++notes_->icons;
    }
    if (Find("last_charset") != nullptr) ++notes_->charsets;
  }
  if (const Attribute* tags = Find("tags")) {
    const std::u16string all = Decoded(tags->begin, tags->end);
    size_t start = 0;
    while (start <= all.size()) {
      size_t comma = all.find(u',', start);
      if (comma == std::u16string::npos) comma = all.size();
      if (comma > start) link.tags.push_back(all.substr(start, comma - start));
      start = comma + 1;
    }
  }
  const model::ItemId id = tree_->Add(Current(), std::move(link));
  if (id == model::kNoItem) return TooDeep();
  capture_ = Capture::kTitle;
  capture_item_ = id;
  return Status::Ok();
}

Status Reader::OnStartTag(const std::string& name) {
  if (name == "h3") {
    EndCapture(true);
    pending_ = model::kNoItem;
    return StartFolder();
  }
  if (name == "a") {
    EndCapture(true);
    pending_ = model::kNoItem;
    return AddLink();
  }
  if (name == "hr") {
    EndCapture(true);
    pending_ = model::kNoItem;
    model::Item separator;
    separator.kind = model::ItemKind::kSeparator;
    if (tree_->Add(Current(), std::move(separator)) == model::kNoItem) {
      return TooDeep();
    }
    return Status::Ok();
  }
  if (name == "dl") {
    EndCapture(true);
    open_.push_back(pending_ != model::kNoItem ? pending_ : Current());
    pending_ = model::kNoItem;
    return Status::Ok();
  }
  if (name == "h1") {
    EndCapture(true);
    if (!heading_seen_) {
      heading_seen_ = true;
      capture_ = Capture::kHeading;
    }
    return Status::Ok();
  }
  // A description may stand between a folder and its list: <DT> and <DD>
  // end a title but keep the folder waiting for its <DL>.
  if (name == "dt" || name == "dd") EndCapture(true);
  return Status::Ok();
}

void Reader::OnEndTag(const std::string& name) {
  if (name == "a" || name == "h3" || name == "h1") {
    EndCapture(false);
  } else if (name == "dl") {
    EndCapture(true);
    pending_ = model::kNoItem;
    if (!open_.empty()) open_.pop_back();
  } else if (name == "dt" || name == "dd") {
    EndCapture(true);
  }
}

}  // namespace

Status ReadBookmarkHtml(const std::string& bytes, model::Tree* tree,
                        HtmlNotes* notes) {
  std::string converted;
  bool is_converted = DecodeUtf16WithBom(bytes, &converted);
  Prescan prescan;
  const auto look = [&prescan](const std::string& text) {
    prescan = Prescan();
    static_cast<void>(Reader(text, nullptr, &prescan, nullptr).Run());
  };
  look(is_converted ? converted : bytes);
  if (!is_converted && !prescan.charset.empty()) {
    const Status decoded =
        DecodeDeclared(bytes, prescan.charset, &converted, &is_converted);
    if (!decoded.ok()) return decoded;
    // The marks are looked for again in the text as it is read.
    if (is_converted) look(converted);
  }
  return Reader(is_converted ? converted : bytes, tree, &prescan, notes).Run();
}

}  // namespace html
}  // namespace marksafe
