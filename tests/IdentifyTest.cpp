// KRVEWD7BlackBoxServices::Identify: what ends up selected in the PSN
// window, the window left current, the trace and the catalog errors.
#include <gtest/gtest.h>

#include <string>

#include "BlackBoxPair.h"
#include "CATError.h"
#include "CATFrmEditor.h"
#include "KRVEWD7BlackBoxServices.h"
#include "TestSessions.h"

namespace {

using krvwd7_test::BlackBoxPair;
using krvwd7_test::Handle;
using krvwd7_test::LastErrorKey;

class IdentifyTest : public krvwd7_test::HostTest {
 protected:
  // Identify on the black-box products named in iNames ("" for the root).
  HRESULT Identify(const BlackBoxPair& iPair, std::initializer_list<const char*> iNames) {
    CATListValCATBaseUnknown_var components;
    for (const char* name : iNames) {
      components.Append(*name ? Handle(iPair.bb.at(name)) : Handle(iPair.bbRoot));
    }
    return KRVEWD7BlackBoxServices().Identify(components);
  }
  // The PSN window's selection as instance names, "<root>" for the root.
  static std::string Selected(const BlackBoxPair& iPair) {
    std::string names;
    const CATListValCATBaseUnknown_var& selection = iPair.psnDocument->Editor()->Selection();
    for (int i = 1; i <= selection.Size(); ++i) {
      const MemProduct* product = MemProduct::From(selection[i]);
      names += std::string(i > 1 ? "," : "") +
               (product->IsRoot() ? "<root>" : product->InstanceName());
    }
    return names;
  }
};

TEST_F(IdentifyTest, SelectsThePSNTwinsInPSNOrderAndGivesTheWindowBack) {
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
  CATFrmEditor* bb_editor = pair.bbDocument->Editor();
  ASSERT_EQ(CATFrmEditor::GetCurrentEditor(), bb_editor);
  // An earlier selection in the PSN window goes.
  pair.psnDocument->Editor()->Selection().Append(Handle(pair.psn["Asm.1"]));
  pair.psnDocument->Editor()->Highlight().Append(Handle(pair.psn["Asm.1"]));

  EXPECT_EQ(Identify(pair, {"Washer.1", "Bolt.1"}), S_OK);
  EXPECT_EQ(Selected(pair), "Bolt.1,Washer.1");
  EXPECT_EQ(pair.psnDocument->Editor()->Highlight().Size(), 0);
  EXPECT_EQ(CATFrmEditor::GetCurrentEditor(), bb_editor);
  EXPECT_EQ(LastErrorKey(), "");
  const std::vector<std::string> lines = KRVWD7UtiTracer::Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), ">> KRVEWD7BlackBoxServices::Identify");
  EXPECT_EQ(lines.back(), "<< KRVEWD7BlackBoxServices::Identify");
  EXPECT_TRUE(krvwd7_test::Traced("   HighlightPSN product components if needed"));
}

// The black-box root, and the PSN node of a type 2 black box, stand for the
// PSN root.
TEST_F(IdentifyTest, TheRootAloneSelectsOnlyThePSNRoot) {
  const struct {
    int type;
    const char* selected;
  } rows[] = {{1, ""}, {2, ""}, {2, "PSN.1"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.type) + " " + row.selected);
    BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), row.type);
    EXPECT_EQ(Identify(pair, {row.selected}), S_OK);
    EXPECT_EQ(Selected(pair), "<root>");
    session().Close();
  }
}

TEST_F(IdentifyTest, AnEmptyStoredIdIsReplacedByTheVPMId) {
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
  pair.bb["Nut.1"]->Properties().Set("BBPrintableId", "");
  pair.bb["Nut.1"]->Vpm().SetPrintableId(pair.psn["Nut.1"]->Vpm().PrintableId());
  // Without either, the component is left out silently.
  pair.bb["Bolt.1"]->Properties().Erase("BBPrintableId");
  EXPECT_EQ(Identify(pair, {"Nut.1", "Bolt.1"}), S_OK);
  EXPECT_EQ(Selected(pair), "Nut.1");
  EXPECT_TRUE(krvwd7_test::Traced("   FAILED KRVWD7UtiVPMServices::GetPrintableId"));
}

TEST_F(IdentifyTest, EveryPSNProductWithTheIdIsSelected) {
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 2);
  pair.psn["Washer.1"]->Vpm().SetPrintableId(pair.psn["Bolt.1"]->Vpm().PrintableId());
  EXPECT_EQ(Identify(pair, {"Bolt.1"}), S_OK);
  EXPECT_EQ(Selected(pair), "Bolt.1,Washer.1");
}

TEST_F(IdentifyTest, TheFirstComponentDecidesWhichBlackBox) {
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
  CATListValCATBaseUnknown_var components;
  components.Append(Handle(pair.psn["Bolt.1"]));  // the PSN is no black box
  components.Append(Handle(pair.bb["Bolt.1"]));
  EXPECT_EQ(KRVEWD7BlackBoxServices().Identify(components), E_FAIL);
  EXPECT_EQ(LastErrorKey(), "KRVWD7IdentifyInPSN/ErrId3");
  EXPECT_EQ(Selected(pair), "");
  EXPECT_FALSE(krvwd7_test::Traced("<< KRVEWD7BlackBoxServices::Identify"));
}

// A black box whose PSN document is not open: nothing selected, E_FAIL from
// the search, no error raised, both traces written.
TEST_F(IdentifyTest, WithoutThePSNDocumentNothingIsSelected) {
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
  pair.psnDocument->Editor()->Selection().Append(Handle(pair.psn["Nut.1"]));
  pair.psnRoot->Vpm().SetPrintableId(krvwd7_test::PairId({0xFF}));  // another PSN
  EXPECT_EQ(Identify(pair, {"Bolt.1"}), E_FAIL);
  EXPECT_EQ(Selected(pair), "Nut.1");
  EXPECT_EQ(LastErrorKey(), "");
  EXPECT_TRUE(krvwd7_test::Traced(">> KRVEWD7BlackBoxServices::Identify"));
  EXPECT_TRUE(krvwd7_test::Traced("<< KRVEWD7BlackBoxServices::Identify"));
}

// Each failing host call raises its key, ends the call without the exit
// trace, and leaves what was selected so far with the PSN window current.
TEST_F(IdentifyTest, HostFailuresRaiseTheirKeys) {
  const struct {
    const char* name;
    MemFaultPoint point;
    const char *document, *path;
    int call;
    const char *key, *trace, *selected;
  } rows[] = {
      {"root of the component", MemFaultPoint::kRetrieveRootProduct, "BB.CATProduct",
       "Asm.1/Bolt.1", 0, "ErrId1", "", ""},
      {"stored id", MemFaultPoint::kGetProperty, "BB.CATProduct", "Asm.1/Nut.1", 0, "ErrId4",
       "   FAILED KRVWD7UtiPrdServices::GetProperty", ""},
      // The search for the PSN document reads its root first.
      {"PSN root", MemFaultPoint::kRetrieveRootProduct, "PSN.CATProduct", nullptr, 2,
       "ErrId1", "   FAILED KRVWD7UtiPrdDocServices::RetrieveRootProduct for the PSN Product",
       ""},
      {"second selection", MemFaultPoint::kAddInCSO, "PSN.CATProduct", "Asm.1/Nut.1", 0,
       "ErrId9", "", "Bolt.1"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
    KRVWD7UtiTracer::ClearLines();
    MemFault fault;
    fault.point = row.point;
    fault.rc = E_FAIL;
    fault.document = row.document;
    fault.hasPath = row.path != nullptr;
    fault.path = row.path ? row.path : "";
    fault.call = row.call;
    MemFaults::Add(fault);
    EXPECT_EQ(Identify(pair, {"Bolt.1", "Nut.1"}), E_FAIL);
    EXPECT_EQ(LastErrorKey(), std::string("KRVWD7IdentifyInPSN/") + row.key);
    if (*row.trace) {
      EXPECT_TRUE(krvwd7_test::Traced(row.trace));
    }
    EXPECT_FALSE(krvwd7_test::Traced("<< KRVEWD7BlackBoxServices::Identify"));
    EXPECT_EQ(Selected(pair), row.selected);
    if (*row.selected) {
      EXPECT_EQ(CATFrmEditor::GetCurrentEditor(), pair.psnDocument->Editor());
    }
    ResetSession();
  }
}

}  // namespace
