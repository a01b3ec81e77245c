// Flatten, MoveToPersonalizedStructure and CopyPosition of the black-box
// services.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "CATError.h"
#include "KRVWD7UtiPrdServices.h"
#include "LiteralFlatten.h"
#include "ServicesSessionTest.h"

namespace {

using namespace krvwd7_test;

// A black box of type $TYPE (1: the root is the PSN node; 2: PSN.1 is):
//   [PSN.1]  Asm.1 (component, at x 100): Bolt.1 (part), Model.1 (model),
//                  Sub.1 (component): Nut.1 (part)
//            Washer.1 (part)
//            Asm.2 (product instance): Pin.1 (part, no printable id)
// and, for CopyPosition, an ordinary document with two bolts.
std::string SessionText(int iType, const std::string& iExtraRootProperties = "") {
  const std::string content = R"(
        {"name": "Asm.1", "position": [1,0,0, 0,1,0, 0,0,1, 100,0,0],
         "properties": {"BBPrintableId": "$A1", "BBVpmEnv": "E1/E2"},
         "ref": {"partNumber": "ASM1", "kind": "component", "children": [
           {"name": "Bolt.1", "position": [1,0,0, 0,1,0, 0,0,1, 1,0,0],
            "properties": {"BBPrintableId": "$B1", "BBVpmEnv": "E1/E2/E3"},
            "ref": {"partNumber": "BOLT", "kind": "part"}},
           {"name": "Model.1", "properties": {"BBPrintableId": "$M1", "BBVpmEnv": "E1/E2/E3"},
            "ref": {"partNumber": "MODEL", "kind": "model"}},
           {"name": "Sub.1", "properties": {"BBPrintableId": "$S1", "BBVpmEnv": "E1/E2/E3"},
            "ref": {"partNumber": "SUB", "kind": "component", "children": [
              {"name": "Nut.1", "properties": {"BBPrintableId": "$N1", "BBVpmEnv": "E4"},
               "ref": {"partNumber": "NUT", "kind": "part"}}]}}]}},
        {"name": "Washer.1", "properties": {"BBPrintableId": "$W1", "BBVpmEnv": "E1/E2"},
         "ref": {"partNumber": "WASHER", "kind": "part"}},
        {"name": "Asm.2", "ref": {"partNumber": "ASM2", "kind": "product", "children": [
           {"name": "Pin.1", "ref": {"partNumber": "PIN", "kind": "part"}}]}})";
  const std::string children =
      iType == 2 ? R"([{"name": "PSN.1", "ref": {"partNumber": "PSN", "kind": "component",
                         "children": [)" + content + "]}}]"
                 : "[" + content + "]";
  std::string text = R"({
    "format": "krvwd7-session/1",
    "interactive": true,
    "documents": [
      {"name": "BB.CATProduct", "pdm": true, "root": {"partNumber": "BB",
        "parameters": {"BBNote": "n"},
        "properties": {"BBVersion": "2", "BBType": "$TYPE", "BBPSNPartNumber": "PSN" $EXTRA},
        "children": $CHILDREN}},
      {"name": "Plain.CATProduct", "pdm": true, "root": {"partNumber": "PLAIN", "children": [
        {"name": "Bolt.1", "position": [1,0,0, 0,1,0, 0,0,1, 7,8,9], "ref": {"partNumber": "B1"}},
        {"name": "Bolt.2", "ref": {"partNumber": "B2"}}]}}
    ]})";
  text = Replaced(text, "$CHILDREN", children);
  text = Replaced(text, "$TYPE", std::to_string(iType));
  text = Replaced(text, "$EXTRA", iExtraRootProperties);
  for (auto [key, clink] : {std::pair<const char*, uint64_t>{"$A1", 0xA1}, {"$B1", 0xB1},
                            {"$M1", 0xC1}, {"$S1", 0xD1}, {"$N1", 0xE1}, {"$W1", 0xF1}}) {
    text = Replaced(text, key, MemBuilder::PrintableId(1, {clink}));
  }
  return text;
}

// iSaved without the representation modes (a refused Flatten may have
// switched the black box to product mode, which changes no content).
std::string WithoutModes(const std::string& iSaved) {
  return std::regex_replace(iSaved, std::regex("\n *\"mode\": \"product\","), "");
}

class FlattenTest : public ServicesSessionTest {
 protected:
  void Load(int iType, const std::string& iExtra = "") { LoadText(SessionText(iType, iExtra)); }
  MemProduct* Find(const std::string& iPath) { return FindPath(root_, iPath); }
  MemProduct* Plain(int iChild) {
    return session().FindDocument("Plain.CATProduct")->Root()->Children()[iChild];
  }
};

TEST_F(FlattenTest, TypeTwoBelowThePSNRootInstance) {
  Load(2);
  ASSERT_EQ(services_.Flatten(*document_, 0), S_OK);

  // Every leaf directly below PSN.1 in list order, the washer left where it
  // was; the component below PSN.1 deleted, the product instance kept.
  ASSERT_NE(Find("PSN.1"), nullptr);
  EXPECT_EQ(ChildNames(Find("PSN.1")), "Washer.1,Asm.2,Bolt.1,Model.1,Nut.1,Pin.1");
  EXPECT_EQ(ChildNames(Find("PSN.1/Asm.2")), "");
  // The absolute position is kept.
  CATMathTransformation bolt;
  KRVWD7UtiPrdServices::GetPosition(Handle(Find("PSN.1/Bolt.1")), bolt);
  EXPECT_TRUE(KRVWD7UtiPrdServices::IsSimilarPosition(bolt, MemBuilder::Translation(101, 0, 0),
                                                      0.001));
  EXPECT_EQ(Attribute("BBType"), "2");
  EXPECT_EQ(Attribute("BBFlatten"), "1");
  // The identity is written again on each moved leaf that has one (not on
  // Pin.1, which has none and keeps none).
  EXPECT_EQ(TraceCount(">> KRVWD7CoreServices::SetPrintableIdParameterOnNode"), 3);
  EXPECT_EQ(PropertyOf(Find("PSN.1/Nut.1"), "BBPrintableId"), MemBuilder::PrintableId(1, {0xE1}));
  EXPECT_EQ(PropertyOf(Find("PSN.1/Nut.1"), "BBVpmEnv"), "E4");
  EXPECT_EQ(PropertyOf(Find("PSN.1/Pin.1"), "BBPrintableId"), "<absent>");
  // Four moves and one deletion stepped; the washer was not counted.
  EXPECT_EQ(progress_.steps_of["BlackBoxFlattenInProgress"], 4 + 1);
  EXPECT_EQ(std::count(progress_.events.begin(), progress_.events.end(),
                       "init BlackBoxFlattenInProgress 1..8"), 1);
}

TEST_F(FlattenTest, TypeTwoRemovingThePSNLevel) {
  Load(2);
  ASSERT_EQ(services_.Flatten(*document_, 1), S_OK);
  EXPECT_EQ(ChildNames(root_), "Bolt.1,Model.1,Nut.1,Washer.1,Pin.1");
  EXPECT_EQ(Attribute("BBType"), "1");
  EXPECT_EQ(Attribute("BBPSNPartNumber"), "PSN");
  EXPECT_EQ(Attribute("BBFlatten"), "1");
  EXPECT_EQ(progress_.steps_of["BlackBoxFlattenInProgress"], 5 + 1);
}

TEST_F(FlattenTest, TypeOneNeverLosesItsRoot) {
  for (unsigned char option : {0, 1}) {
    SCOPED_TRACE(static_cast<int>(option));
    Load(1);
    MemFaults::ResetCalls();
    ASSERT_EQ(services_.Flatten(*document_, option), S_OK);
    ASSERT_EQ(document_->Root(), root_);
    EXPECT_TRUE(root_->IsAttached());
    // With option 0 the component directly below the root is deleted; with
    // option 1 nothing is (the root is not handed to Delete).
    EXPECT_EQ(ChildNames(root_), option == 1 ? "Asm.1,Washer.1,Asm.2,Bolt.1,Model.1,Nut.1,Pin.1"
                                           : "Washer.1,Asm.2,Bolt.1,Model.1,Nut.1,Pin.1");
    EXPECT_EQ(MemFaults::Calls(MemFaultPoint::kDelete), option == 1 ? 0 : 1);
    EXPECT_EQ(Attribute("BBType"), "1");
    EXPECT_EQ(Attribute("BBFlatten"), "1");
  }
}

TEST_F(FlattenTest, RefusedBlackBoxesChangeNothing) {
  const struct {
    const char *name, *from, *to;
    HRESULT rc;
  } rows[] = {
      {"version 1", R"("BBVersion": "2")", R"("BBVersion": "1")", E_INVALIDARG},
      {"already flattened", R"("PSN" $EXTRA)", R"("PSN", "BBFlatten": "1")", E_FAIL},
      {"no PSN root instance", R"("BBPSNPartNumber": "PSN")", R"("BBPSNPartNumber": "OTHER")",
       E_FAIL},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string text = SessionText(2, "$EXTRA");
    ASSERT_NE(text.find(row.from), std::string::npos);
    LoadText(Replaced(Replaced(text, row.from, row.to), "$EXTRA", ""));
    const std::string before = session().SaveToText();
    EXPECT_EQ(services_.Flatten(*document_, 0), row.rc);
    EXPECT_EQ(WithoutModes(session().SaveToText()), before);
  }
  // A second Flatten.
  Load(2);
  ASSERT_EQ(services_.Flatten(*document_, 0), S_OK);
  const std::string flattened = session().SaveToText();
  EXPECT_EQ(services_.Flatten(*document_, 0), E_FAIL);
  EXPECT_EQ(session().SaveToText(), flattened);
}

// Single moves and deletions that fail leave their products in place and
// the result S_OK; the black box is flattened all the same.
TEST_F(FlattenTest, FailedMovesAndDeletionsDoNotChangeTheResult) {
  Load(2);
  MemFaults::Add(MemFaultPoint::kCutAndPaste, E_FAIL, "Bolt.1");
  MemFaults::Add(MemFaultPoint::kDragAndDrop, E_FAIL, "Model.1");
  MemFaults::Add(MemFaultPoint::kDelete, E_FAIL, "Asm.1");
  ASSERT_EQ(services_.Flatten(*document_, 0), S_OK);
  EXPECT_EQ(ChildNames(Find("PSN.1")), "Asm.1,Washer.1,Asm.2,Nut.1,Pin.1");
  EXPECT_EQ(ChildNames(Find("PSN.1/Asm.1")), "Bolt.1,Model.1,Sub.1");
  EXPECT_EQ(Attribute("BBFlatten"), "1");
  // Failed moves are stepped too, and so is the failed deletion.
  EXPECT_EQ(progress_.steps_of["BlackBoxFlattenInProgress"], 4 + 1);
}

// The library's single pass agrees with the plain walk on generated black
// boxes: the same saved session, trace and progress.
TEST_F(FlattenTest, AgreesWithThePlainWalk) {
  for (unsigned seed : {1u, 2u, 3u}) {
    for (unsigned char option : {0, 1}) {
      SCOPED_TRACE("seed " + std::to_string(seed) + " option " + std::to_string(option));
      const int products = 400 + 150 * static_cast<int>(seed);
      struct Run {
        HRESULT rc;
        std::string saved;
        std::vector<std::string> trace, events;
        std::map<std::string, int> steps;
      } runs[2];
      for (int literal = 0; literal < 2; ++literal) {
        MemDocument* document = GenerateBlackBox(session(), products, seed, /*iInteractive=*/true);
        KRVWD7UtiTracer::ClearLines();
        progress_ = ProgressRecorder();
        const HRESULT rc = literal ? LiteralFlatten(*document, option)
                                   : services_.Flatten(*document, option);
        runs[literal] = {rc, session().SaveToText(), TraceWithoutTimes(), progress_.events,
                         progress_.steps_of};
      }
      EXPECT_EQ(runs[0].rc, S_OK);
      EXPECT_EQ(runs[0].rc, runs[1].rc);
      EXPECT_TRUE(runs[0].saved == runs[1].saved) << "the structures differ";
      EXPECT_EQ(runs[0].trace, runs[1].trace);
      EXPECT_EQ(runs[0].events, runs[1].events);
      EXPECT_EQ(runs[0].steps, runs[1].steps);
      EXPECT_GT(runs[0].steps["BlackBoxFlattenInProgress"], products / 2);
    }
  }
}

// --- MoveToPersonalizedStructure ------------------------------------------------

class MoveTest : public FlattenTest {
 protected:
  // A flattened type 2 black box.
  void SetUp() override {
    FlattenTest::SetUp();
    Load(2, R"(, "BBFlatten": "1")");
    MemFaults::ResetCalls();
  }
  HRESULT Move(const std::string& iProduct, const std::string& iDestination) {
    CATError::ClearLastError();
    return services_.MoveToPersonalizedStructure(Handle(Find(iProduct)),
                                                 Handle(Find(iDestination)));
  }
  static std::string LastKey() {
    CATError* error = CATError::LastError();
    if (error == nullptr) return "";
    EXPECT_STREQ(error->GetMsgCatalog().ConvertToChar(), "KRVWD7MoveToPersonalizedStructure");
    return error->GetMsgId().ConvertToChar();
  }
};

TEST_F(MoveTest, MovesPartsAndModelsKeepingTheirIdentity) {
  ASSERT_EQ(Move("PSN.1/Asm.1/Bolt.1", "PSN.1/Asm.2"), S_OK);
  ASSERT_EQ(Move("PSN.1/Asm.1/Model.1", "PSN.1/Asm.2"), S_OK);
  EXPECT_EQ(ChildNames(Find("PSN.1/Asm.2")), "Pin.1,Bolt.1,Model.1");
  EXPECT_EQ(MemFaults::Calls(MemFaultPoint::kCutAndPaste), 1);
  EXPECT_EQ(MemFaults::Calls(MemFaultPoint::kDragAndDrop), 1);
  EXPECT_EQ(PropertyOf(Find("PSN.1/Asm.2/Model.1"), "BBPrintableId"),
            MemBuilder::PrintableId(1, {0xC1}));
  // A part without identity moves without one.
  ASSERT_EQ(Move("PSN.1/Asm.2/Pin.1", "PSN.1/Asm.1"), S_OK);
  EXPECT_EQ(PropertyOf(Find("PSN.1/Asm.1/Pin.1"), "BBPrintableId"), "<absent>");
  EXPECT_EQ(CATError::LastError(), nullptr);
}

TEST_F(MoveTest, EachRefusalRaisesItsKeyAndMovesNothing) {
  const MemFaultPoint kNone = MemFaultPoint::kCount;
  const struct {
    const char *name, *product, *destination;
    MemFaultPoint point;
    const char* on;  // the product the fault applies to ("" any)
    int call;
    const char* key;
  } rows[] = {
      {"no product", "Nothing", "PSN.1", kNone, "", 0, "ErrId0"},
      {"root not found", "PSN.1/Washer.1", "PSN.1/Asm.2", MemFaultPoint::kRetrieveRootProduct,
       "", 1, "ErrId1"},
      {"not a VPM document", "PSN.1/Washer.1", "PSN.1/Asm.2", MemFaultPoint::kIsPDMDocument, "",
       1, "ErrId3"},
      // The root's second property read is the flatten flag.
      {"flag unreadable", "PSN.1/Washer.1", "PSN.1/Asm.2", MemFaultPoint::kGetProperty, "BB", 2,
       "ErrId4"},
      {"node type unreadable", "PSN.1/Washer.1", "PSN.1/Asm.2", MemFaultPoint::kGetNodeType, "",
       1, "ErrId5"},
      {"a component instance", "PSN.1/Asm.1/Sub.1", "PSN.1/Asm.2", kNone, "", 0, "ErrId6"},
      {"into itself", "PSN.1/Asm.1/Bolt.1", "PSN.1/Asm.1/Bolt.1", kNone, "", 0, "ErrId7"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    MemFaults::Clear();
    Load(2, R"(, "BBFlatten": "1")");
    const std::string before = session().SaveToText();
    if (row.point != kNone) MemFaults::Add(row.point, E_FAIL, row.on, row.call);
    EXPECT_EQ(Move(row.product, row.destination), E_FAIL);
    EXPECT_EQ(LastKey(), row.key);
    MemFaults::Clear();
    EXPECT_EQ(WithoutModes(session().SaveToText()), before);
  }
}

TEST_F(MoveTest, BlackBoxMustBeFlattenedOfVersionTwo) {
  Load(2);
  EXPECT_EQ(Move("PSN.1/Washer.1", "PSN.1/Asm.2"), E_FAIL);
  EXPECT_EQ(LastKey(), "ErrId4");
  // The destination in an ordinary document.
  CATError::ClearLastError();
  EXPECT_EQ(services_.MoveToPersonalizedStructure(Handle(Find("PSN.1/Washer.1")), Handle(Plain(0))),
            E_FAIL);
  EXPECT_EQ(LastKey(), "ErrId3");
}

// The identity cannot be written on the moved instance: "ErrId8", the move
// stays done.
TEST_F(MoveTest, IdentityNotWrittenKeepsTheMove) {
  // The product's reads 1 and 2 are its identity; 3 is the write's.
  MemFaults::Add(MemFaultPoint::kGetProperty, E_FAIL, "Washer.1", 3);
  EXPECT_EQ(Move("PSN.1/Washer.1", "PSN.1/Asm.2"), E_FAIL);
  EXPECT_EQ(LastKey(), "ErrId8");
  EXPECT_EQ(ChildNames(Find("PSN.1/Asm.2")), "Pin.1,Washer.1");
}

// --- CopyPosition ----------------------------------------------------------------

TEST_F(FlattenTest, CopyPositionBetweenOrdinaryDocuments) {
  Load(2);
  // Between ordinary documents, then into a black box that is not flattened.
  for (MemProduct* target : {Plain(1), Find("PSN.1/Washer.1")}) {
    ASSERT_EQ(services_.CopyPosition(Handle(Plain(0)), Handle(target)), S_OK);
    EXPECT_TRUE(KRVWD7UtiPrdServices::IsSimilarPosition(target->Position(),
                                                        MemBuilder::Translation(7, 8, 9), 0.001));
  }
  EXPECT_EQ(TraceCount("<< KRVEWD7BlackBoxServices::CopyPosition"), 2);
  EXPECT_TRUE(notified_.shown.empty());
}

TEST_F(FlattenTest, CopyPositionRefusesFlattenedBlackBoxes) {
  Load(2, R"(, "BBFlatten": "1")");
  const std::string before = session().SaveToText();
  for (bool black_box_is_target : {true, false}) {
    SCOPED_TRACE(black_box_is_target);
    KRVWD7UtiTracer::ClearLines();
    notified_.shown.clear();
    CATBaseUnknown_var washer = Handle(Find("PSN.1/Washer.1"));
    CATBaseUnknown_var bolt = Handle(Plain(0));
    EXPECT_EQ(black_box_is_target ? services_.CopyPosition(bolt, washer)
                                  : services_.CopyPosition(washer, bolt),
              E_FAIL);
    // No catalog file is read in tests: the message is the key.
    EXPECT_EQ(notified_.shown, std::vector<std::string>{"ERROR: ErrId1"});
    EXPECT_EQ(notified_.style, 0x10100200);
    EXPECT_EQ(notified_.name, "ERROR");
    EXPECT_EQ(KRVWD7UtiTracer::Lines(),
              std::vector<std::string>{">> KRVEWD7BlackBoxServices::CopyPosition()"});
  }
  EXPECT_EQ(session().SaveToText(), before);
}

TEST_F(FlattenTest, CopyPositionTracesMissingInputs) {
  Load(2);
  CATBaseUnknown_var bolt = Handle(Plain(0));
  EXPECT_EQ(services_.CopyPosition(bolt, CATBaseUnknown_var()), E_FAIL);
  EXPECT_TRUE(Traced("   Error: reference or target NULL"));
  MemFaults::Add(MemFaultPoint::kRetrieveRootProduct, E_FAIL, "", 2);
  EXPECT_EQ(services_.CopyPosition(bolt, bolt), E_FAIL);
  EXPECT_TRUE(Traced("   Error: failed to RetrieveRootProduct"));
  EXPECT_EQ(TraceCount("<< KRVEWD7BlackBoxServices::CopyPosition"), 0);
}

}  // namespace
