#include "chrome/chrome_document.h"

#include <limits>

#include "chrome/chrome_checksum.h"
#include "chrome/document_reader.h"
#include "chrome/json_access.h"
#include "common/locators.h"
#include "common/text.h"
#include "platform/platform.h"

namespace marksafe {
namespace chrome {

const char kNewFolderDateAdded[] = "12915246468212928";
const char kNewFolderDateModified[] = "12915248079990011";

bool load_chrome_file(const char16_t* path, Json::Value* document) {
  std::u16string file;
  if (path == nullptr) {
    LocateChromeFile(&file);
  } else {
    file = FromPointer(path);
    if (file.size() > kMaxChromePathChars) file.clear();
  }
  if (file.size() <= 8) return false;
  *document = Json::Value();
  std::string text;
  if (!platform::ReadFile(file, &text)) return false;
  return ParseDocumentText(text, document);
}

std::string ChromeFileText(const Json::Value& document) {
  EncodedNameSet encoded;
  encode_node_names(document, &encoded);
  std::string text = WriteDocumentText(document, encoded);
  text += '\n';  // the line end after the document
  const std::string line_end = platform::TextLineEnd();
  if (line_end == "\n") return text;
  // Strings never hold a raw line feed (it is written as \n), so every one
  // is a line end.
  std::string converted;
  converted.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') {
      converted += line_end;
    } else {
      converted.push_back(c);
    }
  }
  return converted;
}

bool save_chrome_file(const Json::Value& document, const std::u16string& path) {
  if (path.size() < 3) return false;
  return platform::ReplaceFileAtomically(path, ChromeFileText(document));
}

// The members today's Chrome writes on every node: a guid (left out when the
// system has no random generator; Chrome then assigns one) and the date of
// last use, "0" for never.
static void AddTodaysMembers(Json::Value* node) {
  (*node)["date_last_used"] = "0";
  std::string guid;
  if (NewGuid(&guid)) (*node)["guid"] = guid;
}

void make_url_node(const std::string& id, const std::string& name,
                   const std::string& url, Json::Value* node) {
  Json::Value made(Json::objectValue);
  made["date_added"] = "0";
  AddTodaysMembers(&made);
  made["id"] = id;
  made["name"] = name;
  made["type"] = "url";
  made["url"] = url;
  *node = std::move(made);
}

void make_folder_node(const std::string& id, const std::string& name,
                      Json::Value* node) {
  Json::Value made(Json::objectValue);
  made["children"] = Json::Value(Json::arrayValue);
  made["date_added"] = kNewFolderDateAdded;
  made["date_modified"] = kNewFolderDateModified;
  AddTodaysMembers(&made);
  made["id"] = id;
  made["name"] = name;
  made["type"] = "folder";
  *node = std::move(made);
}

int64_t IdValue(const Json::Value& id) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  if (id.isInt64()) return id.asInt64();
  if (id.isUInt64()) return kMax;  // above the int64 range
  if (!id.isString()) return 0;
  const char* p = nullptr;
  const char* end = nullptr;
  if (!id.getString(&p, &end)) return 0;
  while (p != end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  int64_t value = 0;
  for (; p != end && *p >= '0' && *p <= '9'; ++p) {
    const int digit = *p - '0';
    if (value > (kMax - digit) / 10) {
      value = kMax;
      break;
    }
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

static void RaiseTo(const Json::Value& node, IdCounter* counter) {
  const Json::Value* id = Member(node, "id");
  if (id == nullptr) return;
  const int64_t value = IdValue(*id);
  if (value > *counter) *counter = value;
}

bool scan_max_id(const Json::Value& node, IdCounter* counter) {
  if (!IsFolderNode(node)) return false;
  RaiseTo(node, counter);
  const Json::Value* children = ChildrenOf(node);
  if (children == nullptr) return true;
  for (const Json::Value& child : *children) {
    RaiseTo(child, counter);
    if (IsFolderNode(child) && !scan_max_id(child, counter)) return false;
  }
  return true;
}

bool next_node_id(const Json::Value& document, IdCounter* counter) {
  if (counter == nullptr || document.isNull()) return false;
  *counter = 2;
  const Json::Value* bar = RootFolder(document, "bookmark_bar");
  if (bar == nullptr || !scan_max_id(*bar, counter)) return false;
  const Json::Value* other = RootFolder(document, "other");
  const bool result = other != nullptr && scan_max_id(*other, counter);
  // Ids are unique in the whole file: the other roots (Chrome's "synced")
  // count as well.
  const Json::Value* roots = Member(document, "roots");
  for (auto it = roots->begin(); it != roots->end(); ++it) {
    const std::string name = it.name();
    if (name != "bookmark_bar" && name != "other") scan_max_id(*it, counter);
  }
  if (*counter < std::numeric_limits<int64_t>::max()) ++*counter;
  return result;
}

// Collects the names of the children of folder, and below its folder
// children.
static void CollectNames(const Json::Value& folder, EncodedNameSet* names) {
  const Json::Value* children = ChildrenOf(folder);
  if (children == nullptr) return;
  for (const Json::Value& child : *children) {
    const Json::Value* name = Member(child, "name");
    if (name != nullptr && name->isString()) names->insert(name);
    if (IsFolderNode(child)) CollectNames(child, names);
  }
}

bool encode_node_names(const Json::Value& document, EncodedNameSet* names) {
  const Json::Value* bar = RootFolder(document, "bookmark_bar");
  if (bar == nullptr) return false;
  CollectNames(*bar, names);
  const Json::Value* other = RootFolder(document, "other");
  if (other == nullptr) return false;
  CollectNames(*other, names);
  return true;
}

}  // namespace chrome
}  // namespace marksafe
