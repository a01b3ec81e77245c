// Cost of flattening a black box and of following a new version of its PSN
// root part.
//
// Generated type 2 black boxes (krvwd7_test::GenerateBlackBox: components
// of about 50 leaves below the PSN root instance, some nested, some leaves
// already in place or without identity). Tracing is off, batch session.
//
//  BM_Flatten                       Flatten with option 0 (the black box is
//                                   generated again, untimed, before each run)
//  BM_PlainWalkFlatten              the same by the plain walk that removes
//                                   each moved record from one array (1 000
//                                   and 10 000 only)
//  BM_MigrateAfterRootPartVersionning  every product's identity to a new
//                                   root id and back, one call per iteration
// "per_product" is the time per product of the black box.
#include <benchmark/benchmark.h>

#include <string>

#include "KRVEWD7BlackBoxServices.h"
#include "KRVWD7UtiTracer.h"
#include "LiteralFlatten.h"
#include "MemBuilder.h"
#include "MemDocument.h"
#include "MemSession.h"

namespace {

void SetPerProduct(benchmark::State& ioState, int iProducts) {
  ioState.counters["per_product"] = benchmark::Counter(
      iProducts, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <bool kPlain>
void FlattenRuns(benchmark::State& state) {
  const int products = static_cast<int>(state.range(0));
  KRVWD7UtiTracer::Off();
  KRVEWD7BlackBoxServices services;
  for (auto _ : state) {
    state.PauseTiming();
    MemDocument* document = krvwd7_test::GenerateBlackBox(MemSession::Current(), products, 1);
    state.ResumeTiming();
    const HRESULT rc = kPlain ? krvwd7_test::LiteralFlatten(*document, 0)
                              : services.Flatten(*document, 0);
    if (rc != S_OK) state.SkipWithError("Flatten failed");
  }
  SetPerProduct(state, products);
  MemSession::Current().Close();
}

void BM_Flatten(benchmark::State& state) { FlattenRuns<false>(state); }
void BM_PlainWalkFlatten(benchmark::State& state) { FlattenRuns<true>(state); }

void BM_MigrateAfterRootPartVersionning(benchmark::State& state) {
  const int products = static_cast<int>(state.range(0));
  KRVWD7UtiTracer::Off();
  MemDocument* document = krvwd7_test::GenerateBlackBox(MemSession::Current(), products, 1);
  KRVEWD7BlackBoxServices services;
  // The generated ids all begin with the root id of object 1; the runs
  // move them to object 2 and back.
  const CATUnicodeString ids[2] = {MemBuilder::PrintableId(2, {}).c_str(),
                                   MemBuilder::PrintableId(1, {}).c_str()};
  const CATUnicodeString part_numbers[2] = {"PSN-B", "PSN"};
  int run = 0;
  for (auto _ : state) {
    const int k = run++ % 2;
    if (services.MigrateAfterRootPartVersionning(*document, ids[k], "psn.psn",
                                                 part_numbers[k]) != S_OK) {
      state.SkipWithError("MigrateAfterRootPartVersionning failed");
    }
  }
  SetPerProduct(state, products);
  MemSession::Current().Close();
}

}  // namespace

BENCHMARK(BM_Flatten)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWalkFlatten)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MigrateAfterRootPartVersionning)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
