// Adding a PSN product whose three intermediate products the black box
// lacks, with each host call of the run failing in turn: whatever fails,
// the result tells what was done, nothing made is undone, nothing leaks,
// and the session still saves and loads back identical.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "TestSessions.h"

namespace {

using namespace krvwd7_test;

// PSN CAR: Front.1 / Axle.1 / Hub.1 / Bolt.1 (part), beside Door.1;
// black box BB of type 2 whose node CAR.1 holds only a Door.1.
class AddFaultSweepTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    MemBuilder build(session());
    MemProduct* car = build.Document("CAR.CATProduct", "CAR", true)->Root();
    car->Vpm() = MemVpm{MemBuilder::PrintableId(1, {}), "VPMENV  ", ""};
    MemProduct* father = car;
    std::vector<uint64_t> clinks;
    std::string env = car->Vpm().env;
    const struct {
      const char* name;
      const char* number;
      MemKind kind;
    } chain[] = {{"Front.1", "FRONT", MemKind::kProduct},
                 {"Axle.1", "AXLE", MemKind::kProduct},
                 {"Hub.1", "HUB", MemKind::kProduct},
                 {"Bolt.1", "BOLT", MemKind::kPart}};
    for (const auto& level : chain) {
      father = build.Add(father, level.name, level.number, level.kind);
      clinks.push_back(0xC00 + clinks.size());
      father->Vpm().printableId = MemBuilder::PrintableId(1, clinks);
      env += "/VPMENV  ";
      father->Vpm().env = env;
      father->SetPosition(MemBuilder::Translation(1, 2, static_cast<double>(clinks.size())));
    }
    MemProduct* door = build.Assembly(car, "Door.1", "DOOR");
    door->Vpm().printableId = MemBuilder::PrintableId(1, {0xD00});

    MemProduct* bb = build.Document("BB.CATProduct", "BB", true)->Root();
    bb->AddParm("BBNote", "black box of CAR");
    bb->Properties() = {{"BBVersion", "2"}, {"BBType", "2"}, {"BBPSNPartNumber", "CAR"}};
    MemProduct* node = build.Add(bb, "CAR.1", "CAR", MemKind::kComponent);
    node->Properties() = {{"BBPrintableId", car->Vpm().printableId}, {"BBVpmEnv", "VPMENV  "}};
    MemProduct* bb_door = build.Add(node, "Door.1", "DOOR", MemKind::kComponent);
    bb_door->Properties() = {{"BBPrintableId", door->Vpm().printableId}};
    start_ = session().SaveToText();
    bolt_id_ = father->Vpm().printableId;
    session().Close();
  }

  // Loads the starting session and adds Bolt.1 with the faults declared
  // by iDeclare (after the load, which sets the file's own faults).
  template <class Declare>
  HRESULT AddBolt(Declare iDeclare, CATBaseUnknown_var& oAdded) {
    const MemResult loaded = session().LoadFromText(start_, "start");
    EXPECT_TRUE(loaded.ok) << loaded.error;
    MemProduct* car = session().FindDocument("CAR.CATProduct")->Root();
    MemProduct* bolt = car->FindChild("Front.1")->FindChild("Axle.1")->FindChild("Hub.1")
                           ->FindChild("Bolt.1");
    node_ = session().FindDocument("BB.CATProduct")->Root()->FindChild("CAR.1");
    KRVWD7PrdInfo record;
    record.RetrieveInfo(Handle(bolt), Handle(car), 0);
    MemFaults::ResetCalls();
    iDeclare();
    return KRVWD7CoreServices::AddProductFromPSNtoBB(record, Handle(car), Handle(node_),
                                                     oAdded, 0);
  }

  // The chain below CAR.1 as "Front.1/Axle.1/..." down to the first level
  // that is missing, with "+id" after a level whose "BBPrintableId" is set.
  std::string Chain() const {
    std::string out;
    const MemProduct* level = node_;
    for (const char* name : {"Front.1", "Axle.1", "Hub.1", "Bolt.1"}) {
      level = level->FindChild(name);
      if (level == nullptr) break;
      out += std::string(out.empty() ? "" : "/") + name +
             (level->FindProperty("BBPrintableId") ? "+id" : "");
    }
    return out;
  }

  std::string start_;
  std::string bolt_id_;
  MemProduct* node_ = nullptr;
};

TEST_F(AddFaultSweepTest, EveryHostCallFailsInTurn) {
  // One clean run: what it makes, and how often it calls each point.
  CATBaseUnknown_var added;
  ASSERT_EQ(AddBolt([] {}, added), S_OK);
  EXPECT_EQ(Chain(), "Front.1+id/Axle.1+id/Hub.1+id/Bolt.1+id");
  const std::vector<std::pair<MemFaultPoint, int>> counts = MemFaults::CallCounts();
  added = NULL_var;
  session().Close();

  int runs = 0;
  for (const auto& [point, calls] : counts) {
    for (int call = 1; call <= calls; ++call, ++runs) {
      SCOPED_TRACE(std::string(MemFaultPointName(point)) + " call " + std::to_string(call));
      const long live = CATBaseUnknown::LiveObjects();
      const HRESULT rc = AddBolt([&] { MemFaults::Add(point, E_FAIL, "", call); }, added);
      ASSERT_EQ(MemFaults::Hits(point), 1);
      MemFaults::Clear();
      const std::string chain = Chain();

      // The result tells the truth: 0 with the whole chain and the bolt
      // handed back, E_FAIL (and nothing handed back) otherwise.
      ASSERT_TRUE(rc == S_OK || rc == E_FAIL) << rc;
      MemProduct* made = MemProduct::From(added);
      if (rc == S_OK) {
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(chain.substr(chain.rfind('/') + 1), "Bolt.1+id") << chain;
        EXPECT_EQ(*made->FindProperty("BBPrintableId"), bolt_id_);
        EXPECT_EQ(made->Father()->Father()->Father()->Father(), node_);
      } else {
        EXPECT_EQ(made, nullptr);
      }
      // Making something fails the whole add; the levels made before stay.
      if (point == MemFaultPoint::kAddNewComponent) {
        EXPECT_EQ(rc, E_FAIL);
        EXPECT_EQ(std::count(chain.begin(), chain.end(), '/') + !chain.empty(), call - 1)
            << chain;
      }
      // So does a failed look-up, copy or write on a level being made.
      static const MemFaultPoint kFatal[] = {
          MemFaultPoint::kCopyAndPaste,
          MemFaultPoint::kCopyAndPasteProduct,
          MemFaultPoint::kGetChildrenWithProperty,
          MemFaultPoint::kCopyPosition,
          MemFaultPoint::kCopyGraphicProperties,
          MemFaultPoint::kCopyPropertiesOfInstanceProduct,
          MemFaultPoint::kCopyPropertiesOfReferenceProduct,
          MemFaultPoint::kSetPartNumber,
          MemFaultPoint::kSetProperty};
      if (std::find(std::begin(kFatal), std::end(kFatal), point) != std::end(kFatal)) {
        EXPECT_EQ(rc, E_FAIL);
      }
      // The other child of CAR.1 is never touched.
      ASSERT_NE(node_->FindChild("Door.1"), nullptr);

      // Nothing half-linked: the session saves and loads back the same.
      added = NULL_var;
      const std::string saved = session().SaveToText();
      session().Close();
      const MemResult reloaded = session().LoadFromText(saved, "after");
      ASSERT_TRUE(reloaded.ok) << reloaded.error;
      EXPECT_EQ(session().SaveToText(), saved);
      session().Close();
      EXPECT_EQ(CATBaseUnknown::LiveObjects(), live) << "objects leaked";
    }
  }
  EXPECT_GT(runs, 100);
}

}  // namespace
