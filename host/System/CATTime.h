// A moment in time broken down into calendar fields.
//
// Built as "now": the local time of the process (GetCurrentUniversalTime:
// the universal time). When the environment
// variable SOURCE_DATE_EPOCH (read through CATGetEnv, so a session can set
// it) holds a number of seconds since 1970-01-01 00:00:00 UTC, that moment
// is used instead, in UTC, so files that print a date are reproducible. A
// value of SOURCE_DATE_EPOCH that is not a plain non-negative integer is
// reported on stderr and ignored.
#ifndef KRVWD7_HOST_CATTIME_H_
#define KRVWD7_HOST_CATTIME_H_

#include <cstdint>

class CATTime {
 public:
  // The current time (see above).
  CATTime();
  static CATTime GetCurrentLocalTime();
  // The current time in UTC (SOURCE_DATE_EPOCH honoured the same way).
  static CATTime GetCurrentUniversalTime();
  // The moment iSeconds after 1970-01-01 00:00:00, in UTC.
  static CATTime FromEpochUtc(int64_t iSeconds);

  int GetYear() const { return year_; }     // e.g. 2024
  int GetMonth() const { return month_; }   // 1 to 12
  int GetDay() const { return day_; }       // 1 to 31
  int GetHour() const { return hour_; }     // 0 to 23
  int GetMinute() const { return minute_; } // 0 to 59
  int GetSecond() const { return second_; } // 0 to 60 (leap second)

 private:
  CATTime(int year, int month, int day, int hour, int minute, int second);

  int year_;
  int month_;
  int day_;
  int hour_;
  int minute_;
  int second_;
};

#endif  // KRVWD7_HOST_CATTIME_H_
