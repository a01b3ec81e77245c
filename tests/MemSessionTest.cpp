#include "MemSession.h"

#include <gtest/gtest.h>

#include <cstring>

#include "MemBuilder.h"
#include "TestSessions.h"

namespace {

using krvwd7_test::Dump;

CATIProduct_var Product(MemProduct* iProduct) {
  return CATIProduct_var(static_cast<CATIProduct*>(iProduct));
}

double Coef(const CATMathTransformation& iT, int iIndex) {
  double coef[12];
  iT.GetCoef(coef);
  return coef[iIndex];
}

class MemSessionTest : public krvwd7_test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    MemBuilder build(session_);
    doc_ = build.Document("BB.CATProduct", "BB-ROOT");
    root_ = doc_->Root();
    asm_ = build.Assembly(root_, "Asm.1", "ASM");
    bolt_ = build.Part(asm_, "Bolt.1", "BOLT");
    bolt2_ = build.Instance(asm_, bolt_, "Bolt.2");
    plate_ = build.Part(root_, "Plate.1", "PLATE");
  }
  void TearDown() override {
    std::string problem;
    EXPECT_TRUE(session_.CheckInvariants(problem)) << problem;
    session_.Close();
    LeakCheckedTest::TearDown();
  }
  MemSession session_;
  MemDocument* doc_ = nullptr;
  MemProduct *root_ = nullptr, *asm_ = nullptr, *bolt_ = nullptr, *bolt2_ = nullptr;
  MemProduct *plate_ = nullptr;
};

TEST_F(MemSessionTest, FindChildSeesRenames) {
  MemProduct* dup = session_.NewInstance(root_, plate_->Reference(), "Plate.1");
  EXPECT_EQ(root_->FindChild("Plate.1"), plate_);  // the first in order
  plate_->SetInstanceName("Other");
  EXPECT_EQ(root_->FindChild("Plate.1"), dup);
}

TEST_F(MemSessionTest, RelativePositions) {
  asm_->SetPosition(MemBuilder::Translation(10, 0, 0));
  bolt_->SetPosition(MemBuilder::Translation(0, 5, 0));
  CATIMovable_var bolt(bolt_);
  CATMathTransformation position;
  // From the top: the fathers' positions compose.
  ASSERT_EQ(bolt->GetPosition(position, CATIMovable_var(), 0, 1), S_OK);
  EXPECT_DOUBLE_EQ(Coef(position, 9), 10);
  EXPECT_DOUBLE_EQ(Coef(position, 10), 5);
  // In the frame of the plate at (0, 0, 3).
  plate_->SetPosition(MemBuilder::Translation(0, 0, 3));
  ASSERT_EQ(bolt->GetPosition(position, CATIMovable_var(plate_), 0, 1), S_OK);
  EXPECT_DOUBLE_EQ(Coef(position, 9), 10);
  EXPECT_DOUBLE_EQ(Coef(position, 11), -3);
  // Another structure: no common frame.
  MemDocument* other = MemBuilder(session_).Document("Other.CATProduct", "OTHER");
  CATIMovable_var other_root(other->Root());
  EXPECT_EQ(bolt->GetPosition(position, other_root, 0, 1), E_FAIL);
}

// A position is given back bit for bit, whether it only translates (kept
// as its translation), rotates, or has a -0.0 where the identity has 0.
TEST_F(MemSessionTest, PositionsComeBackBitForBit) {
  const double minus_zero = -0.0;
  const CATMathTransformation positions[] = {
      MemBuilder::Translation(1.5, -2, 1e300),
      CATMathTransformation(0, -1, 0, 1, 0, 0, 0, 0, 1, 7, 8, 9),
      CATMathTransformation(1, minus_zero, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0),
      MemBuilder::Translation(0, 0, 0)};
  for (const CATMathTransformation& position : positions) {
    SCOPED_TRACE(::testing::PrintToString(position));
    bolt_->SetPosition(position);
    double set[12], read[12];
    position.GetCoef(set);
    bolt_->Position().GetCoef(read);
    EXPECT_EQ(std::memcmp(set, read, sizeof set), 0);
  }
}

TEST_F(MemSessionTest, PartNumbersStayUnique) {
  // Taken by another reference: refused, the old number kept.
  EXPECT_EQ(session_.SetPartNumber(plate_, "BOLT"), S_FALSE);
  EXPECT_EQ(plate_->PartNumber(), "PLATE");
  EXPECT_EQ(session_.SetPartNumber(plate_, "PLATE"), S_OK);
  // Renaming frees the old number.
  EXPECT_EQ(session_.SetPartNumber(plate_, "PLATE-2"), S_OK);
  EXPECT_EQ(session_.FindByPartNumber("PLATE", doc_), nullptr);
  EXPECT_EQ(session_.FindByPartNumber("PLATE-2", doc_), plate_->Reference());
  // New references get a free variant.
  MemProduct* second = MemBuilder(session_).Part(root_, "Bolt.9", "BOLT");
  EXPECT_EQ(second->PartNumber(), "BOLT.1");
  EXPECT_EQ(session_.UniquePartNumber("BOLT", doc_), "BOLT.2");
  // Another document is another scope: its nodes may carry the same numbers.
  MemDocument* psn = MemBuilder(session_).Document("PSN.CATProduct", "BB-ROOT");
  EXPECT_EQ(psn->Root()->PartNumber(), "BB-ROOT");
  // Empty numbers never clash.
  EXPECT_EQ(session_.SetPartNumber(second, ""), S_OK);
  EXPECT_EQ(session_.SetPartNumber(plate_, ""), S_OK);
}

// The interfaces other than CATIProduct are objects made on each query: they
// stand for their product (identity, From, equality, further queries) and
// keep it alive while held.
TEST_F(MemSessionTest, InterfaceObjectsStandForTheirProduct) {
  CATIMovable_var movable(Product(bolt_));
  ASSERT_TRUE(!!movable);
  EXPECT_EQ(MemProduct::From(movable), bolt_);
  EXPECT_TRUE(movable == Product(bolt_));
  EXPECT_FALSE(movable == Product(bolt2_));
  CATIProductShape_var shapes(movable);
  ASSERT_TRUE(!!shapes);
  EXPECT_EQ(MemProduct::From(shapes), bolt_);
  EXPECT_EQ(CATIProduct_var(shapes).Get(), static_cast<CATIProduct*>(bolt_));
  CATILinkableObject_var linkable(Product(plate_));
  ASSERT_EQ(linkable->GetDocument(), static_cast<CATDocument*>(doc_));
  ASSERT_EQ(session_.Remove(plate_), S_OK);
  EXPECT_EQ(linkable->GetDocument(), nullptr);  // held, detached, still safe
}

TEST_F(MemSessionTest, RemovingFreesTheSubtree) {
  EXPECT_EQ(session_.Remove(root_), E_FAIL);
  EXPECT_EQ(session_.Remove(nullptr), E_INVALIDARG);
  CATBaseUnknown_var held(static_cast<CATIProduct*>(bolt_));
  ASSERT_EQ(session_.Remove(asm_), S_OK);
  EXPECT_EQ(root_->Children().size(), 1u);
  // The assembly's reference left with everything below it.
  EXPECT_EQ(session_.FindByPartNumber("ASM", doc_), nullptr);
  EXPECT_EQ(session_.FindByPartNumber("BOLT", doc_), nullptr);
  // A handle still held is safe, but no longer a product of the session.
  EXPECT_EQ(MemProduct::From(held), nullptr);
  EXPECT_EQ(session_.Remove(bolt_), E_FAIL);
}

TEST_F(MemSessionTest, StructureRulesRefuseSharingAndCycles) {
  MemProduct* asm_ref = asm_->Reference();
  // A sub-assembly cannot get a second instance.
  EXPECT_EQ(session_.NewInstance(root_, asm_ref, "Asm.2"), nullptr);
  // A shared leaf cannot get children (they would appear twice).
  EXPECT_EQ(session_.NewInstance(bolt_, plate_->Reference(), "X"), nullptr);
  // A reference cannot go below itself.
  MemProduct* lone = session_.NewReference(doc_, "LONE", MemKind::kProduct);
  MemProduct* inner = session_.NewComponent(lone, "Inner.1", "INNER", MemKind::kProduct);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(session_.NewInstance(inner, lone, "Loop"), nullptr);
  EXPECT_EQ(session_.NewInstance(root_, root_, "Root"), nullptr);
  // Moves keep the same rules.
  EXPECT_EQ(session_.Move(asm_, asm_), E_FAIL);
  EXPECT_EQ(session_.Move(plate_, bolt_), E_FAIL);
  ASSERT_EQ(session_.Move(plate_, asm_, 0), S_OK);
  EXPECT_EQ(asm_->Children().front(), plate_);
  EXPECT_EQ(plate_->Father(), asm_);
  EXPECT_EQ(session_.Move(asm_, plate_), E_FAIL);
}

TEST_F(MemSessionTest, CloseReleasesEverythingEvenWithHandlesHeld) {
  CATIProduct_var held = Product(bolt_);
  MemParm* parm = bolt_->AddParm("BBNote", "note");
  ASSERT_NE(parm, nullptr);
  EXPECT_EQ(bolt_->AddParm("BBNote", "again"), nullptr);
  CATICkeParm_var parm_handle(static_cast<CATICkeParm*>(parm));
  session_.Close();
  EXPECT_TRUE(session_.IsEmpty());
  EXPECT_EQ(MemProduct::From(held), nullptr);
  EXPECT_EQ(held->IsReference(), E_FAIL);  // still a safe object
  EXPECT_EQ(parm_handle->Show().ToStdString(), "note");
  // Its shape read the storage name from a document gone with the session:
  // the product took the text back.
  ASSERT_EQ(bolt_->Shapes().size(), 1u);
  EXPECT_EQ(bolt_->Shapes().front().resolved, nullptr);
  EXPECT_EQ(bolt_->Shapes().front().Storage(), "BOLT.CATPart");
  held = nullptr;
  parm_handle = nullptr;  // the fixture checks that nothing is left alive
}

// A shape keeps its three texts in one block with their lengths in front:
// lengths that need one, two and three bytes, empty texts and bytes of any
// value come back as they went in, through copies, a storage name set
// again and a resolution that drops it.
TEST(MemShapeTest, TextsOfAnyLengthSurviveCopiesAndResolution) {
  const std::string nul("a\0b", 3);
  const std::string long_path(200, 'p');     // two length bytes
  const std::string longer(20000, '\xff');  // three length bytes
  const struct {
    std::string name, storage, path;
  } rows[] = {{"Default", "DOC.CATPart", "/p/DOC.CATPart"},
              {"", "", ""},
              {nul, "", long_path},
              {"Rev2", longer, ""},
              {std::string(127, 'n'), std::string(128, 's'), nul}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name.size());
    MemShape shape(row.name, row.storage, row.path);
    MemShape copy(shape);
    MemShape assigned;
    assigned = copy;
    for (const MemShape* s : {&shape, &copy, &assigned}) {
      EXPECT_EQ(s->Name(), row.name);
      EXPECT_EQ(s->Storage(), row.storage);
      EXPECT_EQ(s->Path(), row.path);
    }
    assigned.SetStorage(longer);
    EXPECT_EQ(assigned.Storage(), longer);
    EXPECT_EQ(assigned.Path(), row.path);
    EXPECT_EQ(copy.Storage(), row.storage);  // copies share nothing
  }
}

TEST_F(MemSessionTest, AResolvedShapeReadsItsStorageFromTheDocument) {
  MemShape shape("Default", "PLATE.CATPart", "/p/PLATE");
  MemDocument* document = session_.FindDocument("PLATE.CATPart");
  ASSERT_NE(document, nullptr);
  shape.Resolve(document);
  EXPECT_EQ(shape.resolved, document);
  EXPECT_EQ(shape.Storage().data(), document->Storage().data());
  EXPECT_EQ(shape.Name(), "Default");
  EXPECT_EQ(shape.Path(), "/p/PLATE");
  shape.SetStorage("OTHER");
  EXPECT_EQ(shape.resolved, nullptr);
  EXPECT_EQ(shape.Storage(), "OTHER");
}

}  // namespace
