// Giving black-box nodes the identity of PSN products: the identity
// properties, the part number, the node copy and the leaf refresh.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "KRVWD7CoreServices.h"
#include "TestSessions.h"

namespace {

using namespace krvwd7_test;
using Core = KRVWD7CoreServices;

const char kEnter[] = ">> KRVWD7CoreServices::SetPrintableIdParameterOnNode";
const char kLeave[] = "<< KRVWD7CoreServices::SetPrintableIdParameterOnNode";

// A PSN (CAR) and a black box (BB) in two documents; the black box holds a
// component Engine.1 that stands for the PSN's Engine.1.
class IdentityTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    MemBuilder build(session());
    psn_doc_ = build.Document("CAR.CATProduct", "CAR", true);
    psn_engine_ = build.Assembly(psn_doc_->Root(), "Engine.1", "ENGINE");
    psn_engine_->Vpm() = MemVpm{MemBuilder::PrintableId(1, {0xC01}), "VPMENV  /VPMENV  ", ""};
    psn_engine_->SetPosition(MemBuilder::Translation(1, 2, 3));
    psn_engine_->SetDefinition("7");
    psn_engine_->Properties().Set("Note", "from PSN");
    psn_engine_->Graphic().color = "#FF0000";
    bb_doc_ = build.Document("BB.CATProduct", "BB", true);
    bb_engine_ = build.Add(bb_doc_->Root(), "Component.1", "", MemKind::kComponent);
  }
  HRESULT SetId(const char* iEnv) {
    KRVWD7UtiTracer::ClearLines();
    return Core::SetPrintableIdParameterOnNode(Handle(bb_engine_), "ID", iEnv);
  }
  HRESULT CopyPartNumber(MemProduct* iTarget) {
    return Core::CopyPartNumber(Handle(psn_engine_), Handle(iTarget));
  }
  HRESULT UpdateNode(CATBoolean iReferenceProperties) {
    return Core::UpdateBBNodeFromPSN(Handle(bb_engine_), Handle(psn_engine_), iReferenceProperties);
  }

  MemDocument *psn_doc_ = nullptr, *bb_doc_ = nullptr;
  MemProduct *psn_engine_ = nullptr, *bb_engine_ = nullptr;
};

// --- SetPrintableIdParameterOnNode --------------------------------------------

TEST_F(IdentityTest, SetPrintableIdWritesBothPropertiesOrKeepsTheEnvironment) {
  const struct {
    const char* label;
    bool existing;    // both properties there before
    const char* env;  // the environment argument
    const char *id_after, *env_after;
  } rows[] = {
      {"created", false, "E1", "ID", "E1"},
      {"set", true, "E1", "ID", "E1"},
      {"unchanged env kept", true, "Unchanged", "ID", "old env"},
      {"unchanged env not created", false, "Unchanged", "ID", "<absent>"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    bb_engine_->Properties().clear();
    if (row.existing) {
      bb_engine_->Properties() = {{"BBPrintableId", "old id"}, {"BBVpmEnv", "old env"}};
    }
    EXPECT_EQ(SetId(row.env), S_OK);
    EXPECT_EQ(PropertyOf(bb_engine_, "BBPrintableId"), row.id_after);
    EXPECT_EQ(PropertyOf(bb_engine_, "BBVpmEnv"), row.env_after);
    EXPECT_EQ(KRVWD7UtiTracer::Lines(), (std::vector<std::string>{kEnter, kLeave}));
  }
}

TEST_F(IdentityTest, SetPrintableIdPropertyAnswersDecideTheResult) {
  const struct {
    const char* label;
    MemFaultPoint point;  // the failing operation
    HRESULT fault;
    int call;        // which call of op fails (1: the printable id's)
    HRESULT rc;
    bool exit_line;
    const char *id_after, *env_after;
  } rows[] = {
      {"id unreadable", MemFaultPoint::kGetProperty, E_FAIL, 1, E_FAIL, false, "<absent>", "<absent>"},
      {"id answer 2", MemFaultPoint::kGetProperty, 2, 1, E_FAIL, false, "<absent>", "<absent>"},
      {"id not written", MemFaultPoint::kCreateProperty, E_OUTOFMEMORY, 1, E_OUTOFMEMORY, false,
       "<absent>", "<absent>"},
      // An unreadable environment is left alone; the id's result stands.
      {"env unreadable", MemFaultPoint::kGetProperty, E_FAIL, 2, S_OK, true, "ID", "<absent>"},
      {"env not written", MemFaultPoint::kCreateProperty, E_FAIL, 2, E_FAIL, true, "ID", "<absent>"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    bb_engine_->Properties().clear();
    MemFaults::Clear();
    MemFaults::Add(row.point, row.fault, "", row.call);
    EXPECT_EQ(SetId("E1"), row.rc);
    EXPECT_EQ(PropertyOf(bb_engine_, "BBPrintableId"), row.id_after);
    EXPECT_EQ(PropertyOf(bb_engine_, "BBVpmEnv"), row.env_after);
    EXPECT_EQ(KRVWD7UtiTracer::Lines().size(), row.exit_line ? 2u : 1u);
  }
  EXPECT_EQ(Core::SetPrintableIdParameterOnNode(CATBaseUnknown_var(), "ID", "E1"), E_INVALIDARG);
}

// --- CopyPartNumber --------------------------------------------------------------

TEST_F(IdentityTest, CopyPartNumberCountsTheVariantsBelowTheRoot) {
  MemBuilder build(session());
  const struct {
    const char* label;
    std::vector<std::string> numbers;  // products below the root, in order
    const char* expected;
  } rows[] = {
      {"kept by the host", {"OTHER"}, "ENGINE"},
      {"A and A_1", {"ENGINE", "ENGINE_1"}, "ENGINE_2"},
      {"only A", {"ENGINE"}, "ENGINE_1"},
      // A smaller suffix than the count, text after the underscore, and
      // numbers that only begin with pn do not count.
      {"others ignored", {"ENGINE_7", "ENGINE", "ENGINE_0", "ENGINE_x", "ENGINEX"},
       "ENGINE_2"},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    // A fresh black-box structure per row.
    MemDocument* doc = build.Document("BB" + std::to_string(++n) + ".CATProduct", "R");
    for (const std::string& number : row.numbers) build.Part(doc->Root(), number, number);
    MemProduct* target = build.Add(doc->Root(), "New.1", "", MemKind::kComponent);
    EXPECT_EQ(CopyPartNumber(target), S_OK);
    EXPECT_EQ(target->PartNumber(), row.expected);
  }
}

TEST_F(IdentityTest, CopyPartNumberAnswers1WhenTheVariantCannotBeHad) {
  MemBuilder build(session());
  build.Part(bb_doc_->Root(), "Engine.9", "ENGINE");
  // A reference of the same document outside the structure holds the variant.
  session().NewReference(bb_doc_, "ENGINE_1", MemKind::kPart);
  EXPECT_EQ(CopyPartNumber(bb_engine_), S_FALSE);
  EXPECT_EQ(bb_engine_->PartNumber(), "");
  MemFaults::Add(MemFaultPoint::kGetAllChildrenByPartNumber, E_FAIL);
  EXPECT_EQ(CopyPartNumber(bb_engine_), S_FALSE);
}

TEST_F(IdentityTest, CopyPartNumberFailures) {
  EXPECT_EQ(CopyPartNumber(nullptr), E_INVALIDARG);
  MemFaults::AddAt(MemFaultPoint::kGetPartNumber, E_FAIL, "CAR.CATProduct", "Engine.1");
  EXPECT_EQ(CopyPartNumber(bb_engine_), E_FAIL);
  MemFaults::Clear();
  MemFaults::Add(MemFaultPoint::kSetPartNumber, E_FAIL);
  EXPECT_EQ(CopyPartNumber(bb_engine_), E_FAIL);
  EXPECT_EQ(bb_engine_->PartNumber(), "");
}

// --- UpdateBBNodeFromPSN -----------------------------------------------------------

TEST_F(IdentityTest, UpdateNodeCopiesEverythingAndTracesTheIdentity) {
  bb_engine_->Properties().Set("BBPrintableId", "old");
  EXPECT_EQ(UpdateNode(1), S_OK);
  const std::string id = std::string(psn_engine_->Vpm().PrintableId());
  const std::vector<std::string> expected = {
      ">>KRVWD7CoreServices::UpdateBBNodeFromPSN()",
      "  m_ustrPrintableId = " + id,
      "  m_ustrVpmEnv = VPMENV  /VPMENV  ",
      "old ident = old",
      "old env = ",
      kEnter,
      kLeave,
      "new ident = " + id,
      "new env = VPMENV  /VPMENV  ",
      "<<KRVWD7CoreServices::UpdateBBNodeFromPSN()"};
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), expected) << Joined(KRVWD7UtiTracer::Lines());
  EXPECT_EQ(bb_engine_->InstanceName(), "Engine.1");
  EXPECT_EQ(PropertyOf(bb_engine_, "Note"), "from PSN");
  EXPECT_EQ(bb_engine_->Definition(), "7");  // reference properties asked for
  EXPECT_EQ(bb_engine_->Graphic().color, "#FF0000");
  EXPECT_EQ(bb_engine_->Position(), psn_engine_->Position());
}

TEST_F(IdentityTest, UpdateNodeRunsEveryCopyAndOnlyCopiesDecide) {
  for (MemFaultPoint point :
       {MemFaultPoint::kCopyPropertiesOfInstanceProduct,
        MemFaultPoint::kCopyPropertiesOfReferenceProduct,
        MemFaultPoint::kCopyGraphicProperties, MemFaultPoint::kCopyPosition}) {
    SCOPED_TRACE(MemFaultPointName(point));
    bb_engine_->Properties().clear();
    bb_engine_->SetPosition(CATMathTransformation());
    bb_engine_->Graphic().color.clear();
    MemFaults::Clear();
    MemFaults::Add(point, E_FAIL);
    EXPECT_EQ(UpdateNode(0), E_FAIL);
    // The others ran, and the identity was written.
    EXPECT_EQ(bb_engine_->Graphic().color == "#FF0000",
              point != MemFaultPoint::kCopyGraphicProperties);
    EXPECT_EQ(bb_engine_->Position() == psn_engine_->Position(),
              point != MemFaultPoint::kCopyPosition);
    EXPECT_EQ(PropertyOf(bb_engine_, "BBPrintableId"), psn_engine_->Vpm().PrintableId());
  }
  // Without the flag the reference's properties stay.
  EXPECT_EQ(bb_engine_->Definition(), "");
}

TEST_F(IdentityTest, UpdateNodeWithoutVpmIdentityLeavesTheStoredOne) {
  bb_engine_->Properties().Set("BBPrintableId", "mine");
  psn_engine_->Vpm().SetPrintableId({});
  EXPECT_EQ(UpdateNode(0), S_OK);
  EXPECT_EQ(PropertyOf(bb_engine_, "BBPrintableId"), "mine");
  EXPECT_EQ(bb_engine_->Position(), psn_engine_->Position());
  EXPECT_EQ(KRVWD7UtiTracer::Lines().size(), 2u) << Joined(KRVWD7UtiTracer::Lines());
  EXPECT_EQ(Core::UpdateBBNodeFromPSN(Handle(bb_engine_), CATBaseUnknown_var(), 0), E_INVALIDARG);
}

// --- UpdateBBLeafFromPSN -------------------------------------------------------------

// A model or part leaf in each structure, each with its own reference.
class LeafTest : public IdentityTest {
 protected:
  void SetUp() override {
    IdentityTest::SetUp();
    MemBuilder build(session());
    psn_leaf_ = build.Add(psn_engine_, "Sensor.1", "SENSOR", MemKind::kModel);
    psn_leaf_->Vpm().SetPrintableId(MemBuilder::PrintableId(1, {0xC01, 0xC02}));
    psn_leaf_->Vpm().SetEnv("VPMENV  /VPMENV  /VPMENV  ");
    psn_leaf_->SetPosition(MemBuilder::Translation(5, 5, 5));
    bb_leaf_ = build.Add(bb_engine_, "Sensor.1", "SENSOR", MemKind::kModel);
  }
  HRESULT Update(bool iAllInstances = false) {
    return Core::UpdateBBLeafFromPSN(Handle(bb_leaf_), Handle(psn_leaf_), iAllInstances);
  }
  MemProduct *psn_leaf_ = nullptr, *bb_leaf_ = nullptr;
};

TEST_F(LeafTest, ModelsWithTheSameFileOnlyTakeIdentityAndPlace) {
  bb_leaf_->Reference()->RemoveShape("Default");
  bb_leaf_->Reference()->AddShape(MemShape{"Mine", "", psn_leaf_->ActiveShape()->Path()});
  EXPECT_EQ(Update(), S_OK);
  EXPECT_EQ(bb_leaf_->ActiveShape()->Name(), "Mine");  // not exchanged
  EXPECT_EQ(bb_leaf_->Mode(), MemMode::kDesign);     // no mode switched
  EXPECT_EQ(bb_leaf_->Position(), psn_leaf_->Position());
  EXPECT_EQ(PropertyOf(bb_leaf_, "BBPrintableId"), psn_leaf_->Vpm().PrintableId());
  std::vector<std::string> lines = KRVWD7UtiTracer::Lines();
  ASSERT_GE(lines.size(), 4u);
  lines.erase(lines.begin() + 3, lines.end() - 1);
  EXPECT_EQ(lines, (std::vector<std::string>{">>KRVWD7CoreServices::UpdateBBLeafFromPSN",
                                             "NodeTypeBB = 5", "NodeTypePSN = 5",
                                             "<<KRVWD7CoreServices::UpdateBBLeafFromPSN"}));
}

TEST_F(LeafTest, ModelsWithAnotherFileExchangeTheShapeThenTakeIdentity) {
  MemProduct* psn_ref = psn_leaf_->Reference();
  psn_ref->RemoveShape("Default");
  psn_ref->AddShape(MemShape{"Rev2", "", "/models/SENSOR-2.model"});
  psn_ref->SetDefinition("2");
  bb_leaf_->Graphic().shown = false;
  EXPECT_EQ(Update(), S_OK);
  ASSERT_EQ(bb_leaf_->Shapes().size(), 1u);
  EXPECT_EQ(bb_leaf_->ActiveShape()->Name(), "Rev2");
  EXPECT_EQ(bb_leaf_->ActiveShape()->Path(), "/models/SENSOR-2.model");
  EXPECT_TRUE(bb_leaf_->Graphic().shown);  // shown by the activation
  // Design mode for the exchange, then visualisation, then product mode.
  EXPECT_EQ(bb_leaf_->Mode(), MemMode::kProduct);
  EXPECT_EQ(psn_leaf_->Mode(), MemMode::kProduct);
  EXPECT_EQ(PropertyOf(bb_leaf_, "BBPrintableId"), psn_leaf_->Vpm().PrintableId());
  EXPECT_EQ(bb_leaf_->Definition(), "2");  // with the reference's properties
}

TEST_F(LeafTest, FailedShapeExchangeSkipsTheIdentityButEndsInProductMode) {
  psn_leaf_->Reference()->RemoveShape("Default");
  psn_leaf_->Reference()->AddShape(MemShape{"Rev2", "", "/models/SENSOR-2.model"});
  bb_leaf_->Reference()->RemoveShape("Default");  // nothing to remove
  EXPECT_EQ(Update(), E_FAIL);
  EXPECT_EQ(PropertyOf(bb_leaf_, "BBPrintableId"), "<absent>");
  EXPECT_EQ(bb_leaf_->Mode(), MemMode::kProduct);
  EXPECT_TRUE(bb_leaf_->Shapes().empty());
}

TEST_F(LeafTest, OtherPairsReplaceTheLeafWithoutCopy) {
  MemBuilder build(session());
  const struct {
    const char* label;
    MemKind bb_kind, psn_kind;
    bool all_instances;
  } rows[] = {
      {"two parts", MemKind::kPart, MemKind::kPart, false},
      {"model and part", MemKind::kModel, MemKind::kPart, false},
      {"every instance", MemKind::kPart, MemKind::kPart, true},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    const std::string tag = std::to_string(++n);
    MemProduct* psn = build.Add(psn_engine_, "P.1", "PSN-" + tag, row.psn_kind);
    MemProduct* bb = build.Add(bb_engine_, "B" + tag + ".1", "BB-" + tag, row.bb_kind);
    build.Instance(bb_engine_, bb, "B" + tag + ".2");
    bb->SetPosition(MemBuilder::Translation(9, 9, 9));
    bb->Properties().Set("BBPrintableId", "kept?");
    const CATBaseUnknown_var old_leaf = Handle(bb);  // outlives its removal
    EXPECT_EQ(Core::UpdateBBLeafFromPSN(old_leaf, Handle(psn), row.all_instances), S_OK);
    MemProduct* replacing = bb_engine_->FindChild("B" + tag + ".1");
    ASSERT_NE(replacing, nullptr);
    EXPECT_EQ(replacing->Reference(), psn->Reference());
    EXPECT_EQ(replacing->Position(), MemBuilder::Translation(9, 9, 9));  // kept
    EXPECT_EQ(replacing->FindProperty("BBPrintableId"), std::nullopt);  // no copy
    EXPECT_EQ(bb_engine_->FindChild("B" + tag + ".2")->Reference() == psn->Reference(),
              row.all_instances);
    EXPECT_EQ(MemProduct::From(old_leaf), nullptr);  // taken out of the session
  }
}

}  // namespace
