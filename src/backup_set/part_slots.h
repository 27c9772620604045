// Where each root of a part lives: its key in the part's position file and
// the name of its folder. Shared by the part's writer and reader.
#ifndef MARKSAFE_BACKUP_SET_PART_SLOTS_H_
#define MARKSAFE_BACKUP_SET_PART_SLOTS_H_

#include <cstddef>
#include <vector>

#include "backup_set/part.h"

namespace marksafe {
namespace backup_set {

// One root of a part: its key in the position file and the name of its
// folder.
struct RootSlot {
  model::Root root;
  const char16_t* key;
  const char16_t* folder;
};

// The roots of a part of this kind, in the order they are written.
std::vector<RootSlot> Slots(PartKind kind);
// "pos.ini" or "chrome_pos.ini".
const char16_t* PositionFileName(PartKind kind);
// The position file's section of the roots.
const char16_t* PositionSection(PartKind kind);
// The part's owner as the manifest names it ("firefox", "chrome").
const char* KindName(PartKind kind);

// Position values are read as the older readers read them.
constexpr size_t kPositionValueUnits = 260;

}  // namespace backup_set
}  // namespace marksafe

#endif  // MARKSAFE_BACKUP_SET_PART_SLOTS_H_
