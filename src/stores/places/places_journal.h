// The journal of what an import wrote into a places store: the writer
// notes each row it inserts (NoteWritten); before the transaction commits,
// each noted row's guid and stored URL are read back (CompleteJournal);
// a rolled back transaction journals nothing (DropJournal).
#ifndef MARKSAFE_STORES_PLACES_PLACES_JOURNAL_H_
#define MARKSAFE_STORES_PLACES_PLACES_JOURNAL_H_

#include <cstdint>
#include <string>

#include "model/bookmark_tree.h"
#include "stores/places/places_handle.h"

namespace marksafe {
namespace firefox {

// Notes the row id (of kind, titled title) written into parent.
void NoteWritten(ms_places* handle, model::ItemKind kind, int64_t id,
                 int64_t parent, const std::u16string& title);
// Notes that the link noted as bookmark also gave its address keyword.
void NoteKeyword(ms_places* handle, int64_t bookmark,
                 const std::u16string& keyword);
void CompleteJournal(ms_places* handle);
void DropJournal(ms_places* handle);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_JOURNAL_H_
