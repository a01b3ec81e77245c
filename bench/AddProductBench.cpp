// Cost of adding a whole PSN to its black box one product at a time.
//
// A generated PSN of N products (fan-out up to 50, a fifth of the leaves
// model instances whose part numbers repeat about four times) and a black
// box that holds only its PSN node. Every PSN product, fathers first (the
// order in which the services add a picked product and everything below
// it), is added with AddProductFromPSNtoBB: intermediate products are found
// by their printable id, identical models are searched in the whole black
// box. The records of the PSN products are made before the clock runs, as
// the services build the PSN's record list first. Tracing is off.
//
//  BM_AddWholePSN       the library's operations
//  BM_PlainAddWholePSN  the plain algorithms of test support (1 000 only):
//                       BM_PlainAddWholePSN / BM_AddWholePSN is the gain.
// "per_product" is the time per PSN product.
#include <benchmark/benchmark.h>

#include <vector>

#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7UtiTracer.h"
#include "LiteralCoreServices.h"
#include "MemBuilder.h"
#include "MemSession.h"

namespace {

CATBaseUnknown_var Handle(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}

struct Prepared {
  CATBaseUnknown_var psn_root;
  CATBaseUnknown_var node;
  std::vector<KRVWD7PrdInfo> records;
};

Prepared Prepare(int iProducts) {
  MemSession& session = MemSession::Current();
  session.Close();
  MemBuilder build(session);
  MemPSNSpec spec;
  spec.products = iProducts;
  MemPSNPair pair = build.GeneratePSN(spec);
  Prepared out;
  out.psn_root = Handle(pair.psnRoot);
  out.node = Handle(pair.psnNode);
  out.records.resize(pair.psnProducts.size());
  for (size_t i = 0; i < pair.psnProducts.size(); ++i) {
    out.records[i].RetrieveInfo(Handle(pair.psnProducts[i]), out.psn_root, 0);
  }
  return out;
}

template <bool kPlain>
void AddWholePSN(benchmark::State& state) {
  KRVWD7UtiTracer::Off();
  const int products = static_cast<int>(state.range(0));
  int failed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Prepared prepared = Prepare(products);
    state.ResumeTiming();
    for (const KRVWD7PrdInfo& record : prepared.records) {
      CATBaseUnknown_var added;
      const HRESULT rc =
          kPlain ? krvwd7_literal::AddProductFromPSNtoBB(record, prepared.psn_root,
                                                         prepared.node, added, 0)
                 : KRVWD7CoreServices::AddProductFromPSNtoBB(
                       record, prepared.psn_root, prepared.node, added, 0);
      failed += rc != S_OK;
    }
    state.PauseTiming();
    prepared = Prepared();
    MemSession::Current().Close();
    state.ResumeTiming();
  }
  if (failed != 0) state.SkipWithError("a product was not added");
  state.counters["per_product"] = benchmark::Counter(
      static_cast<double>(products) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(AddWholePSN<false>)
    ->Name("BM_AddWholePSN")
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(AddWholePSN<true>)
    ->Name("BM_PlainAddWholePSN")
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
