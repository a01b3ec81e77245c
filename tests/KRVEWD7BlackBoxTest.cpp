// The black-box interface on assembly products: registration, attributes and
// the stored form of the PSN file name.
#include <map>
#include <string>
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

extern "C" CATBaseUnknown* CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox(
    CATBaseUnknown* iExtended, CATBaseUnknown* iImpl);

namespace {

KRVIWD7BlackBox_var BlackBox(MemProduct* iProduct) {
  return KRVIWD7BlackBox_var(static_cast<CATIProduct*>(iProduct));
}

// The directory query of the settings; "" when they cannot be had.
std::string Directory() {
  void* out = nullptr;
  if (GetKRVWD7BlackBoxSettingCtrl(IID_KRVIWD7BlackBoxSettingAtt, &out) < 0) return "";
  KRVIWD7BlackBoxSettingAtt* settings = static_cast<KRVIWD7BlackBoxSettingAtt*>(out);
  CATUnicodeString directory;
  settings->GetPSNDirectory(directory);
  settings->Release();
  return directory.ToStdString();
}

void SetDirectory(const std::string& iDirectory) {
  void* out = nullptr;
  ASSERT_EQ(GetKRVWD7BlackBoxSettingCtrl(IID_KRVIWD7BlackBoxSettingAtt, &out), S_OK);
  KRVIWD7BlackBoxSettingAtt* settings = static_cast<KRVIWD7BlackBoxSettingAtt*>(out);
  ASSERT_EQ(settings->SetPSNDirectory(iDirectory.c_str()), S_OK);
  settings->Release();
}

class KRVEWD7BlackBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemSession::Current().Close();
    MemFaults::Clear();
    saved_directory_ = Directory();
    SetDirectory("D:\\PSN");
    KRVWD7UtiTracer::ToMemory();
    live_ = CATBaseUnknown::LiveObjects();
    MemBuilder build(MemSession::Current());
    root_ = build.Document("BB.CATProduct", "BB-ROOT")->Root();
    sub_ = build.Assembly(root_, "Sub.1", "SUB");
  }
  void TearDown() override {
    MemFaults::Clear();
    MemSession::Current().Close();
    EXPECT_EQ(CATBaseUnknown::LiveObjects(), live_) << "objects leaked";
    SetDirectory(saved_directory_);
    KRVWD7UtiTracer::Off();
  }
  const std::string* Prop(MemProduct* iProduct, const char* iName) {
    return iProduct->FindProperty(iName);
  }
  std::string Parm(MemProduct* iProduct, const char* iName) {
    MemParm* parm = iProduct->FindParm(iName);
    return parm ? parm->value() : "<none>";
  }

  std::string saved_directory_;
  long live_ = 0;
  MemProduct* root_ = nullptr;
  MemProduct* sub_ = nullptr;  // an instance of the reference SUB
};

TEST_F(KRVEWD7BlackBoxTest, RegistrationAnswersOnEveryProduct) {
  CATMetaClass* meta = nullptr;
  EXPECT_EQ(CATInterfaceDictionary::Find("ASMPRODUCT", IID_KRVIWD7BlackBox, &meta),
            &CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox);
  ASSERT_NE(meta, nullptr);
  EXPECT_STREQ(meta->GetClassName(), "KRVEWD7BlackBox");
  EXPECT_EQ(meta->GetKind(), CATDataExtensionKind);
  EXPECT_STREQ(meta->GetTag(), "External");
  for (MemProduct* product : {root_, sub_, sub_->Reference()}) {
    CATBaseUnknown_var handle(static_cast<CATIProduct*>(product));
    KRVIWD7BlackBox_var bb(handle);
    ASSERT_TRUE(bb) << product->DescriptiveText();
    EXPECT_TRUE(bb == handle);  // the interface object stands for the product
    EXPECT_EQ(MemProduct::From(CATIProduct_var(bb).Get()), product);
    EXPECT_EQ(bb->GetMetaObject()->GetKind(), CATTieKind);
  }
  // Only a KRVEWD7BlackBox can be wrapped.
  CATBaseUnknown* plain = new CATBaseUnknown;
  EXPECT_EQ(CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox(nullptr, plain), nullptr);
  plain->Release();
}

TEST_F(KRVEWD7BlackBoxTest, ObjectThatIsNotAProduct) {
  CATBaseUnknown* plain = new CATBaseUnknown;
  for (CATBaseUnknown* extended : {plain, static_cast<CATBaseUnknown*>(nullptr)}) {
    CATBaseUnknown* tie = CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox(extended, nullptr);
    ASSERT_NE(tie, nullptr);
    KRVIWD7BlackBox_var bb(tie);
    tie->Release();
    CATBoolean flag = 1;
    EXPECT_EQ(bb->IsABlackBox(flag), E_FAIL);
    EXPECT_EQ(flag, 0);
    CATUnicodeString note("x");
    EXPECT_EQ(bb->GetNote(note), E_FAIL);
    EXPECT_TRUE(note.IsEmpty());
    EXPECT_EQ(bb->SetVersion(2), E_FAIL);  // the toolbox refuses it
  }
  plain->Release();
}

TEST_F(KRVEWD7BlackBoxTest, IsABlackBoxByParametersOnly) {
  struct Row {
    const char* what;
    std::vector<const char*> parms;
    std::vector<const char*> props;
    CATBoolean expected;
  } rows[] = {
      {"nothing", {}, {}, 0},
      {"properties only", {}, {"BBVersion", "BBType", "BBPSNPrintableId"}, 0},
      {"file name only", {"BBPSNFilename"}, {}, 1},
      {"note only", {"BBNote"}, {}, 1},
      {"another parameter", {"BBFlatten"}, {}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    MemProduct* ref = MemBuilder(MemSession::Current()).Assembly(root_, row.what, row.what);
    for (const char* name : row.parms) ref->AddParm(name, "v");
    for (const char* name : row.props) ref->Reference()->Properties()[name] = "2";
    CATBoolean flag = 9;
    EXPECT_EQ(BlackBox(ref)->IsABlackBox(flag), S_OK);  // read through the instance
    EXPECT_EQ(flag, row.expected);
  }
  // A found parameter without a handle does not count.
  root_->AddParm("BBNote", "n");
  MemFaults::Add("GetParameter", S_OK);
  CATBoolean flag = 1;
  EXPECT_EQ(BlackBox(root_)->IsABlackBox(flag), S_OK);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(MemFaults::Hits("GetParameter"), 2);  // both parameters asked
}

TEST_F(KRVEWD7BlackBoxTest, Version) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  int version = 9;
  root_->Properties()["BBVersion"] = "2";
  EXPECT_EQ(bb->GetVersion(version), E_FAIL);  // not a black box yet
  EXPECT_EQ(version, 0);
  root_->Properties().clear();
  ASSERT_EQ(bb->SetNote("note"), S_OK);
  EXPECT_EQ(bb->GetVersion(version), S_FALSE);  // absent: the earlier form
  EXPECT_EQ(version, 1);
  root_->Properties()["BBVersion"] = "abc";
  EXPECT_EQ(bb->GetVersion(version), E_FAIL);
  EXPECT_EQ(version, 0);
  EXPECT_EQ(bb->SetVersion(7), S_OK);  // existing property set
  EXPECT_EQ(*Prop(root_, "BBVersion"), "7");
  EXPECT_EQ(bb->GetVersion(version), S_OK);
  EXPECT_EQ(version, 7);
  // A failing read: version 1 for the getter, nothing written by the setter.
  MemFaults::Add("GetProperty", E_FAIL);
  EXPECT_EQ(bb->GetVersion(version), S_FALSE);
  EXPECT_EQ(version, 1);
  EXPECT_EQ(bb->SetVersion(3), E_FAIL);
  EXPECT_EQ(*Prop(root_, "BBVersion"), "7");
}

TEST_F(KRVEWD7BlackBoxTest, Type) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  ASSERT_EQ(bb->SetNote(""), S_OK);
  int type = 9;
  CATUnicodeString number("x");
  // Version 1: no type even when the property is there.
  root_->Properties()["BBType"] = "2";
  EXPECT_EQ(bb->GetType(type, number), E_FAIL);
  EXPECT_EQ(type, 0);
  EXPECT_TRUE(number.IsEmpty());
  // Refused types write nothing.
  root_->Properties().clear();
  EXPECT_EQ(bb->SetType(3, "PSN"), E_INVALIDARG);
  EXPECT_EQ(bb->SetType(0, "PSN"), E_INVALIDARG);
  EXPECT_TRUE(root_->Properties().empty());
  ASSERT_EQ(bb->SetVersion(2), S_OK);
  ASSERT_EQ(bb->SetType(2, "PSN-ROOT"), S_OK);
  EXPECT_EQ(*Prop(root_, "BBType"), "2");
  EXPECT_EQ(bb->GetType(type, number), S_OK);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(number.ToStdString(), "PSN-ROOT");
  // A type that is not a number.
  root_->Properties()["BBType"] = "two";
  EXPECT_EQ(bb->GetType(type, number), E_FAIL);
  EXPECT_EQ(type, 0);
  // An absent part number is no failure.
  root_->Properties()["BBType"] = "1";
  root_->Properties().erase("BBPSNPartNumber");
  EXPECT_EQ(bb->GetType(type, number), S_OK);
  EXPECT_EQ(type, 1);
  EXPECT_TRUE(number.IsEmpty());
  // A failing part-number read (3rd GetProperty, after version and type).
  root_->Properties()["BBPSNPartNumber"] = "PN";
  MemFaults::Add("GetProperty", E_FAIL, "", 3);
  EXPECT_EQ(bb->GetType(type, number), E_FAIL);
  EXPECT_TRUE(number.IsEmpty());
  // The part number is written even when the type write fails.
  MemFaults::Clear();
  MemFaults::Add("GetProperty", E_FAIL, "", 1);
  EXPECT_EQ(bb->SetType(2, "NEW"), E_FAIL);
  EXPECT_EQ(*Prop(root_, "BBType"), "1");
  EXPECT_EQ(*Prop(root_, "BBPSNPartNumber"), "NEW");
}

TEST_F(KRVEWD7BlackBoxTest, Note) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  ASSERT_EQ(bb->SetPSNFilename("a"), S_OK);
  CATUnicodeString note("x");
  EXPECT_EQ(bb->GetNote(note), S_FALSE);
  EXPECT_TRUE(note.IsEmpty());
  ASSERT_EQ(bb->SetNote("first"), S_OK);
  MemParm* parm = root_->FindParm("BBNote");
  ASSERT_EQ(bb->SetNote("second"), S_OK);  // valuated, not created again
  EXPECT_EQ(root_->FindParm("BBNote"), parm);
  EXPECT_EQ(root_->Parms().size(), 2u);
  EXPECT_EQ(bb->GetNote(note), S_OK);
  EXPECT_EQ(note.ToStdString(), "second");
  // Found without a handle, or a failed creation.
  MemFaults::Add("GetParameter", S_OK);
  EXPECT_EQ(bb->SetNote("third"), E_FAIL);
  EXPECT_EQ(Parm(root_, "BBNote"), "second");
  MemFaults::Clear();
  MemFaults::Add("CreateParameter", E_FAIL);
  EXPECT_EQ(BlackBox(sub_->Reference())->SetNote("n"), E_FAIL);
  EXPECT_EQ(Parm(sub_, "BBNote"), "<none>");
}

TEST_F(KRVEWD7BlackBoxTest, FlattenAndPrintableId) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  ASSERT_EQ(bb->SetNote(""), S_OK);
  CATBoolean flat = 1;
  EXPECT_EQ(bb->GetIsFlatten(flat), S_OK);  // absent: never flattened
  EXPECT_EQ(flat, 0);
  EXPECT_EQ(bb->SetIsFlatten(5), S_OK);
  EXPECT_EQ(*Prop(root_, "BBFlatten"), "1");
  EXPECT_EQ(bb->GetIsFlatten(flat), S_OK);
  EXPECT_EQ(flat, 1);
  root_->Properties()["BBFlatten"] = "yes";
  EXPECT_EQ(bb->GetIsFlatten(flat), E_FAIL);
  EXPECT_EQ(flat, 0);
  CATUnicodeString id("x");
  EXPECT_EQ(bb->GetPSNPrintableId(id), S_FALSE);
  EXPECT_TRUE(id.IsEmpty());
  ASSERT_EQ(bb->SetPSNPrintableId("ID-1"), S_OK);
  EXPECT_EQ(bb->GetPSNPrintableId(id), S_OK);
  EXPECT_EQ(id.ToStdString(), "ID-1");
  MemFaults::Add("GetProperty", E_OUTOFMEMORY);
  EXPECT_EQ(bb->GetPSNPrintableId(id), E_OUTOFMEMORY);
  EXPECT_TRUE(id.IsEmpty());
}

TEST_F(KRVEWD7BlackBoxTest, InstancesAreReadNotWritten) {
  MemProduct* ref = sub_->Reference();
  KRVIWD7BlackBox_var on_ref = BlackBox(ref);
  ASSERT_EQ(on_ref->SetNote("note"), S_OK);
  ASSERT_EQ(on_ref->SetPSNFilename("E:\\x.psn"), S_OK);
  ASSERT_EQ(on_ref->SetVersion(2), S_OK);
  ASSERT_EQ(on_ref->SetType(2, "PN"), S_OK);
  ASSERT_EQ(on_ref->SetIsFlatten(1), S_OK);
  ASSERT_EQ(on_ref->SetPSNPrintableId("ID"), S_OK);
  const std::map<std::string, std::string> props = ref->Properties();
  KRVIWD7BlackBox_var bb = BlackBox(sub_);
  KRVWD7UtiTracer::ClearLines();
  EXPECT_EQ(bb->SetVersion(3), E_FAIL);
  EXPECT_EQ(bb->SetType(1, "X"), E_FAIL);
  EXPECT_EQ(bb->SetType(7, "X"), E_INVALIDARG);  // the type is checked first
  EXPECT_EQ(bb->SetNote("other"), E_FAIL);
  EXPECT_EQ(bb->SetPSNFilename("F:\\y.psn"), E_FAIL);
  EXPECT_EQ(bb->SetIsFlatten(0), E_FAIL);
  EXPECT_EQ(bb->SetPSNPrintableId("OTHER"), E_FAIL);
  EXPECT_EQ(ref->Properties(), props);
  EXPECT_TRUE(sub_->Properties().empty());
  EXPECT_EQ(Parm(ref, "BBNote"), "note");
  EXPECT_EQ(Parm(ref, "BBPSNFilename"), "E:\\x.psn");
  EXPECT_EQ(KRVWD7UtiTracer::Lines(),
            std::vector<std::string>{">> KRVEWD7BlackBox::SetPSNFilename"});
  // The getters on the instance read the reference.
  int number = 0;
  CATUnicodeString text;
  CATBoolean flag = 0;
  EXPECT_EQ(bb->GetVersion(number), S_OK);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(bb->GetType(number, text), S_OK);
  EXPECT_EQ(text.ToStdString(), "PN");
  EXPECT_EQ(bb->GetNote(text), S_OK);
  EXPECT_EQ(text.ToStdString(), "note");
  EXPECT_EQ(bb->GetPSNFilename(text), S_OK);
  EXPECT_EQ(text.ToStdString(), "E:\\x.psn");
  EXPECT_EQ(bb->GetIsFlatten(flag), S_OK);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(bb->GetPSNPrintableId(text), S_OK);
  EXPECT_EQ(text.ToStdString(), "ID");
}

TEST_F(KRVEWD7BlackBoxTest, PSNFilenameStoredFormAndReadBack) {
  struct Row {
    const char* directory;
    const char* given;
    const char* stored;
    const char* read;
  } rows[] = {
      {"D:\\PSN", "D:\\PSN\\sub\\a.psn", "./sub/a.psn", "D:\\PSN\\sub\\a.psn"},
      {"D:\\PSN", "d:\\psn\\a", "./a.psn", "D:\\PSN\\a.psn"},
      {"D:\\PSN", "a", "D:\\PSN\\a.psn", "D:\\PSN\\a.psn"},
      {"D:\\PSN", "E:\\other\\a.psn", "E:\\other\\a.psn", "E:\\other\\a.psn"},
      {"D:\\PSN", "a.PSN", "D:\\PSN\\a.PSN.psn", "D:\\PSN\\a.PSN.psn"},
      {"D:\\PSN", "E:\\a.psn.bak", "E:\\a.psn.bak.psn", "E:\\a.psn.bak.psn"},
      {"D:\\PSN\\", "D:\\PSN\\a.psn", "./a.psn", "D:\\PSN\\a.psn"},
      {"D:\\PSN\\", "D:\\PSN\\sub\\a", "./sub/a.psn", "D:\\PSN\\sub\\a.psn"},
      {"D:\\PSN\\", "a", "D:\\PSN\\\\a.psn", "D:\\PSN\\\\a.psn"},
      {"", "a", "a.psn", "a.psn"},
      {"", "./a.psn", "./a.psn", "./a.psn"},
      {"", "D:\\PSN\\a.psn", "D:\\PSN\\a.psn", "D:\\PSN\\a.psn"},
  };
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  CATUnicodeString read;
  EXPECT_EQ(bb->GetPSNFilename(read), E_FAIL);  // not a black box
  ASSERT_EQ(bb->SetNote(""), S_OK);
  EXPECT_EQ(bb->GetPSNFilename(read), S_FALSE);  // no file name yet
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.directory) + " | " + row.given);
    SetDirectory(row.directory);
    ASSERT_EQ(bb->SetPSNFilename(row.given), S_OK);
    EXPECT_EQ(Parm(root_, "BBPSNFilename"), row.stored);
    EXPECT_EQ(bb->GetPSNFilename(read), S_OK);
    EXPECT_EQ(read.ToStdString(), row.read);
  }
  EXPECT_EQ(root_->Parms().size(), 2u);  // one file name, valuated each time
  // A relative name follows the directory in force when it is read.
  SetDirectory("D:\\PSN");
  ASSERT_EQ(bb->SetPSNFilename("D:\\PSN\\sub\\a.psn"), S_OK);
  SetDirectory("F:\\new");
  EXPECT_EQ(bb->GetPSNFilename(read), S_OK);
  EXPECT_EQ(read.ToStdString(), "F:\\new\\sub\\a.psn");
}

TEST_F(KRVEWD7BlackBoxTest, SetPSNFilenameTraces) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  KRVWD7UtiTracer::ClearLines();
  ASSERT_EQ(bb->SetPSNFilename("D:\\PSN\\sub\\a.psn"), S_OK);
  EXPECT_EQ(KRVWD7UtiTracer::Lines(),
            (std::vector<std::string>{
                ">> KRVEWD7BlackBox::SetPSNFilename",
                "ustrPSNFilename='D:\\PSN\\sub\\a.psn'", "ustrPSNDirectory='D:\\PSN'",
                "ustrPSNFilename='\\sub\\a.psn'", "ustrPSNFilename='/sub/a.psn'", "pos=0",
                "ustrPSNFilename='./sub/a.psn'", "ustrPSNFilename='./sub/a.psn'",
                "<< KRVEWD7BlackBox::SetPSNFilename"}));
  KRVWD7UtiTracer::ClearLines();
  ASSERT_EQ(bb->SetPSNFilename("a"), S_OK);
  EXPECT_EQ(KRVWD7UtiTracer::Lines(),
            (std::vector<std::string>{
                ">> KRVEWD7BlackBox::SetPSNFilename", "ustrPSNFilename='a'",
                "ustrPSNDirectory='D:\\PSN'", "pos=-1", "ustrPSNFilename='D:\\PSN\\a'",
                "ustrPSNFilename='D:\\PSN\\a.psn'", "<< KRVEWD7BlackBox::SetPSNFilename"}));
}

TEST_F(KRVEWD7BlackBoxTest, PSNFilenameFaults) {
  KRVIWD7BlackBox_var bb = BlackBox(root_);
  // Unavailable settings: an empty directory, both ways.
  MemFaults::Add("GetKRVWD7BlackBoxSettingCtrl", E_FAIL);
  KRVWD7UtiTracer::ClearLines();
  ASSERT_EQ(bb->SetPSNFilename("D:\\PSN\\a"), S_OK);
  EXPECT_EQ(Parm(root_, "BBPSNFilename"), "D:\\PSN\\a.psn");
  ASSERT_GE(KRVWD7UtiTracer::Lines().size(), 3u);
  EXPECT_EQ(KRVWD7UtiTracer::Lines()[2], "ustrPSNDirectory=''");
  root_->FindParm("BBPSNFilename")->set_value("./a.psn");
  CATUnicodeString read;
  EXPECT_EQ(bb->GetPSNFilename(read), S_OK);
  EXPECT_EQ(read.ToStdString(), "./a.psn");
  // A failing directory query means no directory as well.
  MemFaults::Clear();
  MemFaults::Add("GetPSNDirectory", E_FAIL);
  ASSERT_EQ(bb->SetPSNFilename("b"), S_OK);
  EXPECT_EQ(Parm(root_, "BBPSNFilename"), "b.psn");
  EXPECT_EQ(MemFaults::Hits("GetPSNDirectory"), 1);
  // A failed creation is a failure, and still traces its exit.
  MemFaults::Clear();
  MemFaults::Add("CreateParameter", E_FAIL);
  KRVWD7UtiTracer::ClearLines();
  EXPECT_EQ(BlackBox(sub_->Reference())->SetPSNFilename("a"), E_FAIL);
  EXPECT_EQ(Parm(sub_, "BBPSNFilename"), "<none>");
  EXPECT_EQ(KRVWD7UtiTracer::Lines().back(), "<< KRVEWD7BlackBox::SetPSNFilename");
}

}  // namespace
