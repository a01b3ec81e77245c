#include "KRVWD7UtiPrdServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "MemBuilder.h"
#include "TestSessions.h"

namespace {

using Prd = KRVWD7UtiPrdServices;
using List = std::unique_ptr<CATListValCATBaseUnknown_var>;

const auto H = krvwd7_test::Handle;

using krvwd7_test::Dump;

// The instance names of a list of product handles; "<null>" for no list.
std::string Names(const List& iList) {
  if (!iList) return "<null>";
  std::string names;
  for (const CATBaseUnknown_var& item : *iList) {
    names += (names.empty() ? "" : " ") + MemProduct::From(item)->InstanceName();
  }
  return names;
}

// Root > Asm.1 (ASM) > {Bolt.1 (BOLT), Sub.1 (SUB) > Nut.1 (NUT), Bolt.2},
// Root > Plate.1 (PLATE).
class KRVWD7UtiPrdServicesTest : public krvwd7_test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    MemBuilder build(session_);
    root_ = build.Document("BB.CATProduct", "BB-ROOT")->Root();
    asm_ = build.Assembly(root_, "Asm.1", "ASM");
    bolt_ = build.Part(asm_, "Bolt.1", "BOLT");
    sub_ = build.Assembly(asm_, "Sub.1", "SUB");
    nut_ = build.Part(sub_, "Nut.1", "NUT");
    bolt2_ = build.Instance(asm_, bolt_, "Bolt.2");
    plate_ = build.Part(root_, "Plate.1", "PLATE");
    ASSERT_NE(plate_, nullptr);
  }
  void TearDown() override {
    session_.Close();
    LeakCheckedTest::TearDown();
  }
  static List Children(MemProduct* iTop, int iMode, bool iAll = true) {
    CATListValCATBaseUnknown_var* list = nullptr;
    HRESULT rc = iAll ? Prd::GetAllChildren(H(iTop), list, "CATIProduct", iMode)
                      : Prd::GetChildren(H(iTop), list, "CATIProduct", iMode);
    EXPECT_EQ(rc, S_OK);
    return List(list);
  }
  MemSession session_;
  MemProduct *root_, *asm_, *bolt_, *sub_, *nut_, *bolt2_, *plate_;
};

// The black box's attributes drive the successful reads and writes; these are
// the refusals, and where each kind of value lives.
TEST_F(KRVWD7UtiPrdServicesTest, PropertiesAndParameters) {
  CATUnicodeString value = "stale";
  EXPECT_EQ(Prd::SetProperty(H(bolt_), "BBVpmEnv", "X"), E_FAIL);  // absent
  EXPECT_EQ(Prd::CreateProperty(H(bolt_), "BBVpmEnv", "ENV1"), S_OK);
  EXPECT_EQ(Prd::CreateProperty(H(bolt_), "BBVpmEnv", "ENV2"), E_FAIL);
  EXPECT_EQ(Prd::GetProperty(H(bolt2_), "BBVpmEnv", value), S_FALSE);  // per object
  EXPECT_EQ(value, "");
  // Parameters live on the shared reference.
  CATICkeParm_var parm;
  ASSERT_EQ(Prd::CreateParameter(H(bolt_), "BBNote", "first", parm), S_OK);
  EXPECT_EQ(Prd::CreateParameter(H(bolt2_), "BBNote", "again", parm), E_FAIL);
  EXPECT_FALSE(parm);
  ASSERT_EQ(Prd::GetParameter(H(bolt2_), "BBNote", parm, &value), S_OK);
  EXPECT_EQ(value, "first");
}

// Records read full paths from the root; these are the other tops.
TEST_F(KRVWD7UtiPrdServicesTest, InstancePathsBelowAnotherTop) {
  CATUnicodeString path;
  EXPECT_EQ(Prd::GetInstancePath(H(nut_), H(asm_), path), S_OK);
  EXPECT_EQ(path, "Asm.1/Sub.1/Nut.1");
  EXPECT_EQ(Prd::GetInstancePath(H(plate_), H(asm_), path), E_FAIL);  // not below it
  root_->SetInstanceName("Car body");  // the name the session gives the root
  EXPECT_EQ(Prd::GetInstancePath(H(bolt2_), H(root_), path), S_OK);
  EXPECT_EQ(path, "Car body/Asm.1/Bolt.2");
}

TEST_F(KRVWD7UtiPrdServicesTest, SimilarPositionComparesEveryCoefficient) {
  const CATMathTransformation base = MemBuilder::Translation(1, 2, 3);
  const struct { int index; double delta; int similar; } rows[] = {
      {0, 0.0009, 1}, {9, -0.00099, 1}, {8, 0.0011, 0}, {11, -0.5, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE("coefficient " + std::to_string(row.index));
    double coef[12];
    base.GetCoef(coef);
    coef[row.index] += row.delta;
    EXPECT_EQ(Prd::IsSimilarPosition(base, CATMathTransformation(coef), 0.001), row.similar);
  }
}

TEST_F(KRVWD7UtiPrdServicesTest, ChildrenOrderAndModes) {
  EXPECT_EQ(Names(Children(asm_, 0, false)), "Bolt.1 Sub.1 Bolt.2");
  EXPECT_EQ(Names(Children(root_, 0)), "Asm.1 Bolt.1 Sub.1 Nut.1 Bolt.2 Plate.1") << Dump(root_);
  EXPECT_EQ(Names(Children(nut_, 0, false)), "<null>");  // no child: no list
  // Mode 2 leaves out what is not loaded, with everything below it.
  sub_->SetLoaded(false);
  nut_->SetLoaded(false);
  EXPECT_EQ(Names(Children(root_, 2)), "Asm.1 Bolt.1 Bolt.2 Plate.1") << Dump(root_);
}

TEST_F(KRVWD7UtiPrdServicesTest, FindInstanceByPartNumberOrPath) {
  const struct { const char* text; int kind; int direct; HRESULT rc; MemProduct* found; } rows[] = {
      {"NUT", 0, 1, S_FALSE, nullptr}, {"BOLT", 0, 0, S_OK, bolt_},  // first listed
      {"BB-ROOT", 0, 0, S_FALSE, nullptr},  // the root is not below itself
      {"Asm.1/Sub.1/Nut.1", 1, 0, S_OK, nut_}, {"Asm.1/Sub.1", 1, 1, S_FALSE, nullptr},
      {"", 0, 0, E_INVALIDARG, nullptr},     {"NUT", 2, 0, E_INVALIDARG, nullptr}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.text) + " kind " + std::to_string(row.kind));
    CATBaseUnknown_var found = H(plate_);  // cleared by every call
    EXPECT_EQ(Prd::FindInstance(H(root_), row.text, row.kind, found, row.direct), row.rc);
    EXPECT_TRUE(found == H(row.found));
  }
}

// The node update copies properties with both flags; what it cannot show:
// flag 0 keeps the target's values, and the part number is never copied.
TEST_F(KRVWD7UtiPrdServicesTest, CopiesOfPropertiesKeepWhatTheFlagSays) {
  bolt_->Properties() = {{"A", "bolt"}, {"B", "bolt"}};
  plate_->Properties() = {{"A", "plate"}};
  plate_->SetRevision("R2");
  ASSERT_EQ(Prd::CopyPropertiesOfInstanceProduct(H(plate_), H(bolt_), 0), S_OK);
  EXPECT_EQ(plate_->Properties(), (MemTextMap{{"A", "plate"}, {"B", "bolt"}}));
  EXPECT_EQ(plate_->InstanceName(), "Plate.1");
  ASSERT_EQ(Prd::CopyPropertiesOfReferenceProduct(H(nut_), H(plate_), 0), S_OK);
  EXPECT_EQ(nut_->Revision(), "");
  ASSERT_EQ(Prd::CopyPropertiesOfReferenceProduct(H(nut_), H(plate_), 1), S_OK);
  EXPECT_EQ(nut_->Revision(), "R2");
  EXPECT_EQ(nut_->PartNumber(), "NUT");
}

}  // namespace
