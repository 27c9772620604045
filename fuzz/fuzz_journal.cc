// A journal file, read with ParseJournal. A journal that reads must be
// written back by JournalText to text that reads to the same journal.
#include <cstddef>
#include <cstdint>
#include <string>

#include "context/journal.h"

namespace {

bool Same(const marksafe::context::Journal& a, const marksafe::context::Journal& b) {
  if (a.store != b.store || a.store_path != b.store_path ||
      a.operation != b.operation || a.time != b.time ||
      a.undone != b.undone || a.items.size() != b.items.size()) {
    return false;
  }
  for (size_t i = 0; i < a.items.size(); ++i) {
    const auto& x = a.items[i];
    const auto& y = b.items[i];
    if (x.kind != y.kind || x.id != y.id || x.guid != y.guid ||
        x.parent != y.parent || x.title != y.title ||
        (x.kind == marksafe::model::ItemKind::kLink && x.url != y.url)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marksafe;
  const std::string text(reinterpret_cast<const char*>(data), size);
  context::Journal journal;
  if (!context::ParseJournal(text, &journal).ok()) return 0;
  context::Journal again;
  if (!context::ParseJournal(context::JournalText(journal), &again).ok() ||
      !Same(journal, again)) {
    __builtin_trap();
  }
  return 0;
}
