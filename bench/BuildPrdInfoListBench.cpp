// Cost of gathering the record list of a whole structure.
//
// BuildPrdInfoList reads every product once, so its time per product must
// stay flat from 1 000 to 100 000 products. The structure keeps the same
// shape at every size (assemblies of 99 parts below the root, depth 2) so
// that only the number of products changes; tracing is off.
#include <benchmark/benchmark.h>

#include <string>

#include "CATListValKRVWD7PrdInfo.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiTracer.h"
#include "MemBuilder.h"
#include "MemSession.h"

namespace {

constexpr int kPartsPerAssembly = 99;

// Fills the current session with about iProducts products below one root;
// answers the root.
MemProduct* BuildStructure(int iProducts) {
  MemSession& session = MemSession::Current();
  session.Close();
  MemBuilder build(session);
  MemProduct* root = build.Document("Bench.CATProduct", "BENCH-ROOT", true)->Root();
  int made = 0;
  for (int a = 0; made < iProducts; ++a) {
    MemProduct* assembly =
        build.Assembly(root, "Asm." + std::to_string(a), "ASM-" + std::to_string(a));
    assembly->Vpm().SetPrintableId(MemBuilder::PrintableId(a + 1, {1}));
    assembly->Vpm().SetEnv("VPMENV");
    ++made;
    for (int p = 0; p < kPartsPerAssembly && made < iProducts; ++p, ++made) {
      MemProduct* part = build.Part(assembly, "Part." + std::to_string(p),
                                    "P-" + std::to_string(a) + "-" + std::to_string(p));
      part->Vpm().SetPrintableId(
          MemBuilder::PrintableId(1000000 + made, {1, static_cast<uint64_t>(made)}));
      part->Vpm().SetEnv("VPMENV/VPMENV");
    }
  }
  return root;
}

void BM_BuildPrdInfoList(benchmark::State& state) {
  const int products = static_cast<int>(state.range(0));
  KRVWD7UtiTracer::Off();
  MemProduct* root = BuildStructure(products);
  CATBaseUnknown_var root_handle(static_cast<CATIProduct*>(root));
  CATListValKRVWD7PrdInfo list;
  for (auto _ : state) {
    KRVWD7PrdInfoListServices::BuildPrdInfoList(root_handle, list, 0,
                                                CATBaseUnknown_var(), nullptr);
    benchmark::DoNotOptimize(list.Size());
  }
  if (list.Size() != products) state.SkipWithError("wrong number of records");
  state.SetItemsProcessed(state.iterations() * products);
  state.counters["time_per_product"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * products,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  list.RemoveAll();
  root_handle = nullptr;
  MemSession::Current().Close();
}

}  // namespace

BENCHMARK(BM_BuildPrdInfoList)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
