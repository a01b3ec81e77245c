// Information on the operating system the host runs on.
//
// OSType codes: 4, 5, 6 and 8 are Windows systems (path separator "\");
// every other code uses "/". This host reports CATOSTypeLinux (7) unless a
// session simulates another system with CATSetSystemOSType.
#ifndef KRVWD7_HOST_CATGETSYSTEMINFO_H_
#define KRVWD7_HOST_CATGETSYSTEMINFO_H_

constexpr int CATOSTypeLinux = 7;
constexpr int CATOSTypeWindows = 4;

struct CATSystemInfo {
  int OSType;
  char OSName[32];     // "Linux" or "Windows", null terminated
  char HostName[64];   // the machine's name, null terminated ("" if unknown)
};

// Fills *oInfo; returns 0 on success, 1 when oInfo is null.
int CATGetSystemInfo(CATSystemInfo* oInfo);

// Makes CATGetSystemInfo report iOSType; a negative value restores the
// real system.
void CATSetSystemOSType(int iOSType);

// "\\" for the Windows codes 4, 5, 6 and 8, "/" for any other.
const char* CATPathSeparatorOf(int iOSType);

#endif  // KRVWD7_HOST_CATGETSYSTEMINFO_H_
