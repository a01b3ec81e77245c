// A stopwatch, started when constructed.
#ifndef KRVWD7_HOST_KRVWD7UTITIMER_H_
#define KRVWD7_HOST_KRVWD7UTITIMER_H_

#include <chrono>

#include "CATUnicodeString.h"

class KRVWD7UtiTimer {
 public:
  KRVWD7UtiTimer();
  // The time since construction as text: iMode 1 gives seconds with three
  // decimals ("0.125 s"); any other mode milliseconds ("125 ms").
  void GetElapsedTimeString(CATUnicodeString& oText, int iMode) const;
  double ElapsedSeconds() const;

 private:
  std::chrono::steady_clock::time_point start_;
};

#endif  // KRVWD7_HOST_KRVWD7UTITIMER_H_
