// The tree builder of the bookmark HTML reader: folders, links, separators
// and the roots they go to, as the tokenizer reports tags and text.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "base/error_codes.h"
#include "base/text.h"
#include "model/url_normalize.h"
#include "platform/platform.h"
#include "stores/html/html_reader_state.h"
#include "stores/html/html_text.h"

namespace marksafe {
namespace html {
namespace detail {

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
  // Sizes first: a tag has several attributes and each link asks for
  // several names.
  const size_t length = std::strlen(name);
  for (const Attribute& attribute : attributes_) {
    if (attribute.name.size() == length &&
        std::memcmp(attribute.name.data(), name, length) == 0) {
      return &attribute;
    }
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
  if (!IsUrl(link.url)) {
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

}  // namespace detail
}  // namespace html
}  // namespace marksafe
