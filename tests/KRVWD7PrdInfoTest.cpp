#include "KRVWD7PrdInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CATGetSystemInfo.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "TestSessions.h"

namespace {

using krvwd7_test::Handle;
using krvwd7_test::Joined;
using krvwd7_test::NotAProduct;
using Record = KRVWD7PrdInfo;

Record Rec(const char* iId, const char* iPath) { return krvwd7_test::Rec(iId, iPath); }

// Every field but the product and the position, as "id|path|version|...".
std::string Fields(const Record& iInfo) {
  CATUnicodeString id, path, version, revision, part_number, env, compid, display;
  int type = -1;
  unsigned char black_box = 9;
  iInfo.GetPrintableId(id, 0);
  iInfo.GetInstancePath(path, 0);
  iInfo.GetVersion(version);
  iInfo.GetRevision(revision);
  iInfo.GetPartNumber(part_number);
  iInfo.GetNodeType(type);
  iInfo.GetIsBlackBox(black_box);
  iInfo.GetPDMEnv(env);
  iInfo.GetDocCompid(compid);
  iInfo.GetDocDisplayName(display);
  std::string out;
  for (const CATUnicodeString* text : {&id, &path, &version, &revision, &part_number})
    out += text->ToStdString() + "|";
  out += std::to_string(type) + "|" + std::to_string(black_box);
  for (const CATUnicodeString* text : {&env, &compid, &display}) out += "|" + text->ToStdString();
  return out;
}

// --- The record itself ------------------------------------------------------------

class KRVWD7PrdInfoRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KRVWD7UtiTracer::ToMemory();
    KRVWD7UtiTracer::ClearLines();
  }
};

TEST_F(KRVWD7PrdInfoRecordTest, DumpWritesEveryFieldAndTheDefaults) {
  KRVWD7PrdInfo defaults;
  defaults.Dump();
  KRVWD7PrdInfo info = Rec("ID-1", "Root/Asm.1/Bolt.1");
  info.SetNodeType(4);
  info.SetVersion("B");
  info.SetRevision("03");
  info.SetIsBlackBox(1);
  info.SetPosition(CATMathTransformation(0, -1, 0, 1, 0, 0, 0, 0, 1, 10, 2.5, -3));
  info.Dump();
  const std::vector<std::string> expected = {
      "\tInstance Name: ",       "\tNode Type    : Unknown",
      "\tPath         : ",       "\tVersion      : ",
      "\tRevision     : ",       "\tPartNumber   : ",
      "\tCLink        : ",       "\tIsABlackBox  : NO",
      "\tPosition     : 1 0 0 0 1 0 0 0 1 0 0 0",
      "\tInstance Name: Bolt.1", "\tNode Type    : Part Instance",
      "\tPath         : Root/Asm.1/Bolt.1",
      "\tVersion      : B",      "\tRevision     : 03",
      "\tPartNumber   : ",       "\tCLink        : ID-1",
      "\tIsABlackBox  : YES",    "\tPosition     : 0 -1 0 1 0 0 0 0 1 10 2.5 -3"};
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), expected);
}

// The texts are a table (Dump shows two of them); these are its ends.
TEST_F(KRVWD7PrdInfoRecordTest, NodeTypeTextsAtTheBounds) {
  EXPECT_STREQ(Record::NodeTypeText(1), "RootProduct");
  EXPECT_STREQ(Record::NodeTypeText(8), "Model");
  EXPECT_STREQ(Record::NodeTypeText(9), "Unknown");
}

TEST_F(KRVWD7PrdInfoRecordTest, SetNodeTypeRefusesCodesOutsideZeroToEight) {
  KRVWD7PrdInfo info;
  ASSERT_EQ(info.SetNodeType(3), S_OK);
  const struct {
    int code;
    HRESULT rc;
    int stored;
  } rows[] = {{9, E_INVALIDARG, 3}, {-1, E_INVALIDARG, 3}, {0, S_OK, 0}, {8, S_OK, 8}};
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
    const char *id1, *path1, *id2, *path2;
    int equal, less;
  } rows[] = {
      {"A", "Root/X", "A", "Root/Y", 1, 1},  // same id, ordered by path
      {"A", "Root/X", "B", "Root/X", 0, 0},  // ids differ, same path
      {"A", "Root/X", "", "Root/X", 0, 0},   // one id empty
      {"", "Root/X", "", "Root/X", 1, 0},    // no ids: by path
      {"", "Root/X", "", "Root/Y", 0, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.id1) + "@" + row.path1 + " vs " + row.id2 + "@" + row.path2);
    KRVWD7PrdInfo a = Rec(row.id1, row.path1);
    KRVWD7PrdInfo b = Rec(row.id2, row.path2);
    EXPECT_EQ(a == b, row.equal);
    EXPECT_EQ(a < b, row.less);
    const bool same_path = std::string(row.path1) == row.path2;
    EXPECT_EQ(a > b, (!row.less && !same_path) ? 1 : 0);
  }
}

TEST_F(KRVWD7PrdInfoRecordTest, InstancePathWithComponentsCut) {
  KRVWD7PrdInfo info = Rec("ID-42", "Root/A/B");
  const struct {
    int skip;
    const char* path;
    HRESULT rc;
  } rows[] = {{-1, "Root/A/B", S_OK}, {0, "Root/A/B", S_OK}, {1, "A/B", S_OK},
              {2, "B", S_OK},         {3, "", E_FAIL}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.skip);
    CATUnicodeString path = "garbage";
    EXPECT_EQ(info.GetInstancePath(path, row.skip), row.rc);
    EXPECT_EQ(path, row.path);
  }
  CATUnicodeString name;
  info.SetInstancePath("Root");
  EXPECT_EQ(info.GetInstanceName(name), S_OK);
  EXPECT_EQ(name, "Root");
}

TEST_F(KRVWD7PrdInfoRecordTest, CopyAndAssignmentCopyAllFieldsAndShareTheProduct) {
  long live = CATBaseUnknown::LiveObjects();
  {
    CATBaseUnknown_var product = NotAProduct();
    KRVWD7PrdInfo source = Rec("ID", "Root/P");
    source.SetProduct(product);
    source.SetVersion("V");
    source.SetRevision("R");
    const CATMathTransformation turned(0, -1, 0, 1, 0, 0, 0, 0, 1, 1, 2, 3);
    source.SetPosition(turned);
    source.SetNodeType(7);
    source.SetIsBlackBox(1);
    source.SetPDMEnv("ENV");
    source.SetDocCompid("COMPID");
    source.SetDocDisplayName("Display");
    ASSERT_EQ(Fields(source), "ID|Root/P|V|R||7|1|ENV|COMPID|Display");
    KRVWD7PrdInfo target;
    target = source;
    KRVWD7PrdInfo copy(source);
    source.SetPosition(MemBuilder::Translation(4, 5, 6));  // the copies keep theirs
    for (const KRVWD7PrdInfo* info : {&target, &copy}) {
      CATBaseUnknown_var p;
      CATMathTransformation position;
      info->GetProduct(p);
      EXPECT_TRUE(p == product);
      info->GetPosition(position);
      EXPECT_TRUE(position == turned);
      EXPECT_EQ(Fields(*info), Fields(source));
    }
    KRVWD7PrdInfo& alias = target;
    target = alias;  // self-assignment keeps everything
    EXPECT_EQ(Fields(target), Fields(source));
    target.Init();  // drops the product again, and every field
    CATBaseUnknown_var p;
    target.GetProduct(p);
    EXPECT_FALSE(p);
    EXPECT_EQ(Fields(target), Fields(KRVWD7PrdInfo()));
    CATMathTransformation position;
    target.GetPosition(position);
    EXPECT_TRUE(position.IsIdentity());
  }
  EXPECT_EQ(CATBaseUnknown::LiveObjects(), live);
}

// --- Reading from the host ----------------------------------------------------------

class KRVWD7PrdInfoReadTest : public krvwd7_test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
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
    bolt_->UserProperties().Set("Ver", "V7");
    bolt_->SetPosition(MemBuilder::Translation(5, 0, 0));
    bolt_->Vpm() = MemVpm{MemBuilder::PrintableId(1, {2, 3}), "VPMENV/VPMENV", "MR"};
    bolt_->Properties().Set("BBPrintableId", "STORED-ID");
    bolt_->Properties().Set("BBVpmEnv", "STORED-ENV");
    asm_->Vpm() = MemVpm{MemBuilder::PrintableId(4, {2}), "VPMENV", ""};
  }

  static MemSession& session() { return MemSession::Current(); }

  static void SetSources(int iVersionSource, int iVersionAttribute,
                         const char* iVersionProperty, int iRevisionSource,
                         int iRevisionAttribute, const char* iRevisionProperty) {
    krvwd7_test::Settings settings;
    settings->SetVersionSource(iVersionSource);
    settings->SetVersionAttribute(iVersionAttribute);
    settings->SetVersionProperty(iVersionProperty);
    settings->SetRevisionSource(iRevisionSource);
    settings->SetRevisionAttribute(iRevisionAttribute);
    settings->SetRevisionProperty(iRevisionProperty);
  }
  // GetVersionOrRevision of the bolt as "rc:value", the value preset to "x".
  std::string Read(int iSelector) {
    CATUnicodeString value = "x";
    const HRESULT rc = Record::GetVersionOrRevision(Handle(bolt_), iSelector, value);
    return Answer(rc, value.ToStdString());
  }
  static std::string Answer(HRESULT iRc, const std::string& iValue) {
    return std::to_string(iRc) + ":" + iValue;
  }
  MemProduct *root_ = nullptr, *asm_ = nullptr, *bolt_ = nullptr;
};

TEST_F(KRVWD7PrdInfoReadTest, EmptyProductOrRootLeavesTheInitState) {
  KRVWD7PrdInfo info = Rec("OLD", "Old/Path");
  EXPECT_EQ(info.RetrieveInfo(CATBaseUnknown_var(), Handle(root_), 0), E_INVALIDARG);
  EXPECT_EQ(Fields(info), Fields(KRVWD7PrdInfo()));
  info = Rec("OLD", "Old/Path");
  EXPECT_EQ(info.RetrieveInfo(Handle(bolt_), CATBaseUnknown_var(), 0), E_INVALIDARG);
  EXPECT_EQ(Fields(info), Fields(KRVWD7PrdInfo()));
}

TEST_F(KRVWD7PrdInfoReadTest, PartInstanceFromVpmAndFromStoredIdentity) {
  KRVWD7PrdInfo info;
  ASSERT_EQ(info.RetrieveInfo(Handle(bolt_), Handle(root_), 0), S_OK)
      << Joined(KRVWD7UtiTracer::Lines());
  // Version attribute 0: the part number; no shape: no compid.
  EXPECT_EQ(Fields(info), MemBuilder::PrintableId(1, {2, 3}) +
                              "|BB-ROOT/Asm.1/Bolt.1|BOLT|C|BOLT|4|0|VPMENV/VPMENV||");
  CATMathTransformation position;
  info.GetPosition(position);
  EXPECT_TRUE(position == MemBuilder::Translation(5, 0, 0));
  CATBaseUnknown_var product;
  info.GetProduct(product);
  EXPECT_TRUE(product == Handle(bolt_));

  ASSERT_EQ(info.RetrieveInfo(Handle(bolt_), Handle(root_), 1), S_OK);
  EXPECT_EQ(Fields(info), "STORED-ID|BB-ROOT/Asm.1/Bolt.1|BOLT|C|BOLT|4|0|STORED-ENV||");
}

TEST_F(KRVWD7PrdInfoReadTest, StoredIdentityAbsentDoesNotFail) {
  KRVWD7PrdInfo info;
  // The assembly carries no stored properties: read as absent, not failed.
  EXPECT_EQ(info.RetrieveInfo(Handle(asm_), Handle(root_), 1), S_OK);
  EXPECT_EQ(krvwd7_test::IdOf(info), "");
}

TEST_F(KRVWD7PrdInfoReadTest, ComponentInstanceHasNoRevisionAndDoesNotFail) {
  MemBuilder build(session());
  MemProduct* component = build.Add(root_, "Comp.1", "COMP", MemKind::kComponent);
  component->Vpm() = MemVpm{MemBuilder::PrintableId(9, {9}), "VPMENV", ""};
  component->SetRevision("SHOULD-NOT-SHOW");
  // Model revision from VPM: the component has none, which would fail.
  SetSources(1, 0, "", 2, 0, "");
  KRVWD7PrdInfo info;
  EXPECT_EQ(info.RetrieveInfo(Handle(component), Handle(root_), 0), S_OK)
      << Joined(KRVWD7UtiTracer::Lines());
  EXPECT_EQ(Fields(info), MemBuilder::PrintableId(9, {9}) + "|BB-ROOT/Comp.1|COMP||COMP|2|0|VPMENV||");
}

TEST_F(KRVWD7PrdInfoReadTest, FailedNodeTypeCountsAsUnknown) {
  MemFaults::Add(MemFaultPoint::kGetNodeType, E_FAIL, "Bolt.1");
  KRVWD7PrdInfo info;
  EXPECT_EQ(info.RetrieveInfo(Handle(bolt_), Handle(root_), 0), E_FAIL);
  // Unknown nodes carry no revision.
  EXPECT_EQ(Fields(info), MemBuilder::PrintableId(1, {2, 3}) +
                              "|BB-ROOT/Asm.1/Bolt.1|BOLT||BOLT|0|0|VPMENV/VPMENV||");
}

TEST_F(KRVWD7PrdInfoReadTest, AttributeIndexTable) {
  const struct {
    int index;
    HRESULT rc;
    const char* value;
  } rows[] = {{0, S_OK, "BOLT"}, {1, S_OK, "C"},      {2, S_OK, "Def"},
              {3, S_OK, "Nom"},  {4, E_FAIL, ""},     {5, S_OK, "Desc"},
              {6, E_FAIL, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.index);
    SetSources(1, row.index, "", 1, row.index, "");
    for (int selector : {0, 1}) EXPECT_EQ(Read(selector), Answer(row.rc, row.value));
  }
}

TEST_F(KRVWD7PrdInfoReadTest, PropertySourcesAndModelRevision) {
  // Named properties.
  SetSources(2, 0, "Ver", 2, 0, "Ver");
  EXPECT_EQ(Read(0), Answer(S_OK, "V7"));
  EXPECT_EQ(Read(1), Answer(S_OK, "V7"));
  // Revision with no property named: the model revision of VPM.
  SetSources(2, 0, "", 2, 0, "");
  EXPECT_EQ(Read(1), Answer(S_OK, "MR"));
}

TEST_F(KRVWD7PrdInfoReadTest, UnsupportedSourceSelectorAndSettings) {
  EXPECT_EQ(Read(2), Answer(E_INVALIDARG, "x"));  // untouched
  CATUnicodeString value = "untouched";
  EXPECT_EQ(Record::GetVersionOrRevision(CATBaseUnknown_var(), 0, value), E_INVALIDARG);
  EXPECT_EQ(value, "untouched");

  SetSources(3, 0, "", 3, 0, "");
  EXPECT_EQ(Read(0), Answer(E_FAIL, ""));
  EXPECT_EQ(Read(1).rfind(Answer(E_FAIL, ""), 0), 0u);

  SetSources(1, 0, "", 1, 1, "");
  MemFaults::Add(MemFaultPoint::kGetVersionSource, E_FAIL);
  EXPECT_EQ(Read(0).rfind(Answer(E_FAIL, ""), 0), 0u);
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
    EXPECT_EQ(Record::GetDocCompid(Handle(part), compid), S_OK);
    EXPECT_EQ(compid, row.compid);
  }
}

TEST_F(KRVWD7PrdInfoReadTest, DocCompidWithoutShapeOrDocument) {
  CATUnicodeString compid = "x";
  // No "Default" representation: 1, and RetrieveInfo does not fail.
  EXPECT_EQ(Record::GetDocCompid(Handle(asm_), compid), S_FALSE);
  EXPECT_EQ(compid, "");
  KRVWD7PrdInfo info;
  EXPECT_EQ(info.RetrieveInfo(Handle(asm_), Handle(root_), 0), S_OK);

  // A representation without a document fails, and so does RetrieveInfo.
  MemBuilder build(session());
  MemProduct* part = build.Add(root_, "NoDoc.1", "NODOC", MemKind::kComponent);
  part->Vpm() = MemVpm{MemBuilder::PrintableId(8, {8}), "VPMENV", ""};
  part->Reference()->AddShape(MemShape{"Default", "", "/nowhere"});
  EXPECT_EQ(Record::GetDocCompid(Handle(part), compid), E_FAIL);
  EXPECT_EQ(info.RetrieveInfo(Handle(part), Handle(root_), 0), E_FAIL);

  EXPECT_EQ(Record::GetDocCompid(NotAProduct(), compid), E_FAIL);
  EXPECT_EQ(Record::GetDocCompid(CATBaseUnknown_var(), compid), E_INVALIDARG);
}

TEST_F(KRVWD7PrdInfoReadTest, DocDisplayNameOfTheReferenceDocument) {
  MemDocument* bolt_doc = session().FindDocument("BOLT.CATPart");
  ASSERT_NE(bolt_doc, nullptr);
  MemDocument* doc = root_->Document();
  ASSERT_TRUE(session().SetDocId(doc, "DOC-1", "Black box"));
  CATUnicodeString name = "x";
  // The root reference lies in the document that has an identifier.
  EXPECT_EQ(Record::GetDocDisplayName(Handle(root_), name), S_OK);
  EXPECT_EQ(name, "Black box");

  MemDocument* bare = session().NewProductDocument("Bare", "Bare.CATProduct", "BARE");
  EXPECT_EQ(Record::GetDocDisplayName(Handle(bare->Root()), name), S_FALSE);
  EXPECT_EQ(name, "");
  EXPECT_EQ(Record::GetDocDisplayName(CATBaseUnknown_var(), name), E_INVALIDARG);
}

// GetVPMInfo's result and its seven outputs, as "rc:coid|env|table|coid_fat|env_fat|table_fat|link".
std::string VpmInfo(const CATBaseUnknown_var& iProduct) {
  KRVWD7PrdInfo info;
  CATUnicodeString out[7] = {"keep", "keep", "keep", "keep", "keep", "keep", "keep"};
  const HRESULT rc =
      info.GetVPMInfo(iProduct, out[0], out[1], out[2], out[3], out[4], out[5], out[6]);
  std::string text = std::to_string(rc) + ":";
  for (int i = 0; i < 7; ++i) text += (i ? "|" : "") + out[i].ToStdString();
  return text;
}

TEST_F(KRVWD7PrdInfoReadTest, VpmInfoFromTheOriginAttributes) {
  const std::string ref_origin = "RCOID00000000001" "RLINK00000000001" "RENV    "
                                 "REFTABLE          ";
  bolt_->SetOrigin("ICOID00000000001" "ILINK00000000001" "IENV    " "INSTTABLE         ");
  // The reference lacks the attribute, the instance has it.
  EXPECT_EQ(VpmInfo(Handle(bolt_)), "0:|||ICOID00000000001|IENV    |PART_LIST|ILINK00000000001");
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), std::vector<std::string>{"FAILED to retrieve Attribute Key"});
  // Both carry it.
  bolt_->Reference()->SetOrigin(ref_origin);
  EXPECT_EQ(VpmInfo(Handle(bolt_)), "0:RCOID00000000001|RENV    |REFTABLE          |"
                                    "ICOID00000000001|IENV    |PART_LIST|ILINK00000000001");
  // The instance's value is empty: 1, the reference's part stays filled.
  KRVWD7UtiTracer::ClearLines();
  bolt_->SetOrigin("");
  EXPECT_EQ(VpmInfo(Handle(bolt_)), "1:RCOID00000000001|RENV    |REFTABLE          ||||");
  EXPECT_EQ(KRVWD7UtiTracer::Lines(),
            std::vector<std::string>{"FAILED to retrieve Attribute Value"});
  // A short origin text: fields beyond its end are empty.
  bolt_->SetOrigin("SHORT");
  EXPECT_EQ(VpmInfo(Handle(bolt_)), "0:RCOID00000000001|RENV    |REFTABLE          |"
                                    "SHORT||PART_LIST|");
}

TEST_F(KRVWD7PrdInfoReadTest, VpmInfoOfANonProduct) {
  EXPECT_EQ(VpmInfo(NotAProduct()), "1:keep|keep|keep|keep|keep|keep|keep");
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), std::vector<std::string>{"FAILED! No Selected Element"});
}

}  // namespace
