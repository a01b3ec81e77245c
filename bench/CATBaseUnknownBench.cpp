#include <benchmark/benchmark.h>

#include "CATBaseUnknown.h"

// Cost of handing a handle around: one AddRef and one Release.
static void BM_HandleCopy(benchmark::State& state) {
  CATBaseUnknown* object = new CATBaseUnknown;
  CATBaseUnknown_var handle(object);
  object->Release();
  for (auto _ : state) {
    CATBaseUnknown_var copy = handle;
    benchmark::DoNotOptimize(copy.Get());
  }
}
BENCHMARK(BM_HandleCopy);
