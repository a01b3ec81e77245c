// The frame of the krvwd7 commands that run a service: products named on
// the command line, writing the result, the report; run in-process on the
// bundled examples (the executable's own cases are in CMakeLists.txt).
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "CommandTestSupport.h"
#include "ProductName.h"
#include "Table.h"

namespace krvwd7 {
namespace {

TEST(ProductNameTest, ParsesDocumentsPathsAndEscapes) {
  const struct {
    const char *text, *document;
    std::vector<std::string> path;
    const char* canonical;  // as FormatProductName writes it back
  } rows[] = {
      {"CAR.CATProduct", "CAR.CATProduct", {}, "CAR.CATProduct"},
      {"CAR.CATProduct:", "CAR.CATProduct", {}, "CAR.CATProduct"},
      {"CAR.CATProduct:Chassis.1/Bolt.1", "CAR.CATProduct", {"Chassis.1", "Bolt.1"},
       "CAR.CATProduct:Chassis.1/Bolt.1"},
      {R"(D\:\\x:Nut\/A\:1/a\b)", R"(D:\x)", {"Nut/A:1", "ab"}, R"(D\:\\x:Nut\/A\:1/ab)"},
      {"D:a:b", "D", {"a:b"}, R"(D:a\:b)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    ProductName name;
    std::string error;
    ASSERT_TRUE(ParseProductName(row.text, name, error)) << error;
    EXPECT_EQ(name.document, row.document);
    EXPECT_EQ(name.path, row.path);
    EXPECT_EQ(FormatProductName(name.document, name.path), row.canonical);
  }
}

TEST(ProductNameTest, RefusesMalformedNamesWithAMessage) {
  const struct {
    const char *text, *message;
  } rows[] = {
      {":Bolt.1", "no document before the ':'"},
      {"D:a//b", "an empty name in the product path"},
      {"D:a/", "an empty name in the product path"},
      {"D:a\\", "a backslash at the end"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    ProductName name;
    std::string error;
    EXPECT_FALSE(ParseProductName(row.text, name, error));
    EXPECT_NE(error.find(row.message), std::string::npos) << error;
  }
}

class EditingCommandTest : public CommandTest {
 protected:
  void TearDown() override {
    std::remove(target_.c_str());
    CommandTest::TearDown();
  }
  static CommandRun UpdatePosition(UpdatePositionOptions iOptions) {
    iOptions.edit.common.batch = true;
    iOptions.edit.common.session = kExamples + "demo.json";
    return RunCommand(&RunUpdatePosition, iOptions);
  }
  // The types of the entries (by kind) and the number of added products of
  // the comparison of iSession, which differs.
  static std::pair<std::multiset<std::string>, size_t> Differences(const std::string& iSession) {
    const CommandRun run = Diff(iSession, true);
    EXPECT_EQ(run.code, kExitDifferences) << run.err;
    const nlohmann::json report = run.Json();
    std::multiset<std::string> types;
    for (const auto& entry : report["entries"]) types.insert(entry["type"].get<std::string>());
    return {types, report["added"].size()};
  }

  const std::string target_ = TempName(".json");
};

// update-position on the demo, then diff of the written session: the
// position entry is gone, everything else is still there.
TEST_F(EditingCommandTest, UpdatePositionWritesASessionWhereThePositionAgrees) {
  UpdatePositionOptions options;
  options.edit.common.json = true;
  options.edit.output = target_;
  CommandRun run = UpdatePosition(options);
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_EQ(run.err, "");
  nlohmann::json report = run.Json();
  EXPECT_EQ(report["written"], target_);
  EXPECT_EQ(report["result"], 0);
  ASSERT_EQ(report["changes"].size(), 1u) << report["changes"].dump(2);
  const nlohmann::json& change = report["changes"][0];
  EXPECT_EQ(change["kind"], "PSN position");
  EXPECT_EQ(change["product"], "CAR.CATProduct:Chassis.1/Bolt.1");
  EXPECT_NE(change["old"], change["new"]);
  EXPECT_EQ(report["products"][0]["product"], "CAR.CATProduct:Chassis.1/Bolt.1");
  std::multiset<std::string> before = Differences(kExamples + "demo.json").first;
  ASSERT_EQ(before.count("POSITION"), 1u);
  before.erase("POSITION");
  EXPECT_EQ(Differences(target_).first, before);
}

// The change report takes the width it is given, like diff's table, and
// shortens nothing without one.
TEST_F(EditingCommandTest, ReportFitsTheWidthAndIsWholeWithoutOne) {
  UpdatePositionOptions options;
  options.edit.dryRun = true;
  options.edit.common.width = 0;
  CommandRun whole = UpdatePosition(options);
  ASSERT_EQ(whole.code, kExitOk) << whole.err;
  EXPECT_EQ(whole.out.find("\xE2\x80\xA6"), std::string::npos) << whole.out;  // no "…"
  options.edit.common.width = 70;
  CommandRun fitted = UpdatePosition(options);
  ASSERT_EQ(fitted.code, kExitOk) << fitted.err;
  EXPECT_NE(fitted.out.find("\xE2\x80\xA6"), std::string::npos) << fitted.out;
  // The tables and the summary; the headline is a sentence, which the
  // terminal wraps.
  const std::vector<std::string> lines = SplitLines(fitted.out);
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_LE(TextWidth(lines[i]), 70) << lines[i];
}

// add of the demo's added product, then diff of the written session: it is
// no longer an added product, and nothing else changed.
TEST_F(EditingCommandTest, AddWritesASessionWhereTheProductIsNoLongerAdded) {
  AddOptions options;
  options.edit.common.session = kExamples + "demo.json";
  options.edit.common.json = true;
  options.edit.common.batch = true;
  options.edit.output = target_;
  options.product = "CAR.CATProduct:Radio.1";
  const CommandRun run = RunCommand(&RunAdd, options);
  ASSERT_EQ(run.code, kExitOk) << run.err;
  nlohmann::json report = run.Json();
  ASSERT_EQ(report["products"].size(), 1u);
  EXPECT_EQ(report["products"][0]["product"], "BB-CAR.CATProduct:CAR.1/Radio.1");
  EXPECT_EQ(report["summary"], nlohmann::json({{"added", 1}}));
  const auto before = Differences(kExamples + "demo.json");
  EXPECT_EQ(before.first.size(), 8u);
  EXPECT_EQ(before.second, 1u);
  EXPECT_EQ(Differences(target_), std::make_pair(before.first, size_t{0}));
}

}  // namespace
}  // namespace krvwd7
