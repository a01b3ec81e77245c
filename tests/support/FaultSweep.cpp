#include "FaultSweep.h"

#include <fstream>
#include <set>
#include <sstream>

#include "CATError.h"
#include "KRVWD7UtiTracer.h"
#include "MemFaults.h"
#include "MemSession.h"

namespace krvwd7_test {

namespace {

std::string ReadFile(const std::string& iPath) {
  std::ifstream in(iPath, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Hex(HRESULT iRc) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(iRc));
  return text;
}

// The failures a call of iPoint can give.
std::vector<HRESULT> Failures(MemFaultPoint iPoint) {
  std::vector<HRESULT> failures = {E_FAIL, E_INVALIDARG};
  const unsigned answers = MemFaultPointAnswers(iPoint);
  if (answers & kMemAnswersAbsent) failures.push_back(S_FALSE);
  if (answers & kMemCreates) failures.push_back(E_OUTOFMEMORY);
  return failures;
}

// The calls of a point to fail: all of them, or the first iBound and the
// last.
std::vector<int> CallsToFail(int iCount, int iBound) {
  std::vector<int> calls;
  for (int k = 1; k <= iCount; ++k) {
    if (iBound <= 0 || k <= iBound || k == iCount) calls.push_back(k);
  }
  return calls;
}

// One run on a fresh copy of the session; "" when everything held, else
// what did not.
class Runner {
 public:
  Runner(const SweepOperation& iOperation, const std::string& iPath)
      : operation_(iOperation), path_(iPath), text_(ReadFile(iPath)) {}

  bool Load(std::string& oProblem) {
    MemFaults::Clear();
    const MemResult loaded = MemSession::Current().LoadFromText(text_, path_);
    if (!loaded) {
      oProblem = "the starting session does not load: " + loaded.error;
      return false;
    }
    start_ = MemSession::Current().SaveToText();
    return true;
  }

  // The calls an unfaulted run makes, point by point.
  std::vector<std::pair<MemFaultPoint, int>> Count(std::string& oProblem) {
    std::vector<std::pair<MemFaultPoint, int>> counts;
    if (!Load(oProblem)) return counts;
    MemFaults::ResetCalls();
    operation_.run();
    counts = MemFaults::CallCounts();
    Finish();
    return counts;
  }

  std::string RunWith(MemFaultPoint iPoint, int iCall, HRESULT iFailure) {
    std::string problem;
    const long live = CATBaseUnknown::LiveObjects();
    if (!Load(problem)) return problem;
    MemFaults::Add(iPoint, iFailure, "", iCall);
    const HRESULT rc = operation_.run();
    MemFaults::Clear();
    problem = Check(rc);
    Finish();
    if (problem.empty() && CATBaseUnknown::LiveObjects() != live) {
      problem = "objects left alive: " + std::to_string(CATBaseUnknown::LiveObjects() - live);
    }
    if (problem.empty()) return problem;
    return "result " + Hex(rc) + ": " + problem;
  }

 private:
  std::string Check(HRESULT iRc) {
    if (!operation_.documented(iRc)) return "not a documented result";
    MemSession& session = MemSession::Current();
    std::string problem;
    if (!session.CheckInvariants(problem)) return "broken session: " + problem;
    const std::string saved = session.SaveToText();
    if (operation_.unchanged && operation_.unchanged(iRc) && saved != start_) {
      return "the session changed";
    }
    MemSession reloaded;
    const MemResult loaded = reloaded.LoadFromText(saved, "saved.json");
    MemFaults::Clear();  // the reload declares the file's faults again
    if (!loaded) return "the saved session does not load: " + loaded.error;
    if (!reloaded.CheckInvariants(problem)) return "broken once reloaded: " + problem;
    return "";
  }

  void Finish() {
    MemFaults::Clear();
    CATError::ClearLastError();
    MemSession::Current().Close();
  }

  const SweepOperation& operation_;
  std::string path_;
  std::string text_;
  std::string start_;
};

}  // namespace

SweepReport Sweep(const SweepOperation& iOperation, int iCallsPerPoint) {
  SweepReport report;
  report.operation = iOperation.name;
  KRVWD7UtiTracer::Off();
  for (const std::string& path : iOperation.sessions) {
    ++report.sessions;
    Runner runner(iOperation, path);
    std::string problem;
    const auto counts = runner.Count(problem);
    if (!problem.empty()) {
      report.failures.push_back(path + ": " + problem);
      continue;
    }
    for (const auto& [point, count] : counts) {
      report.calls += count;
      for (int call : CallsToFail(count, iCallsPerPoint)) {
        ++report.swept;
        for (HRESULT failure : Failures(point)) {
          ++report.runs;
          problem = runner.RunWith(point, call, failure);
          if (!problem.empty()) {
            report.failures.push_back(path + ": " + MemFaultPointName(point) + " call " +
                                      std::to_string(call) + " answering " + Hex(failure) +
                                      ": " + problem);
          }
        }
      }
    }
  }
  return report;
}

void PrintTo(const SweepOperation& iOperation, std::ostream* oOut) {
  *oOut << iOperation.name << " (" << iOperation.sessions.size() << " session"
        << (iOperation.sessions.size() == 1 ? ")" : "s)");
}

}  // namespace krvwd7_test
