// WHEN: which of a list of dated things (snapshots, or the backups a
// browser keeps by itself) a command means. One of
//   a snapshot id      "20261207T214500Z" (or "-2", ...): that snapshot, or
//                      the last one before that time;
//   a date             "2026-12-01": the last one of that day or before;
//   a relative time    "3d" (also s, m, h, w): the last one at least that
//                      old;
//   a name             the last one of that name.
// Retention: which snapshots of a part to keep.
#ifndef MARKSAFE_HISTORY_WHEN_H_
#define MARKSAFE_HISTORY_WHEN_H_

#include <string>
#include <vector>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace history {

enum class WhenResult { kFound, kBeforeAll, kInvalid };

// One thing WHEN can pick.
struct Dated {
  std::u16string name;  // a snapshot id, or a file name
  model::Time time = 0;  // when it was taken
  model::Time day = 0;   // the start of the day it counts for (dates)
};

// Picks what WHEN names among all (oldest first): *index is its position.
// kBeforeAll when WHEN has a form above but lies before every entry (or
// there is none); kInvalid when it has no such form.
WhenResult ResolveWhen(const std::u16string& when,
                       const std::vector<Dated>& all, model::Time now,
                       size_t* index);

// The code a call gives for result: 0 found, kErrorInvalidParameter for a
// WHEN of no known form, kErrorFileNotFound for one before every entry.
uint32_t WhenCode(WhenResult result);

struct Retention {
  int last = 10;     // the newest snapshots, whenever they were taken
  int daily = 14;    // the last snapshot of each of this many days
  int weekly = 8;    // ... weeks (Monday to Sunday)
  int monthly = 24;  // ... months
};

// For snapshot times (oldest first), which to keep: the newest `last`,
// the last of each of the newest `daily` days that have one, and likewise
// for weeks and months; the newest always.
std::vector<bool> ChooseKept(const std::vector<model::Time>& times,
                             const Retention& retention);

}  // namespace history
}  // namespace marksafe

#endif  // MARKSAFE_HISTORY_WHEN_H_
