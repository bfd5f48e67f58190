// The clock as day counts with the time of day as fraction, the local civil
// calendar, and a monotonic clock for measuring runs.
#include "platform/clock.h"

#include <cmath>
#include <ctime>
#include <sys/time.h>

namespace varnex {
namespace {

std::function<double()>& Override() {
  static std::function<double()> f;
  return f;
}

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromEpoch(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr long long kEpochOffset = 25569;  // 1970-01-01 as a day count since 1899-12-30

}  // namespace

double MonotonicSeconds() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double NowDays() {
  if (Override()) return Override()();
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  time_t secs = tv.tv_sec;
  struct tm local;
  localtime_r(&secs, &local);
  double dayPart = DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + tv.tv_usec / 1e6;
  return dayPart + seconds / 86400.0;
}

void SetClockForTesting(std::function<double()> clock) { Override() = std::move(clock); }

double DaysFromCivil(int year, int month, int day) {
  return static_cast<double>(DaysFromEpoch(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochOffset);
}

CivilTime CivilFromDays(double days) {
  double whole = std::floor(days);
  long long z = static_cast<long long>(whole) - kEpochOffset + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  long long secs = static_cast<long long>(std::floor((days - whole) * 86400.0 + 1e-6));
  if (secs >= 86400) secs = 86399;
  CivilTime t;
  t.year = static_cast<int>(y + (m <= 2));
  t.month = static_cast<int>(m);
  t.day = static_cast<int>(d);
  t.hour = static_cast<int>(secs / 3600);
  t.minute = static_cast<int>(secs / 60 % 60);
  t.second = static_cast<int>(secs % 60);
  return t;
}

}  // namespace varnex
