// Cost of comparing a black box with its PSN.
//
// Generated structures of N products per side (assemblies of 99 parts
// below the root) where about 1 % of the parts differ in each way the
// comparison classifies: removed, added, new version, moved, replaced by
// another part number, identity change only. Tracing is off.
//
//  BM_BuildLists        BuildPrdInfoList of both sides
//  BM_BuildAndCompare   both lists plus RetrieveDifferences
//  BM_Compare           RetrieveDifferences alone, lists built once
//  BM_PlainScanCompare  the same comparison with phases 1 and 2 done by
//                       plain first-to-last scans (1 000 and 10 000 only):
//                       BM_PlainScanCompare / BM_Compare is the gain.
// "per_product" is the time per product of one side.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "CATRawCollint.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiTracer.h"
#include "MemBuilder.h"
#include "PlainScanDifferences.h"
#include "MemSession.h"

namespace {

constexpr int kPartsPerAssembly = 99;

const char kBase[] = R"({
  "format": "krvwd7-session/1",
  "settings": {"version": {"source": 2, "property": "Version"}},
  "documents": [
    {"name": "BB.CATProduct", "pdm": true, "root": {"partNumber": "BB"}},
    {"name": "PSN.CATProduct", "pdm": true, "root": {"partNumber": "PSN"}}
  ]
})";

CATBaseUnknown_var Handle(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}

struct Structure {
  CATBaseUnknown_var bb;
  CATBaseUnknown_var psn;
  int entries = 0;  // expected difference entries
  int added = 0;    // expected added products
};

// Fills the current session with a black box and its PSN of about
// iProducts products each.
Structure Generate(int iProducts) {
  MemSession& session = MemSession::Current();
  session.Close();
  session.LoadFromText(kBase, "bench");
  MemDocument* bb_doc = session.FindDocument("BB.CATProduct");
  MemDocument* psn_doc = session.FindDocument("PSN.CATProduct");
  Structure out;
  out.bb = Handle(bb_doc->Root());
  out.psn = Handle(psn_doc->Root());
  int made = 0;
  for (int a = 0; made < iProducts; ++a) {
    const uint64_t asm_clink = 0x100000 + a;
    const std::string asm_number = "ASM-" + std::to_string(a);
    MemProduct* bb_asm = session.NewComponent(bb_doc->Root(), "Asm." + std::to_string(a),
                                              asm_number, MemKind::kProduct);
    bb_asm->Properties().Set("BBPrintableId", MemBuilder::PrintableId(1, {asm_clink}));
    bb_asm->Properties().Set("BBVpmEnv", "E1/E2");
    MemProduct* psn_asm = session.NewComponent(psn_doc->Root(), "Asm." + std::to_string(a),
                                               asm_number, MemKind::kProduct);
    psn_asm->Vpm().SetPrintableId(MemBuilder::PrintableId(1, {asm_clink}));
    psn_asm->Vpm().SetEnv("E1/E2");
    ++made;
    for (int p = 0; p < kPartsPerAssembly && made < iProducts; ++p, ++made) {
      const int kind = made % 100;  // 0 removed, 1 added, 2 version, 3 moved,
                                    // 4 replaced, 5 identity change
      const uint64_t clink = 0x200000 + made;
      const std::string name = "Part." + std::to_string(p);
      MemProduct* ref = session.NewReference(nullptr, "P-" + std::to_string(made),
                                             MemKind::kPart);
      ref->UserProperties().Set("Version", "1");
      const CATMathTransformation at = MemBuilder::Translation(made, 0, 0);
      if (kind != 1) {
        MemProduct* bb_part = session.NewInstance(bb_asm, ref, name);
        bb_part->Properties().Set("BBPrintableId", MemBuilder::PrintableId(1, {asm_clink, clink}));
        bb_part->Properties().Set("BBVpmEnv", "E1/E2/E3");
        bb_part->SetPosition(at);
      }
      if (kind == 0) {
        ++out.entries;
        continue;
      }
      MemProduct* psn_ref = ref;
      uint64_t psn_clink = clink;
      CATMathTransformation psn_at = at;
      if (kind == 1) ++out.added;
      if (kind == 2) {
        psn_ref = session.NewReference(psn_doc, ref->PartNumber(), MemKind::kPart);
        psn_ref->UserProperties().Set("Version", "2");
      }
      if (kind == 3) psn_at = MemBuilder::Translation(made, 1, 0);
      if (kind == 4) {
        psn_ref = session.NewReference(nullptr, ref->PartNumber() + "-R", MemKind::kPart);
        psn_ref->UserProperties().Set("Version", "1");
      }
      if (kind == 4 || kind == 5) {
        psn_clink = 0x800000 + made;
        session.AddReplacement(MemReplacement{MemBuilder::Hex16(clink),
                                              MemBuilder::Hex16(psn_clink), ""});
      }
      if (kind >= 2 && kind <= 5) ++out.entries;
      MemProduct* psn_part = session.NewInstance(psn_asm, psn_ref, name);
      psn_part->Vpm().SetPrintableId(MemBuilder::PrintableId(1, {asm_clink, psn_clink}));
      psn_part->Vpm().SetEnv("E1/E2/E3");
      psn_part->SetPosition(psn_at);
    }
  }
  return out;
}

struct Lists {
  CATListValKRVWD7PrdInfo bb, psn;
};

void Build(const Structure& iStructure, Lists& oLists) {
  KRVWD7PrdInfoListServices::BuildPrdInfoList(iStructure.bb, oLists.bb, 1,
                                              CATBaseUnknown_var(), nullptr);
  KRVWD7PrdInfoListServices::BuildPrdInfoList(iStructure.psn, oLists.psn, 0,
                                              CATBaseUnknown_var(), nullptr);
}

struct Outputs {
  CATListValKRVWD7PrdInfo in_bb, in_psn, added;
  CATListValCATUnicodeString types;
  int count = 0;
};

void Compare(const Structure& iStructure, const Lists& iLists, Outputs& oOut) {
  KRVWD7PrdInfoListServices::RetrieveDifferences(iStructure.psn, iLists.bb, iLists.psn,
                                                 oOut.in_bb, oOut.in_psn, oOut.added,
                                                 oOut.types, oOut.count, 1, 0);
}

// Phases 1 and 2 as plain scans (test support), then the same phase 3.
void PlainScanCompare(const Structure& iStructure, const Lists& iLists, Outputs& oOut) {
  krvwd7_test::PlainScanOutputs plain;
  krvwd7_test::PlainScanPhases(iStructure.psn, iLists.bb, iLists.psn, 1, 0, plain);
  oOut.in_bb = plain.inBB;
  oOut.in_psn = plain.inPSN;
  oOut.added = plain.added;
  oOut.types = plain.types;
  oOut.count = plain.count;
  KRVWD7PrdInfoListServices::RetrieveDifferences1(iStructure.psn, plain.removed, oOut.added,
                                                  plain.removedEntries, oOut.in_bb,
                                                  oOut.in_psn, oOut.types, oOut.count, 1, 0);
}

void SetPerProduct(benchmark::State& ioState, int iProducts) {
  ioState.counters["per_product"] = benchmark::Counter(
      iProducts, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

bool Expected(const Structure& iStructure, const Outputs& iOut) {
  return iOut.types.Size() == iStructure.entries && iOut.added.Size() == iStructure.added &&
         iOut.count == iStructure.entries + iStructure.added;
}

void BM_BuildLists(benchmark::State& state) {
  const int products = static_cast<int>(state.range(0));
  KRVWD7UtiTracer::Off();
  Structure structure = Generate(products);
  Lists lists;
  for (auto _ : state) {
    Build(structure, lists);
    benchmark::DoNotOptimize(lists.psn.Size());
  }
  SetPerProduct(state, products);
  structure = Structure();
  lists = Lists();
  MemSession::Current().Close();
}

void BM_BuildAndCompare(benchmark::State& state) {
  const int products = static_cast<int>(state.range(0));
  KRVWD7UtiTracer::Off();
  Structure structure = Generate(products);
  Lists lists;
  Outputs out;
  for (auto _ : state) {
    Build(structure, lists);
    Compare(structure, lists, out);
    benchmark::DoNotOptimize(out.count);
  }
  if (!Expected(structure, out)) state.SkipWithError("unexpected differences");
  SetPerProduct(state, products);
  structure = Structure();
  lists = Lists();
  out = Outputs();
  MemSession::Current().Close();
}

template <void (*Method)(const Structure&, const Lists&, Outputs&)>
void CompareOnly(benchmark::State& state) {
  const int products = static_cast<int>(state.range(0));
  KRVWD7UtiTracer::Off();
  Structure structure = Generate(products);
  Lists lists;
  Build(structure, lists);
  Outputs out;
  for (auto _ : state) {
    Method(structure, lists, out);
    benchmark::DoNotOptimize(out.count);
  }
  if (!Expected(structure, out)) state.SkipWithError("unexpected differences");
  SetPerProduct(state, products);
  structure = Structure();
  lists = Lists();
  out = Outputs();
  MemSession::Current().Close();
}

void BM_Compare(benchmark::State& state) { CompareOnly<Compare>(state); }
void BM_PlainScanCompare(benchmark::State& state) { CompareOnly<PlainScanCompare>(state); }

}  // namespace

BENCHMARK(BM_BuildLists)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildAndCompare)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compare)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainScanCompare)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
