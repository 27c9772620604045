#include "stores/firefox_json/firefox_json_reader.h"

#include <json/json.h>
#include <lz4.h>

#include <cstring>
#include <exception>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

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

std::string StringField(const Json::Value& node, const char* key) {
  const Json::Value& value = node[key];
  return value.isString() ? value.asString() : std::string();
}

model::Time TimeField(const Json::Value& node, const char* key) {
  const Json::Value& value = node[key];
  if (value.isInt64()) return value.asInt64();
  // Older Firefox versions wrote some dates as doubles.
  if (value.isDouble() && value.asDouble() >= 0 && value.asDouble() < 9e18) {
    return static_cast<model::Time>(value.asDouble());
  }
  return 0;
}

// typeCode, else the older "type" text; false for anything else.
bool KindOf(const Json::Value& node, model::ItemKind* kind) {
  int code = 0;
  if (node["typeCode"].isInt()) {
    code = node["typeCode"].asInt();
  } else {
    const std::string type = StringField(node, "type");
    code = type == "text/x-moz-place"             ? 1
           : type == "text/x-moz-place-container" ? 2
           : type == "text/x-moz-place-separator" ? 3
                                                  : 0;
  }
  switch (code) {
    case 1: *kind = model::ItemKind::kLink; return true;
    case 2: *kind = model::ItemKind::kFolder; return true;
    case 3: *kind = model::ItemKind::kSeparator; return true;
    default: return false;
  }
}

// The item a node describes, or false when it is to be left out.
bool ItemOf(const Json::Value& node, model::Item* item) {
  if (!node.isObject() || !KindOf(node, &item->kind)) return false;
  item->title = platform::FromUtf8(StringField(node, "title"));
  item->date_added = TimeField(node, "dateAdded");
  item->last_modified = TimeField(node, "lastModified");
  if (item->kind != model::ItemKind::kLink) return true;
  item->url = platform::FromUtf8(StringField(node, "uri"));
  if (item->url.empty()) return false;
  const std::u16string tags = platform::FromUtf8(StringField(node, "tags"));
  size_t start = 0;
  while (start <= tags.size() && !tags.empty()) {
    size_t comma = tags.find(u',', start);
    if (comma == std::u16string::npos) comma = tags.size();
    if (comma > start) item->tags.push_back(tags.substr(start, comma - start));
    start = comma + 1;
  }
  item->keyword = platform::FromUtf8(StringField(node, "keyword"));
  item->post_data = platform::FromUtf8(StringField(node, "postData"));
  return true;
}

// Adds the children of every folder below the root's node, in order,
// with an explicit stack of (node, folder) pairs.
Status ReadRoot(const Json::Value& top, model::Tree* tree, model::ItemId root,
                BackupNotes* notes) {
  std::vector<std::pair<const Json::Value*, model::ItemId>> stack;
  stack.emplace_back(&top, root);
  while (!stack.empty()) {
    const auto [node, folder] = stack.back();
    stack.pop_back();
    const Json::Value& children = (*node)["children"];
    if (children.isNull()) continue;
    if (!children.isArray()) return Damaged("\"children\" is not a list");
    // Children are pushed after their folder is added, in reverse so that
    // they come off the stack in order; the tree keeps the order by Add.
    std::vector<std::pair<const Json::Value*, model::ItemId>> folders;
    for (const Json::Value& child : children) {
      model::Item item;
      if (!ItemOf(child, &item)) {
        ++notes->skipped;
        continue;
      }
      const bool is_folder = item.kind == model::ItemKind::kFolder;
      const model::ItemId id = tree->Add(folder, std::move(item));
      if (id == model::kNoItem) {
        return Damaged("folders nest deeper than " +
                       std::to_string(model::kMaxDepth) + " levels");
      }
      if (is_folder) folders.emplace_back(&child, id);
    }
    stack.insert(stack.end(), folders.rbegin(), folders.rend());
  }
  return Status::Ok();
}

bool ParseJson(const std::string& text, Json::Value* out, std::string* why) {
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  builder["failIfExtra"] = false;  // trailing blanks after the tree
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  try {
    std::string errors;
    if (reader->parse(text.data(), text.data() + text.size(), out, &errors)) {
      return true;
    }
    // JsonCpp lists its errors on several lines ("* Line 1, Column 1\n
    // Syntax error: ..."): the first, on one line.
    std::istringstream lines(errors);
    std::string line;
    while (std::getline(lines, line) && why->size() < 200) {
      const size_t start = line.find_first_not_of(" *");
      if (start == std::string::npos) continue;
      if (line.compare(start, 5, "Line ") == 0 && !why->empty()) break;
      *why += (why->empty() ? "" : ": ") + line.substr(start);
    }
    return false;
  } catch (const std::exception&) {
    // JsonCpp throws when nesting exceeds its stack limit.
    *why = "it nests deeper than the JSON reader's limit";
    return false;
  }
}

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
  Json::Value document;
  std::string why;
  if (!ParseJson(*text, &document, &why)) return Damaged("not JSON: " + why);
  std::string().swap(decoded);  // the document holds it all now
  if (!document.isObject() || !document["children"].isArray()) {
    return Damaged("no bookmark roots");
  }
  bool any = false;
  for (const Json::Value& top : document["children"]) {
    model::Root root;
    if (!top.isObject() || !RootOfMark(StringField(top, "root"), &root)) {
      continue;
    }
    if (tree->root(root) != model::kNoItem) continue;  // a repeated root
    const model::ItemId id =
        tree->AddRoot(root, platform::FromUtf8(StringField(top, "title")));
    tree->at(id).date_added = TimeField(top, "dateAdded");
    tree->at(id).last_modified = TimeField(top, "lastModified");
    Status read = ReadRoot(top, tree, id, notes);
    if (!read.ok()) return read;
    any = true;
  }
  if (!any) return Damaged("no bookmark roots");
  return Status::Ok();
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
  Status read = ReadFirefoxBackup(bytes, tree, notes);
  if (read.ok()) return read;
  return Status::Error(read.code(), DisplayPath(path) + u": " + read.message());
}

}  // namespace firefox_json
}  // namespace marksafe
