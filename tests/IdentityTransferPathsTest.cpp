// The paths that the migration's identity transfer relies on: a black-box
// product's path, counted from the black-box root and cut by the black box's
// type (1: the root stands for the PSN root; 2: the PSN node below it does),
// equals the path of its PSN twin with the PSN root skipped.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "KRVWD7PrdInfoListServices.h"
#include "TestSessions.h"

namespace {

using namespace krvwd7_test;
using Services = KRVWD7PrdInfoListServices;

class IdentityTransferPathsTest : public HostTest {
 protected:
  // Builds the PSN CAR = {Engine.1, Axle.1, Chassis.1 = {Axle.1, Wheel.1}}
  // and a black box of iType that holds the same products below its PSN
  // node; remembers each black-box product's PSN twin. The PSN root's own
  // Axle.1 shares its name with the chassis's: a path cut by too many
  // components reaches the wrong one.
  void Build(int iType, const std::string& iBlackBoxRootName) {
    MemBuilder build(session());
    psn_root_ = build.Document("CAR.CATProduct", "CAR")->Root();
    bb_root_ = build.Document("BB.CATProduct", "BB-CAR")->Root();
    if (!iBlackBoxRootName.empty()) bb_root_->SetInstanceName(iBlackBoxRootName);
    node_ = iType == 1 ? bb_root_ : build.Assembly(bb_root_, "CAR.1", "CAR");
    ASSERT_NE(node_, nullptr);
    Add(psn_root_, node_, "Engine.1", "ENGINE", MemKind::kPart);
    Add(psn_root_, node_, "Axle.1", "AXLE-SPARE", MemKind::kPart);
    auto chassis = Add(psn_root_, node_, "Chassis.1", "CHASSIS", MemKind::kProduct);
    Add(chassis.first, chassis.second, "Axle.1", "AXLE", MemKind::kPart);
    Add(chassis.first, chassis.second, "Wheel.1", "WHEEL", MemKind::kPart);
  }

  std::pair<MemProduct*, MemProduct*> Add(MemProduct* iPsnFather, MemProduct* iBbFather,
                                          const std::string& iName,
                                          const std::string& iPartNumber, MemKind iKind) {
    MemBuilder build(session());
    MemProduct* psn = build.Add(iPsnFather, iName, iPartNumber, iKind);
    MemProduct* bb = build.Add(iBbFather, iName, iPartNumber, iKind);
    EXPECT_TRUE(psn && bb);
    psn->Vpm().printableId = MemBuilder::PrintableId(twins_.size() + 1, {twins_.size() + 1});
    psn->Vpm().env = "VPMENV";
    twins_[bb] = psn;
    return {psn, bb};
  }

  // The PSN product that the black-box record's path, cut by iCut, finds
  // with the PSN root skipped; null when none.
  MemProduct* Found(const CATListValKRVWD7PrdInfo& iPsnList, const KRVWD7PrdInfo& iRecord,
                    int iCut) {
    CATUnicodeString path;
    if (iRecord.GetInstancePath(path, iCut) < 0 || path.GetLengthInChar() == 0) return nullptr;
    KRVWD7PrdInfo twin;
    if (Services::GetPrdInfo(iPsnList, path, 1, twin) != S_OK) return nullptr;
    CATBaseUnknown_var product;
    twin.GetProduct(product);
    return MemProduct::From(product);
  }

  MemProduct* psn_root_ = nullptr;
  MemProduct* bb_root_ = nullptr;
  MemProduct* node_ = nullptr;
  std::map<MemProduct*, MemProduct*> twins_;  // black-box product -> PSN product
};

TEST_F(IdentityTransferPathsTest, CutByTheTypeEveryProductFindsItsPsnTwin) {
  const struct {
    int type;
    const char* bbRootName;  // "" : the root is known by its part number
    const char* axlePath;    // the black-box path of the chassis's Axle.1
  } rows[] = {
      {1, "", "BB-CAR/Chassis.1/Axle.1"},
      {2, "", "BB-CAR/CAR.1/Chassis.1/Axle.1"},
      {2, "Car black box", "Car black box/CAR.1/Chassis.1/Axle.1"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE("type " + std::to_string(row.type) + " root '" + row.bbRootName + "'");
    Build(row.type, row.bbRootName);
    CATListValKRVWD7PrdInfo psn_list, bb_list;
    ASSERT_EQ(Services::BuildPrdInfoList(Handle(psn_root_), psn_list, 0, CATBaseUnknown_var(),
                                         nullptr), S_OK);
    ASSERT_EQ(Services::BuildPrdInfoList(Handle(node_), bb_list, 1, Handle(bb_root_), nullptr),
              S_OK);
    EXPECT_EQ(Paths(psn_list),
              "CAR/Engine.1,CAR/Axle.1,CAR/Chassis.1,CAR/Chassis.1/Axle.1,CAR/Chassis.1/Wheel.1");
    ASSERT_EQ(bb_list.Size(), 5);
    CATUnicodeString path;
    bb_list[4].GetInstancePath(path, 0);
    EXPECT_EQ(path, row.axlePath);
    for (int i = 1; i <= bb_list.Size(); ++i) {
      CATBaseUnknown_var product;
      bb_list[i].GetProduct(product);
      MemProduct* bb = MemProduct::From(product);
      bb_list[i].GetInstancePath(path, 0);
      SCOPED_TRACE(path.ToStdString());
      EXPECT_EQ(Found(psn_list, bb_list[i], row.type), twins_.at(bb));
      // One component fewer keeps a black-box name in the path; one more
      // finds nothing or, for the chassis's Axle.1, the PSN root's own.
      EXPECT_EQ(Found(psn_list, bb_list[i], row.type - 1), nullptr);
      EXPECT_NE(Found(psn_list, bb_list[i], row.type + 1), twins_.at(bb));
    }
    // The chassis's Axle.1 cut once too often lands on the PSN root's Axle.1.
    CATBaseUnknown_var spare;
    psn_list[2].GetProduct(spare);
    EXPECT_EQ(Found(psn_list, bb_list[4], row.type + 1), MemProduct::From(spare));
    session().Close();
    twins_.clear();
  }
}

}  // namespace
