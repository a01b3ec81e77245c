// krvwd7 sync, run in-process: the guarantee that a synchronised black box
// compares up to date (on generated pairs with every kind of difference;
// the bundled examples are cli cases), the differences it cannot remove and
// positions carried to the PSN.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "CommandTestSupport.h"

namespace krvwd7 {
namespace {

// sync of iSession in batch: with a JSON report when iOutput is given (and
// the result written there), a dry run with a text report when it is not.
CommandRun Sync(const std::string& iSession, const std::string& iOutput,
                const std::string& iPositions = "") {
  SyncOptions options;
  options.edit.common.session = iSession;
  options.edit.common.batch = true;
  options.edit.common.json = !iOutput.empty();
  options.edit.output = iOutput;
  options.edit.dryRun = iOutput.empty();
  if (!iPositions.empty()) options.positions = iPositions;
  return RunCommand(&RunSync, options);
}

nlohmann::json ReadJson(const std::string& iPath) {
  std::ifstream in(iPath);
  return nlohmann::json::parse(in);
}

void WriteJson(const nlohmann::json& iJson, const std::string& iPath) {
  std::ofstream(iPath) << iJson.dump();
}

// scripts/gen-session ARGS -o iPath.
void Generate(const std::string& iArgs, const std::string& iPath) {
  const std::string command =
      "python3 " + kSource + "/scripts/gen-session " + iArgs + " -o " + iPath;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

class SyncCommandTest : public CommandTest {
 protected:
  void TearDown() override {
    for (const std::string& path : {input_, target_}) std::remove(path.c_str());
    CommandTest::TearDown();
  }

  // sync of iSession to target_ with a JSON report; then diff of the
  // result must be up to date, a second sync must plan nothing, and the
  // PSN document must be untouched.
  void ExpectSyncedUpToDate(const std::string& iSession) {
    const CommandRun run = Sync(iSession, target_);
    ASSERT_EQ(run.code, kExitOk) << run.out << run.err;
    const nlohmann::json report = run.Json();
    EXPECT_EQ(report["details"]["upToDate"], true);
    EXPECT_TRUE(report["details"]["remaining"].empty()) << report["details"]["remaining"];
    for (const auto& change : report["changes"]) {
      EXPECT_NE(change["kind"], "PSN position") << change;
      EXPECT_EQ(change["document"].get<std::string>().rfind("BB-", 0), 0u) << change;
    }
    const CommandRun diff = Diff(target_);
    EXPECT_EQ(diff.code, kExitOk) << diff.out << diff.err;
    const CommandRun second = Sync(target_, "");
    EXPECT_EQ(second.code, kExitOk) << second.out;
    EXPECT_NE(second.out.find("Plan: nothing to do"), std::string::npos) << second.out;
  }

  const std::string input_ = TempName("-input.json"), target_ = TempName(".json");
};

// Generated pairs with every kind of difference, for each replaced-product
// method, black-box type and flattened or not.
struct Shape {
  int type;
  bool flatten;
  int method;
};

class SyncGuaranteeTest : public SyncCommandTest,
                          public ::testing::WithParamInterface<Shape> {};

TEST_P(SyncGuaranteeTest, GeneratedPairsEndUpToDate) {
  const Shape shape = GetParam();
  const int kSeeds = 32;
  // One start of Python for all the seeds of a shape. Sizes, fan-outs and
  // shares vary with the seed; every share gives at least one product of
  // each kind.
  const std::string prefix = TempName("-");
  std::vector<std::string> runs;
  {
    std::ofstream list(prefix + "list.txt");
    for (int seed = 1; seed <= kSeeds; ++seed) {
      std::ostringstream args;
      args << 40 + (seed * 37) % 160 << " --seed " << seed << " --fanout " << 2 + seed % 9
           << " --share " << 0.02 + (seed % 5) * 0.02 << " --type " << shape.type
           << " --method " << shape.method << (shape.flatten ? " --flatten" : "");
      runs.push_back(args.str());
      list << args.str() << " -o " << prefix << seed << ".json\n";
    }
  }
  const std::string command =
      "python3 " + kSource + "/scripts/gen-session --list " + prefix + "list.txt";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (int seed = 1; seed <= kSeeds; ++seed) {
    SCOPED_TRACE(runs[static_cast<size_t>(seed - 1)]);
    const std::string session = prefix + std::to_string(seed) + ".json";
    ExpectSyncedUpToDate(session);
    std::remove(session.c_str());
    if (HasFailure()) return;
  }
  std::remove((prefix + "list.txt").c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, SyncGuaranteeTest,
    ::testing::Values(Shape{2, false, 1}, Shape{2, false, 2}, Shape{2, true, 1},
                      Shape{2, true, 2}, Shape{1, false, 1}, Shape{1, false, 2},
                      Shape{1, true, 1}, Shape{1, true, 2}),
    [](const ::testing::TestParamInfo<Shape>& iInfo) {
      return "Type" + std::to_string(iInfo.param.type) +
             (iInfo.param.flatten ? "Flattened" : "") + "Method" +
             std::to_string(iInfo.param.method);
    });

// A sub-assembly the PSN lacks is deleted after its children (each
// "REMOVED" entry is one delete, none twice); one the black box lacks is
// added before its children.
TEST_F(SyncCommandTest, DeletesChildrenFirstAndAddsFathersFirst) {
  Generate("60 --fanout 4 --share 0", input_);
  nlohmann::json session = ReadJson(input_);
  nlohmann::json& bb_assemblies = session["documents"][0]["root"]["children"][0]["ref"]["children"];
  nlohmann::json& psn_assemblies = session["documents"][1]["root"]["children"];
  ASSERT_EQ(bb_assemblies[1]["name"], "Asm1.1");
  ASSERT_EQ(psn_assemblies[2]["name"], "Asm2.1");
  bb_assemblies.erase(1);   // Asm1.1 and its parts are added PSN products
  psn_assemblies.erase(2);  // Asm2.1 and its parts are removed
  WriteJson(session, input_);
  ExpectSyncedUpToDate(input_);

  SyncOptions options;
  options.edit.common.session = input_;
  options.edit.common.json = true;
  options.edit.common.batch = true;
  options.edit.dryRun = true;
  const nlohmann::json actions = RunCommand(&RunSync, options).Json()["details"]["actions"];
  std::vector<std::string> adds, deletes;
  for (const auto& action : actions) {
    EXPECT_EQ(action["group"], action["action"] == "add" ? "Asm1.1" : "Asm2.1") << action;
    (action["action"] == "add" ? adds : deletes).push_back(action["product"]);
  }
  ASSERT_EQ(adds.size(), 5u);
  EXPECT_EQ(adds.front(), "GEN.CATProduct:Asm1.1");
  ASSERT_EQ(deletes.size(), 5u);
  EXPECT_EQ(deletes.back(), "BB-GEN.CATProduct:GEN.1/Asm2.1");
}

// The differences the library's operations cannot remove are reported with
// the action that was meant to, not hidden:
//  - a PSN sub-assembly with a revision: the black box holds it as a
//    component instance, and the comparison reads no revision from those,
//    so UpdateBBNodeFromPSN copies the revision onto a reference that the
//    comparison never reads.
TEST_F(SyncCommandTest, ReportsWhatTheOperationsCannotRemove) {
  Generate("60 --fanout 10 --share 0", input_);
  nlohmann::json session = ReadJson(input_);
  session["documents"][1]["root"]["children"][2]["ref"]["revision"] = "B";
  WriteJson(session, input_);

  const CommandRun run = Sync(input_, target_);
  EXPECT_EQ(run.code, kExitDifferences) << run.err;
  const nlohmann::json report = run.Json();
  const nlohmann::json& details = report["details"];
  ASSERT_EQ(details["actions"].size(), 1u) << details;
  EXPECT_EQ(details["actions"][0]["action"], "update-node");
  EXPECT_EQ(details["actions"][0]["group"], "Asm2.1");
  ASSERT_EQ(details["remaining"].size(), 1u) << details;
  EXPECT_EQ(details["remaining"][0]["difference"], "REVISION");
  EXPECT_EQ(details["remaining"][0]["action"], 1);
  EXPECT_EQ(details["upToDate"], false);
  EXPECT_EQ(report["written"], target_);  // nothing failed: the result is written
}

// --positions to-psn carries the black box's position to the PSN; the
// default takes the PSN's.
TEST_F(SyncCommandTest, PositionsGoTheWayAsked) {
  for (const char* direction : {"from-psn", "to-psn"}) {
    SCOPED_TRACE(direction);
    const CommandRun run = Sync(kExamples + "demo.json", target_, direction);
    ASSERT_EQ(run.code, kExitOk) << run.err;
    const nlohmann::json report = run.Json();
    int bb_moves = 0, psn_moves = 0;
    for (const auto& change : report["changes"]) {
      if (change["kind"] == "position") ++bb_moves;
      if (change["kind"] == "PSN position") ++psn_moves;
    }
    const bool to_psn = std::string(direction) == "to-psn";
    EXPECT_EQ(bb_moves, to_psn ? 0 : 1);
    EXPECT_EQ(psn_moves, to_psn ? 1 : 0);
    EXPECT_EQ(Diff(target_).code, kExitOk);
  }
}

}  // namespace
}  // namespace krvwd7
