// WHEN, as restore --as-of and history take it: which of a list of dated
// backups (or snapshots) a person means.
//   2026-12-01   the last one of that day (UTC), else the last before it
//   3d, 12h, 2w  the last one at least that long ago
//   anything else: the one of that name
#ifndef MARKSAFE_TOOLS_MARKSAFE_WHEN_H_
#define MARKSAFE_TOOLS_MARKSAFE_WHEN_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marksafe_cli {

struct Dated {
  std::string name;  // a file name or an id
  std::string date;  // "YYYY-MM-DD"
  int64_t time = 0;  // seconds since 1970
};

// The index in `all` (oldest first) that when picks, with now the current
// time in seconds. Without a match: nullopt, and *why says what there is
// ("the oldest is of 2026-11-20"). A malformed date or duration is named
// in *why as such.
std::optional<size_t> PickWhen(const std::vector<Dated>& all,
                               const std::string& when, int64_t now,
                               std::string* why);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_WHEN_H_
