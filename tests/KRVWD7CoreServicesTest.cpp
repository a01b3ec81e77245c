#include "KRVWD7CoreServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CATApplication.h"
#include "TestSessions.h"

namespace {

using namespace krvwd7_test;
using Core = KRVWD7CoreServices;

class KRVWD7CoreServicesTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    MemBuilder build(session());
    doc_ = build.Document("BB.CATProduct", "BB-ROOT", true);
    root_ = doc_->Root();
    mid_ = build.Assembly(root_, "Mid.1", "MID");
    leaf_ = build.Part(mid_, "Leaf.1", "LEAF");
  }
  static void MakeBlackBox(MemProduct* iProduct) {
    iProduct->Reference()->AddParm("BBNote", "note");
  }

  MemDocument* doc_ = nullptr;
  MemProduct *root_ = nullptr, *mid_ = nullptr, *leaf_ = nullptr;
};

TEST_F(KRVWD7CoreServicesTest, CheckVPMDocumentWithTheFileBasedSwitch) {
  MemDocument* file_doc =
      session().NewProductDocument("File", "/tmp/File.CATProduct", "FILE", false);
  const struct {
    const char* env;  // null: unset
    bool pdm;
    HRESULT rc;
  } rows[] = {{nullptr, true, S_OK},
              {nullptr, false, E_FAIL},
              {"MODE4_ON_A_FILEBASE", false, S_OK},
              {"MODE4", false, E_FAIL}};  // the whole value must match
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.env ? row.env : "(unset)") +
                 (row.pdm ? " pdm" : " file"));
    CATSetEnvOverride("KRV_WD7_FILE_BASED", row.env);
    EXPECT_EQ(Core::CheckVPMDocument(row.pdm ? *doc_ : *file_doc), row.rc);
  }
  // A failing PDM test refuses the document too.
  CATSetEnvOverride("KRV_WD7_FILE_BASED", nullptr);
  MemFaults::Add(MemFaultPoint::kIsPDMDocument, E_FAIL);
  EXPECT_EQ(Core::CheckVPMDocument(*doc_), E_FAIL);
}

TEST_F(KRVWD7CoreServicesTest, CheckIsBlackBox) {
  CATBoolean flag = 1;
  EXPECT_EQ(Core::CheckIsBlackBox(CATBaseUnknown_var(), flag), E_INVALIDARG);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(Core::CheckIsBlackBox(Handle(mid_), flag), S_OK);
  EXPECT_EQ(flag, 0);
  MakeBlackBox(mid_);
  EXPECT_EQ(Core::CheckIsBlackBox(Handle(mid_), flag), S_OK);
  EXPECT_EQ(flag, 1);
}

TEST_F(KRVWD7CoreServicesTest, CheckIsInsideSubBB) {
  enum Level { kTop, kMid, kLeaf, kNone };
  const struct {
    const char* label;
    bool black_box[3];  // top, mid, leaf
    Level root;         // kNone: empty root
    CATBoolean inside;
  } rows[] = {
      {"no black box", {false, false, false}, kTop, 0},
      {"black box between", {false, true, false}, kTop, 1},
      {"black box is the root", {false, true, false}, kMid, 0},
      {"product is a black box", {true, true, true}, kTop, 0},
      {"empty root reaches the top", {true, false, false}, kNone, 1},
  };
  MemBuilder build(session());
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    // A fresh Top/Mid.1/Leaf.1 structure per row.
    const std::string tag = std::to_string(++n);
    MemProduct* chain[3];
    chain[kTop] = build.Document("S" + tag + ".CATProduct", "TOP" + tag)->Root();
    chain[kMid] = build.Assembly(chain[kTop], "Mid.1", "MID" + tag);
    chain[kLeaf] = build.Part(chain[kMid], "Leaf.1", "LEAF" + tag);
    for (int level = kTop; level <= kLeaf; ++level) {
      if (row.black_box[level]) MakeBlackBox(chain[level]);
    }
    CATBaseUnknown_var root = row.root == kNone ? CATBaseUnknown_var() : Handle(chain[row.root]);
    EXPECT_EQ(Core::CheckIsInsideSubBB(Handle(chain[kLeaf]), root), row.inside);
  }
  EXPECT_EQ(Core::CheckIsInsideSubBB(CATBaseUnknown_var(), Handle(root_)), 0);
}

TEST_F(KRVWD7CoreServicesTest, SwitchToProductModeInBatch) {
  leaf_->SetLoaded(false);
  EXPECT_EQ(Core::SwitchToProductMode(Handle(root_)), S_OK);
  EXPECT_TRUE(leaf_->IsLoaded());
  const std::vector<std::string> expected = {
      ">> KRVWD7CoreServices::SwitchToProductMode",
      "[PERFO] <Retrieving Document from VPM> Total time = [T]",
      "<< KRVWD7CoreServices::SwitchToProductMode"};
  EXPECT_EQ(TraceWithoutTimes(), expected);
  EXPECT_TRUE(progress_.events.empty());
}

TEST_F(KRVWD7CoreServicesTest, SwitchToProductModeInteractiveShowsProgress) {
  CATInteractiveApplication application;
  CATApplication::SetMainApplication(&application);
  MemFaults::Add(MemFaultPoint::kSwitchToProductMode, E_FAIL);
  // The toolbox's failure comes back after the bar and the traces.
  EXPECT_EQ(Core::SwitchToProductMode(Handle(root_)), E_FAIL);
  CATApplication::SetMainApplication(nullptr);
  const std::vector<std::string> expected = {"init SwitchToProductModeInProgress 0..1", "end"};
  EXPECT_EQ(progress_.events, expected);
  EXPECT_EQ(progress_.steps, 1);
}

TEST_F(KRVWD7CoreServicesTest, RetrieveAssociatedPSNDoc) {
  const std::string psn_id = MemBuilder::PrintableId(77, {});
  MakeBlackBox(root_);
  CATDocument* found = reinterpret_cast<CATDocument*>(1);
  // No PSN printable id on the black box.
  EXPECT_EQ(Core::RetrieveAssociatedPSNDoc(Handle(root_), found), E_FAIL);
  EXPECT_EQ(found, nullptr);

  root_->Properties().Set("BBPSNPrintableId", psn_id);
  root_->Vpm().SetPrintableId(psn_id);  // its own root never counts
  MemBuilder build(session());
  MemDocument* other = build.Document("Other.CATProduct", "OTHER", true);
  other->Root()->Vpm().SetPrintableId(MemBuilder::PrintableId(78, {}));
  MemDocument* psn = build.Document("PSN.CATProduct", "PSN", true);
  psn->Root()->Vpm().SetPrintableId(psn_id);
  MemDocument* psn2 = build.Document("PSN2.CATProduct", "PSN2", true);
  psn2->Root()->Vpm().SetPrintableId(psn_id);
  EXPECT_EQ(Core::RetrieveAssociatedPSNDoc(Handle(root_), found), S_OK);
  EXPECT_EQ(found, static_cast<CATDocument*>(psn));

  MemFaults::Add(MemFaultPoint::kGetNbProductDocumentInSession, E_FAIL);
  EXPECT_EQ(Core::RetrieveAssociatedPSNDoc(Handle(root_), found), E_FAIL);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(Core::RetrieveAssociatedPSNDoc(CATBaseUnknown_var(), found), E_INVALIDARG);
}

}  // namespace
