#include "backup_set/manifest.h"

#include <json/json.h>

#include <cstring>
#include <map>
#include <memory>
#include <unordered_set>
#include <utility>

#include "common/json_text.h"
#include "common/text.h"
#include "platform/platform.h"

namespace marksafe {
namespace backup_set {
namespace {

const char kFormat[] = "marksafe part manifest";

const char* TypeName(model::ItemKind kind) {
  switch (kind) {
    case model::ItemKind::kFolder:
      return "folder";
    case model::ItemKind::kLink:
      return "link";
    case model::ItemKind::kSeparator:
      return "separator";
  }
  return "folder";
}

bool TypeFromName(const std::string& name, model::ItemKind* kind) {
  if (name == "folder") {
    *kind = model::ItemKind::kFolder;
  } else if (name == "link") {
    *kind = model::ItemKind::kLink;
  } else if (name == "separator") {
    *kind = model::ItemKind::kSeparator;
  } else {
    return false;
  }
  return true;
}

std::string U8(const std::u16string& text) { return platform::ToUtf8(text); }
std::u16string U16(const std::string& text) {
  return platform::FromUtf8(text);
}

void AppendString(const std::string& utf8, std::string* out) {
  out->push_back('"');
  AppendQuotedBody(utf8, out);
  out->push_back('"');
}

void AppendMember(const char* key, std::string* out) {
  out->push_back('"');
  out->append(key);
  out->append("\":");
}

// One record as JSON text, in the layout of JsonCpp's compact writer:
// members in ascending order of their keys, no blanks.
void AppendRecord(const std::u16string& path, const model::Item& item,
                  std::string* out) {
  out->push_back('{');
  if (item.date_added != 0) {
    AppendMember("added", out);
    out->append(std::to_string(item.date_added));
    out->push_back(',');
  }
  if (!item.keyword.empty()) {
    AppendMember("keyword", out);
    AppendString(U8(item.keyword), out);
    out->push_back(',');
  }
  if (item.last_modified != 0) {
    AppendMember("modified", out);
    out->append(std::to_string(item.last_modified));
    out->push_back(',');
  }
  AppendMember("path", out);
  AppendString(U8(path), out);
  if (!item.tags.empty()) {
    out->push_back(',');
    AppendMember("tags", out);
    char next = '[';
    for (const std::u16string& tag : item.tags) {
      out->push_back(next);
      AppendString(U8(tag), out);
      next = ',';
    }
    out->push_back(']');
  }
  if (item.kind != model::ItemKind::kSeparator) {
    out->push_back(',');
    AppendMember("title", out);
    AppendString(U8(item.title), out);
  }
  out->push_back(',');
  AppendMember("type", out);
  AppendString(TypeName(item.kind), out);
  if (item.kind == model::ItemKind::kLink) {
    out->push_back(',');
    AppendMember("url", out);
    AppendString(U8(item.url), out);
  }
  out->push_back('}');
}

// A relative path that stays inside the part: names separated by "/",
// none empty, "." or "..", and none holding what no written name holds.
bool IsInsidePath(const std::u16string& path) {
  if (path.empty()) return false;
  size_t begin = 0;
  while (begin <= path.size()) {
    size_t end = path.find(u'/', begin);
    if (end == std::u16string::npos) end = path.size();
    const std::u16string name = path.substr(begin, end - begin);
    if (name.empty() || name == u"." || name == u"..") return false;
    if (name.find_first_of(u"\\:") != std::u16string::npos) return false;
    begin = end + 1;
  }
  return true;
}

bool StringMember(const Json::Value& object, const char* key,
                  std::u16string* out) {
  const Json::Value* value = object.find(key, key + strlen(key));
  if (value == nullptr) return true;
  if (!value->isString()) return false;
  *out = U16(value->asString());
  return true;
}

bool TimeMember(const Json::Value& object, const char* key,
                model::Time* out) {
  const Json::Value* value = object.find(key, key + strlen(key));
  if (value == nullptr) return true;
  if (!value->isInt64()) return false;
  *out = value->asInt64();
  return *out >= 0;
}

bool ParseRecord(const Json::Value& json, Record* record, std::string* why) {
  if (!json.isObject()) {
    *why = "a record is not an object";
    return false;
  }
  const Json::Value& path = json["path"];
  const Json::Value& type = json["type"];
  model::Item& item = record->item;
  if (!path.isString() || !type.isString() ||
      !TypeFromName(type.asString(), &item.kind)) {
    *why = "a record has no path or type";
    return false;
  }
  record->path = U16(path.asString());
  if (!IsInsidePath(record->path)) {
    *why = "a record's path leaves the part: " + path.asString();
    return false;
  }
  if (!StringMember(json, "title", &item.title) ||
      !StringMember(json, "url", &item.url) ||
      !StringMember(json, "keyword", &item.keyword) ||
      !TimeMember(json, "added", &item.date_added) ||
      !TimeMember(json, "modified", &item.last_modified)) {
    *why = "a record has a value of the wrong type: " + path.asString();
    return false;
  }
  // Only a link has an address: one given for a folder or a separator
  // (a damaged or hand-made manifest) is not taken, as no write keeps it.
  if (item.kind != model::ItemKind::kLink) item.url.clear();
  const Json::Value& tags = json["tags"];
  if (!tags.isNull()) {
    if (!tags.isArray()) {
      *why = "tags that are not a list: " + path.asString();
      return false;
    }
    for (const Json::Value& tag : tags) {
      if (!tag.isString()) {
        *why = "a tag that is not text: " + path.asString();
        return false;
      }
      item.tags.push_back(U16(tag.asString()));
    }
  }
  return true;
}

}  // namespace

std::u16string LastName(const std::u16string& path) {
  const size_t slash = path.rfind(u'/');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string ParentPath(const std::u16string& path) {
  const size_t slash = path.rfind(u'/');
  return slash == std::u16string::npos ? std::u16string()
                                       : path.substr(0, slash);
}

ManifestWriter::ManifestWriter(const char* part_kind) : part_kind_(part_kind) {}

void ManifestWriter::AddRoot(model::Root root,
                             const std::u16string& folder_name) {
  roots_.emplace_back(model::RootKey(root), folder_name);
}

void ManifestWriter::Add(const std::u16string& path, const model::Item& item) {
  if (replace_rewritten_) {
    const bool separator = item.kind == model::ItemKind::kSeparator;
    if (!separator) written_.insert(path);
    folders_.insert(separator ? path : ParentPath(path));
  }
  if (record_count_ == 0 && kept_.empty()) {
    // Nothing comes before the new records: the text is begun with the
    // document's head and written as it is, without a second copy.
    AppendHead(&records_text_);
    head_in_text_ = true;
  } else if (record_count_ != 0) {
    records_text_.push_back(',');
  }
  AppendRecord(path, item, &records_text_);
  ++record_count_;
}

void ManifestWriter::AppendHead(std::string* text) const {
  // The document's members in ascending order of their keys, as JsonCpp
  // writes them, up to the records.
  text->push_back('{');
  auto optional = [text](const char* key, const std::u16string& value) {
    if (value.empty()) return;
    AppendMember(key, text);
    AppendString(U8(value), text);
    text->push_back(',');
  };
  optional("browser", source_.browser);
  text->append("\"completion_mark\":true,\"format\":");
  AppendString(kFormat, text);
  text->append(",\"part\":");
  AppendString(part_kind_, text);
  text->push_back(',');
  optional("profile", source_.profile);
  optional("profile_folder", source_.profile_folder);
  text->append("\"records\":[");
}

void ManifestWriter::KeepExisting(std::vector<Record> records) {
  kept_ = std::move(records);
}

Status ManifestWriter::Write(const std::u16string& path) {
  std::string text;
  if (head_in_text_) {
    text.swap(records_text_);
  } else {
    AppendHead(&text);
    bool first = true;
    for (const Record& record : kept_) {
      const bool separator = record.item.kind == model::ItemKind::kSeparator;
      if (separator ? folders_.count(record.path) != 0
                    : written_.count(record.path) != 0) {
        continue;
      }
      if (!first) text.push_back(',');
      AppendRecord(record.path, record.item, &text);
      first = false;
    }
    if (!first && record_count_ != 0) text.push_back(',');
    text += records_text_;
    std::string().swap(records_text_);
  }
  text += "],\"roots\":{";
  // Keys in ascending order, each once (the last value of a key kept).
  std::map<std::string, std::u16string> roots;
  for (const auto& root : roots_) roots[root.first] = root.second;
  bool first = true;
  for (const auto& root : roots) {
    if (!first) text.push_back(',');
    AppendString(root.first, &text);
    text.push_back(':');
    AppendString(U8(root.second), &text);
    first = false;
  }
  text += "},\"version\":" + std::to_string(kManifestVersion) + "}";
  if (!platform::ReplaceFileAtomically(path, text)) {
    return Status::Error(platform::GetLastError(),
                         u"could not write the manifest " + path);
  }
  return Status::Ok();
}

ManifestState ReadManifest(const std::u16string& path, const char* part_kind,
                           Manifest* manifest, std::string* why) {
  *manifest = Manifest();
  if (!platform::PathExists(path)) return ManifestState::kMissing;
  platform::EntryKind kind = platform::EntryKind::kOther;
  if (!platform::GetEntryKind(path, &kind) ||
      kind != platform::EntryKind::kRegular) {
    // A link may lead out of the set, a FIFO would block the read.
    *why = "is not a regular file";
    return ManifestState::kDamaged;
  }
  std::string bytes;
  if (!platform::ReadFile(path, &bytes)) {
    *why = "cannot be read (" + std::to_string(platform::GetLastError()) + ")";
    return ManifestState::kDamaged;
  }
  return ParseManifest(bytes, part_kind, manifest, why);
}

ManifestState ParseManifest(const std::string& bytes, const char* part_kind,
                            Manifest* manifest, std::string* why) {
  *manifest = Manifest();
  Json::CharReaderBuilder builder;
  Json::Value document;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  if (!reader->parse(bytes.data(), bytes.data() + bytes.size(), &document,
                     &errors)) {
    *why = "does not parse: " + errors;
    return ManifestState::kDamaged;
  }
  if (!document.isObject() || document["format"] != kFormat) {
    *why = "is not a part manifest";
    return ManifestState::kDamaged;
  }
  if (!document["version"].isInt() ||
      document["version"].asInt() != kManifestVersion) {
    *why = "has a version this program does not read";
    return ManifestState::kDamaged;
  }
  const Json::Value& part = document["part"];
  if (!part.isString() ||
      (part_kind != nullptr ? part != part_kind
                            : part != "firefox" && part != "chrome")) {
    *why = "belongs to another kind of part";
    return ManifestState::kDamaged;
  }
  manifest->part = part.asString();
  const Json::Value& roots = document["roots"];
  if (roots.isObject()) {
    for (const std::string& key : roots.getMemberNames()) {
      model::Root root;
      if (model::RootFromKey(key, &root) && roots[key].isString()) {
        manifest->roots.emplace_back(root, U16(roots[key].asString()));
      }
    }
  }
  const Json::Value& records = document["records"];
  if (!records.isArray()) {
    *why = "has no records";
    return ManifestState::kDamaged;
  }
  const Json::Value& mark = document["completion_mark"];
  manifest->completion_mark = mark.isBool() && mark.asBool();
  // Who the part belongs to only informs: a value of another type is
  // passed over like a missing one.
  (void)StringMember(document, "browser", &manifest->source.browser);
  (void)StringMember(document, "profile", &manifest->source.profile);
  (void)StringMember(document, "profile_folder",
                     &manifest->source.profile_folder);
  manifest->records.reserve(records.size());
  for (const Json::Value& json : records) {
    Record record;
    std::string damage;
    if (!ParseRecord(json, &record, &damage)) {
      // One damaged record costs that record only: the item is still read
      // from its file, the others keep their order and values.
      manifest->skipped.push_back(std::move(damage));
      continue;
    }
    const size_t index = manifest->records.size();
    if (record.item.kind == model::ItemKind::kSeparator) {
      manifest->children[record.path].push_back(index);
    } else {
      const std::u16string parent = ParentPath(record.path);
      if (parent.empty()) {
        manifest->top_folders.emplace(record.path, index);
      } else {
        manifest->children[parent].push_back(index);
      }
    }
    manifest->records.push_back(std::move(record));
  }
  return ManifestState::kRead;
}

}  // namespace backup_set
}  // namespace marksafe
