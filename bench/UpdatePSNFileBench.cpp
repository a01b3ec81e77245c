// Cost of writing the PSN file of a black box.
//
// Generated black boxes of N components with three links each (a top link
// shared by 1 000 components, a middle one by 30, then their own), a
// document each (models, documents, cached graphics), and an old PSN file
// with links of a third of the components and N / 10 collapsed parts, half
// of which a selected object covers (tests/PSNFileTestSupport.h). The file
// is written to a temporary folder (and synced to the disk: wall time
// includes the disk's, CPU time does not); tracing is off; one run comes
// before the timed ones.
//
//  BM_UpdatePSNFile       the whole operation, old file read, file written
//  BM_UpdatePSNFilePlain  the same with the link substitution and the
//                         covered-part filter in their plain forms
//                         (identifiers x texts, selected objects x parts),
//                         on small black boxes only
// "per_component" is the time per component.
#include <benchmark/benchmark.h>

#include "KRVEWD7BlackBoxServices.h"
#include "KRVWD7PSNFileText.h"
#include "KRVWD7UtiTracer.h"
#include "PSNFileTestSupport.h"

namespace {

void Run(benchmark::State& ioState, const krvwd7_core::PSNFileSteps* iSteps) {
  const int components = static_cast<int>(ioState.range(0));
  KRVWD7UtiTracer::Off();
  krvwd7_test::TempFolder folder;
  MemSession& session = MemSession::Current();
  session.Close();
  krvwd7_test::GenerateBlackBox(session, components, folder / "old.psn");
  krvwd7_core::SetPSNFileStepsForTesting(iSteps);
  KRVEWD7BlackBoxServices* services = new KRVEWD7BlackBoxServices;
  const CATUnicodeString target((folder / "new.psn").c_str());
  // One run first, so that every size is measured warm (the first run
  // also pays for the process's first touch of its memory).
  HRESULT rc = services->UpdatePSNFile(target);
  for (auto _ : ioState) {
    rc = services->UpdatePSNFile(target);
    benchmark::DoNotOptimize(rc);
  }
  services->Release();
  krvwd7_core::SetPSNFileStepsForTesting(nullptr);
  if (rc != S_OK) ioState.SkipWithError("UpdatePSNFile failed");
  ioState.counters["per_component"] = benchmark::Counter(
      components, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  ioState.counters["file_MB"] =
      static_cast<double>(std::filesystem::file_size(folder / "new.psn")) / 1e6;
  session.Close();
}

void BM_UpdatePSNFile(benchmark::State& state) { Run(state, nullptr); }

void BM_UpdatePSNFilePlain(benchmark::State& state) {
  static const krvwd7_core::PSNFileSteps kPlain = {&krvwd7_test::PlainReplaceLinks,
                                                   &krvwd7_test::PlainDropCovered};
  Run(state, &kPlain);
}

}  // namespace

// Several timed runs even at 100 000 components (a single one is at the
// mercy of the shared machine).
BENCHMARK(BM_UpdatePSNFile)->Arg(1000)->Arg(10000)->Arg(100000)->MinTime(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdatePSNFilePlain)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
