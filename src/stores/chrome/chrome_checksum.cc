#include "stores/chrome/chrome_checksum.h"

#include <algorithm>

#include "base/text.h"
#include "platform/platform.h"
#include "platform/random_block.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/json_access.h"

namespace marksafe {
namespace chrome {
namespace {

// The guid Chrome gives its "Mobile bookmarks" root in every profile.
constexpr char kSyncedRootGuid[] = "4cf2e351-0e85-532b-bb37-df045d8f8d0f";
constexpr char kSyncedRootName[] = "Mobile bookmarks";

// The text of an id member as the file spells it: a string as it stands, a
// number in decimal, anything else empty.
std::string IdText(const Json::Value& node) {
  const Json::Value* id = Member(node, "id");
  if (id == nullptr) return std::string();
  if (id->isString()) return id->asString();
  if (id->isInt64()) return std::to_string(id->asInt64());
  if (id->isUInt64()) return std::to_string(id->asUInt64());
  return std::string();
}

// The text of a string member, without a copy; false when the member is
// missing or no string.
bool StringView(const Json::Value& node, const char* key, const char** begin,
                const char** end) {
  const Json::Value* member = Member(node, key);
  return member != nullptr && member->isString() &&
         member->getString(begin, end);
}

void AppendUtf16le(const char* begin, const char* end, std::string* out) {
  // Most names are ASCII: their UTF-16 is each byte and a zero.
  if (std::all_of(begin, end, [](char c) { return (c & 0x80) == 0; })) {
    size_t at = out->size();
    out->resize(at + 2 * static_cast<size_t>(end - begin), '\0');
    for (const char* c = begin; c != end; ++c, at += 2) (*out)[at] = *c;
    return;
  }
  for (const char16_t unit : platform::FromUtf8(std::string(begin, end))) {
    out->push_back(static_cast<char>(unit & 0xFF));
    out->push_back(static_cast<char>(unit >> 8));
  }
}

void AppendAdded(const AddedNodes& added, uint32_t index, std::string* data) {
  const AddedNode& node = added[index];
  data->append(node.id);
  AppendUtf16le(node.name.data(), node.name.data() + node.name.size(), data);
  if (!node.folder) {
    data->append("url");
    data->append(node.url);
    return;
  }
  data->append("folder");
  // Added folders nest no deeper than Chrome loads.
  for (const uint32_t child : node.children) AppendAdded(added, child, data);
}

void AppendNode(const Json::Value& node, const AddedNodes* added,
                std::string* data) {
  const bool is_url = IsUrlNode(node);
  if (!is_url && !IsFolderNode(node)) return;
  const char* begin = nullptr;
  const char* end = nullptr;
  data->append(IdText(node));
  if (StringView(node, "name", &begin, &end)) AppendUtf16le(begin, end, data);
  if (is_url) {
    data->append("url");
    if (StringView(node, "url", &begin, &end)) data->append(begin, end);
    return;
  }
  data->append("folder");
  const Json::Value* children = ChildrenOf(node);
  if (children == nullptr) return;
  for (const Json::Value& child : *children) AppendNode(child, added, data);
  if (added == nullptr) return;
  if (const std::vector<uint32_t>* more = added->After(*children)) {
    for (const uint32_t index : *more) AppendAdded(*added, index, data);
  }
}

}  // namespace

std::string TreeChecksum(const Json::Value& document,
                         const AddedNodes* added) {
  std::string data;
  for (const char* root : {"bookmark_bar", "other", "synced"}) {
    const Json::Value* folder = RootFolder(document, root);
    if (folder != nullptr) AppendNode(*folder, added, &data);
  }
  unsigned char digest[16];
  if (!platform::Md5Digest(data, digest)) return std::string();
  return LowerHex(digest, sizeof digest);
}

bool NewGuid(std::string* guid) {
  unsigned char bytes[16];
  if (!BlockRandomBytes(bytes, sizeof bytes)) return false;
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // variant
  static const char kHex[] = "0123456789abcdef";
  // Written into a buffer and assigned once: a new node needs one per
  // bookmark, and growing a string a character at a time cost more than
  // the random bytes.
  char text[36];
  char* out = text;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) *out++ = '-';
    *out++ = kHex[bytes[i] >> 4];
    *out++ = kHex[bytes[i] & 0x0F];
  }
  guid->assign(text, sizeof text);
  return true;
}

bool AddSyncedRoot(Json::Value* document, IdAllocator* ids) {
  Json::Value* roots = MutableMember(document, "roots");
  if (roots == nullptr || !roots->isObject()) return false;
  const Json::Value* synced = Member(*roots, "synced");
  if (synced != nullptr && !synced->isNull()) return false;
  Json::Value root;
  make_folder_node(ids != nullptr ? ids->Next() : IdAllocator(*document).Next(),
                   kSyncedRootName, 0, 0, &root);
  root["guid"] = kSyncedRootGuid;
  (*roots)["synced"] = std::move(root);
  return true;
}

bool PrepareForChrome(Json::Value* document, bool changed,
                      const AddedNodes* added) {
  Json::Value* roots = MutableMember(document, "roots");
  if (roots == nullptr || !roots->isObject()) return false;
  const bool root_added = AddSyncedRoot(document);
  if (!changed && !root_added) return false;
  const std::string checksum = TreeChecksum(*document, added);
  if (!checksum.empty()) (*document)["checksum"] = checksum;
  return true;
}

}  // namespace chrome
}  // namespace marksafe
