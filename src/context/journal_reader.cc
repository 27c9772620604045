// Reads a journal member by member with the JSON cursor: the journal of a
// write of a million items is read without a document tree of them, and
// every check a strict parser would make is made here too (one object,
// known types, no key twice, nothing after the object).
#include <cstdint>
#include <iterator>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "base/error_codes.h"
#include "base/json_cursor.h"
#include "context/journal.h"
#include "platform/platform.h"

namespace marksafe {
namespace context {
namespace {

Status Damaged(const char* what) {
  return Status::Error(kErrorInvalidData,
                       u"damaged journal: " + platform::FromUtf8(what));
}

enum RootMember { kVersion, kOperation, kTime, kUndone, kStore, kItems };
const char* const kRootNames[] = {kJournalFormatKey, "operation", "time",
                                  "undone", "store", "items"};
enum StoreMember { kStoreKind, kStorePath };
const char* const kStoreNames[] = {"kind", "path"};
enum ItemMember { kKind, kId, kGuid, kParent, kTitle, kUrl, kKeyword };
const char* const kItemNames[] = {"kind",  "id",  "guid",   "parent",
                                  "title", "url", "keyword"};

constexpr char kWrongMember[] = "a member is missing or of a wrong type";

template <size_t N>
constexpr uint32_t AllOf(const char* const (&)[N]) {
  return (uint32_t{1} << N) - 1;
}

class JournalParser {
 public:
  explicit JournalParser(std::string_view text) : json_(text) {}

  Status Parse(Journal* journal);

 private:
  // Moves to the next member of the object entered last and gives the
  // index of its key in names, or -1 for a key not among them. False at
  // the object's end and on a fault; a key met twice is one.
  template <size_t N>
  bool NextMember(const char* const (&names)[N], uint32_t* seen,
                  std::unordered_set<std::string>* others, int* index);
  // A string member into *out; null stands for none.
  bool ReadText(std::u16string* out);
  bool ReadWhole(int64_t* out);
  Status ReadStore(Journal* journal);
  Status ReadItems(Journal* journal);
  Status ReadEntry(JournalEntry* entry);
  // The fault that ended the members of an object, if any.
  Status Ended(const char* what);

  JsonCursor json_;
  std::string key_;
  std::string utf8_;
  std::unordered_set<std::string> inner_others_;
  bool twice_ = false;
};

template <size_t N>
bool JournalParser::NextMember(const char* const (&names)[N], uint32_t* seen,
                               std::unordered_set<std::string>* others,
                               int* index) {
  if (!json_.NextKey(&key_)) return false;
  *index = -1;
  for (size_t i = 0; i < N; ++i) {
    if (key_ == names[i]) {
      *index = static_cast<int>(i);
      break;
    }
  }
  const bool fresh = *index < 0 ? others->insert(key_).second
                                : (*seen & (uint32_t{1} << *index)) == 0;
  if (!fresh) {
    twice_ = true;
    return false;
  }
  if (*index >= 0) *seen |= uint32_t{1} << *index;
  return true;
}

Status JournalParser::Ended(const char* what) {
  if (twice_) return Damaged("a member is given twice");
  if (!json_.ok()) return Damaged("the file is no JSON journal");
  return Damaged(what);
}

bool JournalParser::ReadText(std::u16string* out) {
  if (json_.Peek() == JsonCursor::Kind::kNull) return json_.Skip();
  if (json_.Peek() != JsonCursor::Kind::kString ||
      !json_.ReadString(&utf8_)) {
    return false;
  }
  *out = platform::FromUtf8(utf8_);
  return true;
}

bool JournalParser::ReadWhole(int64_t* out) {
  bool whole = false;
  return json_.Peek() == JsonCursor::Kind::kNumber &&
         json_.ReadNumber(out, &whole) && whole;
}

Status JournalParser::ReadStore(Journal* journal) {
  if (!json_.EnterObject()) return Damaged(kWrongMember);
  inner_others_.clear();
  uint32_t seen = 0;
  int index = 0;
  std::u16string kind;
  while (NextMember(kStoreNames, &seen, &inner_others_, &index)) {
    const bool read = index == kStoreKind   ? ReadText(&kind)
                      : index == kStorePath ? ReadText(&journal->store_path)
                                            : json_.Skip();
    if (!read) return Ended("the store is of no known kind or has no path");
  }
  if (twice_ || !json_.ok()) return Ended("");
  // The kinds by the names the writer gives them.
  const std::string key = platform::ToUtf8(kind);
  bool known = false;
  for (StoreKind each :
       {StoreKind::kPlaces, StoreKind::kChrome, StoreKind::kFavorites}) {
    if (key == StoreKindKey(each)) {
      journal->store = each;
      known = true;
    }
  }
  if (!known) return Damaged("a store of no known kind");
  if (journal->store_path.empty()) return Damaged("the store has no path");
  return Status::Ok();
}

Status JournalParser::ReadEntry(JournalEntry* entry) {
  if (!json_.EnterObject()) return Ended("an item is no object");
  inner_others_.clear();
  uint32_t seen = 0;
  int index = 0;
  std::u16string texts[std::size(kItemNames)];
  while (NextMember(kItemNames, &seen, &inner_others_, &index)) {
    if (!(index < 0 ? json_.Skip() : ReadText(&texts[index]))) {
      return Ended("an item with a member of a wrong type");
    }
  }
  if (twice_ || !json_.ok()) return Ended("");
  if (!model::KindFromName(platform::ToUtf8(texts[kKind]), &entry->kind)) {
    return Damaged("an item of no known kind");
  }
  if (texts[kId].empty()) return Damaged("an item without its id");
  entry->id = std::move(texts[kId]);
  entry->guid = std::move(texts[kGuid]);
  entry->parent = std::move(texts[kParent]);
  entry->title = std::move(texts[kTitle]);
  entry->url = std::move(texts[kUrl]);
  entry->keyword = std::move(texts[kKeyword]);
  return Status::Ok();
}

Status JournalParser::ReadItems(Journal* journal) {
  if (!json_.EnterArray()) return Damaged(kWrongMember);
  while (json_.NextItem()) {
    JournalEntry entry;
    Status read = ReadEntry(&entry);
    if (!read.ok()) return read;
    journal->items.push_back(std::move(entry));
  }
  return json_.ok() ? Status::Ok() : Ended("");
}

Status JournalParser::Parse(Journal* journal) {
  if (!json_.EnterObject()) return Damaged("the file is no JSON object");
  std::unordered_set<std::string> others;
  uint32_t seen = 0;
  int index = 0;
  int64_t version = 0;
  while (NextMember(kRootNames, &seen, &others, &index)) {
    Status read = Status::Ok();
    switch (index) {
      case kVersion:
        if (!ReadWhole(&version) || version != kJournalFormatVersion) {
          return Ended("no journal of a known version");
        }
        break;
      case kOperation:
        if (json_.Peek() != JsonCursor::Kind::kString ||
            !json_.ReadString(&journal->operation)) {
          return Ended(kWrongMember);
        }
        break;
      case kTime:
        if (!ReadWhole(&journal->time)) return Ended(kWrongMember);
        break;
      case kUndone:
        if (json_.Peek() != JsonCursor::Kind::kBool ||
            !json_.ReadBool(&journal->undone)) {
          return Ended(kWrongMember);
        }
        break;
      case kStore:
        read = ReadStore(journal);
        break;
      case kItems:
        read = ReadItems(journal);
        break;
      default:
        if (!json_.Skip()) return Ended("");
    }
    if (!read.ok()) return read;
  }
  if (twice_ || !json_.ok()) return Ended("");
  if (!json_.AtEnd()) return Damaged("text follows the journal");
  if ((seen & 1u << kVersion) == 0) {
    return Damaged("no journal of a known version");
  }
  if (seen != AllOf(kRootNames)) return Damaged(kWrongMember);
  return Status::Ok();
}

}  // namespace

Status ParseJournal(const std::string& text, Journal* journal) {
  if (text.size() > kMaxJournalBytes) return Damaged("the file is too large");
  Journal read;
  Status status = JournalParser(text).Parse(&read);
  if (!status.ok()) return status;
  read.id = std::move(journal->id);
  *journal = std::move(read);
  return Status::Ok();
}

}  // namespace context
}  // namespace marksafe
