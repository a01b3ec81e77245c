// KRVEWD7BlackBoxServices::IsUpToDate on the small pair of BlackBoxPair.h.
#include "KRVEWD7BlackBoxServices.h"

#include <gtest/gtest.h>

#include <string>

#include "BlackBoxPair.h"
#include "TestSessions.h"

namespace {

using krvwd7_test::BlackBoxPair;

class IsUpToDateTest : public krvwd7_test::HostTest {};

void MoveBolt(BlackBoxPair& ioPair) {
  ioPair.psn["Bolt.1"]->SetPosition(MemBuilder::Translation(15, 0, 0));
}

TEST_F(IsUpToDateTest, ChecksAndAnswers) {
  const struct {
    const char* name;
    int type;
    void (*change)(BlackBoxPair&);
    HRESULT rc;
    unsigned char up_to_date;
  } rows[] = {
      {"up to date, type 1", 1, [](BlackBoxPair&) {}, S_OK, 1},
      {"up to date, type 2", 2, [](BlackBoxPair&) {}, S_OK, 1},
      {"moved bolt, type 1", 1, MoveBolt, S_OK, 0},
      {"version 1 black box", 1,
       [](BlackBoxPair& p) { p.bbRoot->Properties().Erase("BBVersion"); }, E_INVALIDARG, 1},
      {"not a black box (neither marker parameter)", 1,
       [](BlackBoxPair&) { MemFaults::Add(MemFaultPoint::kGetParameter, S_FALSE, "BB"); },
       E_INVALIDARG, 1},
      {"black box not from VPM", 1, [](BlackBoxPair& p) { p.bbDocument->SetPdm(false); },
       E_INVALIDARG, 1},
      {"PSN not from VPM", 1, [](BlackBoxPair& p) { p.psnDocument->SetPdm(false); },
       E_INVALIDARG, 1},
      {"type 2 without the PSN node", 2,
       [](BlackBoxPair& p) { p.bbRoot->Properties().Set("BBPSNPartNumber", "OTHER"); }, E_FAIL, 1},
      {"unknown type", 1, [](BlackBoxPair& p) { p.bbRoot->Properties().Set("BBType", "3"); },
       E_FAIL, 1},
  };
  KRVEWD7BlackBoxServices services;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), row.type);
    row.change(pair);
    unsigned char up_to_date = 7;
    EXPECT_EQ(services.IsUpToDate(*pair.bbDocument, *pair.psnDocument, up_to_date), row.rc);
    EXPECT_EQ(up_to_date, row.up_to_date);
    ResetSession();
  }
  // A PSN document without products.
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
  MemDocument* empty = session().NewShapeDocument("Empty.CATProduct");
  empty->SetPdm(true);
  unsigned char up_to_date = 7;
  EXPECT_EQ(services.IsUpToDate(*pair.bbDocument, *empty, up_to_date), E_FAIL);
  EXPECT_EQ(up_to_date, 1);
}

TEST_F(IsUpToDateTest, WritesNoTraceOfItsOwn) {
  BlackBoxPair pair = krvwd7_test::MakeBlackBoxPair(session(), 1);
  unsigned char up_to_date = 0;
  EXPECT_EQ(KRVEWD7BlackBoxServices().IsUpToDate(*pair.bbDocument, *pair.psnDocument, up_to_date),
            S_OK);
  for (const std::string& line : KRVWD7UtiTracer::Lines()) {
    EXPECT_EQ(line.find("IsUpToDate"), std::string::npos) << line;
  }
  EXPECT_FALSE(KRVWD7UtiTracer::Lines().empty());
}

}  // namespace
