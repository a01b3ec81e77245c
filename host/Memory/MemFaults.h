// Fault injection for the host's services.
//
// A fault makes one host or toolbox operation answer a given result code
// instead of doing its work, so that tests (and sessions) can reach answers
// that no normal product gives: a negative GetProperty, a GetParameter that
// answers 0 with an empty handle, a settings interface that cannot be had.
//
// A fault names the operation ("GetProperty", "GetKRVWD7BlackBoxSettingCtrl",
// "GetVersionSource", ...), the result to answer, optionally the product it
// applies to (by instance name, or part number of a reference; empty: any
// product) and the call it hits (1 = the first matching call, 0 = every
// call). Outputs are cleared as on any failure. Every hit is counted.
//
// Faults are process-wide, like the session; Clear() removes them all.
#ifndef KRVWD7_HOST_MEMFAULTS_H_
#define KRVWD7_HOST_MEMFAULTS_H_

#include <string>
#include <vector>

#include "CATBaseUnknown.h"

struct MemFault {
  std::string op;
  HRESULT rc = 0;
  std::string product;  // instance name or part number; empty: any
  int call = 0;         // 1-based matching call that fails; 0: every call
  int seen = 0;         // matching calls so far
  int hits = 0;         // times the fault answered
};

class MemFaults {
 public:
  static void Add(const std::string& iOp, HRESULT iRc,
                  const std::string& iProduct = "", int iCall = 0);
  static void Clear();
  // When a fault applies to this call of iOp on iProduct (may be empty),
  // sets oRc and answers true. Cheap when no fault is set.
  static bool Hit(const char* iOp, const CATBaseUnknown_var& iProduct,
                  HRESULT& oRc);
  static bool Hit(const char* iOp, HRESULT& oRc);
  // Number of times faults of iOp answered.
  static int Hits(const std::string& iOp);
  static const std::vector<MemFault>& All();
};

#endif  // KRVWD7_HOST_MEMFAULTS_H_
