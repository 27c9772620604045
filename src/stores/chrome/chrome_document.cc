#include "stores/chrome/chrome_document.h"

#include <limits>
#include <vector>

#include "base/error_words.h"
#include "base/text.h"
#include "context/job.h"
#include "model/report.h"
#include "platform/debug_log.h"
#include "platform/platform.h"
#include "profiles/locators.h"
#include "stores/chrome/chrome_checksum.h"
#include "stores/chrome/document_reader.h"
#include "stores/chrome/json_access.h"

namespace marksafe {
namespace chrome {

bool load_chrome_file(const char16_t* path, Json::Value* document) {
  std::u16string file;
  if (path == nullptr) {
    LocateChromeFile(&file);
  } else {
    file = FromPointer(path);
    if (file.size() > kMaxChromePathChars) file.clear();
  }
  if (file.empty()) return false;
  *document = Json::Value();
  std::string text;
  std::string why;
  if (const Status read = platform::ReadFile(file, &text); !read.ok()) {
    why = "cannot read it (" + ErrorWords(read.code()) + ")";
  } else if (ParseDocumentText(text, document, &why)) {
    return true;
  } else {
    why = "it is not JSON (" + why + ")";
  }
  // The host names the file and the reason; nothing is written from here.
  DebugLog(u"[Chrome] %s: %s\n", file.c_str(), platform::FromUtf8(why).c_str());
  context::Current().report().AddProblem(file, why, true);
  return false;
}

std::string ChromeFileText(const Json::Value& document,
                           const AddedNodes* added) {
  EncodedNameSet encoded;
  encode_node_names(document, &encoded);
  std::string text = WriteDocumentText(document, encoded, added);
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

Status save_chrome_file(const Json::Value& document,
                        const std::u16string& path, const AddedNodes* added) {
  if (path.size() < 3) return Status::Error(kErrorInvalidParameter, path);
  return platform::ReplaceFileAtomically(path,
                                         ChromeFileText(document, added));
}

// Member names are given as static strings: JsonCpp then keeps a pointer
// to the name in the node instead of a copy of its own.
void make_folder_node(const std::string& id, const std::string& name,
                      int64_t date_added, int64_t date_modified,
                      Json::Value* node) {
  using Key = Json::StaticString;
  Json::Value made(Json::objectValue);
  made[Key("children")] = Json::Value(Json::arrayValue);
  made[Key("date_added")] = std::to_string(date_added);
  made[Key("date_modified")] = std::to_string(date_modified);
  // What today's Chrome writes on every node: the date of last use ("0",
  // never) and a guid (left out when the system has no random generator;
  // Chrome then assigns one).
  made[Key("date_last_used")] = "0";
  std::string guid;
  if (NewGuid(&guid)) made[Key("guid")] = guid;
  made[Key("id")] = id;
  made[Key("name")] = name;
  made[Key("type")] = Key("folder");
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

namespace {

// The non-negative number an id member stands for, as decimal digits
// without leading zeros ("" for none: a negative id, no digits, another
// type). Read as IdValue reads it, but never cut to a machine integer.
std::string IdDigits(const Json::Value& id) {
  if (id.isUInt64()) return std::to_string(id.asUInt64());
  if (id.isInt64()) {
    return id.asInt64() >= 0 ? std::to_string(id.asInt64()) : std::string();
  }
  const char* p = nullptr;
  const char* end = nullptr;
  if (!id.isString() || !id.getString(&p, &end)) return std::string();
  while (p != end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
  if (p != end && *p == '-') return std::string();
  if (p != end && *p == '+') ++p;
  while (p != end && *p == '0') ++p;
  const char* digits = p;
  while (p != end && *p >= '0' && *p <= '9') ++p;
  return std::string(digits, p);
}

// a < b for digit strings without leading zeros.
bool DigitsLess(const std::string& a, const std::string& b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

}  // namespace

IdAllocator::IdAllocator(const Json::Value& document) : last_("2") {
  // Every id below roots counts, whatever the shape around it: ids are
  // unique in the whole file. Iterative over the JSON values.
  const Json::Value* roots = Member(document, "roots");
  if (roots == nullptr) return;
  std::vector<const Json::Value*> stack = {roots};
  while (!stack.empty()) {
    const Json::Value* value = stack.back();
    stack.pop_back();
    if (value->isObject()) {
      const Json::Value* id = Member(*value, "id");
      if (id != nullptr) {
        std::string digits = IdDigits(*id);
        if (DigitsLess(last_, digits)) last_ = std::move(digits);
      }
    }
    if (value->isObject() || value->isArray()) {
      for (const Json::Value& member : *value) {
        if (member.isObject() || member.isArray()) stack.push_back(&member);
      }
    }
  }
}

std::string IdAllocator::Next() {
  // Decimal increment of the text: 99 becomes 100, never wraps.
  size_t i = last_.size();
  while (i > 0 && last_[i - 1] == '9') last_[--i] = '0';
  if (i == 0) {
    last_.insert(last_.begin(), '1');
  } else {
    ++last_[i - 1];
  }
  return last_;
}

void encode_node_names(const Json::Value& document, EncodedNameSet* names) {
  const Json::Value* roots = Member(document, "roots");
  if (roots == nullptr || !roots->isObject()) return;
  std::vector<const Json::Value*> folders;
  for (const Json::Value& root : *roots) {
    if (IsFolderNode(root)) folders.push_back(&root);
  }
  while (!folders.empty()) {
    const Json::Value* folder = folders.back();
    folders.pop_back();
    const Json::Value* children = ChildrenOf(*folder);
    if (children == nullptr) continue;
    for (const Json::Value& child : *children) {
      const Json::Value* name = Member(child, "name");
      if (name != nullptr && name->isString()) names->insert(name);
      if (IsFolderNode(child)) folders.push_back(&child);
    }
  }
}

}  // namespace chrome
}  // namespace marksafe
