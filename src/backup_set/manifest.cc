#include "backup_set/manifest.h"

#include <map>
#include <unordered_set>
#include <utility>

#include "base/json_text.h"
#include "base/text.h"
#include "platform/platform.h"

namespace marksafe {
namespace backup_set {

const char kManifestFormat[] = "marksafe part manifest";

namespace {

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
    AppendString(platform::ToUtf8(item.keyword), out);
    out->push_back(',');
  }
  if (item.last_modified != 0) {
    AppendMember("modified", out);
    out->append(std::to_string(item.last_modified));
    out->push_back(',');
  }
  AppendMember("path", out);
  AppendString(platform::ToUtf8(path), out);
  if (!item.tags.empty()) {
    out->push_back(',');
    AppendMember("tags", out);
    char next = '[';
    for (const std::u16string& tag : item.tags) {
      out->push_back(next);
      AppendString(platform::ToUtf8(tag), out);
      next = ',';
    }
    out->push_back(']');
  }
  if (item.kind != model::ItemKind::kSeparator) {
    out->push_back(',');
    AppendMember("title", out);
    AppendString(platform::ToUtf8(item.title), out);
  }
  out->push_back(',');
  AppendMember("type", out);
  AppendString(model::KindName(item.kind), out);
  if (item.kind == model::ItemKind::kLink) {
    out->push_back(',');
    AppendMember("url", out);
    AppendString(platform::ToUtf8(item.url), out);
  }
  out->push_back('}');
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
    AppendString(platform::ToUtf8(value), text);
    text->push_back(',');
  };
  optional("browser", source_.browser);
  text->append("\"completion_mark\":true,\"format\":");
  AppendString(kManifestFormat, text);
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
    AppendString(platform::ToUtf8(root.second), &text);
    first = false;
  }
  text += "},\"version\":" + std::to_string(kManifestVersion) + "}";
  const Status written = platform::ReplaceFileAtomically(path, text);
  if (!written.ok()) {
    return Status::Error(written.code(),
                         u"could not write the manifest " + path);
  }
  return Status::Ok();
}

}  // namespace backup_set
}  // namespace marksafe
