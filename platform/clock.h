// The one clock of the program: local date-times as day counts since
// 1899-12-30 whose fraction is the local time of day. Tests replace it.
#pragma once

#include <functional>

namespace varnex {

double NowDays();
// Seconds on a clock that never goes back, for measuring how long work runs.
double MonotonicSeconds();
// Replaces the clock (an empty function restores the system clock).
void SetClockForTesting(std::function<double()> clock);

// Broken-down local date and time of a day count.
struct CivilTime {
  int year, month, day, hour, minute, second;
};
CivilTime CivilFromDays(double days);
double DaysFromCivil(int year, int month, int day);

}  // namespace varnex
