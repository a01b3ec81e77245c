// Session load, walk and save at 1 000, 10 000 and 100 000 products.
//
// The session is built in memory (a black box and its PSN, half of the
// products on each side, sub-assemblies of 50 parts with VPM identities,
// properties, shapes and positions), written to text once, then loaded,
// walked and saved. Each benchmark reports the time per product.
#include <benchmark/benchmark.h>

#include <string>

#include "MemBuilder.h"
#include "MemSession.h"

namespace {

// One side: a root, sub-assemblies of iFanout parts, iProducts products in all.
void BuildSide(MemSession& ioSession, const std::string& iName, int iProducts,
               bool iBlackBox) {
  MemBuilder build(ioSession);
  MemDocument* document = build.Document(iName, iName + "-ROOT", true);
  const int fanout = 50;
  int made = 1;
  for (int a = 0; made < iProducts; ++a) {
    MemProduct* assembly = build.Add(document->Root(), "Asm" + std::to_string(a) + ".1",
                                     "A" + std::to_string(a), MemKind::kComponent);
    ++made;
    for (int p = 0; p < fanout && made < iProducts; ++p, ++made) {
      int index = a * fanout + p;
      MemProduct* part = build.Part(assembly, "Part" + std::to_string(index) + ".1",
                                    "P" + std::to_string(index));
      part->SetPosition(MemBuilder::Translation(index, 2.5 * p, -a));
      part->SetRevision("A");
      part->UserProperties().Set("VPMVersion", "1");
      std::string id = MemBuilder::PrintableId(0x100, {0x1000000u + a, 0x2000000u + index});
      if (iBlackBox) {
        part->Properties().Set("BBPrintableId", id);
        part->Properties().Set("BBVpmEnv", "VPMENV  /VPMENV  /VPMENV  ");
      } else {
        part->Vpm().SetPrintableId(id);
        part->Vpm().SetEnv("VPMENV  /VPMENV  /VPMENV  ");
      }
    }
  }
}

std::string SessionText(int iProducts) {
  MemSession session;
  BuildSide(session, "BB", iProducts / 2, true);
  BuildSide(session, "PSN", iProducts - iProducts / 2, false);
  return session.SaveToText();
}

const std::string& CachedText(int iProducts) {
  static std::string texts[3];
  int slot = iProducts <= 1000 ? 0 : iProducts <= 10000 ? 1 : 2;
  if (texts[slot].empty()) texts[slot] = SessionText(iProducts);
  return texts[slot];
}

void PerProduct(benchmark::State& ioState, int iProducts) {
  ioState.counters["per_product"] = benchmark::Counter(
      static_cast<double>(iProducts) * static_cast<double>(ioState.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Load(benchmark::State& ioState) {
  int products = static_cast<int>(ioState.range(0));
  const std::string& text = CachedText(products);
  for (auto _ : ioState) {
    MemSession session;
    MemResult result = session.LoadFromText(text, "bench");
    if (!result) ioState.SkipWithError(result.error.c_str());
    benchmark::DoNotOptimize(session.ReferenceCount());
  }
  PerProduct(ioState, products);
}

size_t Walk(MemProduct* iProduct, MemProduct* iRoot) {
  size_t seen = 1;
  std::string path;
  iProduct->PathFrom(iRoot, path);
  benchmark::DoNotOptimize(iProduct->FindProperty("BBPrintableId"));
  benchmark::DoNotOptimize(path.size() + iProduct->PartNumber().size());
  for (MemProduct* child : iProduct->Children()) seen += Walk(child, iRoot);
  return seen;
}

// Every product, depth first, with its instance path and a property read.
void BM_Walk(benchmark::State& ioState) {
  int products = static_cast<int>(ioState.range(0));
  MemSession session;
  session.LoadFromText(CachedText(products), "bench");
  for (auto _ : ioState) {
    size_t seen = 0;
    for (MemDocument* document : session.ProductDocuments()) {
      seen += Walk(document->Root(), document->Root());
    }
    benchmark::DoNotOptimize(seen);
  }
  PerProduct(ioState, products);
}

void BM_Save(benchmark::State& ioState) {
  int products = static_cast<int>(ioState.range(0));
  MemSession session;
  session.LoadFromText(CachedText(products), "bench");
  for (auto _ : ioState) {
    std::string text = session.SaveToText();
    benchmark::DoNotOptimize(text.size());
  }
  PerProduct(ioState, products);
}

}  // namespace

BENCHMARK(BM_Load)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Walk)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
