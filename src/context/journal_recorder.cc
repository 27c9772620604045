#include "context/journal_recorder.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "context/journal_files.h"
#include "platform/memory.h"

namespace marksafe {
namespace context {
namespace {

// The environment is read once, when the first call asks.
bool OnAtLoad() {
  const char* value = std::getenv("MARKSAFE_JOURNAL");
  return value == nullptr ||
         (std::strcmp(value, "off") != 0 && std::strcmp(value, "0") != 0);
}

std::atomic<int> g_journal_default{-1};  // -1: not decided yet

}  // namespace

void JournalRecorder::Add(StoreKind kind, const std::u16string& store_path,
                          JournalEntry entry) {
  Journal* journal = Find(kind, store_path);
  if (journal == nullptr) {
    journals_.emplace_back();
    journal = &journals_.back();
    journal->store = kind;
    journal->store_path = store_path;
  }
  journal->items.push_back(std::move(entry));
}

void JournalRecorder::Drop(StoreKind kind, const std::u16string& store_path) {
  for (auto it = journals_.begin(); it != journals_.end(); ++it) {
    if (it->store == kind && it->store_path == store_path) {
      journals_.erase(it);
      return;
    }
  }
}

Journal* JournalRecorder::Find(StoreKind kind,
                               const std::u16string& store_path) {
  for (Journal& journal : journals_) {
    if (journal.store == kind && journal.store_path == store_path) {
      return &journal;
    }
  }
  return nullptr;
}

bool JournalDefault() {
  int value = g_journal_default.load();
  if (value < 0) {
    int expected = -1;
    g_journal_default.compare_exchange_strong(expected, OnAtLoad() ? 1 : 0);
    value = g_journal_default.load();
  }
  return value == 1;
}

void SetJournalDefault(bool on) { g_journal_default = on ? 1 : 0; }

void SaveJournals(JournalRecorder* recorder, const std::string& operation,
                  std::vector<std::u16string>* problems) {
  const model::Time now = model::Now();
  // The job's trees are gone by now: their memory goes back before the
  // journal's text is built.
  platform::ReleaseFreedMemory();
  for (Journal& journal : recorder->journals()) {
    if (journal.items.empty()) continue;
    journal.operation = operation;
    journal.time = now;
    Status saved = SaveNewJournal(&journal);
    if (!saved.ok()) problems->push_back(saved.message());
  }
  recorder->journals().clear();
}

}  // namespace context
}  // namespace marksafe
