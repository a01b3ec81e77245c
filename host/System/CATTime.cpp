#include "CATTime.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "CATGetEnv.h"

namespace {


// SOURCE_DATE_EPOCH as seconds, or -1 when unset or not a plain number.
int64_t SourceDateEpoch() {
  const char* text = CATGetEnv("SOURCE_DATE_EPOCH");
  if (text == nullptr || *text == '\0') return -1;
  int64_t value = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9' || value > (INT64_MAX - 9) / 10) {
      std::fprintf(stderr, "SOURCE_DATE_EPOCH: '%s' is not a number of seconds; ignored\n",
                   text);
      return -1;
    }
    value = value * 10 + (*p - '0');
  }
  return value;
}

}  // namespace

CATTime::CATTime(int year, int month, int day, int hour, int minute, int second)
    : year_(year), month_(month), day_(day), hour_(hour), minute_(minute),
      second_(second) {}

CATTime::CATTime() : CATTime(GetCurrentLocalTime()) {}

CATTime CATTime::GetCurrentLocalTime() {
  int64_t fixed = SourceDateEpoch();
  if (fixed >= 0) return FromEpochUtc(fixed);
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return CATTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                 local.tm_hour, local.tm_min, local.tm_sec);
}

CATTime CATTime::GetCurrentUniversalTime() {
  const int64_t fixed = SourceDateEpoch();
  return FromEpochUtc(fixed >= 0 ? fixed : static_cast<int64_t>(std::time(nullptr)));
}

CATTime CATTime::FromEpochUtc(int64_t iSeconds) {
  std::time_t t = static_cast<std::time_t>(iSeconds);
  std::tm utc{};
  gmtime_r(&t, &utc);
  return CATTime(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour,
                 utc.tm_min, utc.tm_sec);
}
