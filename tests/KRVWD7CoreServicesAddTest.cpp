// Adding PSN products to the black box: the chain of intermediate products,
// leaves and identical models, flattened black boxes, look-ups by printable
// id (with replaced links) and similar instances.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7UtiPrdServices.h"
#include "TestSessions.h"

// Reaches the private steps of KRVWD7CoreServices.
class KRVWD7CoreServicesPeer {
 public:
  static HRESULT FindInstanceInBB(const CATBaseUnknown_var& iFather,
                                  const CATBaseUnknown_var& iPSNProduct,
                                  CATBaseUnknown_var& oFound, CATBoolean iRecursive,
                                  CATBoolean iAllowReplaced) {
    return KRVWD7CoreServices::FindInstanceInBB(iFather, iPSNProduct, oFound, iRecursive,
                                                iAllowReplaced);
  }
  static HRESULT AddLeaf(const CATBaseUnknown_var& iFather, const CATBaseUnknown_var& iLeaf,
                         int iType, CATBaseUnknown_var& oNew) {
    return KRVWD7CoreServices::AddLeaf(iFather, iLeaf, iType, oNew);
  }
};

namespace {

using namespace krvwd7_test;
using Core = KRVWD7CoreServices;

const char kEnter[] = ">>KRVWD7CoreServices::AddProductFromPSNtoBB()";
const char kLeave[] = "<<KRVWD7CoreServices::AddProductFromPSNtoBB()";

// The PSN CAR:
//   Engine.1 (ENGINE) / Block.1 (BLOCK) / Piston.1 (part PISTON)
//                                       / Sensor.1 (model SENSOR)
//   Door.1 (DOOR) / Sensor.1 (model SENSOR, another instance)
//   Lamp.1 (model LAMP)
// and its black box BB (type 2) that holds only CAR.1, the node of CAR.
class AddTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    MemBuilder build(session());
    car_ = build.Document("CAR.CATProduct", "CAR", true)->Root();
    car_->Vpm() = MemVpm{MemBuilder::PrintableId(1, {}), "VPMENV  ", ""};
    engine_ = Psn(car_, "Engine.1", "ENGINE", MemKind::kProduct, 0xC01);
    block_ = Psn(engine_, "Block.1", "BLOCK", MemKind::kProduct, 0xC02);
    piston_ = Psn(block_, "Piston.1", "PISTON", MemKind::kPart, 0xC03);
    sensor_ = Psn(block_, "Sensor.1", "SENSOR", MemKind::kModel, 0xC04);
    door_ = Psn(car_, "Door.1", "DOOR", MemKind::kProduct, 0xC05);
    door_sensor_ = Identify(build.Instance(door_, sensor_, "Sensor.1"), 0xC06);
    door_sensor_->SetPosition(MemBuilder::Translation(0, 40, 0));
    lamp_ = Psn(car_, "Lamp.1", "LAMP", MemKind::kModel, 0xC07);

    bb_ = build.Document("BB.CATProduct", "BB", true)->Root();
    bb_->AddParm("BBNote", "black box of CAR");
    bb_->Properties() = {{"BBVersion", "2"}, {"BBType", "2"},
                         {"BBPSNPartNumber", "CAR"}, {"BBFlatten", "0"}};
    node_ = build.Add(bb_, "CAR.1", "CAR", MemKind::kComponent);
    node_->Properties() = {{"BBPrintableId", std::string(car_->Vpm().PrintableId())}, {"BBVpmEnv", "VPMENV  "}};
  }

  // A PSN product with its VPM identity below its father's.
  MemProduct* Psn(MemProduct* iFather, const std::string& iName, const std::string& iNumber,
                  MemKind iKind, uint64_t iClink) {
    MemBuilder build(session());
    MemProduct* product = build.Add(iFather, iName, iNumber, iKind);
    product->SetRevision("A");
    product->SetPosition(MemBuilder::Translation(static_cast<double>(iClink), 0, 0));
    return Identify(product, iClink);
  }
  static MemProduct* Identify(MemProduct* ioProduct, uint64_t iClink) {
    const MemProduct* father = ioProduct->Father();
    ioProduct->Vpm().SetPrintableId(std::string(father->Vpm().PrintableId()) + MemBuilder::Hex16(iClink));
    ioProduct->Vpm().SetEnv(std::string(father->Vpm().Env()) + "/VPMENV  ");
    return ioProduct;
  }

  HRESULT Add(MemProduct* iPSNProduct, CATBaseUnknown_var& oAdded,
              CATBoolean iAllowReplaced = 0) {
    KRVWD7PrdInfo record;
    record.RetrieveInfo(Handle(iPSNProduct), Handle(car_), 0);
    KRVWD7UtiTracer::ClearLines();
    return Core::AddProductFromPSNtoBB(record, Handle(car_), Handle(node_), oAdded, iAllowReplaced);
  }

  // "path part-number id-suffix" for every product below the PSN node, the
  // id suffix being the last four characters of "BBPrintableId".
  std::string Structure() const {
    std::string out;
    for (const MemProduct* product : ProductsBelow(node_)) {
      std::string path;
      product->PathFrom(node_, path);
      std::optional<std::string_view> id = product->FindProperty("BBPrintableId");
      out += path.substr(path.find('/')) + " " + product->PartNumber() + " " +
             (id ? std::string(id->substr(id->size() - 4)) : "-") + "\n";
    }
    return out;
  }

  // FindInstanceInBB of the PSN product iPSN below iFather (the node when
  // null).
  HRESULT FindInBB(MemProduct* iPSN, CATBaseUnknown_var& oFound, CATBoolean iRecursive,
                   CATBoolean iAllowReplaced, MemProduct* iFather = nullptr) {
    return KRVWD7CoreServicesPeer::FindInstanceInBB(Handle(iFather ? iFather : node_),
                                                    Handle(iPSN), oFound, iRecursive,
                                                    iAllowReplaced);
  }

  MemProduct *car_, *engine_, *block_, *piston_, *sensor_, *door_, *door_sensor_, *lamp_;
  MemProduct *bb_, *node_;
};

// --- AddProductFromPSNtoBB -----------------------------------------------------

TEST_F(AddTest, MissingChainIsCreatedWithTheIdentityOfEachLevel) {
  CATBaseUnknown_var added;
  ASSERT_EQ(Add(piston_, added), S_OK) << Joined(KRVWD7UtiTracer::Lines());
  EXPECT_EQ(Structure(),
            "/Engine.1 ENGINE 0C01\n"
            "/Engine.1/Block.1 BLOCK 0C02\n"
            "/Engine.1/Block.1/Piston.1 PISTON 0C03\n");
  MemProduct* bb_piston = MemProduct::From(added);
  ASSERT_NE(bb_piston, nullptr);
  EXPECT_EQ(bb_piston->Reference(), piston_->Reference());  // the part is shared
  EXPECT_EQ(bb_piston->Position(), piston_->Position());
  EXPECT_EQ(bb_piston->FindProperty("BBVpmEnv"), piston_->Vpm().Env());
  MemProduct* bb_block = bb_piston->Father();
  EXPECT_EQ(bb_block->FindProperty("BBVpmEnv"), block_->Vpm().Env());
  EXPECT_EQ(bb_block->Position(), block_->Position());
  EXPECT_EQ(bb_block->Document(), node_->Document());
  const std::vector<std::string> lines = KRVWD7UtiTracer::Lines();
  EXPECT_EQ(lines.front(), kEnter);
  EXPECT_EQ(lines.back(), kLeave);
  EXPECT_EQ(TraceCount("<<KRVWD7CoreServices::UpdateBBNodeFromPSN()"), 2);
  EXPECT_EQ(TraceCount("<<KRVWD7CoreServices::AddLeaf()"), 1);
}

TEST_F(AddTest, IntermediatesAlreadyThereAreReused) {
  CATBaseUnknown_var added;
  ASSERT_EQ(Add(piston_, added), S_OK);
  const size_t references = session().ReferenceCount();
  ASSERT_EQ(Add(sensor_, added), S_OK);
  EXPECT_EQ(Structure(),
            "/Engine.1 ENGINE 0C01\n"
            "/Engine.1/Block.1 BLOCK 0C02\n"
            "/Engine.1/Block.1/Piston.1 PISTON 0C03\n"
            "/Engine.1/Block.1/Sensor.1 SENSOR 0C04\n");
  // Only the sensor's own model reference is new.
  EXPECT_EQ(session().ReferenceCount(), references + 1);
  EXPECT_EQ(TraceCount("<<KRVWD7CoreServices::UpdateBBNodeFromPSN()"), 0);
}

TEST_F(AddTest, ProductAlreadyThereAnswers1WithIt) {
  CATBaseUnknown_var first, second;
  ASSERT_EQ(Add(block_, first), S_OK);
  const std::string before = Structure();
  EXPECT_EQ(Add(block_, second), S_FALSE);
  EXPECT_TRUE(second == first);
  EXPECT_EQ(Structure(), before);
  // A root is never added.
  KRVWD7PrdInfo root;
  root.RetrieveInfo(Handle(car_), Handle(car_), 0);
  EXPECT_EQ(Core::AddProductFromPSNtoBB(root, Handle(car_), Handle(node_), second, 0), S_FALSE);
  EXPECT_FALSE(second);
  EXPECT_EQ(Structure(), before);
}

TEST_F(AddTest, FlattenedBlackBoxTakesLeavesDirectlyAndRefusesAssemblies) {
  bb_->Properties().Set("BBFlatten", "1");
  CATBaseUnknown_var added;
  EXPECT_EQ(Add(piston_, added), S_OK);
  EXPECT_EQ(Add(block_, added), S_FALSE);
  EXPECT_FALSE(added);
  EXPECT_EQ(Add(sensor_, added), S_OK);
  EXPECT_EQ(Structure(), "/Piston.1 PISTON 0C03\n" "/Sensor.1 SENSOR 0C04\n");
}

TEST_F(AddTest, ModelWithATwinIsPastedFromTheBlackBoxOtherwiseCopiedFromThePSN) {
  CATBaseUnknown_var first, twin;
  ASSERT_EQ(Add(sensor_, first), S_OK);
  MemProduct* bb_sensor = MemProduct::From(first);
  // No twin yet: a copy of the PSN model with its own reference.
  EXPECT_NE(bb_sensor->Reference(), sensor_->Reference());
  EXPECT_EQ(bb_sensor->PartNumber(), "SENSOR");

  ASSERT_EQ(Add(door_sensor_, twin), S_OK) << Joined(KRVWD7UtiTracer::Lines());
  MemProduct* bb_twin = MemProduct::From(twin);
  EXPECT_EQ(bb_twin->Reference(), bb_sensor->Reference());  // pasted from the black box
  EXPECT_EQ(bb_twin->Position(), door_sensor_->Position());
  EXPECT_EQ(bb_twin->FindProperty("BBPrintableId"), door_sensor_->Vpm().PrintableId());
  // The pasting path of AddLeaf writes no exit line.
  EXPECT_EQ(TraceCount(">>KRVWD7CoreServices::AddLeaf()"), 1);
  EXPECT_EQ(TraceCount("<<KRVWD7CoreServices::AddLeaf()"), 0);
}

TEST_F(AddTest, TwinOfAnotherRevisionIsNotReused) {
  CATBaseUnknown_var first, second;
  ASSERT_EQ(Add(sensor_, first), S_OK);
  MemProduct::From(first)->SetRevision("B");
  ASSERT_EQ(Add(door_sensor_, second), S_OK);
  EXPECT_NE(MemProduct::From(second)->Reference(), MemProduct::From(first)->Reference());
  EXPECT_EQ(TraceCount("<<KRVWD7CoreServices::AddLeaf()"), 1);
}

TEST_F(AddTest, ReferenceTypesAndUnknownTypesAddNothing) {
  const std::string before = session().SaveToText();
  for (int type : {6, 7, 8, 0, 10}) {
    SCOPED_TRACE(type);
    lamp_->SetExplicitNodeType(type);
    CATBaseUnknown_var added;
    EXPECT_EQ(Add(lamp_, added), E_FAIL);
    EXPECT_FALSE(added);
    EXPECT_EQ(KRVWD7UtiTracer::Lines().back(), kLeave);
  }
  lamp_->SetExplicitNodeType(-1);
  EXPECT_EQ(session().SaveToText(), before);
}

TEST_F(AddTest, BadArgumentsAndRecordsWithoutProduct) {
  KRVWD7PrdInfo empty;
  CATBaseUnknown_var added = Handle(car_);
  EXPECT_EQ(Core::AddProductFromPSNtoBB(empty, CATBaseUnknown_var(),
                                                      Handle(node_), added, 0),
            E_INVALIDARG);
  EXPECT_FALSE(added);
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), std::vector<std::string>{kEnter});
  KRVWD7UtiTracer::ClearLines();
  EXPECT_EQ(Core::AddProductFromPSNtoBB(empty, Handle(car_), Handle(node_), added, 0), E_FAIL);
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), (std::vector<std::string>{kEnter, kLeave}));
}

TEST_F(AddTest, WhatWasMadeStaysWhenALaterStepFails) {
  // The second component cannot be made: the chain stops below Engine.1.
  MemFaults::Add(MemFaultPoint::kAddNewComponent, E_FAIL, "", 2);
  CATBaseUnknown_var added;
  EXPECT_EQ(Add(piston_, added), E_FAIL);
  EXPECT_FALSE(added);
  EXPECT_EQ(Structure(), "/Engine.1 ENGINE 0C01\n");
  // The leaf is made but its identity cannot be written: it stays.
  MemFaults::Clear();
  MemFaults::AddAt(MemFaultPoint::kCreateProperty, E_FAIL, "BB.CATProduct", "CAR.1/Lamp.1");
  EXPECT_EQ(Add(lamp_, added), E_FAIL);
  EXPECT_FALSE(added);
  EXPECT_EQ(Structure(), "/Engine.1 ENGINE 0C01\n/Lamp.1 LAMP -\n");
}

// --- FindInstanceInBB ---------------------------------------------------------

TEST_F(AddTest, FindInstanceFollowsReplacedLinksOnlyWhenAllowed) {
  // A black-box Engine.1 that still carries the link 0C0A, which VPM now
  // reports as replaced by the PSN's 0C01.
  MemBuilder build(session());
  MemProduct* old_engine = build.Add(node_, "Engine.1", "ENGINE", MemKind::kComponent);
  old_engine->Properties() = {
      {"BBPrintableId", std::string(car_->Vpm().PrintableId()) + MemBuilder::Hex16(0xC0A)},
      {"BBVpmEnv", "VPMENV  /VPMENV  "}};
  session().AddReplacement(MemReplacement{MemBuilder::Hex16(0xC0A), MemBuilder::Hex16(0xC01),
                                          "VPMENV"});
  CATBaseUnknown_var found;
  EXPECT_EQ(FindInBB(engine_, found, 0, 0), S_FALSE);
  EXPECT_TRUE(KRVWD7UtiTracer::Lines().empty());
  EXPECT_EQ(FindInBB(engine_, found, 0, 1), S_OK);
  EXPECT_TRUE(found == Handle(old_engine));
  EXPECT_EQ(KRVWD7UtiTracer::Lines(),
            (std::vector<std::string>{"usCurrentEnv=[VPMENV  /VPMENV  ]",
                                      "usCurrentEnv=[VPMENV  ]"}));
  // Through the whole add: the replaced node is handed back, nothing made.
  CATBaseUnknown_var added;
  EXPECT_EQ(Add(engine_, added, 1), S_FALSE);
  EXPECT_TRUE(added == Handle(old_engine));
  // A failing VPM query finds nothing.
  MemFaults::Add(MemFaultPoint::kGetReplacingClinks, E_FAIL);
  EXPECT_EQ(FindInBB(engine_, found, 0, 1), S_FALSE);
}

TEST_F(AddTest, FindInstanceLooksBelowOnlyWhenRecursive) {
  CATBaseUnknown_var added, found;
  ASSERT_EQ(Add(piston_, added), S_OK);
  EXPECT_EQ(FindInBB(piston_, found, 0, 0), S_FALSE);
  EXPECT_EQ(FindInBB(piston_, found, 1, 0), S_OK);
  EXPECT_TRUE(found == added);
  // No child at all, and a listing that fails.
  EXPECT_EQ(FindInBB(piston_, found, 0, 0, MemProduct::From(added)), S_FALSE);
  MemFaults::Add(MemFaultPoint::kGetChildrenWithProperty, E_FAIL);
  EXPECT_EQ(FindInBB(piston_, found, 0, 0), E_FAIL);
  EXPECT_EQ(KRVWD7CoreServicesPeer::FindInstanceInBB(CATBaseUnknown_var(), Handle(piston_),
                                                     found, 0, 0),
            E_INVALIDARG);
}

// --- AddLeaf --------------------------------------------------------------------

TEST_F(AddTest, AddLeafTypesAndFormats) {
  CATBaseUnknown_var made;
  EXPECT_EQ(KRVWD7CoreServicesPeer::AddLeaf(Handle(node_), Handle(piston_), 7, made), E_INVALIDARG);
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), std::vector<std::string>{">>KRVWD7CoreServices::AddLeaf()"});
  // A further leaf kind is copied with its links broken, like a model.
  piston_->SetExplicitNodeType(9);
  ASSERT_EQ(KRVWD7CoreServicesPeer::AddLeaf(Handle(node_), Handle(piston_), 9, made), S_OK);
  EXPECT_NE(MemProduct::From(made)->Reference(), piston_->Reference());
  ASSERT_EQ(KRVWD7CoreServicesPeer::AddLeaf(Handle(node_), Handle(piston_), 4, made), S_OK);
  EXPECT_EQ(MemProduct::From(made)->InstanceName(), "Piston.2");  // a free name
}

// --- RetrieveSimilarInstances ------------------------------------------------------

// The paths below CAR of RetrieveSimilarInstances's answer, joined by ",";
// or the failed result.
std::string Similar(MemProduct* iRoot, const char* iNumber, const char* iVersion = "",
                    const char* iRevision = "", int iType = 0) {
  CATListValCATBaseUnknown_var* list = nullptr;
  const HRESULT rc = Core::RetrieveSimilarInstances(Handle(iRoot), iNumber,
                                                                  iVersion, iRevision, iType, list);
  std::unique_ptr<CATListValCATBaseUnknown_var> owned(list);
  if (rc != S_OK) return "result " + std::to_string(rc) + (list ? " with a list" : "");
  std::string out;
  for (int i = 1; i <= list->Size(); ++i) {
    std::string path;
    MemProduct::From((*list)[i])->PathFrom(iRoot, path);
    out += (i > 1 ? "," : "") + path.substr(path.find('/') + 1);
  }
  return out;
}

TEST_F(AddTest, SimilarInstancesFilterTheStructureInOrder) {
  sensor_->SetDefinition("2");  // the version of both sensors
  const struct {
    const char *label, *number, *version, *revision;
    int type;
    const char* expected;
  } rows[] = {
      {"no criteria", "", "", "", 0,
       "Engine.1,Engine.1/Block.1,Engine.1/Block.1/Piston.1,Engine.1/Block.1/Sensor.1,"
       "Door.1,Door.1/Sensor.1,Lamp.1"},
      {"part number", "SENSOR", "", "", 0, "Engine.1/Block.1/Sensor.1,Door.1/Sensor.1"},
      {"all four", "SENSOR", "2", "A", 5, "Engine.1/Block.1/Sensor.1,Door.1/Sensor.1"},
      {"other version", "SENSOR", "1", "", 0, ""},
      {"other revision", "SENSOR", "", "B", 0, ""},
      {"type only", "", "", "", 5, "Engine.1/Block.1/Sensor.1,Door.1/Sensor.1,Lamp.1"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    EXPECT_EQ(Similar(car_, row.number, row.version, row.revision, row.type), row.expected);
  }
  // A product whose number cannot be read is left out.
  MemFaults::AddAt(MemFaultPoint::kGetPartNumber, E_FAIL, "CAR.CATProduct",
                   "Engine.1/Block.1/Sensor.1");
  EXPECT_EQ(Similar(car_, "SENSOR"), "Door.1/Sensor.1");
}

TEST_F(AddTest, SimilarInstancesWithoutAList) {
  EXPECT_EQ(Similar(nullptr, ""), "result " + std::to_string(E_INVALIDARG));
  EXPECT_EQ(Similar(lamp_, "LAMP"), "result " + std::to_string(E_FAIL));  // no child at all
  MemFaults::Add(MemFaultPoint::kGetAllChildren, E_FAIL);
  EXPECT_EQ(Similar(car_, ""), "result " + std::to_string(E_FAIL));
}

}  // namespace
