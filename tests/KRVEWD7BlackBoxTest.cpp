// The black-box interface on assembly products: registration, attributes and
// the stored form of the PSN file name.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "CATIProduct.h"
#include "CATMetaClass.h"
#include "CATTie.h"
#include "KRVIWD7BlackBox.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "KRVWD7UtiTracer.h"
#include "MemBuilder.h"
#include "MemFaults.h"
#include "MemSession.h"
#include "TestSessions.h"

extern "C" CATBaseUnknown* CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox(
    CATBaseUnknown* iExtended, CATBaseUnknown* iImpl);

namespace {

using krvwd7_test::ParmOf;
using krvwd7_test::PropertyOf;
typedef std::pair<HRESULT, std::string> Answer;
typedef std::vector<std::string> Lines;

KRVIWD7BlackBox_var BlackBox(MemProduct* iProduct) {
  return KRVIWD7BlackBox_var(static_cast<CATIProduct*>(iProduct));
}

// A getter's result and output; outputs start set to show the clearing.
std::string Show(const CATUnicodeString& iValue) { return iValue.ToStdString(); }
std::string Show(int iValue) { return std::to_string(iValue); }
void Preset(CATUnicodeString& oValue) { oValue = "garbage"; }
template <class N>
void Preset(N& oValue) { oValue = 99; }
template <class T>
Answer Get(const KRVIWD7BlackBox_var& iBB, HRESULT (KRVIWD7BlackBox::*iGetter)(T&)) {
  T value;
  Preset(value);
  HRESULT rc = ((*iBB).*iGetter)(value);
  return {rc, Show(value)};
}
Answer Type(const KRVIWD7BlackBox_var& iBB) {
  int type = 99;
  CATUnicodeString number("garbage");
  HRESULT rc = iBB->GetType(type, number);
  return {rc, std::to_string(type) + ":" + number.ToStdString()};
}

void SetDirectory(const CATUnicodeString& iDirectory) {
  EXPECT_EQ(krvwd7_test::Settings()->SetPSNDirectory(iDirectory), S_OK);
}

class KRVEWD7BlackBoxTest : public krvwd7_test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    MemSession::Current().Close();
    MemFaults::Clear();
    KRVWD7ResetBlackBoxSettings();
    SetDirectory("D:\\PSN");
    KRVWD7UtiTracer::ToMemory();
    MemBuilder build(MemSession::Current());
    root_ = build.Document("BB.CATProduct", "BB-ROOT")->Root();
    sub_ = build.Assembly(root_, "Sub.1", "SUB");
  }
  MemProduct* root_ = nullptr;
  MemProduct* sub_ = nullptr;  // an instance of the reference SUB
};

TEST_F(KRVEWD7BlackBoxTest, RegistrationAnswersOnEveryProduct) {
  CATMetaClass* meta = nullptr;
  EXPECT_EQ(CATInterfaceDictionary::Find("ASMPRODUCT", IID_KRVIWD7BlackBox, &meta),
            &CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox);
  ASSERT_NE(meta, nullptr);
  EXPECT_EQ(meta->GetKind(), CATDataExtensionKind);
  CATBaseUnknown_var handle(static_cast<CATIProduct*>(sub_));
  KRVIWD7BlackBox_var bb(handle);
  ASSERT_TRUE(bb);
  EXPECT_TRUE(bb == handle);  // the interface object stands for the product
  CATBaseUnknown* plain = new CATBaseUnknown;  // only a KRVEWD7BlackBox is wrapped
  EXPECT_EQ(CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox(nullptr, plain), nullptr);
  // Over an object that is not a product (or over nothing) all fails.
  for (CATBaseUnknown* extended : {plain, static_cast<CATBaseUnknown*>(nullptr)}) {
    CATBaseUnknown* tie = CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox(extended, nullptr);
    ASSERT_NE(tie, nullptr);
    KRVIWD7BlackBox_var bb(tie);
    tie->Release();
    EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::IsABlackBox), Answer(E_FAIL, "0"));
    EXPECT_EQ(bb->SetVersion(2), E_FAIL);  // the toolbox refuses it
  }
  plain->Release();
}

TEST_F(KRVEWD7BlackBoxTest, IsABlackBoxByParametersOnly) {
  struct Row {
    const char* what;
    std::vector<const char*> parms, props;
    const char* expected;
  } rows[] = {
      {"nothing", {}, {}, "0"},
      {"properties only", {}, {"BBVersion", "BBType", "BBPSNPrintableId"}, "0"},
      {"file name only", {"BBPSNFilename"}, {}, "1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    MemProduct* instance = MemBuilder(MemSession::Current()).Assembly(root_, row.what, row.what);
    for (const char* name : row.parms) instance->AddParm(name, "v");
    for (const char* name : row.props) instance->Reference()->Properties().Set(name, "2");
    // Asked of the instance, answered by its reference.
    EXPECT_EQ(Get(BlackBox(instance), &KRVIWD7BlackBox::IsABlackBox), Answer(S_OK, row.expected));
  }
  // A found parameter without a handle does not count; both are asked.
  root_->AddParm("BBNote", "n");
  MemFaults::Add(MemFaultPoint::kGetParameter, S_OK);
  EXPECT_EQ(Get(BlackBox(root_), &KRVIWD7BlackBox::IsABlackBox), Answer(S_OK, "0"));
  EXPECT_EQ(MemFaults::Hits(MemFaultPoint::kGetParameter), 2);
}

TEST_F(KRVEWD7BlackBoxTest, Version) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  root_->Properties().Set("BBVersion", "2");
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetVersion), Answer(E_FAIL, "0"));  // no black box
  root_->Properties().clear();
  ASSERT_EQ(bb->SetNote("note"), S_OK);
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetVersion), Answer(S_FALSE, "1"));
  root_->Properties().Set("BBVersion", "abc");
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetVersion), Answer(E_FAIL, "0"));
  EXPECT_EQ(bb->SetVersion(7), S_OK);  // the existing property is set
  EXPECT_EQ(PropertyOf(root_, "BBVersion"), "7");
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetVersion), Answer(S_OK, "7"));
  // A negative read: version 1 for the getter, nothing written by the setter.
  MemFaults::Add(MemFaultPoint::kGetProperty, E_FAIL);
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetVersion), Answer(S_FALSE, "1"));
  EXPECT_EQ(bb->SetVersion(3), E_FAIL);
  EXPECT_EQ(PropertyOf(root_, "BBVersion"), "7");
}

TEST_F(KRVEWD7BlackBoxTest, Type) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  ASSERT_EQ(bb->SetNote(""), S_OK);
  root_->Properties().Set("BBType", "2");
  EXPECT_EQ(Type(bb), Answer(E_FAIL, "0:"));  // version 1 has no type
  root_->Properties().clear();
  EXPECT_EQ(bb->SetType(3, "PSN"), E_INVALIDARG);
  EXPECT_TRUE(root_->Properties().empty());
  ASSERT_EQ(bb->SetVersion(2), S_OK);
  ASSERT_EQ(bb->SetType(2, "PSN-ROOT"), S_OK);
  EXPECT_EQ(PropertyOf(root_, "BBType"), "2");
  EXPECT_EQ(Type(bb), Answer(S_OK, "2:PSN-ROOT"));
  root_->Properties().Set("BBType", "1");
  root_->Properties().Erase("BBPSNPartNumber");
  EXPECT_EQ(Type(bb), Answer(S_OK, "1:"));  // an absent part number is no failure
  // A negative part-number read (3rd GetProperty, after version and type).
  root_->Properties().Set("BBPSNPartNumber", "PN");
  MemFaults::Add(MemFaultPoint::kGetProperty, E_FAIL, "", 3);
  EXPECT_EQ(Type(bb), Answer(E_FAIL, "1:"));
  // The part number is written even when the type's write fails.
  MemFaults::Clear();
  MemFaults::Add(MemFaultPoint::kGetProperty, E_FAIL, "", 1);
  EXPECT_EQ(bb->SetType(2, "NEW"), E_FAIL);
  EXPECT_EQ(PropertyOf(root_, "BBType") + " " + PropertyOf(root_, "BBPSNPartNumber"), "1 NEW");
}

TEST_F(KRVEWD7BlackBoxTest, Note) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  ASSERT_EQ(bb->SetPSNFilename("a"), S_OK);
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetNote), Answer(S_FALSE, ""));
  ASSERT_EQ(bb->SetNote("first"), S_OK);
  MemParm* parm = root_->FindParm("BBNote");
  ASSERT_EQ(bb->SetNote("second"), S_OK);  // valuated, not created again
  EXPECT_EQ(root_->FindParm("BBNote"), parm);
  EXPECT_EQ(root_->Parms().size(), 2u);
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetNote), Answer(S_OK, "second"));
  // Found without a handle.
  MemFaults::Add(MemFaultPoint::kGetParameter, S_OK);
  EXPECT_EQ(bb->SetNote("third"), E_FAIL);
  EXPECT_EQ(ParmOf(root_, "BBNote"), "second");
}

TEST_F(KRVEWD7BlackBoxTest, FlattenAndPrintableId) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  ASSERT_EQ(bb->SetNote(""), S_OK);
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetIsFlatten), Answer(S_OK, "0"));  // never flattened
  EXPECT_EQ(bb->SetIsFlatten(5), S_OK);
  EXPECT_EQ(PropertyOf(root_, "BBFlatten"), "1");
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetIsFlatten), Answer(S_OK, "1"));
  ASSERT_EQ(bb->SetPSNPrintableId("ID-1"), S_OK);
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetPSNPrintableId), Answer(S_OK, "ID-1"));
  MemFaults::Add(MemFaultPoint::kGetProperty, E_OUTOFMEMORY);
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetPSNPrintableId), Answer(E_OUTOFMEMORY, ""));
}

TEST_F(KRVEWD7BlackBoxTest, InstancesAreReadNotWritten) {
  MemProduct* ref = sub_->Reference();
  ref->AddParm("BBNote", "note");
  ref->AddParm("BBPSNFilename", "E:\\x.psn");
  const MemTextMap props = {
      {"BBVersion", "2"}, {"BBType", "2"}, {"BBPSNPartNumber", "PN"},
      {"BBFlatten", "1"}, {"BBPSNPrintableId", "ID"}};
  ref->Properties() = props;
  KRVIWD7BlackBox_var bb = BlackBox(sub_);
  KRVWD7UtiTracer::ClearLines();
  EXPECT_EQ(bb->SetVersion(3), E_FAIL);
  EXPECT_EQ(bb->SetType(7, "X"), E_INVALIDARG);  // the type is checked first
  EXPECT_EQ(bb->SetPSNFilename("F:\\y.psn"), E_FAIL);
  EXPECT_EQ(ref->Properties(), props);
  EXPECT_TRUE(sub_->Properties().empty());
  EXPECT_EQ(ParmOf(ref, "BBNote") + " " + ParmOf(ref, "BBPSNFilename"), "note E:\\x.psn");
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), Lines{">> KRVEWD7BlackBox::SetPSNFilename"});
  // The getters on the instance read the reference.
  EXPECT_EQ(Type(bb), Answer(S_OK, "2:PN"));
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetPSNFilename), Answer(S_OK, "E:\\x.psn"));
}

TEST_F(KRVEWD7BlackBoxTest, PSNFilenameStoredFormAndReadBack) {
  struct Row {
    const char *directory, *given, *stored, *read;
  } rows[] = {
      {"D:\\PSN", "D:\\PSN\\sub\\a.psn", "./sub/a.psn", "D:\\PSN\\sub\\a.psn"},
      {"D:\\PSN", "d:\\psn\\a", "./a.psn", "D:\\PSN\\a.psn"},
      {"D:\\PSN", "a", "D:\\PSN\\a.psn", "D:\\PSN\\a.psn"},
      {"D:\\PSN", "a.PSN", "D:\\PSN\\a.PSN.psn", "D:\\PSN\\a.PSN.psn"},
      {"D:\\PSN", "E:\\a.psn.bak", "E:\\a.psn.bak.psn", "E:\\a.psn.bak.psn"},
      {"D:\\PSN\\", "D:\\PSN\\a.psn", "./a.psn", "D:\\PSN\\a.psn"},
      {"D:\\PSN\\", "a", "D:\\PSN\\\\a.psn", "D:\\PSN\\\\a.psn"},
      {"", "a", "a.psn", "a.psn"},
  };
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.directory) + " | " + row.given);
    SetDirectory(row.directory);
    ASSERT_EQ(bb->SetPSNFilename(row.given), S_OK);
    EXPECT_EQ(ParmOf(root_, "BBPSNFilename"), row.stored);
    EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetPSNFilename), Answer(S_OK, row.read));
  }
  // A relative name follows the directory in force when it is read.
  SetDirectory("D:\\PSN");
  ASSERT_EQ(bb->SetPSNFilename("D:\\PSN\\sub\\a.psn"), S_OK);
  SetDirectory("F:\\new");
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetPSNFilename), Answer(S_OK, "F:\\new\\sub\\a.psn"));
}

TEST_F(KRVEWD7BlackBoxTest, SetPSNFilenameTraces) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  KRVWD7UtiTracer::ClearLines();
  ASSERT_EQ(bb->SetPSNFilename("D:\\PSN\\sub\\a.psn"), S_OK);
  EXPECT_EQ(KRVWD7UtiTracer::Lines(),
            (Lines{">> KRVEWD7BlackBox::SetPSNFilename", "ustrPSNFilename='D:\\PSN\\sub\\a.psn'",
                   "ustrPSNDirectory='D:\\PSN'", "ustrPSNFilename='\\sub\\a.psn'",
                   "ustrPSNFilename='/sub/a.psn'", "pos=0", "ustrPSNFilename='./sub/a.psn'",
                   "ustrPSNFilename='./sub/a.psn'", "<< KRVEWD7BlackBox::SetPSNFilename"}));
}

TEST_F(KRVEWD7BlackBoxTest, PSNFilenameFaults) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  // Unavailable settings: an empty directory, both ways.
  MemFaults::Add(MemFaultPoint::kGetKRVWD7BlackBoxSettingCtrl, E_FAIL);
  KRVWD7UtiTracer::ClearLines();
  ASSERT_EQ(bb->SetPSNFilename("D:\\PSN\\a"), S_OK);
  EXPECT_EQ(ParmOf(root_, "BBPSNFilename"), "D:\\PSN\\a.psn");
  ASSERT_GE(KRVWD7UtiTracer::Lines().size(), 3u);
  EXPECT_EQ(KRVWD7UtiTracer::Lines()[2], "ustrPSNDirectory=''");
  root_->FindParm("BBPSNFilename")->set_value("./a.psn");
  EXPECT_EQ(Get(bb, &KRVIWD7BlackBox::GetPSNFilename), Answer(S_OK, "./a.psn"));
  // A failed creation is a failure, and still traces its exit.
  MemFaults::Clear();
  MemFaults::Add(MemFaultPoint::kCreateParameter, E_FAIL);
  EXPECT_EQ(BlackBox(sub_->Reference())->SetPSNFilename("a"), E_FAIL);
  EXPECT_EQ(ParmOf(sub_, "BBPSNFilename"), "<absent>");
  EXPECT_EQ(KRVWD7UtiTracer::Lines().back(), "<< KRVEWD7BlackBox::SetPSNFilename");
}

}  // namespace
