#include "KRVWD7UtiTimer.h"

#include <cstdio>

KRVWD7UtiTimer::KRVWD7UtiTimer() : start_(std::chrono::steady_clock::now()) {}

double KRVWD7UtiTimer::ElapsedSeconds() const {
  std::chrono::duration<double> elapsed =
      std::chrono::steady_clock::now() - start_;
  return elapsed.count();
}

void KRVWD7UtiTimer::GetElapsedTimeString(CATUnicodeString& oText,
                                          int iMode) const {
  double seconds = ElapsedSeconds();
  char buffer[64];
  if (iMode == 1) {
    std::snprintf(buffer, sizeof buffer, "%.3f s", seconds);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.0f ms", seconds * 1000.0);
  }
  oText = CATUnicodeString(buffer);
}
