// krvwd7_sweep: the full fault sweep of the library's operations (every
// host call each makes, failed in turn with every failure it can give), as
// a table: operation, sessions, calls swept, runs, failures found.
//
//   krvwd7_sweep [--bound N] [--only TEXT]
//
// --bound N fails only the first N calls and the last of each point;
// --only runs the operations whose name contains TEXT. Exits 1 when a
// failure was found, and prints each.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FaultSweep.h"

int main(int argc, char** argv) {
  int bound = 0;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--bound") == 0 && i + 1 < argc) {
      bound = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else {
      std::fprintf(stderr, "usage: krvwd7_sweep [--bound N] [--only TEXT]\n");
      return 2;
    }
  }
  std::printf("%-56s %8s %8s %8s %8s\n", "OPERATION", "SESSIONS", "SWEPT", "RUNS", "FAILURES");
  int failures = 0;
  std::string details;
  for (const krvwd7_test::SweepOperation& op :
       krvwd7_test::LibraryOperations(KRVWD7_SOURCE_DIR)) {
    if (!only.empty() && op.name.find(only) == std::string::npos) continue;
    const krvwd7_test::SweepReport report = krvwd7_test::Sweep(op, bound);
    std::printf("%-56s %8d %8d %8d %8zu\n", report.operation.c_str(), report.sessions,
                report.swept, report.runs, report.failures.size());
    std::fflush(stdout);
    failures += static_cast<int>(report.failures.size());
    for (const std::string& failure : report.failures) {
      details += report.operation + ": " + failure + "\n";
    }
  }
  if (!details.empty()) std::printf("\n%s", details.c_str());
  return failures == 0 ? 0 : 1;
}
