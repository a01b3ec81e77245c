// Migrate, Migrate2 and MigrateAfterRootPartVersionning of the black-box
// services.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ServicesSessionTest.h"

namespace {

using krvwd7_test::PropertyOf;
using krvwd7_test::Replaced;

const std::string kRootId = MemBuilder::PrintableId(0x100, {});
const std::string kNewRootId = MemBuilder::PrintableId(0x200, {});

std::string Id(std::vector<uint64_t> iClinks) { return MemBuilder::PrintableId(0x100, iClinks); }

// The PSN "CAR": Chassis.1 (Axle.1, Bolt.1, Bolt.1 again), Engine.1.
const char kPSN[] = R"(
  {"name": "CAR.CATProduct", "pdm": true, "root": {"partNumber": "CAR",
    "vpm": {"printableId": "$ROOT", "env": "E1"},
    "children": [
      {"name": "Chassis.1", "vpm": {"printableId": "$C1", "env": "E1/E2"},
       "ref": {"partNumber": "CHASSIS", "kind": "component", "children": [
         {"name": "Axle.1", "vpm": {"printableId": "$A1", "env": "E1/E2/E3"},
          "ref": {"partNumber": "AXLE", "kind": "part"}},
         {"name": "Bolt.1", "vpm": {"printableId": "$B1", "env": "E1/E2/E4"},
          "ref": {"partNumber": "BOLT", "kind": "part"}},
         {"name": "Bolt.1", "vpm": {"printableId": "$B2", "env": "E1/E2/E5"},
          "ref": {"partNumber": "BOLT2", "kind": "part"}}]}},
      {"name": "Engine.1", "vpm": {"printableId": "$E1", "env": "E1/E6"},
       "ref": {"partNumber": "ENGINE", "kind": "part"}}]}})";

// The black box: the same products below $NODE (the root for type 1, CAR.1
// for type 2), with no identity, plus Extra.1 that the PSN lacks.
const char kBlackBox[] = R"(
  {"name": "BB.CATProduct", "pdm": true, "root": {"partNumber": "BB",
    "parameters": {"BBNote": "note"}, "properties": {$ATTRIBUTES},
    "children": $CHILDREN}})";

const char kBlackBoxContent[] = R"(
      {"name": "Chassis.1", "ref": {"partNumber": "CHASSIS", "kind": "component", "children": [
         {"name": "Axle.1", "ref": {"partNumber": "AXLE", "kind": "part"}},
         {"name": "Bolt.1", "ref": {"partNumber": "BOLT", "kind": "part"}}]}},
      {"name": "Engine.1", "ref": {"partNumber": "ENGINE", "kind": "part"}},
      {"name": "Extra.1", "ref": {"partNumber": "EXTRA", "kind": "part"}})";

struct Layout {
  int type = 2;             // where the PSN node is
  std::string node = "CAR"; // part number of the type 2 node
  std::string attributes;   // the root's properties
  bool psn = true;          // the PSN document is open
  bool third = false;       // a third product document is open
};

std::string SessionText(const Layout& iLayout) {
  std::string children =
      iLayout.type == 2
          ? R"([{"name": "$NODE.1", "ref": {"partNumber": "$NODE", "kind": "component",
                  "children": [)" + std::string(kBlackBoxContent) + "]}}]"
          : "[" + std::string(kBlackBoxContent) + "]";
  std::string documents = kBlackBox;
  if (iLayout.psn) documents += std::string(",") + kPSN;
  if (iLayout.third) {
    documents += R"(, {"name": "Other.CATProduct", "pdm": true, "root": {"partNumber": "O"}})";
  }
  std::string text = R"({"format": "krvwd7-session/1", "documents": [)" + documents + "]}";
  text = Replaced(text, "$CHILDREN", children);
  text = Replaced(text, "$NODE", iLayout.node);
  text = Replaced(text, "$ATTRIBUTES", iLayout.attributes);
  text = Replaced(text, "$ROOT", kRootId);
  text = Replaced(text, "$C1", Id({0xC1}));
  text = Replaced(text, "$A1", Id({0xC1, 0xA1}));
  text = Replaced(text, "$B1", Id({0xC1, 0xB1}));
  text = Replaced(text, "$B2", Id({0xC1, 0xB2}));
  text = Replaced(text, "$E1", Id({0xE1}));
  return text;
}

class MigrateTest : public krvwd7_test::ServicesSessionTest {
 protected:
  void Load(const Layout& iLayout) { LoadText(SessionText(iLayout)); }
  MemProduct* Node() { return root_->FindChild("CAR.1") ? root_->FindChild("CAR.1") : root_; }
  // A product below the black box's PSN node by its path from there.
  MemProduct* Find(const std::string& iPath) { return krvwd7_test::FindPath(Node(), iPath); }
  std::string Note() { return krvwd7_test::ParmOf(root_, "BBNote"); }
  // The trace lines that tell the user something.
  static std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (const std::string& line : KRVWD7UtiTracer::Lines()) {
      for (const char* start : {"ERROR", "INFORMATION", ">> KRVEWD7BlackBoxServices::",
                                "<< KRVEWD7BlackBoxServices::"}) {
        if (line.rfind(start, 0) == 0) out.push_back(line);
      }
    }
    return out;
  }
};

// A version 1 black box of either type gets the PSN's attributes and every
// product the identity of its PSN twin at the same place.
TEST_F(MigrateTest, MigrateMakesVersionTwoOfEitherType) {
  for (int type : {1, 2}) {
    SCOPED_TRACE(type);
    Load(Layout{type, "CAR", "", true, false});
    ASSERT_EQ(services_.Migrate(*document_, "CAR.psn"), S_OK)
        << krvwd7_test::Joined(krvwd7_test::TraceWithoutTimes());
    EXPECT_EQ(Attribute("BBVersion"), "2");
    EXPECT_EQ(Attribute("BBType"), std::to_string(type));
    EXPECT_EQ(Attribute("BBPSNPartNumber"), "CAR");
    EXPECT_EQ(Attribute("BBPSNPrintableId"), kRootId);
    EXPECT_EQ(krvwd7_test::ParmOf(root_, "BBPSNFilename"), "CAR.psn");
    EXPECT_EQ(PropertyOf(Find("Chassis.1"), "BBPrintableId"), Id({0xC1}));
    EXPECT_EQ(PropertyOf(Find("Chassis.1/Axle.1"), "BBPrintableId"), Id({0xC1, 0xA1}));
    EXPECT_EQ(PropertyOf(Find("Chassis.1/Axle.1"), "BBVpmEnv"), "E1/E2/E3");
    // Two PSN products at that place: the first one's identity.
    EXPECT_EQ(PropertyOf(Find("Chassis.1/Bolt.1"), "BBPrintableId"), Id({0xC1, 0xB1}));
    EXPECT_EQ(PropertyOf(Find("Engine.1"), "BBVpmEnv"), "E1/E6");
    EXPECT_EQ(PropertyOf(Find("Extra.1"), "BBPrintableId"), "<absent>");
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{
                  ">> KRVEWD7BlackBoxServices::Migrate()",
                  "INFORMATION: Necessary parameters on the root product of the Black Box have "
                  "been set successfully !",
                  "INFORMATION: The product Extra.1 has not been identified in the PSN !",
                  "INFORMATION: Products migration of the Black Box is successful !",
                  "INFORMATION: The migration of the Black Box has succeeded !",
                  "<< KRVEWD7BlackBoxServices::Migrate()"}));
  }
}

// Each operation refuses what it does not apply to with E_INVALIDARG and
// only the entry line.
TEST_F(MigrateTest, NotApplicableWritesOnlyTheEntryLine) {
  using Call = std::function<HRESULT(KRVEWD7BlackBoxServices&, CATDocument&)>;
  auto migrate = [](int iForm, const char* iName) -> Call {
    return [=](KRVEWD7BlackBoxServices& s, CATDocument& d) {
      return iForm == 1 ? s.Migrate(d, iName) : s.Migrate2(d, iName);
    };
  };
  auto versioning = [](const char* iId, const char* iPartNumber) -> Call {
    return [=](KRVEWD7BlackBoxServices& s, CATDocument& d) {
      return s.MigrateAfterRootPartVersionning(d, iId, "n.psn", iPartNumber);
    };
  };
  const char* new_id = kNewRootId.c_str();
  const char kVersioning[] = "MigrateAfterRootPartVersionning()";
  const struct {
    const char *name, *attributes;
    bool pdm;
    Call call;
    const char* entry;
  } rows[] = {
      {"Migrate of version 2", R"("BBVersion": "2")", true, migrate(1, "x.psn"), "Migrate()"},
      {"Migrate of a file document", "", false, migrate(1, "x.psn"), "Migrate()"},
      {"Migrate2 of version 1", "", true, migrate(2, "x.psn"), "Migrate2()"},
      {"versioning without part number", R"("BBVersion": "2")", true, versioning(new_id, ""),
       kVersioning},
      {"versioning of version 1", "", true, versioning(new_id, "CAR2"), kVersioning},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string text = SessionText(Layout{2, "CAR", row.attributes, true, false});
    if (!row.pdm) text = Replaced(text, R"("BB.CATProduct", "pdm": true)", R"("BB.CATProduct")");
    LoadText(text);
    const std::string before = session().SaveToText();
    EXPECT_EQ(row.call(services_, *document_), E_INVALIDARG);
    EXPECT_EQ(KRVWD7UtiTracer::Lines(),
              std::vector<std::string>{std::string(">> KRVEWD7BlackBoxServices::") + row.entry});
    EXPECT_EQ(session().SaveToText(), before);
  }
}

TEST_F(MigrateTest, ThePSNDocumentMustBeTheOnlyOtherOne) {
  for (int documents : {1, 3}) {
    SCOPED_TRACE(documents);
    Load(Layout{2, "CAR", "", documents == 3, documents == 3});
    const std::string before = session().SaveToText();
    EXPECT_EQ(services_.Migrate(*document_, "CAR.psn"), E_FAIL);
    EXPECT_TRUE(krvwd7_test::Traced("ERROR: PSN document not open !"));
    EXPECT_EQ(session().SaveToText(), before);
  }
}

// Without the PSN's part number the node is unknown: the root attributes
// are still written, the products are not migrated.
TEST_F(MigrateTest, MigrateWithoutThePSNPartNumber) {
  Load(Layout());
  MemFaults::Add(MemFaultPoint::kGetPartNumber, E_FAIL, "", 1);
  EXPECT_EQ(services_.Migrate(*document_, "CAR.psn"), E_FAIL);
  EXPECT_EQ(Attribute("BBVersion"), "2");
  EXPECT_EQ(Attribute("BBType"), "2");
  EXPECT_EQ(PropertyOf(Find("Engine.1"), "BBPrintableId"), "<absent>");
  EXPECT_TRUE(krvwd7_test::Traced("ERROR: PartNumber of the PSN document not retrieved !"));
}

// Migrate2: the note, the attributes and the intermediate node follow the
// PSN root; the identities are read again.
TEST_F(MigrateTest, Migrate2ReattachesToThePSN) {
  for (bool catalog : {false, true}) {
    SCOPED_TRACE(catalog);
    if (catalog) {
      CATSetEnvOverride("KRVWD7_CATALOGS", KRVWD7_SOURCE_DIR "/host/Resources");
    }
    Load(Layout{2, "OLD", R"("BBVersion": "2", "BBType": "2", "BBPSNPartNumber": "OLD")",
                true, false});
    // The node is renamed CAR, and the paths still begin with it.
    ASSERT_EQ(services_.Migrate2(*document_, "CAR.psn"), S_OK);
    EXPECT_EQ(Note(), catalog ? "note (migrated from CAR)" : "note (CAR)");
    EXPECT_EQ(Attribute("BBPSNPartNumber"), "CAR");
    EXPECT_EQ(Attribute("BBType"), "2");
    EXPECT_EQ(Attribute("BBVersion"), "2");
    EXPECT_EQ(Attribute("BBPSNPrintableId"), kRootId);
    MemProduct* node = root_->FindChild("OLD.1");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->PartNumber(), "CAR");
    EXPECT_EQ(PropertyOf(node->FindChild("Engine.1"), "BBPrintableId"), Id({0xE1}));
    EXPECT_TRUE(krvwd7_test::Traced("INFORMATION: The migration of the Black Box has succeeded !"));
  }
}

TEST_F(MigrateTest, Migrate2WithoutItsNode) {
  Load(Layout{2, "OLD", R"("BBVersion": "2", "BBType": "2", "BBPSNPartNumber": "GONE")",
              true, false});
  EXPECT_EQ(services_.Migrate2(*document_, "CAR.psn"), E_FAIL);
  // The attributes are written; the empty node cannot be renamed or listed.
  EXPECT_EQ(Attribute("BBPSNPartNumber"), "CAR");
  EXPECT_TRUE(krvwd7_test::Traced("ERROR: Initialization of the necessary parameters on the "
                                  "root product of the Black Box has failed !"));
}

// --- MigrateAfterRootPartVersionning ---------------------------------------------

// The root's properties of a version 2 black box of type 2 of CAR.
const char kVersioned[] = R"("BBVersion": "2", "BBType": "2", "BBPSNPartNumber": "CAR",
                             "BBPSNPrintableId": "$ROOT")";

class VersioningTest : public MigrateTest {
 protected:
  // A version 2 black box of type 2 whose products carry identities below
  // the old PSN root id; Extra.1 carries one that holds the old id past its
  // start.
  void LoadIdentified(bool iInteractive) {
    std::string text = SessionText(Layout{2, "CAR", kVersioned, true, false});
    if (iInteractive) text = Replaced(text, R"({"format")", R"({"interactive": true, "format")");
    LoadText(text);
    const struct {
      const char* path;
      std::string id;
    } ids[] = {{"Chassis.1", Id({0xC1})},
               {"Chassis.1/Axle.1", Id({0xC1, 0xA1})},
               {"Engine.1", Id({0xE1})},
               {"Extra.1", MemBuilder::PrintableId(0x300, {}) + kRootId + "ABCDEF"}};
    for (const auto& row : ids) {
      Find(row.path)->Properties().Set("BBPrintableId", row.id);
      Find(row.path)->Properties().Set("BBVpmEnv", "ENV");
    }
  }
  // iOld with the old root id at its start replaced by the new one.
  static std::string NewId(const std::string& iOld) { return kNewRootId + iOld.substr(58); }
};

TEST_F(VersioningTest, LeadingIdsAndRootFollowTheNewVersion) {
  for (bool interactive : {false, true}) {
    SCOPED_TRACE(interactive);
    LoadIdentified(interactive);
    progress_ = krvwd7_test::ProgressRecorder();
    const std::string extra = PropertyOf(Find("Extra.1"), "BBPrintableId");
    ASSERT_EQ(services_.MigrateAfterRootPartVersionning(*document_, kNewRootId.c_str(),
                                                        "CAR2.psn", "CAR2"),
              S_OK);
    EXPECT_EQ(PropertyOf(Find("Chassis.1"), "BBPrintableId"), NewId(Id({0xC1})));
    EXPECT_EQ(PropertyOf(Find("Chassis.1/Axle.1"), "BBPrintableId"), NewId(Id({0xC1, 0xA1})));
    EXPECT_EQ(PropertyOf(Find("Chassis.1/Axle.1"), "BBVpmEnv"), "ENV") << "left unchanged";
    EXPECT_EQ(PropertyOf(Find("Chassis.1/Bolt.1"), "BBPrintableId"), "<absent>");
    EXPECT_EQ(PropertyOf(Find("Extra.1"), "BBPrintableId"), extra);
    EXPECT_EQ(Attribute("BBPSNPrintableId"), kNewRootId);
    EXPECT_EQ(Attribute("BBPSNPartNumber"), "CAR2");
    EXPECT_EQ(Attribute("BBType"), "2");
    EXPECT_EQ(krvwd7_test::ParmOf(root_, "BBPSNFilename"), "CAR2.psn");
    EXPECT_EQ(Note(), "note (CAR2)");
    EXPECT_EQ(root_->FindChild("CAR.1")->PartNumber(), "CAR2");
    // No INFORMATION line; a bar stepped once per product when interactive.
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{
                  ">> KRVEWD7BlackBoxServices::MigrateAfterRootPartVersionning()",
                  "<< KRVEWD7BlackBoxServices::MigrateAfterRootPartVersionning()"}));
    EXPECT_EQ(progress_.steps_of["BlackBoxMigrateInProgress"], interactive ? 5 : 0);
    const bool shown = std::find(progress_.events.begin(), progress_.events.end(),
                                 "init BlackBoxMigrateInProgress 1..5") != progress_.events.end();
    EXPECT_EQ(shown, interactive);
  }
}

// The first product that cannot take its new id stops the loop: the later
// products and the root are left as they were.
TEST_F(VersioningTest, FirstFailingProductStops) {
  LoadIdentified(false);
  const std::string before_engine = PropertyOf(Find("Engine.1"), "BBPrintableId");
  MemFaults::Add(MemFaultPoint::kSetProperty, E_FAIL, "Axle.1");
  EXPECT_EQ(services_.MigrateAfterRootPartVersionning(*document_, kNewRootId.c_str(),
                                                      "CAR2.psn", "CAR2"),
            E_FAIL);
  EXPECT_EQ(PropertyOf(Find("Chassis.1"), "BBPrintableId"), NewId(Id({0xC1})));
  EXPECT_EQ(PropertyOf(Find("Engine.1"), "BBPrintableId"), before_engine);
  EXPECT_EQ(Attribute("BBPSNPrintableId"), kRootId);
  EXPECT_TRUE(krvwd7_test::Traced(
      "ERROR: The re-initialization of the printable id has failed for a sub-product !"));
}

TEST_F(VersioningTest, StopsWithoutNodeOrInitialId) {
  const struct {
    const char *name, *from, *to, *error;
  } rows[] = {
      {"no node", R"("BBPSNPartNumber": "CAR")", R"("BBPSNPartNumber": "GONE")", nullptr},
      {"no initial id", R"("BBPSNPrintableId": "$ROOT")", R"("BBNone": "")",
       "ERROR: The retrieval of the initial PSN Printable Id has failed !"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Load(Layout{2, "CAR", Replaced(kVersioned, row.from, row.to), true, false});
    const std::string before = session().SaveToText();
    EXPECT_EQ(services_.MigrateAfterRootPartVersionning(*document_, kNewRootId.c_str(),
                                                        "CAR2.psn", "CAR2"),
              E_FAIL);
    EXPECT_EQ(Messages().size(), row.error ? 3u : 2u);
    if (row.error) {
      EXPECT_TRUE(krvwd7_test::Traced(row.error));
    }
  }
}

}  // namespace
