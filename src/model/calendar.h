// Civil dates in UTC for snapshot ids, dates given on the command line and
// retention (days, weeks starting on Monday, months). No time zone tables:
// everything is UTC.
#ifndef MARKSAFE_MODEL_CALENDAR_H_
#define MARKSAFE_MODEL_CALENDAR_H_

#include <cstdint>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace history {

struct CivilTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

constexpr int64_t kMicrosPerSecond = 1000000;
constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a date (proleptic Gregorian).
int64_t DaysFromCivil(int year, int month, int day);
CivilTime ToCivil(model::Time time);
// False when a field is out of range.
bool FromCivil(const CivilTime& civil, model::Time* time);

// The day, Monday-based week and month a time falls in, as numbers that
// grow with time.
int64_t DayIndex(model::Time time);
int64_t WeekIndex(model::Time time);
int64_t MonthIndex(model::Time time);

}  // namespace history
}  // namespace marksafe

#endif  // MARKSAFE_MODEL_CALENDAR_H_
