// The library's adding operations against the plain algorithms kept in
// test support (LiteralCoreServices): on generated PSNs of a few hundred
// products, added one by one, both must give the same results, the same
// trace and the same session, byte for byte once saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "LiteralCoreServices.h"
#include "TestSessions.h"

namespace {

using namespace krvwd7_test;

enum class Order { kFathersFirst, kShuffled };

struct Scenario {
  const char* label;
  Order order;
  bool flattened, allow_replaced;
};

struct Outcome {
  std::vector<std::string> results;  // per product: result and added path
  std::vector<std::string> trace;
  std::string session;  // saved after the run
};

class LiteralAgreementTest : public HostTest {
 protected:
  // A generated PSN with what the plain scans must find their way through:
  // black-box nodes that already stand for some PSN assemblies, one under a
  // component link that VPM reports as replaced; part numbers of the black
  // box's document that some PSN numbers clash with; leaves of the further
  // kind 9. Saved as text, the starting point of both runs.
  std::string MakeSession(bool iFlattened) {
    MemBuilder build(session());
    MemPSNSpec spec;
    spec.products = 300;
    spec.maxFanOut = 12;
    spec.assemblyShare = 25;
    spec.seed = 5;
    MemPSNPair pair = build.GeneratePSN(spec);
    if (iFlattened) pair.bbRoot->Properties().Set("BBFlatten", "1");
    int assemblies = 0, top = 0, leaves = 0;
    for (MemProduct* product : pair.psnProducts) {
      if (product->Children().empty()) {
        if (product->Kind() == MemKind::kPart && ++leaves % 17 == 0) {
          product->SetKind(MemKind::kOther);
        }
        continue;
      }
      if (++assemblies % 4 == 1) {
        // Numbers of the black box's document that the PSN's clash with.
        build.Part(pair.bbRoot, "Taken.1", product->PartNumber());
        build.Part(pair.bbRoot, "Taken.2", product->PartNumber() + "_1");
      }
      if (product->Father() == pair.psnRoot && ++top % 2 == 1) {
        // Already in the black box, as built from an older link.
        MemProduct* node = build.Add(pair.psnNode, product->InstanceName(),
                                     product->PartNumber(), MemKind::kComponent);
        std::string id = std::string(product->Vpm().PrintableId());
        const std::string old_clink = MemBuilder::Hex16(0xE000 + top);
        session().AddReplacement(MemReplacement{old_clink, id.substr(id.size() - 16), "VPMENV"});
        id.replace(id.size() - 16, 16, old_clink);
        node->Properties() = {{"BBPrintableId", id}, {"BBVpmEnv", std::string(product->Vpm().Env())}};
      }
    }
    EXPECT_GT(top, 1);
    return session().SaveToText();
  }

  // Loads iText and adds every PSN product to the black box's PSN node with
  // the library's operation or the plain one.
  Outcome AddAll(const std::string& iText, const Scenario& iScenario, bool iLiteral) {
    session().Close();
    MemResult loaded = session().LoadFromText(iText, "generated");
    EXPECT_TRUE(loaded.ok) << loaded.error;
    MemProduct* psn_root = session().FindDocument("PSN.CATProduct")->Root();
    MemProduct* node = session().FindDocument("BB.CATProduct")->Root()->FindChild("PSN.1");
    std::vector<MemProduct*> products = ProductsBelow(psn_root);
    if (iScenario.order == Order::kShuffled) {
      std::shuffle(products.begin(), products.end(), std::mt19937(11));
    }
    Outcome run;
    KRVWD7UtiTracer::ClearLines();
    for (MemProduct* product : products) {
      KRVWD7PrdInfo record;
      record.RetrieveInfo(Handle(product), Handle(psn_root), 0);
      CATBaseUnknown_var added;
      const HRESULT rc =
          iLiteral ? krvwd7_literal::AddProductFromPSNtoBB(record, Handle(psn_root),
                                                           Handle(node), added,
                                                           iScenario.allow_replaced)
                   : KRVWD7CoreServices::AddProductFromPSNtoBB(
                         record, Handle(psn_root), Handle(node), added,
                         iScenario.allow_replaced);
      std::string path = "-";
      if (MemProduct* made = MemProduct::From(added)) made->PathFrom(node, path);
      run.results.push_back(std::to_string(rc) + " " + path);
    }
    run.trace = KRVWD7UtiTracer::Lines();
    run.session = session().SaveToText();
    return run;
  }
};

int Count(const std::vector<std::string>& iResults, const std::string& iPrefix) {
  return static_cast<int>(std::count_if(iResults.begin(), iResults.end(),
                                        [&](const std::string& iResult) {
                                          return iResult.rfind(iPrefix, 0) == 0;
                                        }));
}

TEST_F(LiteralAgreementTest, SameStructureTraceAndResults) {
  const Scenario scenarios[] = {
      {"fathers first", Order::kFathersFirst, false, false},
      {"shuffled, replaced links", Order::kShuffled, false, true},
      {"fathers first, replaced links", Order::kFathersFirst, false, true},
      {"flattened", Order::kShuffled, true, false},
  };
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.label);
    session().Close();
    const std::string start = MakeSession(scenario.flattened);
    const Outcome fast = AddAll(start, scenario, false);
    const Outcome plain = AddAll(start, scenario, true);
    ASSERT_EQ(fast.results.size(), 300u);
    EXPECT_EQ(fast.results, plain.results);
    EXPECT_EQ(fast.trace, plain.trace);
    EXPECT_EQ(fast.session, plain.session);
    // The run added, and found what was there (products whose chain made
    // them first, nodes of replaced links) or refused (flattened).
    EXPECT_GT(Count(fast.results, "0 "), 100);
    EXPECT_EQ(Count(fast.results, "1 ") > 0,
              scenario.order == Order::kShuffled || scenario.allow_replaced);
    EXPECT_NE(fast.session, start);
    // What the run made saves and loads back identical.
    session().Close();
    ASSERT_TRUE(session().LoadFromText(fast.session, "after").ok);
    EXPECT_EQ(session().SaveToText(), fast.session);
  }
}

}  // namespace
