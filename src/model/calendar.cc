#include "model/calendar.h"

namespace marksafe {
namespace history {
namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

bool IsLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

}  // namespace

// The well-known era computation: 400-year eras of 146097 days.
int64_t DaysFromCivil(int year, int month, int day) {
  const int64_t y = year - (month <= 2 ? 1 : 0);
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t mp = (month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilTime ToCivil(model::Time time) {
  const int64_t seconds = FloorDiv(time, kMicrosPerSecond);
  const int64_t days = FloorDiv(seconds, kSecondsPerDay);
  const int64_t of_day = seconds - days * kSecondsPerDay;
  const int64_t z = days + 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  CivilTime civil;
  civil.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  civil.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  civil.year = static_cast<int>(yoe + era * 400 + (civil.month <= 2 ? 1 : 0));
  civil.hour = static_cast<int>(of_day / 3600);
  civil.minute = static_cast<int>(of_day / 60 % 60);
  civil.second = static_cast<int>(of_day % 60);
  return civil;
}

bool FromCivil(const CivilTime& civil, model::Time* time) {
  if (civil.year < 1970 || civil.year > 9999 || civil.month < 1 ||
      civil.month > 12 || civil.day < 1 ||
      civil.day > DaysInMonth(civil.year, civil.month) || civil.hour < 0 ||
      civil.hour > 23 || civil.minute < 0 || civil.minute > 59 ||
      civil.second < 0 || civil.second > 59) {
    return false;
  }
  const int64_t days = DaysFromCivil(civil.year, civil.month, civil.day);
  *time = ((days * 24 + civil.hour) * 60 + civil.minute) * 60 + civil.second;
  *time *= kMicrosPerSecond;
  return true;
}

int64_t DayIndex(model::Time time) {
  return FloorDiv(FloorDiv(time, kMicrosPerSecond), kSecondsPerDay);
}

// 1970-01-01 was a Thursday: three days on, weeks start on Monday.
int64_t WeekIndex(model::Time time) { return FloorDiv(DayIndex(time) + 3, 7); }

int64_t MonthIndex(model::Time time) {
  const CivilTime civil = ToCivil(time);
  return int64_t{civil.year} * 12 + civil.month - 1;
}

}  // namespace history
}  // namespace marksafe
