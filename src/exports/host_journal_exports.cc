// Journals for hosts: turning them off, listing them, and undoing one.
#include <string>
#include <vector>

#include "base/error_codes.h"
#include "base/json_text.h"
#include "context/job.h"
#include "context/journal_files.h"
#include "context/journal_recorder.h"
#include "exports/export_util.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "undo/undo.h"

namespace marksafe {
namespace exports {
namespace {

void Quoted(const std::u16string& text, std::string* out) {
  out->push_back('"');
  AppendQuotedBody(platform::ToUtf8(text), out);
  out->push_back('"');
}

void Member(const char* name, std::string* out) {
  if (out->back() != '{') out->push_back(',');
  out->push_back('"');
  out->append(name);
  out->append("\":");
}

std::string JournalsText() {
  std::vector<std::u16string> ids;
  std::string text = "{\"journals\":[";
  std::string errors;
  Status listed = context::ListJournalIds(&ids);
  bool first = true;
  for (const std::u16string& id : ids) {
    context::Journal journal;
    Status read = context::ReadJournal(id, &journal);
    if (!read.ok()) {
      if (!errors.empty()) errors.push_back(',');
      Quoted(read.message(), &errors);
      continue;
    }
    if (!first) text.push_back(',');
    first = false;
    text.push_back('{');
    Member("id", &text);
    Quoted(id, &text);
    Member("time", &text);
    text += std::to_string(journal.time);
    Member("operation", &text);
    Quoted(platform::FromUtf8(journal.operation), &text);
    Member("store_kind", &text);
    text += std::string("\"") + context::StoreKindKey(journal.store) + "\"";
    Member("store", &text);
    Quoted(journal.store_path, &text);
    Member("items", &text);
    text += std::to_string(journal.items.size());
    Member("undone", &text);
    text += journal.undone ? "true" : "false";
    text.push_back('}');
  }
  if (!listed.ok()) {
    if (!errors.empty()) errors.push_back(',');
    Quoted(listed.message(), &errors);
  }
  return text + "],\"errors\":[" + errors + "]}";
}

std::string UndoText(const MS_CHAR* journal_id, bool dry_run) {
  context::Options options = context::DefaultOptions();
  options.dry_run = dry_run;
  options.journal = false;
  context::JobScope scope("marksafe_undo", options);
  const std::u16string id =
      journal_id == nullptr ? std::u16string() : ToU16(journal_id);
  context::Journal journal;
  undo::Result result;
  const Status status = undo::UndoJournal(id, dry_run, &journal, &result);
  std::string text = "{";
  Member("journal", &text);
  Quoted(journal.id, &text);
  Member("store_kind", &text);
  text += std::string("\"") + context::StoreKindKey(journal.store) + "\"";
  Member("store", &text);
  Quoted(journal.store_path, &text);
  Member("dry_run", &text);
  text += dry_run ? "true" : "false";
  Member("already_undone", &text);
  text += result.already_undone ? "true" : "false";
  Member("removed", &text);
  text += std::to_string(result.removed);
  Member("gone", &text);
  text += std::to_string(result.gone);
  Member("kept", &text);
  text.push_back('[');
  for (size_t i = 0; i < result.kept.size(); ++i) {
    const undo::Kept& kept = result.kept[i];
    text += i == 0 ? "{" : ",{";
    Member("item", &text);
    Quoted(kept.item, &text);
    Member("url", &text);
    Quoted(kept.url, &text);
    Member("reason", &text);
    Quoted(platform::FromUtf8(kept.reason), &text);
    text.push_back('}');
  }
  text.push_back(']');
  Member("code", &text);
  text += std::to_string(status.code());
  if (!status.ok()) {
    Member("error", &text);
    Quoted(status.message(), &text);
  }
  return text + "}";
}

}  // namespace
}  // namespace exports
}  // namespace marksafe

MARKSAFE_API bool marksafe_set_journal(bool on) {
  const bool was = marksafe::context::JournalDefault();
  marksafe::context::SetJournalDefault(on);
  return was;
}

MARKSAFE_API const char* marksafe_journals(void) {
  static marksafe::platform::ThreadSlot slot;
  return marksafe::exports::TextPerThread(
      &slot, "{\"journals\":[],\"errors\":[\"out of memory\"]}",
      [&] {
        return marksafe::exports::JournalsText();
      });
}

MARKSAFE_API const char* marksafe_undo(const MS_CHAR* journal_id,
                                       bool dry_run) {
  static marksafe::platform::ThreadSlot slot;
  return marksafe::exports::TextPerThread(
      &slot, "{\"code\":14,\"error\":\"out of memory\"}",
      [&] {
        return marksafe::exports::UndoText(journal_id, dry_run);
      });
}
