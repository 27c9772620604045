#include "stores/firefox_json/firefox_json_reader.h"

#include <lz4.h>

#include <cstring>
#include <exception>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

#include "base/json_cursor.h"
#include "base/text.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"

namespace marksafe {
namespace firefox_json {

const char kJsonLz4Magic[8] = {'m', 'o', 'z', 'L', 'z', '4', '0', '\0'};

namespace {

constexpr uint32_t kInvalidData = 13;
constexpr uint32_t kNotFound = 2;
constexpr size_t kHeaderBytes = sizeof(kJsonLz4Magic) + 4;
// Every text that may be written compresses into a file that is read.
static_assert(kMaxBackupJsonBytes <= LZ4_MAX_INPUT_SIZE &&
              kHeaderBytes + LZ4_COMPRESSBOUND(kMaxBackupJsonBytes) <=
                  kMaxBackupFileBytes);
// An LZ4 block gives at most 255 bytes for each of its own, plus a few.
constexpr size_t kMaxLz4Expansion = 255;
constexpr size_t kLz4ExpansionSlack = 64;

Status Damaged(const std::string& why) {
  return Status::Error(kInvalidData,
                       u"not a Firefox bookmark backup: " + platform::FromUtf8(why));
}

// The roots as Firefox marks them.
bool RootOfMark(const std::string& mark, model::Root* root) {
  static const std::pair<const char*, model::Root> kMarks[] = {
      {"bookmarksMenuFolder", model::Root::kMenu},
      {"toolbarFolder", model::Root::kToolbar},
      {"unfiledBookmarksFolder", model::Root::kOther},
      {"mobileFolder", model::Root::kMobile}};
  for (const auto& [name, value] : kMarks) {
    if (mark == name) {
      *root = value;
      return true;
    }
  }
  return false;
}

// The kind typeCode gives, else the older "type" text; false for anything
// else.
struct KindEvidence {
  bool has_code = false;
  int64_t code = 0;
  std::string type;

  bool Get(model::ItemKind* kind) const {
    const int64_t value =
        has_code ? code
        : type == "text/x-moz-place"             ? 1
        : type == "text/x-moz-place-container" ? 2
        : type == "text/x-moz-place-separator" ? 3
                                                : 0;
    switch (value) {
      case 1: *kind = model::ItemKind::kLink; return true;
      case 2: *kind = model::ItemKind::kFolder; return true;
      case 3: *kind = model::ItemKind::kSeparator; return true;
      default: return false;
    }
  }
  bool Known() const { return has_code || !type.empty(); }
};

void SplitTags(const std::u16string& tags, std::vector<std::u16string>* out) {
  out->clear();
  size_t start = 0;
  while (start < tags.size()) {
    size_t comma = tags.find(u',', start);
    if (comma == std::u16string::npos) comma = tags.size();
    if (comma > start) out->push_back(tags.substr(start, comma - start));
    start = comma + 1;
  }
}

// An object of the backup (the top object, a root, an item) while its
// members are read, in whatever order they come; or, with only_children,
// the "children" of a root that came before its "root" mark, read once the
// root was done.
struct Frame {
  enum class Level { kTop, kRoot, kItem };
  Level level = Level::kItem;
  JsonCursor* cursor = nullptr;
  std::unique_ptr<JsonCursor> own;  // the cursor of a list read later
  bool only_children = false;
  bool in_children = false;  // between the list's elements
  bool decided = false;      // placed into the tree, or left out
  // An item whose children came before its kind: placed as a folder, and
  // taken back with them if it turns out to be none.
  bool provisional = false;
  int64_t skipped_before = 0;  // the count to go back to then
  model::ItemId parent = model::kNoItem;  // items: where they go
  model::ItemId id = model::kNoItem;      // once in the tree
  model::Item item;                       // the members read so far
  KindEvidence kind;
  std::string mark;        // roots: "root"
  std::string_view later;  // a root's "children" to read once it is done
};

// Reads the backup's text into the tree in one pass, member by member:
// no document of the whole is built.
class BackupReader {
 public:
  BackupReader(model::Tree* tree, BackupNotes* notes)
      : tree_(tree), notes_(notes) {}

  Status Read(std::string_view text) {
    JsonCursor cursor(text);
    if (cursor.Peek() != JsonCursor::Kind::kObject) {
      if (!cursor.Skip()) return NotJson(cursor);
      return Damaged("no bookmark roots");
    }
    if (!cursor.EnterObject()) return NotJson(cursor);
    Frame top;
    top.level = Frame::Level::kTop;
    top.cursor = &cursor;
    stack_.push_back(std::move(top));
    while (!stack_.empty()) {
      Status step = Step();
      if (!step.ok()) return step;
    }
    if (!any_root_) return Damaged("no bookmark roots");
    return Status::Ok();
  }

 private:
  // Reads one member of the innermost object, or one element of its list.
  Status Step() {
    Frame& frame = stack_.back();
    JsonCursor& cursor = *frame.cursor;
    if (frame.in_children) {
      if (cursor.NextItem()) return Element(&frame);
      if (!cursor.ok()) return NotJson(cursor);
      frame.in_children = false;
      if (frame.only_children) stack_.pop_back();
      return Status::Ok();
    }
    std::string key;
    if (!cursor.NextKey(&key)) {
      if (!cursor.ok()) return NotJson(cursor);
      return Close();
    }
    if (key == "children") return Children(&frame);
    return Member(&frame, key);
  }

  // One element of a list of roots or of items.
  Status Element(Frame* list) {
    JsonCursor& cursor = *list->cursor;
    if (cursor.Peek() != JsonCursor::Kind::kObject) {
      // Neither a root nor an item: left out (an item is counted).
      if (list->level != Frame::Level::kTop) ++notes_->skipped;
      return cursor.Skip() ? Status::Ok() : NotJson(cursor);
    }
    if (!cursor.EnterObject()) return NotJson(cursor);
    Frame child;
    child.level = list->level == Frame::Level::kTop ? Frame::Level::kRoot
                                                    : Frame::Level::kItem;
    child.cursor = &cursor;
    child.parent = list->id;
    stack_.push_back(std::move(child));
    return Status::Ok();
  }

  Status Member(Frame* frame, const std::string& key) {
    JsonCursor& cursor = *frame->cursor;
    model::Item& item = frame->item;
    const JsonCursor::Kind kind = cursor.Peek();
    bool ok = true;
    if (kind == JsonCursor::Kind::kString &&
        (key == "title" || key == "uri" || key == "tags" || key == "keyword" ||
         key == "postData" || key == "type" || key == "root")) {
      ok = cursor.ReadString(&text_);
      if (key == "type") {
        frame->kind.type = text_;
      } else if (key == "root") {
        frame->mark = text_;
      } else {
        std::u16string value = platform::FromUtf8(text_);
        if (key == "title") item.title = std::move(value);
        if (key == "uri") item.url = std::move(value);
        if (key == "tags") SplitTags(value, &item.tags);
        if (key == "keyword") item.keyword = std::move(value);
        if (key == "postData") item.post_data = std::move(value);
      }
    } else if (kind == JsonCursor::Kind::kNumber &&
               (key == "dateAdded" || key == "lastModified" ||
                key == "typeCode")) {
      int64_t number = 0;
      bool whole = false;
      ok = cursor.ReadNumber(&number, &whole);
      if (key == "typeCode") {
        frame->kind.has_code =
            whole && number >= INT32_MIN && number <= INT32_MAX;
        frame->kind.code = number;
      } else {
        // Whole numbers, also where older Firefox versions wrote doubles.
        (key == "dateAdded" ? item.date_added : item.last_modified) =
            whole ? number : 0;
      }
    } else {
      ok = cursor.Skip();
    }
    return ok ? Status::Ok() : NotJson(cursor);
  }

  // "children": read in place into a folder or root; a root's kept for
  // later when its mark comes after them; passed over for anything else.
  Status Children(Frame* frame) {
    JsonCursor& cursor = *frame->cursor;
    bool take = frame->id != model::kNoItem;
    if (frame->level == Frame::Level::kTop) {
      take = cursor.Peek() == JsonCursor::Kind::kArray;
    } else if (!take && !frame->decided) {
      if (frame->level == Frame::Level::kRoot && frame->mark.empty()) {
        return cursor.Skip(&frame->later) ? Status::Ok() : NotJson(cursor);
      }
      model::ItemKind kind = model::ItemKind::kFolder;
      const bool known = frame->kind.Known();
      if (frame->level == Frame::Level::kRoot ||
          (known && frame->kind.Get(&kind) &&
           kind == model::ItemKind::kFolder)) {
        Status placed = Place(frame);
        if (!placed.ok()) return placed;
      } else if (!known) {
        Status placed = PlaceProvisional(frame);
        if (!placed.ok()) return placed;
      }
      take = frame->id != model::kNoItem;
    }
    if (!take) return cursor.Skip() ? Status::Ok() : NotJson(cursor);
    return OpenList(frame);
  }

  // Enters the list frame's cursor is at (null: an empty one).
  static Status OpenList(Frame* frame) {
    JsonCursor& cursor = *frame->cursor;
    switch (cursor.Peek()) {
      case JsonCursor::Kind::kNull:
        return cursor.Skip() ? Status::Ok() : NotJson(cursor);
      case JsonCursor::Kind::kArray:
        if (!cursor.EnterArray()) return NotJson(cursor);
        frame->in_children = true;
        return Status::Ok();
      default:
        return Damaged("\"children\" is not a list");
    }
  }

  // Puts the object into the tree as what it is: a root of a mark (the
  // first of each), a link with its URL, a folder, a separator. Anything
  // else is left out, an item counted.
  Status Place(Frame* frame) {
    frame->decided = true;
    model::Item& item = frame->item;
    if (frame->level == Frame::Level::kRoot) {
      model::Root root;
      if (!RootOfMark(frame->mark, &root) ||
          tree_->root(root) != model::kNoItem) {
        return Status::Ok();
      }
      frame->id = tree_->AddRoot(root, item.title);
      tree_->at(frame->id).date_added = item.date_added;
      tree_->at(frame->id).last_modified = item.last_modified;
      any_root_ = true;
      return Status::Ok();
    }
    if (!frame->kind.Get(&item.kind) ||
        (item.kind == model::ItemKind::kLink && item.url.empty())) {
      ++notes_->skipped;
      return Status::Ok();
    }
    if (item.kind != model::ItemKind::kLink) {
      item.url.clear();
      item.tags.clear();
      item.keyword = std::u16string();
      item.post_data = std::u16string();
    }
    return Add(frame);
  }

  // The folder keeps none of a link's members read so far: they stay with
  // the frame in case the item turns out to be a link.
  Status PlaceProvisional(Frame* frame) {
    frame->provisional = true;
    frame->decided = true;
    frame->skipped_before = notes_->skipped;
    model::Item folder;
    folder.kind = model::ItemKind::kFolder;
    folder.title = frame->item.title;
    return Add(frame, std::move(folder));
  }

  Status Add(Frame* frame) { return Add(frame, frame->item); }
  Status Add(Frame* frame, model::Item item) {
    frame->id = tree_->Add(frame->parent, std::move(item));
    if (frame->id != model::kNoItem) return Status::Ok();
    return Damaged("folders nest deeper than " +
                   std::to_string(model::kMaxDepth) + " levels");
  }

  // The object has ended: it goes into the tree, or what came after its
  // children is given to it; a root's list kept for later is read now.
  Status Close() {
    Frame frame = std::move(stack_.back());
    stack_.pop_back();
    if (frame.level == Frame::Level::kTop) return Status::Ok();
    model::ItemKind kind = model::ItemKind::kFolder;
    if (frame.provisional &&
        !(frame.kind.Get(&kind) && kind == model::ItemKind::kFolder)) {
      // No folder after all: its children go, and it is read as itself.
      tree_->DropLast(frame.id);
      notes_->skipped = frame.skipped_before;
      frame.id = model::kNoItem;
      frame.decided = false;
    }
    if (!frame.decided) {
      Status placed = Place(&frame);
      if (!placed.ok()) return placed;
    } else if (frame.id != model::kNoItem) {
      model::Item& placed = tree_->at(frame.id);
      placed.title = std::move(frame.item.title);
      placed.date_added = frame.item.date_added;
      placed.last_modified = frame.item.last_modified;
    }
    if (frame.later.empty() || frame.id == model::kNoItem) {
      return Status::Ok();
    }
    Frame list;
    list.level = Frame::Level::kRoot;
    list.own = std::make_unique<JsonCursor>(frame.later);
    list.cursor = list.own.get();
    list.only_children = true;
    list.id = frame.id;
    Status opened = OpenList(&list);
    if (opened.ok() && list.in_children) stack_.push_back(std::move(list));
    return opened;
  }

  static Status NotJson(const JsonCursor& cursor) {
    return Damaged("not JSON: " + cursor.error());
  }

  model::Tree* tree_;
  BackupNotes* notes_;
  std::vector<Frame> stack_;
  std::string text_;
  bool any_root_ = false;
};

}  // namespace

bool IsJsonLz4(const std::string& bytes) {
  return bytes.size() >= sizeof(kJsonLz4Magic) &&
         std::memcmp(bytes.data(), kJsonLz4Magic, sizeof(kJsonLz4Magic)) == 0;
}

Status DecodeJsonLz4(const std::string& bytes, std::string* json) {
  json->clear();
  if (!IsJsonLz4(bytes) || bytes.size() < kHeaderBytes) {
    return Damaged("no mozLz40 header");
  }
  const auto* size_bytes =
      reinterpret_cast<const unsigned char*>(bytes.data()) + 8;
  const uint32_t size = uint32_t{size_bytes[0]} | uint32_t{size_bytes[1]} << 8 |
                        uint32_t{size_bytes[2]} << 16 |
                        uint32_t{size_bytes[3]} << 24;
  if (size > kMaxBackupJsonBytes) {
    return Damaged("it would decompress to " + std::to_string(size) +
                   " bytes, more than the " +
                   std::to_string(kMaxBackupJsonBytes >> 20) + " MiB allowed");
  }
  const size_t block = bytes.size() - kHeaderBytes;
  if (block > static_cast<size_t>(LZ4_MAX_INPUT_SIZE)) {
    return Damaged("the compressed block is too large");
  }
  // Checked before the text is allocated: a small file may not claim a
  // gigabyte.
  if (size > block * kMaxLz4Expansion + kLz4ExpansionSlack) {
    return Damaged("the header gives " + std::to_string(size) +
                   " bytes, more than the compressed block can hold");
  }
  json->resize(size);
  const int got = LZ4_decompress_safe(
      bytes.data() + kHeaderBytes, json->data(), static_cast<int>(block),
      static_cast<int>(size));
  if (got < 0 || static_cast<uint32_t>(got) != size) {
    json->clear();
    return Damaged("the compressed block is damaged");
  }
  return Status::Ok();
}

std::string EncodeJsonLz4(const std::string& json) {
  if (json.size() > kMaxBackupJsonBytes) return std::string();
  const int bound = LZ4_compressBound(static_cast<int>(json.size()));
  std::string out(kHeaderBytes + static_cast<size_t>(bound), '\0');
  std::memcpy(out.data(), kJsonLz4Magic, sizeof(kJsonLz4Magic));
  const uint32_t size = static_cast<uint32_t>(json.size());
  for (int i = 0; i < 4; ++i) {
    out[8 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
  }
  const int written =
      LZ4_compress_default(json.data(), out.data() + kHeaderBytes,
                           static_cast<int>(json.size()), bound);
  if (written <= 0) return std::string();
  out.resize(kHeaderBytes + static_cast<size_t>(written));
  return out;
}

Status ReadFirefoxBackup(const std::string& bytes, model::Tree* tree,
                         BackupNotes* notes) {
  BackupNotes ignored;
  if (notes == nullptr) notes = &ignored;
  std::string decoded;
  const std::string* text = &bytes;
  if (IsJsonLz4(bytes)) {
    Status decode = DecodeJsonLz4(bytes, &decoded);
    if (!decode.ok()) return decode;
    text = &decoded;
  } else if (bytes.size() > kMaxBackupJsonBytes) {
    return Damaged("the file is too large");
  }
  return BackupReader(tree, notes).Read(*text);
}

Status ReadFirefoxBackupFile(const std::u16string& path, model::Tree* tree,
                             BackupNotes* notes) {
  const size_t slash = path.find_last_of(u"/\\");
  const std::u16string folder =
      slash == std::u16string::npos ? u"." : path.substr(0, slash + 1);
  std::string bytes;
  if (!platform::ReadProfileFile(folder, path, &bytes, kMaxBackupFileBytes)
           .ok()) {
    return Status::Error(
        kNotFound, DisplayPath(path) +
                       u": cannot be read (not a regular file inside its "
                       u"folder, or larger than " +
                       NumberText(kMaxBackupFileBytes >> 20) + u" MiB)");
  }
  Status read;
  if (IsJsonLz4(bytes)) {
    // The compressed bytes go before the tree is built.
    std::string json;
    read = DecodeJsonLz4(bytes, &json);
    std::string().swap(bytes);
    if (read.ok()) read = ReadFirefoxBackup(json, tree, notes);
  } else {
    read = ReadFirefoxBackup(bytes, tree, notes);
  }
  if (read.ok()) return read;
  return Status::Error(read.code(), DisplayPath(path) + u": " + read.message());
}

}  // namespace firefox_json
}  // namespace marksafe
