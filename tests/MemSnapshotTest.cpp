// The host's structural comparison of a session before and after a change.
#include "MemSnapshot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BlackBoxPair.h"
#include "TestSessions.h"

namespace {

using krvwd7_test::BlackBoxPair;

// "kind DOC:path[ name][ old -> new]" with the document's first letters;
// positions by their x translation.
std::string Render(const HostChange& iChange) {
  std::string text = std::string(HostChangeKindName(iChange.kind)) + " " +
                     iChange.document.substr(0, iChange.document.find('.')) + ":" +
                     iChange.path;
  if (!iChange.name.empty()) text += " " + iChange.name;
  switch (iChange.kind) {
    case HostChange::Kind::kAdded:
    case HostChange::Kind::kRemoved:
      return text + " (" + iChange.partNumber + ")";
    case HostChange::Kind::kMoved:
    case HostChange::Kind::kRenamed:
      return text + " from " + iChange.oldPath;
    case HostChange::Kind::kPosition:
      return text + " " + std::to_string(static_cast<int>(iChange.oldPosition[9])) + " -> " +
             std::to_string(static_cast<int>(iChange.newPosition[9]));
    default:
      return text + " " + (iChange.hadOld ? iChange.oldValue : "(none)") + " -> " +
             (iChange.hasNew ? iChange.newValue : "(none)");
  }
}

std::vector<std::string> Rendered(const std::vector<HostChange>& iChanges) {
  std::vector<std::string> out;
  for (const HostChange& change : iChanges) out.push_back(Render(change));
  return out;
}

class MemSnapshotTest : public krvwd7_test::LeakCheckedTest {};

TEST_F(MemSnapshotTest, EachKindOfChange) {
  typedef void (*Change)(BlackBoxPair&);
  const struct {
    const char* name;
    Change change;
    std::vector<std::string> expected;
  } rows[] = {
      {"position",
       [](BlackBoxPair& p) { p.psn["Bolt.1"]->SetPosition(MemBuilder::Translation(15, 0, 0)); },
       {"position PSN:Asm.1/Bolt.1 10 -> 15"}},
      {"properties",
       [](BlackBoxPair& p) {
         auto& properties = p.bb["Nut.1"]->Properties();
         properties.Set("BBVpmEnv", "OTHER");
         properties.Erase("BBPrintableId");
         properties.Set("Extra", "");
       },
       {"property BB:PSN.1/Asm.1/Nut.1 BBPrintableId " + krvwd7_test::PairId({0xA1, 0xC1}) +
            " -> (none)",
        "property BB:PSN.1/Asm.1/Nut.1 BBVpmEnv VPMENV   -> OTHER",
        "property BB:PSN.1/Asm.1/Nut.1 Extra (none) -> "}},
      {"black-box attributes on the root",
       [](BlackBoxPair& p) {
         p.bbRoot->FindParm("BBNote")->set_value("new note");
         p.bbRoot->Properties().Set("BBType", "1");
       },
       {"parameter BB: BBNote test black box -> new note", "property BB: BBType 2 -> 1"}},
      {"reference attributes",
       [](BlackBoxPair& p) {
         MemSession::Current().SetPartNumber(p.psn["Nut.1"], "NUT-2");
         p.psn["Nut.1"]->SetRevision("B");
         p.psn["Nut.1"]->UserProperties().Set("Version", "3");
       },
       {"part number PSN:Asm.1/Nut.1 NUT -> NUT-2", "attribute PSN:Asm.1/Nut.1 revision  -> B",
        "user property PSN:Asm.1/Nut.1 Version (none) -> 3"}},
      {"removed branch, listed after the document's other changes",
       [](BlackBoxPair& p) {
         MemSession::Current().Remove(p.psn["Asm.1"]);
         p.psn["Washer.1"]->SetPosition(MemBuilder::Translation(31, 0, 0));
       },
       {"position PSN:Washer.1 30 -> 31", "removed PSN:Asm.1 (ASM)",
        "removed PSN:Asm.1/Bolt.1 (BOLT)", "removed PSN:Asm.1/Nut.1 (NUT)"}},
      {"moved: its children move with it",
       [](BlackBoxPair& p) { MemSession::Current().Move(p.bb["Asm.1"], p.bb["PSN.1"]->Father()); },
       {"moved BB:Asm.1 from PSN.1/Asm.1"}},
      {"renamed",
       [](BlackBoxPair& p) { p.bb["Washer.1"]->SetInstanceName("Washer.2"); },
       {"renamed BB:PSN.1/Washer.2 from PSN.1/Washer.1"}},
      {"re-referenced in place",
       [](BlackBoxPair& p) {
         MemSession& session = MemSession::Current();
         MemProduct* other = session.NewReference(p.psnDocument, "WASHER-B", MemKind::kPart);
         session.Replace(p.psn["Washer.1"], other);
       },
       {"re-referenced PSN:Washer.1 WASHER -> WASHER-B"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 2);
    const MemSnapshot before(session());
    row.change(pair);
    EXPECT_EQ(Rendered(before.ChangesTo(session())), row.expected);
    session().Close();
  }
}

// A removed product is held by the snapshot, so a product made after it
// cannot take its place in memory and pass for it.
TEST_F(MemSnapshotTest, ARemovedProductIsNeverMistakenForANewOne) {
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
  HostSnapshotPtr before = HostSession::TakeSnapshot();
  session().Remove(pair.bb["Washer.1"]);
  MemBuilder(session()).Part(pair.bbRoot, "Lamp.1", "LAMP");
  EXPECT_EQ(Rendered(HostSession::ChangesSince(*before)),
            (std::vector<std::string>{"added BB:Lamp.1 (LAMP)", "removed BB:Washer.1 (WASHER)"}));
  session().Close();
  before.reset();  // released after the session closed
}

}  // namespace
