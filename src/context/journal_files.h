// Where journals live and how they are written and read: one file per
// journal, <id>.json, in the user's state folder (marksafe/journal below
// platform::ShellFolder::kLocalState). The id is the UTC time the journal
// was written in ISO basic form ("20261207T214500Z"; "-2", "-3" on a
// clash), so ids sort in time order. Every file is read as untrusted: only
// a regular file (no link), at most kMaxJournalBytes, inside the folder.
#ifndef MARKSAFE_CONTEXT_JOURNAL_FILES_H_
#define MARKSAFE_CONTEXT_JOURNAL_FILES_H_

#include <string>
#include <vector>

#include "base/status.h"
#include "context/journal.h"

namespace marksafe {
namespace context {

// The journal folder (it need not exist); fails when the system names no
// state folder.
[[nodiscard]] Status JournalFolder(std::u16string* folder);

// How many journals are kept: saving one more removes the oldest beyond
// this, so that the folder does not grow with every restore.
constexpr size_t kKeptJournals = 100;

// Writes journal as a new file, made beside it and renamed into place,
// and sets journal->id; its items are freed as its text is made. The
// folder is made when missing. Then removes the oldest journals beyond
// kKeptJournals (a failure there is not the save's).
[[nodiscard]] Status SaveNewJournal(Journal* journal);

// Rewrites the journal's own file (its id) in one step: marks it undone.
[[nodiscard]] Status SaveJournal(const Journal& journal);

// Reads the journal of that id. kErrorFileNotFound when there is none,
// kErrorInvalidData (one line) for an id of no journal's form or a file
// that is no regular file, too large or damaged.
[[nodiscard]] Status ReadJournal(const std::u16string& id, Journal* journal);

// The ids of every journal file in the folder, oldest first.
[[nodiscard]] Status ListJournalIds(std::vector<std::u16string>* ids);

// The id form: YYYYMMDDTHHMMSSZ, optionally "-N" with N from 2.
bool IsJournalId(const std::u16string& id);

}  // namespace context
}  // namespace marksafe

#endif  // MARKSAFE_CONTEXT_JOURNAL_FILES_H_
