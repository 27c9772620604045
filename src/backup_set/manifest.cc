#include "backup_set/manifest.h"

#include <json/json.h>

#include <cstring>
#include <memory>
#include <unordered_set>
#include <utility>

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

Json::Value RecordJson(const Record& record) {
  const model::Item& item = record.item;
  Json::Value out(Json::objectValue);
  out["path"] = U8(record.path);
  out["type"] = TypeName(item.kind);
  if (item.kind != model::ItemKind::kSeparator) out["title"] = U8(item.title);
  if (item.kind == model::ItemKind::kLink) out["url"] = U8(item.url);
  if (item.date_added != 0) out["added"] = Json::Int64(item.date_added);
  if (item.last_modified != 0) {
    out["modified"] = Json::Int64(item.last_modified);
  }
  if (!item.tags.empty()) {
    Json::Value& tags = out["tags"] = Json::Value(Json::arrayValue);
    for (const std::u16string& tag : item.tags) tags.append(U8(tag));
  }
  if (!item.keyword.empty()) out["keyword"] = U8(item.keyword);
  return out;
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
  Record record;
  record.path = path;
  record.item.kind = item.kind;
  record.item.title = item.title;
  record.item.url = item.url;
  record.item.date_added = item.date_added;
  record.item.last_modified = item.last_modified;
  record.item.tags = item.tags;
  record.item.keyword = item.keyword;
  records_.push_back(std::move(record));
}

void ManifestWriter::KeepExisting(std::vector<Record> records) {
  kept_ = std::move(records);
}

Status ManifestWriter::Write(const std::u16string& path) const {
  Json::Value document(Json::objectValue);
  document["format"] = kFormat;
  document["version"] = kManifestVersion;
  document["part"] = part_kind_;
  document["completion_mark"] = true;
  if (!source_.browser.empty()) document["browser"] = U8(source_.browser);
  if (!source_.profile.empty()) document["profile"] = U8(source_.profile);
  if (!source_.profile_folder.empty()) {
    document["profile_folder"] = U8(source_.profile_folder);
  }
  Json::Value& roots = document["roots"] = Json::Value(Json::objectValue);
  for (const auto& root : roots_) roots[root.first] = U8(root.second);
  Json::Value& records = document["records"] = Json::Value(Json::arrayValue);
  std::unordered_set<std::u16string> written;
  std::unordered_set<std::u16string> folders;  // holding written records
  if (replace_rewritten_) {
    for (const Record& record : records_) {
      const bool separator = record.item.kind == model::ItemKind::kSeparator;
      if (!separator) written.insert(record.path);
      folders.insert(separator ? record.path : ParentPath(record.path));
    }
  }
  for (const Record& record : kept_) {
    const bool separator = record.item.kind == model::ItemKind::kSeparator;
    if (separator ? folders.count(record.path) != 0
                  : written.count(record.path) != 0) {
      continue;
    }
    records.append(RecordJson(record));
  }
  for (const Record& record : records_) records.append(RecordJson(record));

  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  const std::string text = Json::writeString(builder, document);
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
