#include "CATGetSystemInfo.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {
int g_os_type = -1;  // negative: the real system

bool IsWindowsCode(int iOSType) {
  return iOSType == 4 || iOSType == 5 || iOSType == 6 || iOSType == 8;
}
}  // namespace

int CATGetSystemInfo(CATSystemInfo* oInfo) {
  if (oInfo == nullptr) return 1;
  std::memset(oInfo, 0, sizeof *oInfo);
  oInfo->OSType = g_os_type < 0 ? CATOSTypeLinux : g_os_type;
  std::snprintf(oInfo->OSName, sizeof oInfo->OSName, "%s",
                IsWindowsCode(oInfo->OSType) ? "Windows" : "Linux");
  if (gethostname(oInfo->HostName, sizeof oInfo->HostName - 1) != 0) {
    oInfo->HostName[0] = '\0';
  }
  return 0;
}

void CATSetSystemOSType(int iOSType) { g_os_type = iOSType; }

const char* CATPathSeparatorOf(int iOSType) {
  return IsWindowsCode(iOSType) ? "\\" : "/";
}
