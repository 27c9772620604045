#include "history/when.h"

#include <algorithm>
#include <cstdint>

#include "base/error_codes.h"
#include "history/snapshot.h"
#include "model/calendar.h"

namespace marksafe {
namespace history {
namespace {

constexpr int64_t kMaxAmount = 1000000;

bool ParseNumber(const std::u16string& text, int64_t* out) {
  if (text.empty() || text.size() > 7) return false;
  int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
  }
  *out = value;
  return value <= kMaxAmount;
}

// "2026-12-01": the first moment of the next day.
bool ParseDate(const std::u16string& when, model::Time* end) {
  if (when.size() != 10 || when[4] != u'-' || when[7] != u'-') return false;
  int64_t year = 0, month = 0, day = 0;
  if (!ParseNumber(when.substr(0, 4), &year) ||
      !ParseNumber(when.substr(5, 2), &month) ||
      !ParseNumber(when.substr(8, 2), &day)) {
    return false;
  }
  const CivilTime civil{static_cast<int>(year), static_cast<int>(month),
                        static_cast<int>(day)};
  if (!FromCivil(civil, end)) return false;
  *end += kSecondsPerDay * kMicrosPerSecond;
  return true;
}

// "3d": now less the amount.
bool ParseRelative(const std::u16string& when, model::Time now,
                   model::Time* limit) {
  if (when.size() < 2) return false;
  int64_t unit = 0;
  switch (when.back()) {
    case u's': unit = 1; break;
    case u'm': unit = 60; break;
    case u'h': unit = 3600; break;
    case u'd': unit = kSecondsPerDay; break;
    case u'w': unit = 7 * kSecondsPerDay; break;
    default: return false;
  }
  int64_t amount = 0;
  if (!ParseNumber(when.substr(0, when.size() - 1), &amount)) return false;
  *limit = now - amount * unit * kMicrosPerSecond;
  return true;
}

// The last of all for which test holds.
template <typename Test>
WhenResult LastWhere(const std::vector<Dated>& all, Test test,
                     size_t* index) {
  for (size_t i = all.size(); i-- > 0;) {
    if (test(all[i])) {
      *index = i;
      return WhenResult::kFound;
    }
  }
  return WhenResult::kBeforeAll;
}

}  // namespace

uint32_t WhenCode(WhenResult result) {
  switch (result) {
    case WhenResult::kInvalid:
      return kErrorInvalidParameter;
    case WhenResult::kBeforeAll:
      return kErrorFileNotFound;
    case WhenResult::kFound:
      break;
  }
  return 0;
}

WhenResult ResolveWhen(const std::u16string& when,
                       const std::vector<Dated>& all, model::Time now,
                       size_t* index) {
  model::Time limit = 0;
  int sequence = 0;
  if (ParseSnapshotId(when, &limit, &sequence)) {
    // Snapshots by id order (clash numbers included), anything else by time.
    return LastWhere(
        all,
        [&](const Dated& each) {
          model::Time time = 0;
          int each_sequence = 0;
          return ParseSnapshotId(each.name, &time, &each_sequence)
                     ? !SnapshotIdLess(when, each.name)
                     : each.time <= limit;
        },
        index);
  }
  if (ParseDate(when, &limit)) {
    return LastWhere(
        all, [&](const Dated& each) { return each.day < limit; }, index);
  }
  if (ParseRelative(when, now, &limit)) {
    return LastWhere(
        all, [&](const Dated& each) { return each.time <= limit; }, index);
  }
  const WhenResult named = LastWhere(
      all, [&](const Dated& each) { return each.name == when; }, index);
  return named == WhenResult::kFound ? named : WhenResult::kInvalid;
}

std::vector<bool> ChooseKept(const std::vector<model::Time>& times,
                             const Retention& retention) {
  std::vector<bool> kept(times.size(), false);
  if (times.empty()) return kept;
  kept.back() = true;
  const size_t last = static_cast<size_t>(std::max(retention.last, 0));
  for (size_t i = times.size() > last ? times.size() - last : 0;
       i < times.size(); ++i) {
    kept[i] = true;
  }
  struct Bucket {
    int64_t (*index)(model::Time);
    int left;
    int64_t last = INT64_MIN;
  };
  Bucket buckets[] = {{&DayIndex, retention.daily},
                      {&WeekIndex, retention.weekly},
                      {&MonthIndex, retention.monthly}};
  // Newest first: the first snapshot met in a day is that day's last.
  for (size_t i = times.size(); i-- > 0;) {
    for (Bucket& bucket : buckets) {
      const int64_t at = bucket.index(times[i]);
      if (at == bucket.last || bucket.left <= 0) continue;
      bucket.last = at;
      --bucket.left;
      kept[i] = true;
    }
  }
  return kept;
}

}  // namespace history
}  // namespace marksafe
