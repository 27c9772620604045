// marksafe undo [JOURNAL-ID | --last] [--dry-run] and marksafe journal:
// the journals the library keeps of what each write into a browser added,
// and removing exactly that again.
#ifndef MARKSAFE_TOOLS_MARKSAFE_UNDO_H_
#define MARKSAFE_TOOLS_MARKSAFE_UNDO_H_

#include <string>

namespace marksafe_cli {

struct UndoOptions {
  std::string id;  // empty with last: the newest journal
  bool last = false;
  bool dry_run = false;
  bool close_browsers = false;
};

int RunUndo(const UndoOptions& options);
int RunJournal();

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_UNDO_H_
