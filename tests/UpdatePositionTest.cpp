// KRVEWD7BlackBoxServices::UpdatePosition: which PSN positions are copied,
// the 0 / 1 result and the catalog errors.
#include <gtest/gtest.h>

#include <string>

#include "BlackBoxPair.h"
#include "CATError.h"
#include "KRVEWD7BlackBoxServices.h"
#include "TestSessions.h"

namespace {

using krvwd7_test::BlackBoxPair;
using krvwd7_test::Handle;
using krvwd7_test::LastErrorKey;

class UpdatePositionTest : public krvwd7_test::HostTest {
 protected:
  static HRESULT Update(const BlackBoxPair& iPair) {
    return KRVEWD7BlackBoxServices().UpdatePosition(Handle(iPair.psnRoot), Handle(iPair.bbRoot));
  }
  // The translation of a product in its father.
  static std::string At(const MemProduct* iProduct) {
    double coef[12];
    iProduct->Position().GetCoef(coef);
    return std::to_string(static_cast<int>(coef[9])) + "," +
           std::to_string(static_cast<int>(coef[10])) + "," +
           std::to_string(static_cast<int>(coef[11]));
  }
  static void MoveTo(MemProduct* ioProduct, double iX, double iZ = 0) {
    ioProduct->SetPosition(MemBuilder::Translation(iX, 0, iZ));
  }
};

TEST_F(UpdatePositionTest, CopiesEveryDifferingPositionToThePSN) {
  for (int type : {1, 2}) {
    SCOPED_TRACE(type);
    BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), type);
    MoveTo(pair.bb["Bolt.1"], 15);
    MoveTo(pair.bb["Washer.1"], 35);
    EXPECT_EQ(Update(pair), S_OK);
    EXPECT_EQ(At(pair.psn["Bolt.1"]), "15,0,0");
    EXPECT_EQ(At(pair.psn["Washer.1"]), "35,0,0");
    EXPECT_EQ(At(pair.psn["Nut.1"]), "20,0,0");
    EXPECT_EQ(At(pair.bb["Bolt.1"]), "15,0,0");
    EXPECT_EQ(LastErrorKey(), "");
    // Now the pair is up to date: nothing left to update.
    EXPECT_EQ(Update(pair), E_FAIL);
    EXPECT_EQ(LastErrorKey(), "KRVWD7UpdatePosition/ErrId1");
    ResetSession();
  }
}

// Differences of other kinds copy nothing and give 1.
TEST_F(UpdatePositionTest, OtherDifferencesAloneGiveOne) {
  const struct {
    const char* name;
    void (*change)(BlackBoxPair&);
  } rows[] = {
      {"new version", [](BlackBoxPair& p) { p.psn["Nut.1"]->SetDefinition("2"); }},
      {"removed", [](BlackBoxPair& p) { MemSession::Current().Remove(p.psn["Washer.1"]); }},
      {"added", [](BlackBoxPair& p) { MemSession::Current().Remove(p.bb["Washer.1"]); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 2);
    row.change(pair);
    EXPECT_EQ(Update(pair), 1);
    EXPECT_EQ(LastErrorKey(), "");
    EXPECT_EQ(At(pair.psn["Bolt.1"]), "10,0,0");
    session().Close();
  }
}

// A product that moved and changed version must be updated in the black
// box first; the positions copied before it stay copied.
TEST_F(UpdatePositionTest, APositionWithAnotherDifferenceRaisesErrId4) {
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
  MoveTo(pair.bb["Bolt.1"], 15);
  MoveTo(pair.bb["Nut.1"], 25);
  pair.psn["Nut.1"]->SetRevision("B");
  MoveTo(pair.bb["Washer.1"], 35);
  EXPECT_EQ(Update(pair), E_FAIL);
  EXPECT_EQ(LastErrorKey(), "KRVWD7UpdatePosition/ErrId4");
  EXPECT_EQ(At(pair.psn["Bolt.1"]), "15,0,0");
  EXPECT_EQ(At(pair.psn["Nut.1"]), "20,0,0");
  EXPECT_EQ(At(pair.psn["Washer.1"]), "30,0,0");
}

// In a flattened black box the position copied is the one relative to the
// black box, which must agree with the recorded one.
TEST_F(UpdatePositionTest, FlattenedCopiesTheRelativePositionWhenItAgrees) {
  const struct {
    const char* name;
    double node_z;  // position of the PSN node in the black box
    HRESULT rc;
    const char *washer, *error;
  } rows[] = {
      {"node at the origin", 0, S_OK, "35,0,0", ""},
      {"node moved", 5, E_FAIL, "30,0,0", "KRVWD7UpdatePosition/ErrId3"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 2, true);
    MoveTo(pair.bbNode, 0, row.node_z);
    MoveTo(pair.bb["Washer.1"], 35);
    EXPECT_EQ(Update(pair), row.rc);
    EXPECT_EQ(At(pair.psn["Washer.1"]), row.washer);
    EXPECT_EQ(LastErrorKey(), row.error);
    ResetSession();
  }
}

TEST_F(UpdatePositionTest, AFailedComparisonGivesEFailWithoutError) {
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
  MoveTo(pair.bb["Bolt.1"], 15);
  MemFaults::Add(MemFaultPoint::kGetReplacingClinks, E_FAIL);
  EXPECT_EQ(Update(pair), E_FAIL);
  EXPECT_EQ(LastErrorKey(), "");
  EXPECT_EQ(At(pair.psn["Bolt.1"]), "10,0,0");
}

// A copy the toolbox refuses leaves the result at 1.
TEST_F(UpdatePositionTest, AFailedCopyGivesOne) {
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
  MoveTo(pair.bb["Bolt.1"], 15);
  MoveTo(pair.bb["Washer.1"], 35);
  MemFaults::AddAt(MemFaultPoint::kCopyPosition, E_FAIL, "PSN.CATProduct", "Washer.1");
  EXPECT_EQ(Update(pair), 1);
  EXPECT_EQ(At(pair.psn["Bolt.1"]), "15,0,0");
  EXPECT_EQ(At(pair.psn["Washer.1"]), "30,0,0");
}

}  // namespace
