// Fault sweeps: every host call an operation makes, failed in turn.
//
// An operation is run once on each of its starting sessions to count the
// calls it makes to each fault point; then, for each call k of each point
// and for each failure that point can give (E_FAIL, E_INVALIDARG, the
// "absent" answer 1 where it has one, E_OUTOFMEMORY where it makes
// objects), the session is loaded again and the operation run with call k
// failing. After each run:
//  - the result must be one the operation documents;
//  - once the session is closed and the last error dropped, no host
//    object may be left alive;
//  - the session must pass the structural check, save, and load back;
//  - where the operation promises to change nothing for that result, the
//    saved session must be byte for byte the starting one.
// A crash or a sanitizer report ends the sweep, as it should.
#ifndef KRVWD7_TESTS_SUPPORT_FAULTSWEEP_H_
#define KRVWD7_TESTS_SUPPORT_FAULTSWEEP_H_

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "CATBaseUnknown.h"

namespace krvwd7_test {

struct SweepOperation {
  std::string name;
  // Starting sessions: paths of session files.
  std::vector<std::string> sessions;
  // Runs the operation on the process's session (just loaded) and returns
  // its result.
  std::function<HRESULT()> run;
  // True when iRc is a result the operation documents.
  std::function<bool(HRESULT iRc)> documented;
  // True when, having answered iRc, the operation must have changed
  // nothing; null when it promises nothing.
  std::function<bool(HRESULT iRc)> unchanged;
};

// "NAME (2 sessions)": how a test that takes an operation as its parameter
// names it (CTest shows it after each test's name).
void PrintTo(const SweepOperation& iOperation, std::ostream* oOut);

struct SweepReport {
  std::string operation;
  int sessions = 0;
  int calls = 0;  // calls of the unfaulted runs, all sessions
  int swept = 0;  // calls failed (at most iCallsPerPoint per point)
  int runs = 0;   // faulted runs
  std::vector<std::string> failures;  // what went wrong, one line each
};

// Sweeps iOperation. iCallsPerPoint bounds the calls failed per point and
// session (the first ones, and always the last); 0 fails every call.
SweepReport Sweep(const SweepOperation& iOperation, int iCallsPerPoint = 0);

// The operations of the library, each with its sessions (below iSourceDir).
std::vector<SweepOperation> LibraryOperations(const std::string& iSourceDir);

}  // namespace krvwd7_test

#endif  // KRVWD7_TESTS_SUPPORT_FAULTSWEEP_H_
