// Reads a part's manifest record by record (common/json_cursor.h): a part
// of 100,000 links is read without a document tree of 100,000 objects.
// A member given twice counts with its last value.
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "backup_set/manifest.h"
#include "base/json_cursor.h"
#include "platform/platform.h"

namespace marksafe {
namespace backup_set {
namespace {

// A relative path that stays inside the part: names separated by "/",
// none empty, "." or "..", and none holding what no written name holds.
// One pass: every manifest record's path is checked.
bool IsInsidePath(const std::u16string& path) {
  size_t begin = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    const char16_t unit = i < path.size() ? path[i] : u'/';
    if (unit == u'\\' || unit == u':') return false;
    if (unit != u'/') continue;
    const std::u16string_view name(path.data() + begin, i - begin);
    if (name.empty() || name == u"." || name == u"..") return false;
    begin = i + 1;
  }
  return true;
}

// A member's value as read: missing, of the kind wanted, or of another.
enum class Got { kMissing, kGood, kWrong };

// Reads the next value as a string (kWrong, passed over, for another kind).
Got ReadText(JsonCursor* json, std::string* out) {
  if (json->Peek() == JsonCursor::Kind::kString) {
    return json->ReadString(out) ? Got::kGood : Got::kWrong;
  }
  json->Skip();
  return Got::kWrong;
}

// A time (or the version): a whole number of int64 that is not negative.
Got ReadTime(JsonCursor* json, model::Time* out) {
  bool whole = false;
  if (json->Peek() != JsonCursor::Kind::kNumber) {
    json->Skip();
  } else if (json->ReadNumber(out, &whole) && whole && *out >= 0) {
    return Got::kGood;
  }
  return Got::kWrong;
}

// The members of one record as read, checked once it is closed.
struct RawRecord {
  std::string path, type, title, url, keyword;
  Got has_path = Got::kMissing, has_type = Got::kMissing;
  Got has_title = Got::kMissing, has_url = Got::kMissing;
  Got has_keyword = Got::kMissing, has_added = Got::kMissing;
  Got has_modified = Got::kMissing;
  model::Time added = 0, modified = 0;
  std::vector<std::string> tags;
  bool tags_listed = true;     // tags missing, null or a list
  bool tags_all_text = true;  // every tag is a string

  // As new, keeping the strings' room for the next record.
  void Clear() {
    for (std::string* text : {&path, &type, &title, &url, &keyword}) {
      text->clear();
    }
    has_path = has_type = has_title = has_url = has_keyword = has_added =
        has_modified = Got::kMissing;
    added = modified = 0;
    tags.clear();
    tags_listed = tags_all_text = true;
  }
};

void ReadTags(JsonCursor* json, RawRecord* raw) {
  raw->tags.clear();
  raw->tags_listed = true;
  raw->tags_all_text = true;
  const JsonCursor::Kind kind = json->Peek();
  if (kind != JsonCursor::Kind::kArray) {
    raw->tags_listed = kind == JsonCursor::Kind::kNull;
    json->Skip();
    return;
  }
  json->EnterArray();
  std::string tag;
  while (json->NextItem()) {
    if (ReadText(json, &tag) == Got::kGood) {
      raw->tags.push_back(tag);
    } else {
      raw->tags_all_text = false;
    }
  }
}

// Reads the members of a record object (entered) into raw.
void ReadMembers(JsonCursor* json, RawRecord* raw) {
  std::string read;
  while (json->NextKey(&read)) {
    // Compared as views: sizes first, then bytes.
    const std::string_view key = read;
    if (key == "path") {
      raw->has_path = ReadText(json, &raw->path);
    } else if (key == "type") {
      raw->has_type = ReadText(json, &raw->type);
    } else if (key == "title") {
      raw->has_title = ReadText(json, &raw->title);
    } else if (key == "url") {
      raw->has_url = ReadText(json, &raw->url);
    } else if (key == "keyword") {
      raw->has_keyword = ReadText(json, &raw->keyword);
    } else if (key == "added") {
      raw->has_added = ReadTime(json, &raw->added);
    } else if (key == "modified") {
      raw->has_modified = ReadTime(json, &raw->modified);
    } else if (key == "tags") {
      ReadTags(json, raw);
    } else {
      json->Skip();
    }
  }
}

// Makes a record of raw; false with *why when it is damaged.
bool TakeRecord(const RawRecord& raw, Record* record, std::string* why) {
  model::Item& item = record->item;
  if (raw.has_path != Got::kGood || raw.has_type != Got::kGood ||
      !model::KindFromName(raw.type, &item.kind)) {
    *why = "a record has no path or type";
    return false;
  }
  record->path = platform::FromUtf8(raw.path);
  if (!IsInsidePath(record->path)) {
    *why = "a record's path leaves the part: " + raw.path;
    return false;
  }
  for (Got got : {raw.has_title, raw.has_url, raw.has_keyword, raw.has_added,
                  raw.has_modified}) {
    if (got == Got::kWrong) {
      *why = "a record has a value of the wrong type: " + raw.path;
      return false;
    }
  }
  if (!raw.tags_listed) {
    *why = "tags that are not a list: " + raw.path;
    return false;
  }
  if (!raw.tags_all_text) {
    *why = "a tag that is not text: " + raw.path;
    return false;
  }
  item.title = platform::FromUtf8(raw.title);
  // Only a link has an address: one given for a folder or a separator
  // (a damaged or hand-made manifest) is not taken, as no write keeps it.
  if (item.kind == model::ItemKind::kLink) item.url = platform::FromUtf8(raw.url);
  item.keyword = platform::FromUtf8(raw.keyword);
  item.date_added = raw.added;
  item.last_modified = raw.modified;
  for (const std::string& tag : raw.tags) item.tags.push_back(platform::FromUtf8(tag));
  return true;
}

// How many records the text holds at most: a quote cannot stand unescaped
// inside a string, so each "path" key is one record's (or one of an object
// nested in a record). Counted once, it spares the records' growth.
size_t RecordsAtMost(std::string_view text) {
  constexpr std::string_view kKey = "\"path\":";
  size_t count = 0;
  for (size_t at = text.find(kKey); at != std::string_view::npos;
       at = text.find(kKey, at + kKey.size())) {
    ++count;
  }
  return count;
}

// Reads the records array into manifest (replacing any read before).
void ReadRecords(JsonCursor* json, size_t at_most, Manifest* manifest) {
  manifest->records.clear();
  manifest->skipped.clear();
  manifest->records.reserve(at_most);
  json->EnterArray();
  RawRecord raw;
  while (json->NextItem()) {
    if (json->Peek() != JsonCursor::Kind::kObject) {
      json->Skip();
      // One damaged record costs that record only: the item is still read
      // from its file, the others keep their order and values.
      manifest->skipped.push_back("a record is not an object");
      continue;
    }
    raw.Clear();
    json->EnterObject();
    ReadMembers(json, &raw);
    Record record;
    std::string damage;
    if (!TakeRecord(raw, &record, &damage)) {
      manifest->skipped.push_back(std::move(damage));
      continue;
    }
    manifest->records.push_back(std::move(record));
  }
}

// The document's members other than the records, as read.
struct Head {
  Got format = Got::kMissing, part = Got::kMissing;
  std::string format_text, part_text;
  bool version_one = false;
  bool records_listed = false;
  std::map<std::string, std::string> roots;  // by key, as read
  size_t records_at_most = 0;
};

void ReadRoots(JsonCursor* json, Head* head) {
  head->roots.clear();
  if (json->Peek() != JsonCursor::Kind::kObject) {
    json->Skip();
    return;
  }
  json->EnterObject();
  std::string key, value;
  while (json->NextKey(&key)) {
    if (ReadText(json, &value) == Got::kGood) {
      head->roots[key] = value;
    } else {
      head->roots.erase(key);
    }
  }
}

void ReadSourceMember(JsonCursor* json, std::u16string* out) {
  std::string text;
  if (ReadText(json, &text) == Got::kGood) *out = platform::FromUtf8(text);
}

// Reads the document's members; false when it does not parse.
bool ReadDocument(JsonCursor* json, Head* head, Manifest* manifest) {
  std::string key;
  while (json->NextKey(&key)) {
    if (key == "format") {
      head->format = ReadText(json, &head->format_text);
    } else if (key == "part") {
      head->part = ReadText(json, &head->part_text);
    } else if (key == "version") {
      model::Time version = 0;
      head->version_one =
          ReadTime(json, &version) == Got::kGood && version == kManifestVersion;
    } else if (key == "records") {
      head->records_listed = json->Peek() == JsonCursor::Kind::kArray;
      if (head->records_listed) {
        ReadRecords(json, head->records_at_most, manifest);
      } else {
        json->Skip();
      }
    } else if (key == "roots") {
      ReadRoots(json, head);
    } else if (key == "completion_mark") {
      manifest->completion_mark = false;
      if (json->Peek() == JsonCursor::Kind::kBool) {
        json->ReadBool(&manifest->completion_mark);
      } else {
        json->Skip();
      }
    } else if (key == "browser") {
      ReadSourceMember(json, &manifest->source.browser);
    } else if (key == "profile") {
      ReadSourceMember(json, &manifest->source.profile);
    } else if (key == "profile_folder") {
      ReadSourceMember(json, &manifest->source.profile_folder);
    } else {
      json->Skip();
    }
  }
  return json->ok();
}

// The records' places: each folder's records and the top folders.
void IndexRecords(Manifest* manifest) {
  for (size_t index = 0; index < manifest->records.size(); ++index) {
    const Record& record = manifest->records[index];
    if (record.item.kind == model::ItemKind::kSeparator) {
      manifest->children[record.path].push_back(index);
      continue;
    }
    std::u16string parent = ParentPath(record.path);
    if (parent.empty()) {
      manifest->top_folders.emplace(record.path, index);
    } else {
      manifest->children[std::move(parent)].push_back(index);
    }
  }
}

}  // namespace

ManifestState ReadManifest(const std::u16string& path, const char* part_kind,
                           Manifest* manifest, std::string* why) {
  *manifest = Manifest();
  if (!platform::PathExists(path)) return ManifestState::kMissing;
  platform::EntryKind kind = platform::EntryKind::kOther;
  if (!platform::GetEntryKind(path, &kind).ok() ||
      kind != platform::EntryKind::kRegular) {
    // A link may lead out of the set, a FIFO would block the read.
    *why = "is not a regular file";
    return ManifestState::kDamaged;
  }
  std::string bytes;
  const Status read = platform::ReadFile(path, &bytes);
  if (!read.ok()) {
    *why = "cannot be read (" + std::to_string(read.code()) + ")";
    return ManifestState::kDamaged;
  }
  const ManifestState state = ParseManifest(bytes, part_kind, manifest, why);
  if (state == ManifestState::kRead) IndexRecords(manifest);
  return state;
}

ManifestState ParseManifest(const std::string& bytes, const char* part_kind,
                            Manifest* manifest, std::string* why) {
  *manifest = Manifest();
  JsonCursor json(bytes);
  Head head;
  head.records_at_most = RecordsAtMost(bytes);
  const bool object = json.Peek() == JsonCursor::Kind::kObject;
  if (object ? !(json.EnterObject() && ReadDocument(&json, &head, manifest))
             : !json.Skip()) {
    *why = "does not parse: " + json.error();
    *manifest = Manifest();
    return ManifestState::kDamaged;
  }
  if (!object || head.format != Got::kGood ||
      head.format_text != kManifestFormat) {
    *why = "is not a part manifest";
    return ManifestState::kDamaged;
  }
  if (!head.version_one) {
    *why = "has a version this program does not read";
    return ManifestState::kDamaged;
  }
  const std::string& part = head.part_text;
  if (head.part != Got::kGood ||
      (part_kind != nullptr ? part != part_kind
                            : part != "firefox" && part != "chrome")) {
    *why = "belongs to another kind of part";
    return ManifestState::kDamaged;
  }
  manifest->part = part;
  for (const auto& [key, name] : head.roots) {
    model::Root root;
    if (model::RootFromKey(key, &root)) {
      manifest->roots.emplace_back(root, platform::FromUtf8(name));
    }
  }
  if (!head.records_listed) {
    *why = "has no records";
    return ManifestState::kDamaged;
  }
  return ManifestState::kRead;
}

}  // namespace backup_set
}  // namespace marksafe
