// Cost of AddToBlackBox: a sub-assembly picked in the PSN and added, with
// everything below it, to a black box that holds none of it.
//
// The PSN: its root, one sub-assembly "Sub.1" and below it assemblies of 99
// parts, N products in the sub-assembly in all, each with its VPM identity,
// version and revision. The black box (type 1) is empty. The structures are
// made anew, untimed, before each run. Tracing is off.
//
//  BM_AddToBlackBox       the services' operation
//  BM_PlainAddToBlackBox  its plain form of test support, whose children
//                         look their records up by scanning the lists
// "per_product" is the time per product of the sub-assembly; "added" the
// products the black box holds afterwards (the sub-assembly's, checked).
#include <benchmark/benchmark.h>

#include <string>

#include "KRVEWD7BlackBoxServices.h"
#include "KRVWD7UtiTracer.h"
#include "LiteralAddToBlackBox.h"
#include "MemBuilder.h"
#include "MemSession.h"

namespace {

constexpr int kPartsPerAssembly = 99;

CATBaseUnknown_var Handle(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}

struct Pair {
  CATBaseUnknown_var psnRoot, picked, bbRoot;
};

void Identify(MemProduct* ioProduct, const std::vector<uint64_t>& iClinks) {
  ioProduct->Vpm().SetPrintableId(MemBuilder::PrintableId(1, iClinks));
  ioProduct->Vpm().SetEnv("VPMENV");
  ioProduct->SetDefinition("1");
  ioProduct->SetRevision("A");
}

int CountBelow(const MemProduct* iProduct) {
  int count = 0;
  for (const MemProduct* child : iProduct->Children()) count += 1 + CountBelow(child);
  return count;
}

Pair Generate(int iProducts) {
  MemSession& session = MemSession::Current();
  session.Close();
  MemBuilder build(session);
  MemDocument* bb = build.Document("BB.CATProduct", "BB", true);
  MemDocument* psn = build.Document("PSN.CATProduct", "PSN", true);
  bb->Root()->AddParm("BBNote", "generated");
  bb->Root()->Properties() = {{"BBVersion", "2"}, {"BBType", "1"}, {"BBPSNPartNumber", "PSN"},
                              {"BBFlatten", "0"},
                              {"BBPSNPrintableId", MemBuilder::PrintableId(1, {})}};
  psn->Root()->Vpm().SetPrintableId(MemBuilder::PrintableId(1, {}));
  MemProduct* sub = build.Assembly(psn->Root(), "Sub.1", "SUB");
  Identify(sub, {0x10});
  int made = 1;
  for (int a = 0; made < iProducts; ++a) {
    MemProduct* assembly = build.Assembly(sub, "Asm." + std::to_string(a),
                                          "ASM-" + std::to_string(a));
    Identify(assembly, {0x10, 0x1000u + a});
    ++made;
    for (int p = 0; p < kPartsPerAssembly && made < iProducts; ++p, ++made) {
      MemProduct* part = build.Part(assembly, "Part." + std::to_string(p),
                                    "P-" + std::to_string(made));
      Identify(part, {0x10, 0x1000u + a, 0x100000u + made});
    }
  }
  return Pair{Handle(psn->Root()), Handle(sub), Handle(bb->Root())};
}

template <bool kPlain>
void AddSubAssembly(benchmark::State& state) {
  const int products = static_cast<int>(state.range(0));
  KRVWD7UtiTracer::Off();
  HRESULT rc = S_OK;
  int added_products = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Pair pair = Generate(products);
    state.ResumeTiming();
    CATBaseUnknown_var added;
    if (kPlain) {
      rc = krvwd7_literal::AddToBlackBox(pair.picked, pair.psnRoot, pair.bbRoot, added);
    } else {
      KRVEWD7BlackBoxServices services;
      rc = services.AddToBlackBox(pair.picked, pair.psnRoot, pair.bbRoot, added, 0);
    }
    state.PauseTiming();
    added_products = CountBelow(MemProduct::From(pair.bbRoot));
    pair = Pair();
    added = CATBaseUnknown_var();
    MemSession::Current().Close();
    state.ResumeTiming();
  }
  if (rc != S_OK || added_products != products) {
    state.SkipWithError("the sub-assembly was not added");
  }
  state.counters["added"] = added_products;
  state.counters["per_product"] = benchmark::Counter(
      products, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_AddToBlackBox(benchmark::State& state) { AddSubAssembly<false>(state); }
void BM_PlainAddToBlackBox(benchmark::State& state) { AddSubAssembly<true>(state); }

}  // namespace

BENCHMARK(BM_AddToBlackBox)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainAddToBlackBox)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
