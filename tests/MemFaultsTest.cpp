// Fault points: naming, choosing the product, failing a step inside a
// composite operation, and counting the calls of a run.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "CATFormat.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "TestSessions.h"

namespace {

using DocServices = KRVWD7UtiPrdDocServices;

using krvwd7_test::Handle;

// Names are what session files use: each leads back to its point and is
// listed in the documentation.
TEST(MemFaultPointTest, EveryPointHasOneNameThatLeadsBackToIt) {
  std::ifstream doc_file(std::string(KRVWD7_SOURCE_DIR) + "/docs/fault-points.md");
  std::stringstream doc;
  doc << doc_file.rdbuf();
  std::set<std::string> names;
  for (int i = 0; i < kMemFaultPointCount; ++i) {
    const MemFaultPoint point = static_cast<MemFaultPoint>(i);
    const std::string name = MemFaultPointName(point);
    SCOPED_TRACE(name);
    EXPECT_TRUE(names.insert(name).second) << "name used twice";
    MemFaultPoint back = MemFaultPoint::kCount;
    ASSERT_TRUE(MemFaultPointFromName(name, back));
    EXPECT_EQ(back, point);
    EXPECT_NE(doc.str().find("| `" + name + "` |"), std::string::npos)
        << "not in docs/fault-points.md";
  }
  MemFaultPoint point = MemFaultPoint::kGetProperty;
  EXPECT_FALSE(MemFaultPointFromName("GetPropety", point));
  EXPECT_FALSE(MemFaultPointFromName("", point));
}

class MemFaultsTest : public krvwd7_test::HostTest {
 protected:
  // A black box whose node CAR.1/Engine.1 and the PSN's Engine.1 share
  // their instance name and part number, as twins do.
  void SetUp() override {
    HostTest::SetUp();
    MemBuilder build(session());
    bb_root_ = build.Document("BB-CAR.CATProduct", "BB-CAR")->Root();
    MemProduct* car = build.Assembly(bb_root_, "CAR.1", "CAR");
    bb_engine_ = build.Part(car, "Engine.1", "ENGINE");
    psn_root_ = build.Document("CAR.CATProduct", "CAR")->Root();
    psn_engine_ = build.Part(psn_root_, "Engine.1", "ENGINE");
    MemFaults::ResetCalls();
  }

  static HRESULT PartNumber(MemProduct* iProduct) {
    CATUnicodeString part_number;
    return KRVWD7UtiPrdServices::GetPartNumber(Handle(iProduct), part_number);
  }

  MemProduct *bb_root_ = nullptr, *bb_engine_ = nullptr, *psn_root_ = nullptr;
  MemProduct *psn_engine_ = nullptr;
};

TEST_F(MemFaultsTest, CallNumbersAndTheOlderProductSelector) {
  MemFaults::Add(MemFaultPoint::kGetPartNumber, E_FAIL, "ENGINE", 2);
  MemFaults::Add(MemFaultPoint::kGetPartNumber, E_OUTOFMEMORY, "CAR");
  const struct {
    MemProduct* product;
    HRESULT rc;
  } steps[] = {{bb_engine_, S_OK},  {bb_root_, S_OK},
               {psn_engine_, E_FAIL},  // the 2nd ENGINE call: either twin
               {bb_engine_, S_OK},  {psn_root_, E_OUTOFMEMORY}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.product->InstanceName());
    EXPECT_EQ(PartNumber(step.product), step.rc);
  }
  HRESULT rc = S_OK;
  EXPECT_FALSE(MemFaults::Hit(MemFaultPoint::kGetPartNumber, rc))
      << "a call without a product matches no product fault";
  EXPECT_EQ(MemFaults::Hits(MemFaultPoint::kGetPartNumber), 2);
  MemFaults::Clear();
  EXPECT_EQ(PartNumber(psn_root_), S_OK);
}

TEST_F(MemFaultsTest, ABlackBoxNodeFailsWithoutItsPSNTwin) {
  MemFaults::AddAt(MemFaultPoint::kGetPartNumber, E_FAIL, "BB-CAR.CATProduct", "CAR.1/Engine.1");
  EXPECT_EQ(PartNumber(bb_engine_), E_FAIL);
  EXPECT_EQ(PartNumber(psn_engine_), S_OK);
  EXPECT_EQ(PartNumber(bb_root_), S_OK);

  // Without a path: every product of the document, and calls on it.
  MemFaults::Clear();
  MemFault whole;
  whole.point = MemFaultPoint::kGetPartNumber;
  whole.rc = E_FAIL;
  whole.document = "BB-CAR.CATProduct";
  MemFaults::Add(whole);
  whole.point = MemFaultPoint::kRetrieveRootProduct;
  MemFaults::Add(whole);
  EXPECT_EQ(PartNumber(bb_root_), E_FAIL);
  EXPECT_EQ(PartNumber(bb_engine_), E_FAIL);
  EXPECT_EQ(PartNumber(psn_engine_), S_OK);
  CATBaseUnknown_var root;
  EXPECT_EQ(DocServices::RetrieveRootProduct(bb_root_->Document(), root), E_FAIL);
  EXPECT_EQ(DocServices::RetrieveRootProduct(psn_root_->Document(), root), S_OK);
}

TEST_F(MemFaultsTest, TheSecondProductOfACopyFails) {
  MemBuilder build(session());
  MemProduct* sub = build.Assembly(psn_root_, "Sub.1", "SUB");
  build.Part(sub, "Bolt.1", "BOLT");
  build.Part(sub, "Nut.1", "NUT");
  // Call 1 copies Sub.1 itself, call 2 its first child.
  MemFaults::Add(MemFaultPoint::kCopyAndPasteProduct, E_FAIL, "", 2);
  CATBaseUnknown_var copy;
  EXPECT_EQ(KRVWD7UtiPrdCCPServices::CopyAndPaste(
                CATFormat::GetRegisteredFormat("CATProdCont"), Handle(sub),
                Handle(bb_root_), copy),
            E_FAIL);
  MemProduct* made = MemProduct::From(copy);
  ASSERT_NE(made, nullptr) << "what was made is handed back";
  ASSERT_EQ(made->Children().size(), 1u);
  EXPECT_EQ(made->Children()[0]->InstanceName(), "Nut.1");
  EXPECT_EQ(MemFaults::Calls(MemFaultPoint::kCopyAndPasteProduct), 3);
}

TEST_F(MemFaultsTest, SessionFilesKeepTheProductOfAFault) {
  MemFaults::AddAt(MemFaultPoint::kSetProperty, E_OUTOFMEMORY,
                   "BB-CAR.CATProduct", "CAR.1/Engine.1", 3);
  MemFaults::Add(MemFaultPoint::kShapeAddShapeRepresentation, S_FALSE, "Nut.1");
  const std::string text = session().SaveToText();
  EXPECT_NE(text.find("\"op\": \"CATIProductShape.AddShapeRepresentation\""),
            std::string::npos)
      << text;
  MemSession other;
  ASSERT_TRUE(other.LoadFromText(text, "faults.json").ok);
  ASSERT_EQ(MemFaults::All().size(), 2u);
  EXPECT_EQ(MemFaults::All()[0].path, "CAR.1/Engine.1");
  EXPECT_EQ(MemFaults::All()[1].product, "Nut.1");
  EXPECT_EQ(other.SaveToText(), text);
  other.Close();
}

}  // namespace
