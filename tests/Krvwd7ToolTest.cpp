// The krvwd7 commands run in-process on the bundled examples.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "CATBaseUnknown.h"
#include "Commands.h"
#include "Table.h"

namespace krvwd7 {
namespace {

const std::string kExamples = std::string(KRVWD7_SOURCE_DIR) + "/examples/";

TEST(TableTest, ShortensTheMiddleOfPathsToFitAndKeepsOtherColumns) {
  Table table;
  table.AddColumn("PATH", 1);
  table.AddColumn("PART");
  std::string path = "Root/" + std::string(120, 'x') + "/Écrou.1";
  table.AddRow({path, "P-100"});
  std::ostringstream out;
  table.Print(out, 40);
  std::istringstream lines(out.str());
  std::string line;
  while (std::getline(lines, line)) {
    EXPECT_LE(TextWidth(line), 40) << line;
  }
  EXPECT_NE(out.str().find("Root/"), std::string::npos);
  EXPECT_NE(out.str().find("/Écrou.1"), std::string::npos);  // both ends kept
  EXPECT_NE(out.str().find("P-100"), std::string::npos);     // never cut
}

TEST(TableTest, PathColumnDropsItsCommonRootOnlyWhenItMustBeCut) {
  const struct {
    const char* second;  // the other path of the column
    int width;
    const char* shown;   // how the first path is shown
  } rows[] = {
      {"BB-CAR/CAR.1/Engine.1", 100, "BB-CAR/CAR.1/Chassis.1/Axle.1"},  // fits: kept
      {"BB-CAR/CAR.1/Engine.1", 40, "CAR.1/Chassis.1/Axle.1"},          // root dropped
      {"OTHER/CAR.1/Engine.1", 40, "BB-CAR/CAR.…s.1/Axle.1"},           // no common root: cut
      {"-", 40, "CAR.1/Chassis.1/Axle.1"},                              // "-" is no path
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.second) + " in " + std::to_string(row.width));
    Table table;
    table.AddColumn("PATH", 1, false, 8, true);
    table.AddColumn("CHANGE");
    table.AddRow({"BB-CAR/CAR.1/Chassis.1/Axle.1", std::string(16, 'c')});
    table.AddRow({row.second, "x"});
    std::ostringstream out;
    table.Print(out, row.width);
    std::istringstream lines(out.str());
    std::string line;
    for (int i = 0; i < 3; ++i) std::getline(lines, line);
    EXPECT_EQ(line.substr(0, line.find(' ')), row.shown) << out.str();
  }
}

TEST(TableTest, ShortenMiddleCountsCharactersNotBytes) {
  EXPECT_EQ(ShortenMiddle("ééééé", 5), "ééééé");
  EXPECT_EQ(TextWidth(ShortenMiddle("éééééééééé", 5)), 5);
  EXPECT_EQ(ShortenMiddle("abcdefghij", 5), "ab…ij");
}

struct CommandRun {
  int code;
  std::string out, err;
};

CommandRun Diff(const std::string& iSession, bool iJson) {
  DiffOptions options;
  options.common.session = iSession;
  options.common.json = iJson;
  options.common.batch = true;
  std::ostringstream out, err;
  int code = RunDiff(options, out, err);
  return {code, out.str(), err.str()};
}

TEST(DiffCommandTest, JsonCountsEveryEntryAndAddedProduct) {
  long live = CATBaseUnknown::LiveObjects();
  CommandRun run = Diff(kExamples + "demo.json", true);
  ASSERT_EQ(run.code, kExitDifferences) << run.err;
  nlohmann::json doc = nlohmann::json::parse(run.out);
  int entries = static_cast<int>(doc["entries"].size());
  int added = static_cast<int>(doc["added"].size());
  EXPECT_EQ(doc["nbDiff"].get<int>(), entries + added);
  EXPECT_GT(entries, 0);
  std::set<std::string> types;
  for (const auto& entry : doc["entries"]) {
    types.insert(entry["type"].get<std::string>());
    EXPECT_EQ(entry["bb"]["position"].size(), 12u);
  }
  // The sample shows every kind the comparison classifies.
  for (const char* type : {"REMOVED", "VERSION", "REVISION", "VERSION/REVISION",
                           "ALTCUSTO", "POSITION", "REPLACE", "IDCHANGE"}) {
    EXPECT_EQ(types.count(type), 1u) << type;
  }
  EXPECT_GT(added, 0);
  EXPECT_EQ(CATBaseUnknown::LiveObjects(), live);  // the session was closed
}

TEST(DiffCommandTest, UpToDatePairExitsZeroAndTableSaysSo) {
  CommandRun run = Diff(kExamples + "uptodate.json", false);
  EXPECT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Up to date"), std::string::npos) << run.out;
}

TEST(DiffCommandTest, UnknownDocumentIsAUsageError) {
  DiffOptions options;
  options.common.session = kExamples + "demo.json";
  options.psn = "NoSuchDocument";
  std::ostringstream out, err;
  EXPECT_EQ(RunDiff(options, out, err), kExitUsage);
  EXPECT_NE(err.str().find("no product document named 'NoSuchDocument'"),
            std::string::npos)
      << err.str();
  EXPECT_TRUE(out.str().empty());
}

TEST(RecordsCommandTest, JsonHasAllFieldsOfEveryRecord) {
  RecordsOptions options;
  options.common.session = kExamples + "demo.json";
  options.common.json = true;
  std::ostringstream out, err;
  ASSERT_EQ(RunRecords(options, out, err), kExitOk) << err.str();
  nlohmann::json doc = nlohmann::json::parse(out.str());
  ASSERT_FALSE(doc["documents"].empty());
  // The paths begin with the root's name; a type 2 black box's then go
  // through its PSN node.
  const std::map<std::string, std::string> prefix = {{"BB-CAR.CATProduct", "BB-CAR/CAR.1/"},
                                                     {"CAR.CATProduct", "CAR/"}};
  for (const auto& document : doc["documents"]) {
    ASSERT_FALSE(document["records"].empty());
    const std::string& expected = prefix.at(document["document"].get<std::string>());
    for (const auto& record : document["records"]) {
      EXPECT_EQ(record["instancePath"].get<std::string>().rfind(expected, 0), 0u)
          << record["instancePath"];
      for (const char* field : {"product", "instancePath", "version", "revision",
                                "partNumber", "position", "nodeType", "isBlackBox",
                                "printableId", "vpmEnv", "docCompid", "docDisplayName"}) {
        EXPECT_TRUE(record.contains(field)) << field;
      }
    }
  }
}

}  // namespace
}  // namespace krvwd7
