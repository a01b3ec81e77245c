// A PSN product added to its black box with its chain, through the tool's
// session loader: once saved and reloaded, `krvwd7 diff` no longer lists it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CATBaseUnknown.h"
#include "Commands.h"
#include "HostSession.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "MemBuilder.h"
#include "ToolSession.h"

namespace krvwd7 {
namespace {

std::string TempPath(const std::string& iName) {
  return ::testing::TempDir() + "/" + std::to_string(::getpid()) + "-" + iName;
}

// A PSN CAR with Engine.1/Block.1/Piston.1 and Lamp.1, and its black box
// of type 2 that holds only CAR.1, written to iPath.
void WriteSession(const std::string& iPath) {
  MemSession& session = MemSession::Current();
  MemBuilder build(session);
  MemProduct* car = build.Document("CAR.CATProduct", "CAR", true)->Root();
  car->Vpm() = MemVpm{MemBuilder::PrintableId(1, {}), "VPMENV  ", ""};
  MemProduct* father = car;
  std::vector<uint64_t> clinks;
  for (const char* number : {"ENGINE", "BLOCK", "PISTON"}) {
    const bool leaf = std::string(number) == "PISTON";
    father = build.Add(father, std::string(number) + ".1", number,
                       leaf ? MemKind::kPart : MemKind::kProduct);
    clinks.push_back(0xC01 + clinks.size());
    father->Vpm() = MemVpm{MemBuilder::PrintableId(1, clinks),
                           father->Father()->Vpm().env + "/VPMENV  ", ""};
    father->SetPosition(MemBuilder::Translation(10, 0, 0));
  }
  MemProduct* lamp = build.Part(car, "LAMP.1", "LAMP");
  lamp->Vpm() = MemVpm{MemBuilder::PrintableId(1, {0xD01}), "VPMENV  /VPMENV  ", ""};

  MemProduct* bb = build.Document("BB.CATProduct", "BB", true)->Root();
  bb->AddParm("BBNote", "black box of CAR");
  bb->Properties() = {{"BBVersion", "2"},
                      {"BBType", "2"},
                      {"BBPSNPartNumber", "CAR"},
                      {"BBPSNPrintableId", car->Vpm().printableId}};
  MemProduct* node = build.Add(bb, "CAR.1", "CAR", MemKind::kComponent);
  node->Properties() = {{"BBPrintableId", car->Vpm().printableId}, {"BBVpmEnv", "VPMENV  "}};
  ASSERT_TRUE(session.Save(iPath).ok);
  session.Close();
}

// The part numbers that `krvwd7 diff --json` lists as added; oEntries the
// number of the other differences.
std::set<std::string> AddedParts(const std::string& iSession, size_t& oEntries) {
  DiffOptions options;
  options.common.session = iSession;
  options.common.json = true;
  options.common.batch = true;
  std::ostringstream out, err;
  const int code = RunDiff(options, out, err);
  EXPECT_NE(code, kExitUsage) << err.str();
  const nlohmann::json doc = nlohmann::json::parse(out.str());
  oEntries = doc["entries"].size();
  std::set<std::string> parts;
  for (const auto& record : doc["added"]) {
    parts.insert(record["partNumber"].get<std::string>());
  }
  return parts;
}

TEST(AddProductToolTest, ProductAddedWithItsChainIsNoLongerListed) {
  const long live = CATBaseUnknown::LiveObjects();
  const std::string before = TempPath("add-before.json");
  const std::string after = TempPath("add-after.json");
  WriteSession(before);
  size_t entries = 1;
  EXPECT_EQ(AddedParts(before, entries),
            (std::set<std::string>{"ENGINE", "BLOCK", "PISTON", "LAMP"}));
  {
    ToolSession tool;
    CommonOptions options;
    options.session = before;
    options.batch = true;
    std::string error;
    ASSERT_TRUE(tool.Open(options, error)) << error;
    CATBaseUnknown_var bb_root, psn_root, node, piston, added;
    ASSERT_EQ(KRVWD7UtiPrdDocServices::RetrieveRootProduct(tool.FindDocument("BB.CATProduct"),
                                                           bb_root),
              S_OK);
    ASSERT_EQ(KRVWD7UtiPrdDocServices::RetrieveRootProduct(
                  tool.FindDocument("CAR.CATProduct"), psn_root),
              S_OK);
    int type = 0;
    ASSERT_EQ(KRVWD7CoreServices::RetrievePSNNode(bb_root, node, type), S_OK);
    ASSERT_EQ(KRVWD7UtiPrdServices::FindInstance(psn_root, "PISTON", 0, piston, 0), S_OK);
    KRVWD7PrdInfo record;
    ASSERT_EQ(record.RetrieveInfo(piston, psn_root, 0), S_OK);
    EXPECT_EQ(KRVWD7CoreServices::AddProductFromPSNtoBB(record, psn_root, node, added, 0),
              S_OK);
    ASSERT_TRUE(HostSession::Save(after, error)) << error;
  }
  // Piston.1 and the two levels above it are there, as in the PSN; the
  // lamp is still missing.
  EXPECT_EQ(AddedParts(after, entries), std::set<std::string>{"LAMP"});
  EXPECT_EQ(entries, 0u);
  std::remove(before.c_str());
  std::remove(after.c_str());
  EXPECT_EQ(CATBaseUnknown::LiveObjects(), live);
}

}  // namespace
}  // namespace krvwd7
