// Cost of UpdatePosition against the comparison it starts with.
//
// A black box (type 1) and its PSN of N products per side (assemblies of 99
// parts below the root) where 1 % of the parts sit elsewhere in the black
// box, and nothing else differs. Tracing is off.
//
//  BM_IsUpToDate       the comparison alone: both structures switched to
//                      product mode, both record lists, RetrieveDifferences
//  BM_UpdatePosition   the same comparison, then every differing position
//                      copied to the PSN (the PSN's positions are put back,
//                      untimed, before each run)
// "per_product" is the time per product of one side; UpdatePosition /
// IsUpToDate is what the copies cost on top of the comparison.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "KRVEWD7BlackBoxServices.h"
#include "KRVWD7UtiTracer.h"
#include "MemBuilder.h"
#include "MemSession.h"

namespace {

constexpr int kPartsPerAssembly = 99;

const char kBase[] = R"({
  "format": "krvwd7-session/1",
  "settings": {"version": {"source": 2, "property": "Version"}},
  "documents": [
    {"name": "BB.CATProduct", "pdm": true, "root": {"partNumber": "BB",
      "parameters": {"BBNote": "generated"},
      "properties": {"BBVersion": "2", "BBType": "1", "BBPSNPartNumber": "PSN",
                     "BBFlatten": "0"}}},
    {"name": "PSN.CATProduct", "pdm": true, "root": {"partNumber": "PSN"}}
  ]
})";

CATBaseUnknown_var Handle(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}

struct Pair {
  MemDocument* bb = nullptr;
  MemDocument* psn = nullptr;
  // The PSN products whose position differs, and their position.
  std::vector<std::pair<MemProduct*, CATMathTransformation>> moved;
};

// Fills the current session with the pair.
Pair Generate(int iProducts) {
  MemSession& session = MemSession::Current();
  session.Close();
  session.LoadFromText(kBase, "bench");
  Pair out;
  out.bb = session.FindDocument("BB.CATProduct");
  out.psn = session.FindDocument("PSN.CATProduct");
  out.psn->Root()->Vpm().SetPrintableId(MemBuilder::PrintableId(1, {}));
  out.bb->Root()->Properties().Set("BBPSNPrintableId", MemBuilder::PrintableId(1, {}));
  int made = 0;
  for (int a = 0; made < iProducts; ++a) {
    const uint64_t asm_clink = 0x100000 + a;
    const std::string asm_name = "Asm." + std::to_string(a);
    const std::string asm_number = "ASM-" + std::to_string(a);
    MemProduct* bb_asm =
        session.NewComponent(out.bb->Root(), asm_name, asm_number, MemKind::kProduct);
    bb_asm->Properties().Set("BBPrintableId", MemBuilder::PrintableId(1, {asm_clink}));
    bb_asm->Properties().Set("BBVpmEnv", "E1/E2");
    MemProduct* psn_asm =
        session.NewComponent(out.psn->Root(), asm_name, asm_number, MemKind::kProduct);
    psn_asm->Vpm().SetPrintableId(MemBuilder::PrintableId(1, {asm_clink}));
    psn_asm->Vpm().SetEnv("E1/E2");
    ++made;
    for (int p = 0; p < kPartsPerAssembly && made < iProducts; ++p, ++made) {
      const uint64_t clink = 0x200000 + made;
      const std::string name = "Part." + std::to_string(p);
      MemProduct* ref =
          session.NewReference(nullptr, "P-" + std::to_string(made), MemKind::kPart);
      ref->UserProperties().Set("Version", "1");
      const CATMathTransformation at = MemBuilder::Translation(made, 0, 0);
      MemProduct* bb_part = session.NewInstance(bb_asm, ref, name);
      bb_part->Properties().Set("BBPrintableId", MemBuilder::PrintableId(1, {asm_clink, clink}));
      bb_part->Properties().Set("BBVpmEnv", "E1/E2/E3");
      bb_part->SetPosition(made % 100 == 3 ? MemBuilder::Translation(made, 1, 0) : at);
      MemProduct* psn_part = session.NewInstance(psn_asm, ref, name);
      psn_part->Vpm().SetPrintableId(MemBuilder::PrintableId(1, {asm_clink, clink}));
      psn_part->Vpm().SetEnv("E1/E2/E3");
      psn_part->SetPosition(at);
      if (made % 100 == 3) out.moved.emplace_back(psn_part, at);
    }
  }
  return out;
}

void SetPerProduct(benchmark::State& ioState, int iProducts) {
  ioState.counters["per_product"] = benchmark::Counter(
      iProducts, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_IsUpToDate(benchmark::State& state) {
  const int products = static_cast<int>(state.range(0));
  KRVWD7UtiTracer::Off();
  Pair pair = Generate(products);
  KRVEWD7BlackBoxServices services;
  unsigned char up_to_date = 1;
  for (auto _ : state) {
    services.IsUpToDate(*pair.bb, *pair.psn, up_to_date);
    benchmark::DoNotOptimize(up_to_date);
  }
  if (up_to_date != 0) state.SkipWithError("no difference found");
  SetPerProduct(state, products);
  MemSession::Current().Close();
}

void BM_UpdatePosition(benchmark::State& state) {
  const int products = static_cast<int>(state.range(0));
  KRVWD7UtiTracer::Off();
  Pair pair = Generate(products);
  KRVEWD7BlackBoxServices services;
  const CATBaseUnknown_var psn_root = Handle(pair.psn->Root());
  const CATBaseUnknown_var bb_root = Handle(pair.bb->Root());
  HRESULT rc = S_OK;
  for (auto _ : state) {
    state.PauseTiming();
    for (const auto& [product, position] : pair.moved) product->SetPosition(position);
    state.ResumeTiming();
    rc = services.UpdatePosition(psn_root, bb_root);
    benchmark::DoNotOptimize(rc);
  }
  if (rc != S_OK) state.SkipWithError("not every position was copied");
  state.counters["copied"] = static_cast<double>(pair.moved.size());
  SetPerProduct(state, products);
  MemSession::Current().Close();
}

}  // namespace

BENCHMARK(BM_IsUpToDate)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdatePosition)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
