#include "KRVWD7PrdInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CATGetSystemInfo.h"
#include "CATMetaClass.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiTracer.h"
#include "MemBuilder.h"
#include "MemFaults.h"
#include "MemSession.h"

namespace {

KRVWD7PrdInfo Record(const char* iId, const char* iPath) {
  KRVWD7PrdInfo info;
  info.SetPrintableId(iId);
  info.SetInstancePath(iPath);
  return info;
}

std::string Joined(const std::vector<std::string>& iLines) {
  std::string all;
  for (const std::string& line : iLines) all += line + "\n";
  return all;
}

CATBaseUnknown_var Handle(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}

// --- The record itself ------------------------------------------------------------

class KRVWD7PrdInfoRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KRVWD7UtiTracer::ToMemory();
    KRVWD7UtiTracer::ClearLines();
  }
  void TearDown() override { KRVWD7UtiTracer::Off(); }
};

TEST_F(KRVWD7PrdInfoRecordTest, DefaultRecordDumpsItsDefaults) {
  KRVWD7PrdInfo info;
  CATBaseUnknown_var product;
  info.GetProduct(product);
  EXPECT_FALSE(product);

  info.Dump();
  const std::vector<std::string> expected = {
      "\tInstance Name: ",
      "\tNode Type    : Unknown",
      "\tPath         : ",
      "\tVersion      : ",
      "\tRevision     : ",
      "\tPartNumber   : ",
      "\tCLink        : ",
      "\tIsABlackBox  : NO",
      "\tPosition     : 1 0 0 0 1 0 0 0 1 0 0 0"};
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), expected);
}

TEST_F(KRVWD7PrdInfoRecordTest, DumpWritesEveryField) {
  KRVWD7PrdInfo info = Record("ID-1", "Root/Asm.1/Bolt.1");
  info.SetNodeType(4);
  info.SetVersion("B");
  info.SetRevision("03");
  info.SetIsBlackBox(1);
  info.SetPosition(CATMathTransformation(0, -1, 0, 1, 0, 0, 0, 0, 1, 10, 2.5, -3));
  info.Dump();
  const std::vector<std::string> expected = {
      "\tInstance Name: Bolt.1",
      "\tNode Type    : Part Instance",
      "\tPath         : Root/Asm.1/Bolt.1",
      "\tVersion      : B",
      "\tRevision     : 03",
      "\tPartNumber   : ",
      "\tCLink        : ID-1",
      "\tIsABlackBox  : YES",
      "\tPosition     : 0 -1 0 1 0 0 0 0 1 10 2.5 -3"};
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), expected);
}

TEST_F(KRVWD7PrdInfoRecordTest, NodeTypeTexts) {
  const struct {
    int code;
    const char* text;
  } rows[] = {{0, "Unknown"},          {1, "RootProduct"},
              {2, "Component Instance"}, {3, "Product Instance"},
              {4, "Part Instance"},    {5, "Model Instance"},
              {6, "Product"},          {7, "Part"},
              {8, "Model"},            {9, "Unknown"},
              {-1, "Unknown"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.code);
    EXPECT_STREQ(KRVWD7PrdInfo::NodeTypeText(row.code), row.text);
  }
}

TEST_F(KRVWD7PrdInfoRecordTest, SetNodeTypeRefusesCodesOutsideZeroToEight) {
  KRVWD7PrdInfo info;
  ASSERT_EQ(info.SetNodeType(3), S_OK);
  const struct {
    int code;
    HRESULT rc;
    int stored;
  } rows[] = {{9, E_INVALIDARG, 3}, {-1, E_INVALIDARG, 3},
              {0, S_OK, 0},         {8, S_OK, 8},
              {100, E_INVALIDARG, 8}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.code);
    EXPECT_EQ(info.SetNodeType(row.code), row.rc);
    int type = -5;
    info.GetNodeType(type);
    EXPECT_EQ(type, row.stored);
  }
}

TEST_F(KRVWD7PrdInfoRecordTest, EqualityByPrintableIdElsePathOrderByPath) {
  const struct {
    const char* id1;
    const char* path1;
    const char* id2;
    const char* path2;
    int equal;
    int less;
  } rows[] = {
      {"A", "Root/X", "A", "Root/Y", 1, 1},  // same id, ordered by path
      {"A", "Root/Y", "A", "Root/X", 1, 0},
      {"A", "Root/X", "B", "Root/X", 0, 0},  // ids differ, same path
      {"A", "Root/X", "", "Root/X", 0, 0},   // one id empty
      {"", "Root/X", "B", "Root/X", 0, 0},
      {"", "Root/X", "", "Root/X", 1, 0},    // no ids: by path
      {"", "Root/X", "", "Root/Y", 0, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.id1) + "@" + row.path1 + " vs " + row.id2 +
                 "@" + row.path2);
    KRVWD7PrdInfo a = Record(row.id1, row.path1);
    KRVWD7PrdInfo b = Record(row.id2, row.path2);
    EXPECT_EQ(a == b, row.equal);
    EXPECT_EQ(a != b, 1 - row.equal);
    EXPECT_EQ(a < b, row.less);
    const bool same_path = std::string(row.path1) == row.path2;
    EXPECT_EQ(a <= b, (row.less || same_path) ? 1 : 0);
    EXPECT_EQ(a > b, (!row.less && !same_path) ? 1 : 0);
    EXPECT_EQ(a >= b, row.less ? 0 : 1);
  }
}

TEST_F(KRVWD7PrdInfoRecordTest, ComparedWithItself) {
  KRVWD7PrdInfo a = Record("", "Root/X");
  const KRVWD7PrdInfo& same = a;
  EXPECT_EQ(a == same, 1);
  EXPECT_EQ(a <= same, 1);
  EXPECT_EQ(a >= same, 1);
  EXPECT_EQ(a != same, 0);
  EXPECT_EQ(a < same, 0);
  EXPECT_EQ(a > same, 0);
}

TEST_F(KRVWD7PrdInfoRecordTest, InstancePathWithComponentsCut) {
  KRVWD7PrdInfo info = Record("", "Root/A/B");
  const struct {
    int skip;
    const char* path;
    HRESULT rc;
  } rows[] = {{-1, "Root/A/B", S_OK}, {0, "Root/A/B", S_OK}, {1, "A/B", S_OK},
              {2, "B", S_OK},         {3, "", E_FAIL},       {7, "", E_FAIL}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.skip);
    CATUnicodeString path = "garbage";
    EXPECT_EQ(info.GetInstancePath(path, row.skip), row.rc);
    EXPECT_EQ(path, row.path);
  }
  CATUnicodeString name;
  EXPECT_EQ(info.GetInstanceName(name), S_OK);
  EXPECT_EQ(name, "B");
  info.SetInstancePath("Root");
  info.GetInstanceName(name);
  EXPECT_EQ(name, "Root");
}

TEST_F(KRVWD7PrdInfoRecordTest, PrintableIdSelectorDoesNotMatter) {
  KRVWD7PrdInfo info = Record("ID-42", "Root");
  CATUnicodeString id0, id1;
  info.GetPrintableId(id0, 0);
  info.GetPrintableId(id1, 1);
  EXPECT_EQ(id0, "ID-42");
  EXPECT_EQ(id1, "ID-42");
}

TEST_F(KRVWD7PrdInfoRecordTest, CopyAndAssignmentCopyAllFieldsAndShareTheProduct) {
  long live = CATBaseUnknown::LiveObjects();
  {
    CATBaseUnknown* object = new CATBaseUnknown;
    CATBaseUnknown_var product(object);
    object->Release();
    KRVWD7PrdInfo source = Record("ID", "Root/P");
    source.SetProduct(product);
    source.SetVersion("V");
    source.SetRevision("R");
    source.SetPosition(MemBuilder::Translation(1, 2, 3));
    source.SetNodeType(7);
    source.SetIsBlackBox(1);
    source.SetPDMEnv("ENV");
    source.SetDocCompid("COMPID");
    source.SetDocDisplayName("Display");

    KRVWD7PrdInfo target;
    target = source;
    KRVWD7PrdInfo copy(source);
    for (const KRVWD7PrdInfo* info : {&target, &copy}) {
      CATBaseUnknown_var p;
      CATUnicodeString text;
      CATMathTransformation position;
      int type = 0;
      unsigned char flag = 0;
      info->GetProduct(p);
      EXPECT_TRUE(p == product);
      info->GetPrintableId(text, 0);
      EXPECT_EQ(text, "ID");
      info->GetInstancePath(text, 0);
      EXPECT_EQ(text, "Root/P");
      info->GetVersion(text);
      EXPECT_EQ(text, "V");
      info->GetRevision(text);
      EXPECT_EQ(text, "R");
      info->GetPosition(position);
      EXPECT_TRUE(position == MemBuilder::Translation(1, 2, 3));
      info->GetNodeType(type);
      EXPECT_EQ(type, 7);
      info->GetIsBlackBox(flag);
      EXPECT_EQ(flag, 1);
      info->GetPDMEnv(text);
      EXPECT_EQ(text, "ENV");
      info->GetDocCompid(text);
      EXPECT_EQ(text, "COMPID");
      info->GetDocDisplayName(text);
      EXPECT_EQ(text, "Display");
    }
    // Self-assignment keeps everything.
    KRVWD7PrdInfo& alias = target;
    target = alias;
    CATUnicodeString id;
    target.GetPrintableId(id, 0);
    EXPECT_EQ(id, "ID");
    // Init drops the product again.
    target.Init();
    CATBaseUnknown_var p;
    target.GetProduct(p);
    EXPECT_FALSE(p);
  }
  EXPECT_EQ(CATBaseUnknown::LiveObjects(), live);
}

TEST_F(KRVWD7PrdInfoRecordTest, ClassIdentity) {
  CATMetaClass* meta = KRVWD7PrdInfo::MetaObject();
  EXPECT_STREQ(meta->GetClassName(), "KRVWD7PrdInfo");
  EXPECT_EQ(meta->GetKind(), CATImplementationKind);
  EXPECT_STREQ(meta->GetType(), "CATNull");
  EXPECT_STREQ(meta->GetTag(), "External");
  EXPECT_EQ(meta->GetBase(), CATBaseUnknown::MetaObject());
  EXPECT_EQ(meta->CreateInstance(), nullptr);
  EXPECT_EQ(KRVWD7PrdInfo::CreateItself(), nullptr);
  KRVWD7PrdInfo info;
  const CATBaseUnknown& base = info;
  EXPECT_EQ(base.GetMetaObject(), meta);
  EXPECT_STREQ(base.IsA(), "KRVWD7PrdInfo");
  EXPECT_EQ(base.IsAKindOf("KRVWD7PrdInfo"), 1);
  EXPECT_EQ(base.IsAKindOf("CATBaseUnknown"), 1);
  EXPECT_EQ(base.IsAKindOf("KRVWD7CoreServices"), 0);
}

// --- Reading from the host ----------------------------------------------------------

class KRVWD7PrdInfoReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = CATBaseUnknown::LiveObjects();
    KRVWD7UtiTracer::ToMemory();
    KRVWD7UtiTracer::ClearLines();
    SetSources(1, 0, "", 1, 1, "");  // version: part number, revision: revision

    MemBuilder build(session());
    MemDocument* doc = build.Document("BB.CATProduct", "BB-ROOT");
    root_ = doc->Root();
    asm_ = build.Assembly(root_, "Asm.1", "ASM");
    bolt_ = build.Part(asm_, "Bolt.1", "BOLT");
    bolt_->SetRevision("C");
    bolt_->SetDefinition("Def");
    bolt_->SetNomenclature("Nom");
    bolt_->SetDescription("Desc");
    bolt_->UserProperties()["Ver"] = "V7";
    bolt_->SetPosition(MemBuilder::Translation(5, 0, 0));
    bolt_->Vpm().printableId = MemBuilder::PrintableId(1, {2, 3});
    bolt_->Vpm().env = "VPMENV/VPMENV";
    bolt_->Vpm().modelRevision = "MR";
    bolt_->Properties()["BBPrintableId"] = "STORED-ID";
    bolt_->Properties()["BBVpmEnv"] = "STORED-ENV";
    asm_->Vpm().printableId = MemBuilder::PrintableId(4, {2});
    asm_->Vpm().env = "VPMENV";
  }
  void TearDown() override {
    MemFaults::Clear();
    CATSetSystemOSType(-1);
    SetSources(1, 0, "", 1, 1, "");
    session().Close();
    KRVWD7UtiTracer::Off();
    EXPECT_EQ(CATBaseUnknown::LiveObjects(), live_) << "objects leaked";
  }

  static MemSession& session() { return MemSession::Current(); }

  static void SetSources(int iVersionSource, int iVersionAttribute,
                         const char* iVersionProperty, int iRevisionSource,
                         int iRevisionAttribute, const char* iRevisionProperty) {
    void* raw = nullptr;
    ASSERT_EQ(GetKRVWD7BlackBoxSettingCtrl(IID_KRVIWD7BlackBoxSettingAtt, &raw),
              S_OK);
    auto* settings = static_cast<KRVIWD7BlackBoxSettingAtt*>(raw);
    settings->SetVersionSource(iVersionSource);
    settings->SetVersionAttribute(iVersionAttribute);
    settings->SetVersionProperty(iVersionProperty);
    settings->SetRevisionSource(iRevisionSource);
    settings->SetRevisionAttribute(iRevisionAttribute);
    settings->SetRevisionProperty(iRevisionProperty);
    settings->Release();
  }

  long live_ = 0;
  MemProduct* root_ = nullptr;
  MemProduct* asm_ = nullptr;
  MemProduct* bolt_ = nullptr;
};

TEST_F(KRVWD7PrdInfoReadTest, EmptyProductOrRootLeavesTheInitState) {
  KRVWD7PrdInfo info = Record("OLD", "Old/Path");
  EXPECT_EQ(info.RetrieveInfo(CATBaseUnknown_var(), Handle(root_), 0),
            E_INVALIDARG);
  CATUnicodeString text;
  info.GetPrintableId(text, 0);
  EXPECT_EQ(text, "");
  info = Record("OLD", "Old/Path");
  EXPECT_EQ(info.RetrieveInfo(Handle(bolt_), CATBaseUnknown_var(), 0),
            E_INVALIDARG);
  info.GetInstancePath(text, 0);
  EXPECT_EQ(text, "");
}

TEST_F(KRVWD7PrdInfoReadTest, PartInstanceFromVpmAndFromStoredIdentity) {
  KRVWD7PrdInfo info;
  ASSERT_EQ(info.RetrieveInfo(Handle(bolt_), Handle(root_), 0), S_OK)
      << Joined(KRVWD7UtiTracer::Lines());
  CATUnicodeString text;
  int type = -1;
  info.GetNodeType(type);
  EXPECT_EQ(type, 4);
  info.GetInstancePath(text, 0);
  EXPECT_EQ(text, "Asm.1/Bolt.1");
  info.GetPartNumber(text);
  EXPECT_EQ(text, "BOLT");
  info.GetVersion(text);
  EXPECT_EQ(text, "BOLT");  // attribute 0: the part number
  info.GetRevision(text);
  EXPECT_EQ(text, "C");
  info.GetPrintableId(text, 0);
  EXPECT_EQ(text, MemBuilder::PrintableId(1, {2, 3}));
  info.GetPDMEnv(text);
  EXPECT_EQ(text, "VPMENV/VPMENV");
  CATMathTransformation position;
  info.GetPosition(position);
  EXPECT_TRUE(position == MemBuilder::Translation(5, 0, 0));
  CATBaseUnknown_var product;
  info.GetProduct(product);
  EXPECT_TRUE(product == Handle(bolt_));

  ASSERT_EQ(info.RetrieveInfo(Handle(bolt_), Handle(root_), 1), S_OK);
  info.GetPrintableId(text, 0);
  EXPECT_EQ(text, "STORED-ID");
  info.GetPDMEnv(text);
  EXPECT_EQ(text, "STORED-ENV");
}

TEST_F(KRVWD7PrdInfoReadTest, StoredIdentityAbsentDoesNotFail) {
  KRVWD7PrdInfo info;
  // The assembly carries no stored properties: read as absent, not failed.
  EXPECT_EQ(info.RetrieveInfo(Handle(asm_), Handle(root_), 1), S_OK);
  CATUnicodeString id;
  info.GetPrintableId(id, 0);
  EXPECT_EQ(id, "");
}

TEST_F(KRVWD7PrdInfoReadTest, ComponentInstanceHasNoRevisionAndDoesNotFail) {
  MemBuilder build(session());
  MemProduct* component = build.Add(root_, "Comp.1", "COMP", MemKind::kComponent);
  component->Vpm().printableId = MemBuilder::PrintableId(9, {9});
  component->Vpm().env = "VPMENV";
  component->SetRevision("SHOULD-NOT-SHOW");
  // Model revision from VPM: the component has none, which would fail.
  SetSources(1, 0, "", 2, 0, "");
  KRVWD7PrdInfo info;
  EXPECT_EQ(info.RetrieveInfo(Handle(component), Handle(root_), 0), S_OK)
      << Joined(KRVWD7UtiTracer::Lines());
  CATUnicodeString revision = "x";
  info.GetRevision(revision);
  EXPECT_EQ(revision, "");
  int type = -1;
  info.GetNodeType(type);
  EXPECT_EQ(type, 2);
}

TEST_F(KRVWD7PrdInfoReadTest, VersionAttributeFourFailsTheReadingOnly) {
  SetSources(1, 4, "", 1, 1, "");
  KRVWD7PrdInfo info;
  EXPECT_EQ(info.RetrieveInfo(Handle(bolt_), Handle(root_), 0), E_FAIL);
  CATUnicodeString text = "x";
  info.GetVersion(text);
  EXPECT_EQ(text, "");
  // Every other field is filled all the same.
  info.GetRevision(text);
  EXPECT_EQ(text, "C");
  info.GetPartNumber(text);
  EXPECT_EQ(text, "BOLT");
  info.GetInstancePath(text, 0);
  EXPECT_EQ(text, "Asm.1/Bolt.1");
  info.GetPrintableId(text, 0);
  EXPECT_EQ(text, MemBuilder::PrintableId(1, {2, 3}));
}

TEST_F(KRVWD7PrdInfoReadTest, FailedNodeTypeCountsAsUnknown) {
  MemFaults::Add("GetNodeType", E_FAIL, "Bolt.1");
  KRVWD7PrdInfo info;
  EXPECT_EQ(info.RetrieveInfo(Handle(bolt_), Handle(root_), 0), E_FAIL);
  int type = -1;
  info.GetNodeType(type);
  EXPECT_EQ(type, 0);
  CATUnicodeString text = "x";
  info.GetRevision(text);
  EXPECT_EQ(text, "");  // unknown nodes carry no revision
  info.GetVersion(text);
  EXPECT_EQ(text, "BOLT");
}

TEST_F(KRVWD7PrdInfoReadTest, AttributeIndexTable) {
  const struct {
    int index;
    HRESULT rc;
    const char* value;
  } rows[] = {{0, S_OK, "BOLT"}, {1, S_OK, "C"},      {2, S_OK, "Def"},
              {3, S_OK, "Nom"},  {4, E_FAIL, ""},     {5, S_OK, "Desc"},
              {6, E_FAIL, ""},   {-1, E_FAIL, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.index);
    SetSources(1, row.index, "", 1, row.index, "");
    for (int selector : {0, 1}) {
      CATUnicodeString value = "x";
      EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(Handle(bolt_), selector,
                                                    value),
                row.rc);
      EXPECT_EQ(value, row.value);
    }
  }
}

TEST_F(KRVWD7PrdInfoReadTest, PropertySourcesAndModelRevision) {
  CATUnicodeString value;
  // Named properties.
  SetSources(2, 0, "Ver", 2, 0, "Ver");
  EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(Handle(bolt_), 0, value), S_OK);
  EXPECT_EQ(value, "V7");
  EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(Handle(bolt_), 1, value), S_OK);
  EXPECT_EQ(value, "V7");
  // Revision with no property named: the model revision of VPM.
  SetSources(2, 0, "", 2, 0, "");
  EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(Handle(bolt_), 1, value), S_OK);
  EXPECT_EQ(value, "MR");
  // Version with no property named asks for the property with no name.
  CATUnicodeString direct;
  const HRESULT expected =
      KRVWD7UtiPrdServices::GetPrdProperty(Handle(bolt_), "", direct);
  EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(Handle(bolt_), 0, value),
            expected);
  EXPECT_NE(value, "MR");
}

TEST_F(KRVWD7PrdInfoReadTest, UnsupportedSourceSelectorAndSettings) {
  CATUnicodeString value = "untouched";
  EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(Handle(bolt_), 2, value),
            E_INVALIDARG);
  EXPECT_EQ(value, "untouched");
  EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(CATBaseUnknown_var(), 0, value),
            E_INVALIDARG);
  EXPECT_EQ(value, "untouched");

  SetSources(3, 0, "", 3, 0, "");
  EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(Handle(bolt_), 0, value), E_FAIL);
  EXPECT_EQ(value, "");
  EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(Handle(bolt_), 1, value), E_FAIL);

  SetSources(1, 0, "", 1, 1, "");
  MemFaults::Add("GetKRVWD7BlackBoxSettingCtrl", E_FAIL);
  EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(Handle(bolt_), 0, value), E_FAIL);
  MemFaults::Clear();
  MemFaults::Add("GetVersionSource", E_FAIL);
  EXPECT_EQ(KRVWD7PrdInfo::GetVersionOrRevision(Handle(bolt_), 0, value), E_FAIL);
}

TEST_F(KRVWD7PrdInfoReadTest, DocCompidStorageNameLayouts) {
  const std::string cgr_file = "AAAAAAAA" "BBBBBBBBBBBBBBBBBB" "CCCCCCCCCCCCCCCC"
                               "DDDDDDDDDDDDDDDD" ".cgr";
  const struct {
    const char* label;
    std::string storage;
    int os;
    const char* compid;
  } rows[] = {
      {"cgr with dir", "/cache/dir/" + cgr_file, 7, "DDDDDDDDDDDDDDDD"},
      {"cgr without separator", cgr_file, 7, "DDDDDDDDDDDDDDDD"},
      {"cgr windows", "C:\\cache\\" + cgr_file, 4, "DDDDDDDDDDDDDDDD"},
      // "\\" is no separator on this system: fields count from the start,
      // the file part begins at 4, so the compid is file[38..54).
      {"cgr backslash on unix", "dir\\" + cgr_file, 7, "CCCCDDDDDDDDDDDD"},
      {"vpm fields",
       "1111111111111111" "2222222222222222" "33333333" "444444444444444444", 7,
       "2222222222222222"},
      {"short vpm name", "1111111111111111222", 7, "222"},
      {"very short", "abc", 7, ""},
      {"short cgr", "/d/AAAA.cgr", 7, ""},
  };
  MemBuilder build(session());
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    CATSetSystemOSType(row.os);
    MemProduct* part = build.Add(root_, "P." + std::to_string(++n), "P", MemKind::kComponent);
    session().ShapeDocument(row.storage);
    part->Reference()->AddShape(MemShape{"Default", row.storage, "/p"});
    CATUnicodeString compid = "x";
    EXPECT_EQ(KRVWD7PrdInfo::GetDocCompid(Handle(part), compid), S_OK);
    EXPECT_EQ(compid, row.compid);
  }
}

TEST_F(KRVWD7PrdInfoReadTest, DocCompidWithoutShapeOrDocument) {
  CATUnicodeString compid = "x";
  // No "Default" representation: 1, and RetrieveInfo does not fail.
  EXPECT_EQ(KRVWD7PrdInfo::GetDocCompid(Handle(asm_), compid), S_FALSE);
  EXPECT_EQ(compid, "");
  KRVWD7PrdInfo info;
  EXPECT_EQ(info.RetrieveInfo(Handle(asm_), Handle(root_), 0), S_OK);

  // A representation without a document fails, and so does RetrieveInfo.
  MemBuilder build(session());
  MemProduct* part = build.Add(root_, "NoDoc.1", "NODOC", MemKind::kComponent);
  part->Vpm().printableId = MemBuilder::PrintableId(8, {8});
  part->Vpm().env = "VPMENV";
  part->Reference()->AddShape(MemShape{"Default", "", "/nowhere"});
  EXPECT_EQ(KRVWD7PrdInfo::GetDocCompid(Handle(part), compid), E_FAIL);
  EXPECT_EQ(info.RetrieveInfo(Handle(part), Handle(root_), 0), E_FAIL);

  CATBaseUnknown* object = new CATBaseUnknown;
  CATBaseUnknown_var not_a_product(object);
  object->Release();
  EXPECT_EQ(KRVWD7PrdInfo::GetDocCompid(not_a_product, compid), E_FAIL);
  EXPECT_EQ(KRVWD7PrdInfo::GetDocCompid(CATBaseUnknown_var(), compid),
            E_INVALIDARG);
}

TEST_F(KRVWD7PrdInfoReadTest, DocDisplayNameOfTheReferenceDocument) {
  MemDocument* bolt_doc = session().FindDocument("BOLT.CATPart");
  ASSERT_NE(bolt_doc, nullptr);
  MemDocument* doc = root_->Document();
  ASSERT_TRUE(session().SetDocId(doc, "DOC-1", "Black box"));
  CATUnicodeString name = "x";
  // The root reference lies in the document that has an identifier.
  EXPECT_EQ(KRVWD7PrdInfo::GetDocDisplayName(Handle(root_), name), S_OK);
  EXPECT_EQ(name, "Black box");

  MemDocument* bare = session().NewProductDocument("Bare", "Bare.CATProduct", "BARE");
  EXPECT_EQ(KRVWD7PrdInfo::GetDocDisplayName(Handle(bare->Root()), name), S_FALSE);
  EXPECT_EQ(name, "");
  EXPECT_EQ(KRVWD7PrdInfo::GetDocDisplayName(CATBaseUnknown_var(), name),
            E_INVALIDARG);
}

TEST_F(KRVWD7PrdInfoReadTest, VpmInfoFromTheOriginAttributes) {
  const std::string ref_origin = "RCOID00000000001" "RLINK00000000001" "RENV    "
                                 "REFTABLE          ";
  const std::string own_origin = "ICOID00000000001" "ILINK00000000001" "IENV    "
                                 "INSTTABLE         ";
  bolt_->SetOrigin(own_origin);
  KRVWD7PrdInfo info;
  CATUnicodeString coid, env, table, coid_fat, env_fat, table_fat, link;

  // The reference lacks the attribute, the instance has it.
  EXPECT_EQ(info.GetVPMInfo(Handle(bolt_), coid, env, table, coid_fat, env_fat,
                            table_fat, link),
            S_OK);
  EXPECT_EQ(coid, "");
  EXPECT_EQ(env, "");
  EXPECT_EQ(table, "");
  EXPECT_EQ(coid_fat, "ICOID00000000001");
  EXPECT_EQ(link, "ILINK00000000001");
  EXPECT_EQ(env_fat, "IENV    ");
  EXPECT_EQ(table_fat, "PART_LIST");
  EXPECT_EQ(KRVWD7UtiTracer::Lines(),
            std::vector<std::string>{"FAILED to retrieve Attribute Key"});

  // Both carry it.
  bolt_->Reference()->SetOrigin(ref_origin);
  EXPECT_EQ(info.GetVPMInfo(Handle(bolt_), coid, env, table, coid_fat, env_fat,
                            table_fat, link),
            S_OK);
  EXPECT_EQ(coid, "RCOID00000000001");
  EXPECT_EQ(env, "RENV    ");
  EXPECT_EQ(table, "REFTABLE          ");

  // The instance's value is empty: 1, the reference's part stays filled.
  KRVWD7UtiTracer::ClearLines();
  bolt_->SetOrigin("");
  EXPECT_EQ(info.GetVPMInfo(Handle(bolt_), coid, env, table, coid_fat, env_fat,
                            table_fat, link),
            S_FALSE);
  EXPECT_EQ(coid, "RCOID00000000001");
  EXPECT_EQ(table_fat, "");
  EXPECT_EQ(KRVWD7UtiTracer::Lines(),
            std::vector<std::string>{"FAILED to retrieve Attribute Value"});

  // A short origin text: fields beyond its end are empty.
  bolt_->SetOrigin("SHORT");
  EXPECT_EQ(info.GetVPMInfo(Handle(bolt_), coid, env, table, coid_fat, env_fat,
                            table_fat, link),
            S_OK);
  EXPECT_EQ(coid_fat, "SHORT");
  EXPECT_EQ(link, "");
  EXPECT_EQ(env_fat, "");
}

TEST_F(KRVWD7PrdInfoReadTest, VpmInfoOfANonProduct) {
  CATBaseUnknown* object = new CATBaseUnknown;
  CATBaseUnknown_var not_a_product(object);
  object->Release();
  KRVWD7PrdInfo info;
  CATUnicodeString coid = "keep", env, table, coid_fat, env_fat, table_fat, link;
  EXPECT_EQ(info.GetVPMInfo(not_a_product, coid, env, table, coid_fat, env_fat,
                            table_fat, link),
            S_FALSE);
  EXPECT_EQ(coid, "keep");
  EXPECT_EQ(KRVWD7UtiTracer::Lines(),
            std::vector<std::string>{"FAILED! No Selected Element"});
}

}  // namespace
