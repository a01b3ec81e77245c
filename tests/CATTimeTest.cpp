// The current time, fixed by SOURCE_DATE_EPOCH for reproducible output.
#include "CATTime.h"

#include <gtest/gtest.h>

#include "CATGetEnv.h"

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

TEST(CATTimeTest, SourceDateEpochFixesTheTimeInUtc) {
  const char* const kCases[][2] = {{"0", "1970-1-1 0:0:0"},
                                   {"951868799", "2000-2-29 23:59:59"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c[0]);
    CATSetEnvOverride("SOURCE_DATE_EPOCH", c[0]);
    const CATTime t;
    EXPECT_EQ(std::to_string(t.GetYear()) + "-" + std::to_string(t.GetMonth()) + "-" +
                  std::to_string(t.GetDay()) + " " + std::to_string(t.GetHour()) + ":" +
                  std::to_string(t.GetMinute()) + ":" + std::to_string(t.GetSecond()),
              c[1]);
  }
  // Not a plain number: reported and ignored (the clock is used, not the
  // digits that lead the value).
  CATSetEnvOverride("SOURCE_DATE_EPOCH", "86400x");
  testing::internal::CaptureStderr();
  const CATTime now;
  EXPECT_NE(testing::internal::GetCapturedStderr().find("86400x"), std::string::npos);
  EXPECT_GT(now.GetYear(), 2023);
}

TEST(CATTimeTest, UniversalTimeIsUtcWhateverTheZone) {
  const char* zone = std::getenv("TZ");
  const std::string saved = zone ? zone : "";
  setenv("TZ", "Asia/Kolkata", 1);  // UTC+05:30: hour and minute both differ
  tzset();
  const std::time_t before = std::time(nullptr);
  const CATTime universal = CATTime::GetCurrentUniversalTime();
  const std::time_t after = std::time(nullptr);
  if (zone) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();
  auto same = [&universal](std::time_t iTime) {
    std::tm utc{};
    gmtime_r(&iTime, &utc);
    return universal.GetHour() == utc.tm_hour && universal.GetMinute() == utc.tm_min;
  };
  EXPECT_TRUE(same(before) || same(after));
  CATSetEnvOverride("SOURCE_DATE_EPOCH", "86399");
  const CATTime fixed = CATTime::GetCurrentUniversalTime();
  EXPECT_EQ(fixed.GetDay(), 1);
  EXPECT_EQ(fixed.GetHour(), 23);
  EXPECT_EQ(fixed.GetSecond(), 59);
}

}  // namespace
