// KRVEWD7BlackBoxServices::AddToBlackBox: where the picked product goes,
// what comes with it, the consistency test and the catalog errors; and the
// operation against its plain form on a generated PSN.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BlackBoxPair.h"
#include "CATError.h"
#include "KRVEWD7BlackBoxServices.h"
#include "LiteralAddToBlackBox.h"
#include "MemSnapshot.h"
#include "TestSessions.h"

namespace {

using krvwd7_test::BlackBoxPair;
using krvwd7_test::Handle;
using krvwd7_test::LastErrorKey;

class AddToBlackBoxTest : public krvwd7_test::HostTest {
 protected:
  // The pair of iType without the black box's twin of iRemoved.
  static BlackBoxPair PairWithout(const char* iRemoved, int iType = 1) {
    BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), iType);
    session().Remove(pair.bb.at(iRemoved));
    return pair;
  }
  // Adds the PSN product named iName to iTarget (the black-box root when
  // null).
  static HRESULT Add(const BlackBoxPair& iPair, const char* iName, MemProduct* iTarget,
                     CATBaseUnknown_var& oAdded) {
    MemProduct* target = iTarget ? iTarget : iPair.bbRoot;
    return KRVEWD7BlackBoxServices().AddToBlackBox(
        Handle(iPair.psn.at(iName)), Handle(iPair.psnRoot), Handle(target), oAdded, 0);
  }
  // The instance names below its root of the product iProduct stands for.
  static std::string PathOf(const CATBaseUnknown_var& iProduct) {
    std::string path;
    for (const MemProduct* p = MemProduct::From(iProduct); p && p->Father(); p = p->Father()) {
      path = p->InstanceName() + (path.empty() ? "" : "/") + path;
    }
    return path;
  }
  static bool UpToDate(const BlackBoxPair& iPair) {
    unsigned char up_to_date = 0;
    KRVEWD7BlackBoxServices().IsUpToDate(*iPair.bbDocument, *iPair.psnDocument, up_to_date);
    return up_to_date == 1;
  }
};

// A branch missing from the black box comes back whole, below the node of
// the PSN root, and the pair is up to date again.
TEST_F(AddToBlackBoxTest, AddsThePickedProductAndEverythingBelowIt) {
  for (int type : {1, 2}) {
    SCOPED_TRACE(type);
    BlackBoxPair pair = PairWithout("Asm.1", type);
    CATBaseUnknown_var added;
    EXPECT_EQ(Add(pair, "Asm.1", nullptr, added), S_OK);
    const std::string node = type == 2 ? "PSN.1/" : "";
    EXPECT_EQ(PathOf(added), node + "Asm.1");
    const MemProduct* bolt = pair.bbNode->FindChild("Asm.1")->FindChild("Bolt.1");
    ASSERT_NE(bolt, nullptr);
    EXPECT_EQ(bolt->FindProperty("BBPrintableId"), pair.psn["Bolt.1"]->Vpm().PrintableId());
    EXPECT_TRUE(UpToDate(pair));
    EXPECT_TRUE(krvwd7_test::Traced("<< KRVEWD7BlackBoxServices::AddToBlackBox"));
    session().Close();
  }
}

// The father: the node of the PSN root when the PSN root's part number is
// the black box's PSN part number, the target itself when it is another.
TEST_F(AddToBlackBoxTest, ThePSNPartNumberDecidesWhereTheProductGoes) {
  const struct {
    const char *name, *psn_root_number;
    const char* node_number;  // part number of the type 2 node
    HRESULT rc;
    const char *path, *error;
  } rows[] = {
      {"the PSN root's node", "PSN", "PSN", S_OK, "PSN.1/Washer.1", ""},
      {"the node missing", "PSN", "OTHER", E_FAIL, "", "KRVWD7AddToBB/ErrId5"},
      {"another PSN: below the target", "PSN-B", "PSN", S_OK, "Washer.1", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BlackBoxPair pair = PairWithout("Washer.1", 2);
    session().SetPartNumber(pair.psnRoot, row.psn_root_number);
    session().SetPartNumber(pair.bbNode, row.node_number);
    const MemSnapshot before(session());
    CATBaseUnknown_var added;
    EXPECT_EQ(Add(pair, "Washer.1", nullptr, added), row.rc);
    EXPECT_EQ(PathOf(added), row.path);
    EXPECT_EQ(LastErrorKey(), row.error);
    if (FAILED(row.rc)) {
      EXPECT_TRUE(before.ChangesTo(session()).empty());
    }
    ResetSession();
  }
}

TEST_F(AddToBlackBoxTest, AProductOfAnotherStructureAddsNothing) {
  BlackBoxPair pair = PairWithout("Washer.1");
  const MemSnapshot before(session());
  CATBaseUnknown_var added;
  // The black box's own Bolt.1, picked as if it were a PSN product.
  EXPECT_EQ(KRVEWD7BlackBoxServices().AddToBlackBox(Handle(pair.bb["Bolt.1"]), Handle(pair.psnRoot),
                                                    Handle(pair.bbRoot), added, 0), S_OK);
  EXPECT_FALSE(added);
  EXPECT_TRUE(before.ChangesTo(session()).empty());
  EXPECT_TRUE(krvwd7_test::Traced("<< KRVEWD7BlackBoxServices::AddToBlackBox"));
}

// The black box holds the picked part number with another version or
// revision: nothing is added, whatever the black box holds it as.
TEST_F(AddToBlackBoxTest, AnotherVersionInTheBlackBoxRaisesErrId7) {
  const struct {
    const char* name;
    void (*change)(MemProduct* iBBWasher);
    const char* error;
  } rows[] = {
      {"same version and revision", [](MemProduct*) {}, ""},
      {"another revision", [](MemProduct* p) { p->SetRevision("B"); }, "KRVWD7AddToBB/ErrId7"},
      {"another version", [](MemProduct* p) { p->SetDefinition("2"); }, "KRVWD7AddToBB/ErrId7"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
    // The black box's washer is elsewhere, under another identity.
    pair.bb["Washer.1"]->Properties().Set("BBPrintableId", krvwd7_test::PairId({0xEE}));
    row.change(pair.bb["Washer.1"]);
    const MemSnapshot before(session());
    CATBaseUnknown_var added;
    const HRESULT rc = Add(pair, "Washer.1", nullptr, added);
    EXPECT_EQ(LastErrorKey(), row.error);
    if (*row.error) {
      EXPECT_EQ(rc, E_FAIL);
      EXPECT_TRUE(before.ChangesTo(session()).empty());
    } else {
      EXPECT_EQ(rc, S_OK);
      EXPECT_TRUE(added);
    }
    ResetSession();
  }
}

// A child inside a black box nested in the PSN structure has no record in
// the black box's list: it is added only when its own revision and version
// are both set.
TEST_F(AddToBlackBoxTest, ChildrenOfANestedBlackBox) {
  const struct {
    const char *name, *nut_revision;
    bool nut_added;
  } rows[] = {{"revision and version set", "A", true}, {"no revision", "", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BlackBoxPair pair = PairWithout("Asm.1");
    pair.psn["Asm.1"]->AddParm("BBNote", "a nested black box");
    for (const char* name : {"Bolt.1", "Nut.1"}) {
      pair.psn[name]->SetRevision("A");
      pair.psn[name]->SetDefinition("1");
    }
    pair.psn["Nut.1"]->SetRevision(row.nut_revision);
    CATBaseUnknown_var added;
    EXPECT_EQ(Add(pair, "Asm.1", nullptr, added), S_OK);
    const MemProduct* assembly = MemProduct::From(added);
    ASSERT_NE(assembly, nullptr);
    EXPECT_NE(assembly->FindChild("Bolt.1"), nullptr);
    EXPECT_EQ(assembly->FindChild("Nut.1") != nullptr, row.nut_added);
    EXPECT_EQ(krvwd7_test::Traced(
                  "Test (VersionInBB !=  VersionInPSN) && (RevisionInBB != RevisionInPSN)"),
              !row.nut_added);
    session().Close();
  }
}

TEST_F(AddToBlackBoxTest, RefusalsRaiseTheirKeysAndChangeNothing) {
  const struct {
    const char* name;
    void (*prepare)(BlackBoxPair&);
    bool psn_root_is_no_product, target_is_no_product;
    const char* key;
  } rows[] = {
      {"PSN root in no document", [](BlackBoxPair&) {}, true, false, "ErrId0"},
      {"PSN not from VPM", [](BlackBoxPair& p) { p.psnDocument->SetPdm(false); }, false, false,
       "ErrId1"},
      {"target in no document", [](BlackBoxPair&) {}, false, true, "ErrId2"},
      {"black box not from VPM", [](BlackBoxPair& p) { p.bbDocument->SetPdm(false); }, false,
       false, "ErrId3"},
      {"black-box list", [](BlackBoxPair&) {
         MemFaults::AddAt(MemFaultPoint::kGetAllChildren, E_FAIL, "BB.CATProduct", "");
       }, false, false, "ErrId4"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BlackBoxPair pair = PairWithout("Asm.1");
    row.prepare(pair);
    const MemSnapshot before(session());
    CATBaseUnknown_var added;
    EXPECT_EQ(KRVEWD7BlackBoxServices().AddToBlackBox(
                  Handle(pair.psn["Asm.1"]),
                  row.psn_root_is_no_product ? krvwd7_test::NotAProduct() : Handle(pair.psnRoot),
                  row.target_is_no_product ? krvwd7_test::NotAProduct() : Handle(pair.bbRoot),
                  added, 0),
              E_FAIL);
    EXPECT_EQ(LastErrorKey(), std::string("KRVWD7AddToBB/") + row.key);
    EXPECT_FALSE(added);
    EXPECT_FALSE(krvwd7_test::Traced("<< KRVEWD7BlackBoxServices::AddToBlackBox"));
    EXPECT_TRUE(before.ChangesTo(session()).empty());
    ResetSession();
  }
}

// The picked product that cannot be added is an error; a child that cannot
// be added is traced and the others still come.
TEST_F(AddToBlackBoxTest, FailedAdditions) {
  BlackBoxPair pair = PairWithout("Asm.1");
  MemFaults::AddAt(MemFaultPoint::kCopyAndPaste, E_FAIL, "PSN.CATProduct", "Asm.1/Bolt.1");
  CATBaseUnknown_var added;
  EXPECT_EQ(Add(pair, "Asm.1", nullptr, added), S_OK);
  ASSERT_TRUE(added);
  EXPECT_EQ(MemProduct::From(added)->FindChild("Bolt.1"), nullptr);
  EXPECT_NE(MemProduct::From(added)->FindChild("Nut.1"), nullptr);
  EXPECT_TRUE(krvwd7_test::Traced("KRVWD7CoreServices::AddProductFromPSNtoBB (2) failed"));
  session().Close();

  pair = PairWithout("Asm.1");
  MemFaults::Clear();
  MemFaults::Add(MemFaultPoint::kAddNewComponent, E_FAIL);
  EXPECT_EQ(Add(pair, "Asm.1", nullptr, added), E_FAIL);
  EXPECT_EQ(LastErrorKey(), "KRVWD7AddToBB/ErrId6");
}

// The operation against its plain form (test support) on a generated PSN:
// the same result, trace and session, branch after branch.
TEST_F(AddToBlackBoxTest, AgreesWithThePlainFormOnAGeneratedPSN) {
  MemPSNSpec spec;
  spec.products = 400;
  spec.seed = 7;
  for (size_t pick : {size_t{0}, size_t{1}, size_t{37}, size_t{150}}) {
    SCOPED_TRACE(pick);
    std::string texts[2];
    std::vector<std::string> traces[2];
    HRESULT results[2];
    for (int plain = 0; plain < 2; ++plain) {
      session().Close();
      MemPSNPair pair = MemBuilder(session()).GeneratePSN(spec);
      ASSERT_LT(pick, pair.psnProducts.size());
      KRVWD7UtiTracer::ClearLines();
      CATBaseUnknown_var added;
      const CATBaseUnknown_var product = Handle(pair.psnProducts[pick]);
      const CATBaseUnknown_var psn_root = Handle(pair.psnRoot), bb_root = Handle(pair.bbRoot);
      results[plain] =
          plain ? krvwd7_literal::AddToBlackBox(product, psn_root, bb_root, added)
                : KRVEWD7BlackBoxServices().AddToBlackBox(product, psn_root, bb_root, added, 0);
      traces[plain] = krvwd7_test::TraceWithoutTimes();
      texts[plain] = session().SaveToText();
    }
    EXPECT_EQ(results[0], S_OK);
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(traces[0], traces[1]);
    EXPECT_TRUE(texts[0] == texts[1]) << "the sessions differ";
  }
}

}  // namespace
