#include "context/journal.h"

#include <algorithm>

#include "base/json_text.h"
#include "platform/memory.h"
#include "platform/platform.h"

namespace marksafe {
namespace context {
const char* StoreKindKey(StoreKind kind) {
  switch (kind) {
    case StoreKind::kPlaces:
      return "places";
    case StoreKind::kChrome:
      return "chrome";
    case StoreKind::kFavorites:
      return "favorites";
  }
  return "places";
}

namespace {

// Appends "name":"text" (UTF-8), after a comma unless first.
void AppendMember(const char* name, const std::string& text, bool first,
                  std::string* out) {
  if (!first) out->push_back(',');
  out->push_back('"');
  out->append(name);
  out->append("\":\"");
  AppendQuotedBody(text, out);
  out->push_back('"');
}

// Appends "name":"text" for UTF-16 text. Ids, guids and most titles and
// addresses are ASCII that needs no escape: their bytes go straight in,
// without a converted copy of each.
void AppendMember(const char* name, const std::u16string& text, bool first,
                  std::string* out) {
  const bool plain = std::all_of(text.begin(), text.end(), [](char16_t c) {
    return c >= 0x20 && c < 0x80 && c != u'"' && c != u'\\';
  });
  if (!plain) {
    AppendMember(name, platform::ToUtf8(text), first, out);
    return;
  }
  if (!first) out->push_back(',');
  out->push_back('"');
  out->append(name);
  out->append("\":\"");
  const size_t at = out->size();
  out->resize(at + text.size());
  std::transform(text.begin(), text.end(), out->begin() + at,
                 [](char16_t c) { return static_cast<char>(c); });
  out->push_back('"');
}

// Room for the text of journal, so that the text does not grow by copying
// itself: about 80 bytes of names and quotes per item, and room for some
// text outside ASCII.
size_t TextRoom(const Journal& journal) {
  size_t units = 0;
  for (const JournalEntry& entry : journal.items) {
    units += entry.id.size() + entry.guid.size() + entry.parent.size() +
             entry.title.size() + entry.url.size() + entry.keyword.size();
  }
  return 256 + 80 * journal.items.size() + units + units / 4;
}

void AppendHead(const Journal& journal, std::string* text) {
  *text += "{\n \"";
  *text += kJournalFormatKey;
  *text += "\": " + std::to_string(kJournalFormatVersion) + ",\n ";
  AppendMember("operation", journal.operation, true, text);
  *text += ",\n \"time\": " + std::to_string(journal.time) + ",\n \"undone\": ";
  *text += journal.undone ? "true" : "false";
  *text += ",\n \"store\": {";
  AppendMember("kind", StoreKindKey(journal.store), true, text);
  AppendMember("path", journal.store_path, false, text);
  *text += "},\n \"items\": [";
}

void AppendEntry(const JournalEntry& entry, bool first, std::string* text) {
  *text += first ? "\n  {" : ",\n  {";
  AppendMember("kind", model::KindName(entry.kind), true, text);
  AppendMember("id", entry.id, false, text);
  if (!entry.guid.empty()) AppendMember("guid", entry.guid, false, text);
  AppendMember("parent", entry.parent, false, text);
  AppendMember("title", entry.title, false, text);
  if (entry.kind == model::ItemKind::kLink) {
    AppendMember("url", entry.url, false, text);
  }
  if (!entry.keyword.empty()) {
    AppendMember("keyword", entry.keyword, false, text);
  }
  text->push_back('}');
}

constexpr char kTail[] = "\n ]\n}\n";

}  // namespace

// Written as it goes, one item per line: a journal holds every item of a
// restore, and a document tree of them would cost more than the restore's
// own tree.
std::string JournalText(const Journal& journal) {
  std::string text;
  text.reserve(TextRoom(journal));
  AppendHead(journal, &text);
  bool first = true;
  for (const JournalEntry& entry : journal.items) {
    AppendEntry(entry, first, &text);
    first = false;
  }
  text += kTail;
  return text;
}

Status TakeJournalText(
    Journal* journal, const std::function<Status(const std::string&)>& write) {
  constexpr size_t kPiece = size_t{1} << 20;
  // Entries written are freed in blocks of this many, and their pages
  // given back.
  constexpr size_t kEntriesPerRelease = 16384;
  std::string piece;
  piece.reserve(kPiece + kPiece / 4);
  AppendHead(*journal, &piece);
  bool first = true;
  size_t written = 0;
  while (!journal->items.empty()) {
    AppendEntry(journal->items.front(), first, &piece);
    first = false;
    journal->items.pop_front();
    if (++written % kEntriesPerRelease == 0) platform::ReleaseFreedMemory();
    if (piece.size() >= kPiece) {
      Status status = write(piece);
      if (!status.ok()) return status;
      piece.clear();
    }
  }
  piece += kTail;
  return write(piece);
}

}  // namespace context
}  // namespace marksafe
