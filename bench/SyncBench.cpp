// Cost of krvwd7 sync against krvwd7 diff on the same file.
//
// The session is `scripts/gen-session 100000` (100 000 products per side,
// 1 % of the parts for each kind of difference), written once to a
// temporary folder and kept there for the next run. Both commands run
// in-process as the tool runs them,
// loading the file each time, with their text reports going to memory and
// the trace off.
//
//  BM_Diff          load, compare, print the differences
//  BM_SyncDryRun    load, compare, plan, print the plan
//  BM_Sync          load, compare, plan, apply, compare again, change
//                   report (nothing written: neither -o nor --in-place)
//  BM_SyncWritten   the same, then the session written with -o
// The target is BM_Sync at most about 3 times BM_Diff.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "Commands.h"

namespace {

// True when iFile exists and is newer than iSource.
bool IsNewer(const std::string& iFile, const std::string& iSource) {
  struct stat file, source;
  return ::stat(iFile.c_str(), &file) == 0 && ::stat(iSource.c_str(), &source) == 0 &&
         file.st_mtime > source.st_mtime;
}

// The generator is deterministic: a file it wrote after its last change is
// used again rather than written anew on every run.
const std::string& SessionFile() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    const std::string file = std::string(tmp ? tmp : "/tmp") + "/krvwd7-sync-bench.json";
    const std::string generator = std::string(KRVWD7_SOURCE_DIR) + "/scripts/gen-session";
    if (IsNewer(file, generator)) return file;
    const std::string command = "python3 " + generator + " 100000 --seed 7 -o " + file;
    return std::system(command.c_str()) == 0 ? file : std::string();
  }();
  return path;
}

void BM_Diff(benchmark::State& state) {
  if (SessionFile().empty()) {
    state.SkipWithError("scripts/gen-session failed");
    return;
  }
  krvwd7::DiffOptions options;
  options.common.session = SessionFile();
  options.common.batch = true;
  for (auto _ : state) {
    std::ostringstream out, err;
    benchmark::DoNotOptimize(krvwd7::RunDiff(options, out, err));
  }
}

void RunSync(benchmark::State& state, bool iDryRun, bool iWrite) {
  if (SessionFile().empty()) {
    state.SkipWithError("scripts/gen-session failed");
    return;
  }
  krvwd7::SyncOptions options;
  options.edit.common.session = SessionFile();
  options.edit.common.batch = true;
  options.edit.dryRun = iDryRun;
  if (iWrite) options.edit.output = SessionFile() + ".synced";
  for (auto _ : state) {
    std::ostringstream out, err;
    const int code = krvwd7::RunSync(options, out, err);
    if (code != (iDryRun ? krvwd7::kExitDifferences : krvwd7::kExitOk)) {
      state.SkipWithError(("sync exited " + std::to_string(code) + ": " + err.str()).c_str());
      break;
    }
  }
  if (iWrite) std::remove(options.edit.output.c_str());
}

void BM_SyncDryRun(benchmark::State& state) { RunSync(state, true, false); }
void BM_Sync(benchmark::State& state) { RunSync(state, false, false); }
void BM_SyncWritten(benchmark::State& state) { RunSync(state, false, true); }

BENCHMARK(BM_Diff)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SyncDryRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Sync)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SyncWritten)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
