// Difference identification between a black box and its PSN: the three
// phases, both replaced-product methods, and an indexed-versus-plain-scan
// contract on generated records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "CATApplication.h"
#include "CATListValCATUnicodeString.h"
#include "CATMsgCatalog.h"
#include "CATRawCollint.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "PlainScanDifferences.h"
#include "TestSessions.h"

namespace {

using namespace krvwd7_test;

const char kMethod2[] = "KRV_WD7_RETRIEVEDIFFERENCES2";

// Version from the reference's user property "Version"; revision from each
// product's own VPM model revision, so that a black-box component and the
// PSN part it stands for (one shared reference) can differ in revision.
const char kBaseSession[] = R"({
  "format": "krvwd7-session/1",
  "settings": {"version": {"source": 2, "property": "Version"},
               "revision": {"source": 2, "property": ""}},
  "documents": [
    {"name": "BB.CATProduct", "pdm": true, "root": {"partNumber": "BB"}},
    {"name": "PSN.CATProduct", "pdm": true, "root": {"partNumber": "PSN"}}
  ]
})";

std::string Id(uint64_t iCoid, const std::vector<uint64_t>& iClinks) {
  return MemBuilder::PrintableId(iCoid, iClinks);
}

std::string Clink(uint64_t iValue) { return MemBuilder::Hex16(iValue); }

CATMathTransformation At(double iX) { return MemBuilder::Translation(iX, 0, 0); }

std::string Name(const KRVWD7PrdInfo& iInfo) {
  CATUnicodeString name;
  iInfo.GetInstanceName(name);
  return name.ConvertToChar();
}

// Outputs of one comparison.
struct Diff {
  CATListValKRVWD7PrdInfo in_bb, in_psn, added;
  CATListValCATUnicodeString types;
  int count = -1;
  HRESULT rc = S_OK;

  // "TYPE bb>psn" per entry (instance names), then "+ name" per added.
  std::string Text() const {
    std::string text;
    for (int k = 1; k <= types.Size(); ++k) {
      if (!text.empty()) text += ", ";
      text += std::string(types[k].ConvertToChar()) + " " + Name(in_bb[k]) + ">" + Name(in_psn[k]);
    }
    for (int i = 1; i <= added.Size(); ++i) text += " + " + Name(added[i]);
    return text;
  }
  // The count must be the number of entries plus the number of added.
  bool CountHolds() const { return count == types.Size() + added.Size(); }
};

class DifferencesTest : public krvwd7_test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    CATSetEnvOverride(kMethod2, nullptr);
    Reload();
    KRVWD7UtiTracer::ToMemory();
  }
  void TearDown() override {
    bb_list_.RemoveAll();
    psn_list_.RemoveAll();
    LeakCheckedTest::TearDown();
  }

  MemSession& Session() { return MemSession::Current(); }
  // Starts again from the two empty roots.
  void Reload() {
    Session().Close();
    ASSERT_TRUE(Session().LoadFromText(kBaseSession, "base").ok);
    bb_ = Session().FindDocument("BB.CATProduct")->Root();
    psn_ = Session().FindDocument("PSN.CATProduct")->Root();
  }

  // A reference numbered iPartNumber with the version iVersion.
  MemProduct* Ref(const std::string& iPartNumber, const std::string& iVersion = "1",
                  MemKind iKind = MemKind::kPart) {
    MemProduct* ref = Session().NewReference(nullptr, iPartNumber, iKind);
    ref->UserProperties().Set("Version", iVersion);
    return ref;
  }
  // A black-box component: instance of iRef with its stored identity.
  MemProduct* Bb(MemProduct* iFather, MemProduct* iRef, const std::string& iName,
                 const std::string& iId, const std::string& iEnv,
                 const CATMathTransformation& iPosition = CATMathTransformation(),
                 const std::string& iRevision = "A") {
    MemProduct* product = Session().NewInstance(iFather, iRef, iName);
    product->Properties().Set("BBPrintableId", iId);
    product->Properties().Set("BBVpmEnv", iEnv);
    product->Vpm().SetModelRevision(iRevision);
    product->SetPosition(iPosition);
    return product;
  }
  // A PSN product: instance of iRef with its VPM identity.
  MemProduct* Psn(MemProduct* iFather, MemProduct* iRef, const std::string& iName,
                  const std::string& iId,
                  const CATMathTransformation& iPosition = CATMathTransformation(),
                  const std::string& iRevision = "A") {
    MemProduct* product = Session().NewInstance(iFather, iRef, iName);
    product->Vpm() = MemVpm{iId, "ENV1", iRevision};
    product->SetPosition(iPosition);
    return product;
  }
  // A PSN product whose reference and own VPM origin are set, so that the
  // second method sees its environment and its father's identifiers.
  MemProduct* PsnWithOrigin(MemProduct* iFather, MemProduct* iRef, const std::string& iName,
                            uint64_t iCoid, const std::vector<uint64_t>& iClinks,
                            const CATMathTransformation& iPosition = CATMathTransformation(),
                            const std::string& iRevision = "A") {
    MemProduct* product = Psn(iFather, iRef, iName, Id(iCoid, iClinks), iPosition, iRevision);
    iRef->SetOrigin(Id(iCoid, {}));
    product->SetOrigin(Clink(0xF00) + Clink(iClinks.back()) + "ENV1    PART_LIST         ");
    return product;
  }
  void Replacement(uint64_t iOld, uint64_t iNew) {
    Session().AddReplacement(MemReplacement{Clink(iOld), Clink(iNew), ""});
  }

  void BuildLists() {
    bb_list_.RemoveAll();
    psn_list_.RemoveAll();
    KRVWD7PrdInfoListServices::BuildPrdInfoList(Handle(bb_), bb_list_, 1,
                                                CATBaseUnknown_var(), nullptr);
    KRVWD7PrdInfoListServices::BuildPrdInfoList(Handle(psn_), psn_list_, 0,
                                                CATBaseUnknown_var(), nullptr);
  }
  // Compares the lists as they are; the trace then holds this call only.
  Diff CompareLists(unsigned char iIsFlatten = 0) {
    Diff diff;
    KRVWD7UtiTracer::ClearLines();
    diff.rc = KRVWD7PrdInfoListServices::RetrieveDifferences(
        Handle(psn_), bb_list_, psn_list_, diff.in_bb, diff.in_psn, diff.added,
        diff.types, diff.count, 1, iIsFlatten);
    return diff;
  }
  Diff Compare(unsigned char iIsFlatten = 0) {
    BuildLists();
    return CompareLists(iIsFlatten);
  }
  MemProduct *bb_ = nullptr, *psn_ = nullptr;
  CATListValKRVWD7PrdInfo bb_list_, psn_list_;
};

// A record built by hand (no product behind it) with a version.
KRVWD7PrdInfo Rec(const std::string& iId, const std::string& iPath,
                  const std::string& iVersion) {
  KRVWD7PrdInfo info = krvwd7_test::Rec(iId, iPath);
  info.SetVersion(iVersion.c_str());
  return info;
}

// --- Phase 1 and the whole call -------------------------------------------------

TEST_F(DifferencesTest, IdenticalStructuresGiveNoDifferenceAndTheFullTrace) {
  MemProduct* bolt = Ref("BOLT");
  MemProduct* nut = Ref("NUT");
  Bb(bb_, bolt, "Bolt.1", Id(1, {0xA1}), "E1/E2", At(5));
  Bb(bb_, nut, "Nut.1", Id(2, {0xA2}), "E1/E2");
  Psn(psn_, bolt, "Bolt.1", Id(1, {0xA1}), At(5.0004));
  Psn(psn_, nut, "Nut.1", Id(2, {0xA2}));
  Diff diff = Compare();
  EXPECT_EQ(diff.rc, S_OK);
  EXPECT_EQ(diff.Text(), "");
  EXPECT_EQ(diff.count, 0);
  const std::vector<std::string> expected = {
      ">> KRVWD7PrdInfoListServices::RetrieveDifferences",
      "Number of product in the BB=2",
      "Number of product in the PSN=2",
      "Identification of removed products in the WP (start)",
      "[PERFO] <Differences Identification> <1 Identification of removed products in the WP> = [T]",
      "Identification of removed products in the WP (end)",
      "Identification of added products in the PSN (start)",
      "Size of oIndexinListPSN=0",
      "1 > Not an added product",
      "2 > Not an added product",
      "[PERFO] <Differences Identification> <2 Identification of added products in the PSN> = [T]",
      "Identification of added products in the PSN (end)",
      "Identification of replaced products in the WP (start)",
      "[PERFO] <Differences Identification> <3.1 GetReplacingClinks> = [T]",
      "GetReplacingClinks() SUCCEEDED",
      "[PERFO] <Differences Identification> <3.2 Matching of removed/added products as replaced products> = [T]",
      "[PERFO] <Differences Identification> <3.3 Update of the list of added products> = [T]",
      "[PERFO] <Differences Identification> <3.4 Update of the list of removed products> = [T]",
      "[PERFO] <Differences Identification> <3 Identification of replaced products in the WP> = [T]",
      "Identification of replaced products in the WP (end)",
      "[PERFO] <Differences Identification> Total time = [T]",
      "<< KRVWD7PrdInfoListServices::RetrieveDifferences"};
  EXPECT_EQ(TraceWithoutTimes(), expected) << Joined(KRVWD7UtiTracer::Lines());
}

TEST_F(DifferencesTest, EmptyBlackBoxListMakesEveryPsnRecordAddedEvenFlattened) {
  MemProduct* asm_ref = Ref("ASM", "1", MemKind::kProduct);
  MemProduct* assembly = Psn(psn_, asm_ref, "Asm.1", Id(3, {0xB0}));
  Psn(assembly, Ref("BOLT"), "Bolt.1", Id(3, {0xB0, 0xB1}));
  BuildLists();
  bb_list_.RemoveAll();
  Diff diff = CompareLists(1);
  EXPECT_EQ(diff.Text(), " + Asm.1 + Bolt.1");
  EXPECT_EQ(diff.count, 2);
}

// The PSN record of a pair with entries is skipped in phase 2.
TEST_F(DifferencesTest, VersionRevisionAndPositionCasesInTheirOrder) {
  struct Row {
    const char *bb_version, *psn_version, *bb_revision, *psn_revision;
    double psn_x;
    const char* expected;
    int entries;
  };
  const Row rows[] = {{"1", "2", "A", "B", 0, "VERSION/REVISION B>P", 1},
                      {"1", "2", "A", "A", 0, "VERSION B>P", 1},
                      {"1", "1", "A", "B", 0, "REVISION B>P", 1},
                      {"1", "2", "A", "A", 1, "VERSION B>P, POSITION B>P", 2},
                      {"1", "1", "A", "A", 0, "", 0}};
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    Reload();
    ++n;
    Bb(bb_, Ref("X", row.bb_version), "B", Id(n, {0xA1}), "E1/E2", At(0), row.bb_revision);
    Psn(psn_, Ref("Y", row.psn_version), "P", Id(n, {0xA1}), At(row.psn_x), row.psn_revision);
    Diff diff = Compare();
    EXPECT_EQ(diff.Text(), row.expected);
    EXPECT_EQ(diff.count, row.entries);
    EXPECT_TRUE(Traced("Size of oIndexinListPSN=" + std::to_string(row.entries)));
    EXPECT_TRUE(Traced(row.entries ? "1 > Skip (already in oIndexinListPSN)"
                                   : "1 > Not an added product"));
  }
}

TEST_F(DifferencesTest, AltCustoOnlyWhenBothCompidsAreSetAndDiffer) {
  // Compids come from the storage name of the "Default" shape's document.
  auto with_compid = [this](const std::string& iPartNumber, uint64_t iCompid) {
    MemProduct* ref = Ref(iPartNumber);
    std::string storage = Clink(iCompid + 100) + Clink(iCompid) + "ENV1    " +
                          std::string("PART_LIST         ");
    Session().ShapeDocument(storage);
    ref->AddShape(MemShape{"Default", storage, "/p/" + iPartNumber});
    return ref;
  };
  Bb(bb_, with_compid("B1", 0xC1), "Both.1", Id(1, {0xA1}), "E1/E2");
  Psn(psn_, with_compid("P1", 0xC2), "Both.9", Id(1, {0xA1}));
  Bb(bb_, with_compid("B2", 0xC1), "One.1", Id(2, {0xA2}), "E1/E2");
  Psn(psn_, Ref("P2"), "One.9", Id(2, {0xA2}));  // no shape: no compid
  Bb(bb_, with_compid("B3", 0xC3), "Same.1", Id(3, {0xA3}), "E1/E2");
  Psn(psn_, with_compid("P3", 0xC3), "Same.9", Id(3, {0xA3}));
  Bb(bb_, with_compid("B4", 0xC1), "Vers.1", Id(4, {0xA4}), "E1/E2");
  Psn(psn_, with_compid("P4", 0xC2), "Vers.9", Id(4, {0xA4}));
  Session().FindByPartNumber("P4")->UserProperties().Set("Version", "2");
  Diff diff = Compare();
  EXPECT_EQ(diff.Text(), "ALTCUSTO Both.1>Both.9, VERSION Vers.1>Vers.9");
}

TEST_F(DifferencesTest, EmptyPrintableIdsArePairedAndSkippedByPath) {
  bb_list_.Append(Rec("", "A", "1"));
  psn_list_.Append(Rec("", "B", "2"));  // paired with A: the texts are equal
  psn_list_.Append(Rec("", "C", "2"));  // not an entry, but A carries its id
  psn_list_.Append(Rec(Id(7, {0xA7}), "D", "1"));
  Diff diff = CompareLists();
  EXPECT_EQ(diff.Text(), "VERSION A>B + D");
  EXPECT_EQ(diff.count, 2);
  EXPECT_TRUE(Traced("1 > Skip (already in oIndexinListPSN)"));
  EXPECT_TRUE(Traced("2 > Not an added product"));
  EXPECT_TRUE(Traced("3 > An added product"));
}

TEST_F(DifferencesTest, FlattenedBlackBoxKeepsOnlyLeafAddedProducts) {
  Bb(bb_, Ref("KEEP"), "Keep.1", Id(1, {0xA1}), "E1/E2");
  Psn(psn_, Session().FindByPartNumber("KEEP"), "Keep.1", Id(1, {0xA1}));
  MemProduct* assembly = Psn(psn_, Ref("ASM", "1", MemKind::kProduct), "Asm.1", Id(2, {0xB0}));
  Psn(assembly, Ref("PART"), "Part.1", Id(2, {0xB0, 0xB1}));
  Psn(assembly, Ref("OTHER", "1", MemKind::kOther), "Other.1", Id(2, {0xB0, 0xB2}));
  Diff flat = Compare(1);
  EXPECT_EQ(flat.Text(), " + Part.1 + Other.1");
  EXPECT_EQ(flat.count, 2);
  EXPECT_TRUE(Traced("2 > An added product"));  // the assembly: traced only
  Diff plain = CompareLists(0);
  EXPECT_EQ(plain.Text(), " + Asm.1 + Part.1 + Other.1");
}

TEST_F(DifferencesTest, FlattenedPositionsAreTakenInThePsnRootFrame) {
  MemProduct* bolt = Ref("BOLT");
  Bb(bb_, bolt, "Bolt.1", Id(1, {0xB0, 0xA1}), "E1/E2/E3", At(10));
  MemProduct* assembly = Psn(psn_, Ref("ASM", "1", MemKind::kProduct), "Asm.1",
                             Id(2, {0xB0}), At(10));
  Psn(assembly, bolt, "Bolt.1", Id(1, {0xB0, 0xA1}), At(0));
  EXPECT_EQ(Compare(1).Text(), "");
  // Not flattened: stored positions, and the assembly is an added product.
  EXPECT_EQ(CompareLists(0).Text(), "POSITION Bolt.1>Bolt.1 + Asm.1");
}

TEST_F(DifferencesTest, InteractiveProgressStepsEveryRecordButTheSkippedOnes) {
  Bb(bb_, Ref("A", "1"), "A.1", Id(1, {0xA1}), "E1/E2");
  Psn(psn_, Ref("A2", "2"), "A.9", Id(1, {0xA1}));  // a version entry: skipped
  Psn(psn_, Ref("B"), "B.9", Id(2, {0xA2}));
  BuildLists();
  CATInteractiveApplication application;
  CATApplication::SetMainApplication(&application);
  ProgressRecorder recorder;
  KRVWD7UtiDlgProgress::SetObserver(&recorder);
  const int dialogs = CATDialog::LiveDialogs();
  Diff diff = CompareLists();
  KRVWD7UtiDlgProgress::SetObserver(nullptr);
  CATApplication::SetMainApplication(nullptr);
  const std::string title = CATMsgCatalog::BuildMessage(
      "KRVWD7CoreServices", "BlackBoxDiffIdentificationInProgress", nullptr, 0, "missing")
      .ToStdString();
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"init " + title + " 1..3", "end"}));
  EXPECT_EQ(recorder.steps, 2);
  EXPECT_EQ(CATDialog::LiveDialogs(), dialogs);
  EXPECT_EQ(diff.Text(), "VERSION A.1>A.9 + B.9");
}

// --- Phase 3, both methods --------------------------------------------------------

// What each method reaches through its own query: one shared case, and the
// query's failure.
class ReplacementTest : public DifferencesTest,
                        public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    DifferencesTest::SetUp();
    if (GetParam() == 2) CATSetEnvOverride(kMethod2, "");
  }
  const char* Start() const {
    return GetParam() == 2 ? "Identification of replaced products in the WP-Impl2 (start)"
                           : "Identification of replaced products in the WP (start)";
  }
};

// The method is chosen by the variable, even empty.
TEST_P(ReplacementTest, AnotherPartNumberIsAReplacementPlusAPositionIfMoved) {
  for (double x : {0.0, 3.0}) {
    SCOPED_TRACE(x);
    Reload();
    Replacement(0xA1, 0xB1);
    Bb(bb_, Ref("BOLT"), "Bolt.1", Id(1, {0xA1}), "E1/E2", At(0));
    PsnWithOrigin(psn_, Ref("NUT"), "Nut.1", 1, {0xB1}, At(x));
    Diff diff = Compare();
    EXPECT_EQ(diff.rc, S_OK);
    EXPECT_EQ(diff.Text(), x == 0 ? "REPLACE Bolt.1>Nut.1"
                                  : "REPLACE Bolt.1>Nut.1, POSITION Bolt.1>Nut.1")
        << Joined(KRVWD7UtiTracer::Lines());
    EXPECT_EQ(diff.count, x == 0 ? 1 : 2);
    EXPECT_TRUE(Traced(Start()));
    EXPECT_TRUE(Traced("iDiffTypeList[IndexInDiffTypeList]=REPLACE (after)"));
  }
}

// A failed query is returned; a short answer (S_OK with an empty list) is
// a success; both change nothing.
TEST_P(ReplacementTest, AFailedOrShortQueryChangesNothing) {
  for (HRESULT fault : {E_FAIL, S_OK}) {
    SCOPED_TRACE(fault);
    Reload();
    MemFaults::Clear();
    MemFaults::Add(GetParam() == 1 ? MemFaultPoint::kGetReplacingClinks
                                   : MemFaultPoint::kGetReplacingClinks2,
                   fault);
    Replacement(0xA1, 0xB1);
    Bb(bb_, Ref("BOLT"), "Bolt.1", Id(1, {0xA1}), "E1/E2");
    PsnWithOrigin(psn_, Ref("NUT"), "Nut.1", 1, {0xB1});
    Diff diff = Compare();
    EXPECT_EQ(diff.rc, fault);
    EXPECT_EQ(diff.Text(), "REMOVED Bolt.1>Bolt.1 + Nut.1");
    EXPECT_EQ(diff.count, 2);
    EXPECT_TRUE(Traced(GetParam() == 1 ? "GetReplacingClinks() FAILED"
                                       : "GetReplacingClinks2() FAILED"));
  }
}

INSTANTIATE_TEST_SUITE_P(BothMethods, ReplacementTest, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& iInfo) {
                           return "Method" + std::to_string(iInfo.param);
                         });

// --- Phase 3, first method only ---------------------------------------------------

// Both methods pair records alike and share the classification of a pair;
// it is checked through the first.
TEST_F(DifferencesTest, Method1SamePartNumberClassification) {
  struct Row {
    double psn_x;
    const char *psn_revision, *psn_version, *expected;
  };
  // Which of version and revision differ is phase 1's rule, tested there.
  const Row rows[] = {{0, "A", "1", "IDCHANGE Bolt.1>Bolt.9"},
                      {2, "A", "1", "POSITION Bolt.1>Bolt.9"},
                      {2, "B", "2", "VERSION/REVISION Bolt.1>Bolt.9, POSITION Bolt.1>Bolt.9"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    Reload();
    Replacement(0xA1, 0xB1);
    // Another version needs a reference of its own, numbered alike in the
    // PSN document.
    MemProduct* bolt = Ref("BOLT");
    MemProduct* psn_bolt = bolt;
    if (std::string(row.psn_version) != "1") {
      psn_bolt = Session().NewReference(Session().FindDocument("PSN.CATProduct"), "BOLT",
                                        MemKind::kPart);
      ASSERT_EQ(psn_bolt->PartNumber(), "BOLT");
      psn_bolt->UserProperties().Set("Version", row.psn_version);
    }
    Bb(bb_, bolt, "Bolt.1", Id(1, {0xA1}), "E1/E2", At(0), "A");
    PsnWithOrigin(psn_, psn_bolt, "Bolt.9", 1, {0xB1}, At(row.psn_x), row.psn_revision);
    Diff diff = Compare();
    EXPECT_EQ(diff.Text(), row.expected) << Joined(KRVWD7UtiTracer::Lines());
    EXPECT_TRUE(diff.CountHolds());
  }
}

// The father assembly was replaced; its component kept its own link but
// changed revision and place: a replacement for the father, a revision and
// a position for the component.
TEST_F(DifferencesTest, Method1ReplacedFatherAndChangedComponent) {
  Replacement(0xF1, 0xF2);
  MemProduct* bolt = Ref("BOLT");
  MemProduct* bb_father = Bb(bb_, Ref("FAT-OLD", "1", MemKind::kProduct), "Fat.1",
                             Id(6, {0xF1}), "E1/E2");
  Bb(bb_father, bolt, "Bolt.1", Id(5, {0xF1, 0xC1}), "E1/E2/E3", At(0), "A");
  MemProduct* psn_father =
      PsnWithOrigin(psn_, Ref("FAT-NEW", "1", MemKind::kProduct), "Fat.2", 6, {0xF2});
  PsnWithOrigin(psn_father, bolt, "Bolt.2", 5, {0xF2, 0xC1}, At(4), "B");
  Diff diff = Compare();
  EXPECT_EQ(diff.Text(),
            "REPLACE Fat.1>Fat.2, REVISION Bolt.1>Bolt.2, POSITION Bolt.1>Bolt.2")
      << Joined(KRVWD7UtiTracer::Lines());
  EXPECT_EQ(diff.count, 3);
}

TEST_F(DifferencesTest, Method1FlattenedFatherReplacementMakesTheComponentDisappear) {
  Replacement(0xF1, 0xF2);
  MemProduct* bolt = Ref("BOLT");
  Bb(bb_, bolt, "Bolt.1", Id(5, {0xF1, 0xC1}), "E1/E2/E3", At(10));
  MemProduct* father = Psn(psn_, Ref("FAT", "1", MemKind::kProduct), "Fat.1",
                           Id(6, {0xF2}), At(10));
  Psn(father, bolt, "Bolt.1", Id(5, {0xF2, 0xC1}), At(0));
  BuildLists();
  // Before phase 3: one removed component and one added leaf.
  Diff diff = CompareLists(1);
  EXPECT_EQ(diff.Text(), "") << Joined(KRVWD7UtiTracer::Lines());
  EXPECT_EQ(diff.count, 0);
  EXPECT_TRUE(Traced("-> Product found in the added list"));
}

TEST_F(DifferencesTest, Method1TwoRemovedRecordsReachingOneAddedRecord) {
  Replacement(0xA1, 0xB1);
  Replacement(0xA2, 0xB1);
  Bb(bb_, Ref("OLD1"), "Old.1", Id(1, {0xA1}), "E1/E2");
  Bb(bb_, Ref("OLD2"), "Old.2", Id(1, {0xA2}), "E1/E2");
  Psn(psn_, Ref("NEW"), "New.1", Id(1, {0xB1}));
  Diff diff = Compare();
  EXPECT_EQ(diff.Text(), "REPLACE Old.1>New.1, REPLACE Old.2>New.1");
  EXPECT_EQ(diff.count, 2);  // 2 removed + 1 added before
}

// --- Phase 3, second method only -------------------------------------------------

TEST_F(DifferencesTest, Method2RowOfAnAddedRecordWithoutProduct) {
  CATListValKRVWD7PrdInfo removed, added, in_bb, in_psn;
  CATListValCATUnicodeString types;
  CATRawCollint indexes;
  added.Append(krvwd7_test::Rec("", "Loose"));
  int count = 1;
  KRVWD7UtiTracer::ClearLines();
  HRESULT rc = KRVWD7PrdInfoListServices::RetrieveDifferences2(
      CATBaseUnknown_var(), removed, added, indexes, in_bb, in_psn, types, count, 1, 0);
  EXPECT_EQ(rc, S_OK);
  EXPECT_TRUE(Traced("[][][] [][][][]")) << Joined(KRVWD7UtiTracer::Lines());
  EXPECT_TRUE(Traced("GetReplacingClinks2() SUCCEEDED"));
  EXPECT_EQ(added.Size(), 1);
  EXPECT_EQ(count, 1);
}

TEST_F(DifferencesTest, Method2TwoAddedRecordsReachingOneRemovedRecord) {
  CATSetEnvOverride(kMethod2, "1");
  Replacement(0xA1, 0xB1);
  Replacement(0xA1, 0xB2);
  Bb(bb_, Ref("OLD"), "Old.1", Id(1, {0xA1}), "E1/E2");
  PsnWithOrigin(psn_, Ref("NEW1"), "New.1", 1, {0xB1});
  PsnWithOrigin(psn_, Ref("NEW2"), "New.2", 1, {0xB2});
  Diff diff = Compare();
  // Case B rewrites the entry twice; the first added record (processed
  // last) is the one that stays; both leave the added list.
  EXPECT_EQ(diff.Text(), "REPLACE Old.1>New.1") << Joined(KRVWD7UtiTracer::Lines());
  EXPECT_EQ(diff.count, 1);
}

// --- Indexed phases against plain scans -------------------------------------------

std::string Sig(const KRVWD7PrdInfo& iInfo) {
  CATUnicodeString version;
  iInfo.GetVersion(version);
  return IdOf(iInfo) + "@" + PathOf(iInfo) + "v" + version.ToStdString();
}

// "TYPE|bb|psn" per entry, and the added records.
std::vector<std::string> EntrySigs(const CATListValCATUnicodeString& iTypes,
                                   const CATListValKRVWD7PrdInfo& iBB,
                                   const CATListValKRVWD7PrdInfo& iPSN) {
  std::vector<std::string> entries;
  for (int k = 1; k <= iTypes.Size(); ++k) {
    entries.push_back(std::string(iTypes[k].ConvertToChar()) + "|" + Sig(iBB[k]) +
                      "|" + Sig(iPSN[k]));
  }
  return entries;
}

std::vector<std::string> Sigs(const CATListValKRVWD7PrdInfo& iList) {
  std::vector<std::string> sigs;
  for (int i = 1; i <= iList.Size(); ++i) sigs.push_back(Sig(iList[i]));
  return sigs;
}

// Generated records with every case the index must get right: duplicate
// ids on both sides, empty ids with repeated and distinct paths, versions,
// revisions, compids, positions and node types.
void Generate(int iCount, unsigned iSeed, CATListValKRVWD7PrdInfo& oBB,
              CATListValKRVWD7PrdInfo& oPSN) {
  std::mt19937 rng(iSeed);
  auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto make = [&](int iKey) {
    KRVWD7PrdInfo info;
    const bool empty_id = iKey % 97 == 0;
    info.SetPrintableId(empty_id ? "" : Id(iKey % (iCount / 2 + 1), {1}).c_str());
    info.SetInstancePath(("P/" + std::to_string(pick(iCount / 3 + 1))).c_str());
    info.SetVersion(pick(20) == 0 ? "2" : "1");
    info.SetRevision(pick(20) == 0 ? "B" : "A");
    info.SetDocCompid(pick(4) == 0 ? "" : (pick(30) == 0 ? "C2" : "C1"));
    info.SetPosition(MemBuilder::Translation(pick(25) == 0 ? 1 : 0, 0, 0));
    info.SetNodeType(pick(9));
    return info;
  };
  for (int i = 0; i < iCount; ++i) oBB.Append(make(pick(iCount)));
  for (int i = 0; i < iCount; ++i) oPSN.Append(make(pick(iCount)));
}

class PlainScanContractTest : public DifferencesTest,
                              public ::testing::WithParamInterface<int> {};

TEST_P(PlainScanContractTest, IndexedPhasesGiveThePlainScansEntriesOrderAndTrace) {
  const unsigned char flatten = GetParam() % 2 == 0 ? 0 : 1;
  Generate(3000, 17u + static_cast<unsigned>(GetParam()), bb_list_, psn_list_);
  krvwd7_test::PlainScanOutputs plain;
  krvwd7_test::PlainScanPhases(CATBaseUnknown_var(), bb_list_, psn_list_, 1, flatten, plain);

  for (bool tracing : {true, false}) {
    SCOPED_TRACE(tracing ? "tracing on" : "tracing off");
    if (tracing) KRVWD7UtiTracer::ToMemory(); else KRVWD7UtiTracer::Off();
    Diff diff = CompareLists(flatten);
    // Records without product: phase 3 has nothing to send and changes
    // nothing, so the outputs are those of phases 1 and 2.
    EXPECT_EQ(EntrySigs(diff.types, diff.in_bb, diff.in_psn),
              EntrySigs(plain.types, plain.inBB, plain.inPSN));
    EXPECT_EQ(Sigs(diff.added), Sigs(plain.added));
    EXPECT_EQ(diff.count, plain.count);
    if (tracing) {
      std::vector<std::string> lines = TraceWithoutTimes();
      auto from = std::find(lines.begin(), lines.end(), plain.trace.front());
      auto to = std::find(lines.begin(), lines.end(), plain.trace.back());
      ASSERT_NE(to, lines.end());
      EXPECT_EQ(std::vector<std::string>(from, to + 1), plain.trace);
    }
  }
  // The generated data must reach the cases it is there for.
  EXPECT_GT(std::count_if(plain.trace.begin(), plain.trace.end(),
                          [](const std::string& l) { return l.find("Skip") != std::string::npos; }),
            10);
  EXPECT_GT(plain.added.Size(), 10);
}

INSTANTIATE_TEST_SUITE_P(Seeds, PlainScanContractTest, ::testing::Values(0, 1, 2, 3));

}  // namespace
