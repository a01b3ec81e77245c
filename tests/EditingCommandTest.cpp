// The frame of the krvwd7 commands that run a service: products named on
// the command line, writing the result, the report; run in-process on the
// bundled examples (the executable's own cases are in CMakeLists.txt).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "CATBaseUnknown.h"
#include "Commands.h"
#include "ProductName.h"
#include "Table.h"

namespace krvwd7 {
namespace {

const std::string kExamples = std::string(KRVWD7_SOURCE_DIR) + "/examples/";

TEST(ProductNameTest, ParsesDocumentsPathsAndEscapes) {
  const struct {
    const char* text;
    const char* document;
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
    const char* text;
    const char* message;
  } rows[] = {
      {":Bolt.1", "no document before the ':'"},
      {"", "no document before the ':'"},
      {"D:a//b", "an empty name in the product path"},
      {"D:/a", "an empty name in the product path"},
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

struct CommandRun {
  int code;
  std::string out, err;
};

class EditingCommandTest : public ::testing::Test {
 protected:
  // CTest runs the tests of this fixture in parallel processes: each has a
  // target of its own.
  void SetUp() override {
    live_ = CATBaseUnknown::LiveObjects();
    target_ = ::testing::TempDir() + "krvwd7-editing-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".json";
  }
  void TearDown() override {
    EXPECT_EQ(CATBaseUnknown::LiveObjects(), live_) << "the command left objects behind";
    std::remove(target_.c_str());
  }
  static CommandRun UpdatePosition(UpdatePositionOptions iOptions) {
    iOptions.edit.common.batch = true;
    std::ostringstream out, err;
    int code = RunUpdatePosition(iOptions, out, err);
    return {code, out.str(), err.str()};
  }
  static bool Exists(const std::string& iPath) { return std::ifstream(iPath).good(); }

  std::string target_;
  long live_ = 0;
};

// update-position on the demo, then diff of the written session: the
// position entry is gone, everything else is still there.
TEST_F(EditingCommandTest, UpdatePositionWritesASessionWhereThePositionAgrees) {
  UpdatePositionOptions options;
  options.edit.common.session = kExamples + "demo.json";
  options.edit.common.json = true;
  options.edit.output = target_;
  CommandRun run = UpdatePosition(options);
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_EQ(run.err, "");
  nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["written"], target_);
  EXPECT_EQ(report["result"], 0);
  ASSERT_EQ(report["changes"].size(), 1u) << report["changes"].dump(2);
  const nlohmann::json& change = report["changes"][0];
  EXPECT_EQ(change["kind"], "PSN position");
  EXPECT_EQ(change["product"], "CAR.CATProduct:Chassis.1/Bolt.1");
  EXPECT_NE(change["old"], change["new"]);
  EXPECT_EQ(report["products"][0]["product"], "CAR.CATProduct:Chassis.1/Bolt.1");

  auto types = [](const std::string& iSession) {
    DiffOptions diff;
    diff.common.session = iSession;
    diff.common.json = true;
    diff.common.batch = true;
    std::ostringstream out, err;
    EXPECT_EQ(RunDiff(diff, out, err), kExitDifferences) << err.str();
    std::multiset<std::string> found;
    const nlohmann::json report = nlohmann::json::parse(out.str());
    for (const auto& entry : report["entries"]) {
      found.insert(entry["type"].get<std::string>());
    }
    return found;
  };
  std::multiset<std::string> before = types(kExamples + "demo.json");
  ASSERT_EQ(before.count("POSITION"), 1u);
  before.erase("POSITION");
  EXPECT_EQ(types(target_), before);
}

// The change report takes the width it is given, like diff's table, and
// shortens nothing without one.
TEST_F(EditingCommandTest, ReportFitsTheWidthAndIsWholeWithoutOne) {
  UpdatePositionOptions options;
  options.edit.common.session = kExamples + "demo.json";
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
  std::istringstream lines(fitted.out);
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) EXPECT_LE(TextWidth(line), 70) << line;
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
  std::ostringstream out, err;
  ASSERT_EQ(RunAdd(options, out, err), kExitOk) << err.str();
  nlohmann::json report = nlohmann::json::parse(out.str());
  ASSERT_EQ(report["products"].size(), 1u);
  EXPECT_EQ(report["products"][0]["product"], "BB-CAR.CATProduct:CAR.1/Radio.1");
  EXPECT_EQ(report["summary"], nlohmann::json({{"added", 1}}));

  auto added = [](const std::string& iSession) {
    DiffOptions diff;
    diff.common.session = iSession;
    diff.common.json = true;
    diff.common.batch = true;
    std::ostringstream out, err;
    EXPECT_EQ(RunDiff(diff, out, err), kExitDifferences) << err.str();
    const nlohmann::json report = nlohmann::json::parse(out.str());
    return std::make_pair(report["added"].size(), report["entries"].size());
  };
  EXPECT_EQ(added(kExamples + "demo.json"), std::make_pair(size_t{1}, size_t{8}));
  EXPECT_EQ(added(target_), std::make_pair(size_t{0}, size_t{8}));
}

}  // namespace
}  // namespace krvwd7
