// The krvwd7 commands run in-process on the bundled examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>

#include "CommandTestSupport.h"
#include "KRVWD7UtiDlgProgress.h"
#include "PSNFileTestSupport.h"
#include "Table.h"
#include "Terminal.h"
#include "ToolSession.h"

namespace krvwd7 {
namespace {

using krvwd7_test::ReadFile;
using krvwd7_test::WriteFile;

TEST(TableTest, PathColumnDropsItsCommonRootOnlyWhenItMustBeCut) {
  const struct {
    const char* second;  // the other path of the column
    int width;
    const char* shown;   // how the first path is shown
  } rows[] = {
      {"BB-CAR/CAR.1/Engine.1", 100, "BB-CAR/CAR.1/Chassis.1/Axle.1"},  // fits: kept
      {"BB-CAR/CAR.1/Engine.1", 40, "CAR.1/Chassis.1/Axle.1"},          // root dropped
      {"OTHER/CAR.1/Engine.1", 40, "…/Chassis.1/Axle.1"},               // no common root: cut
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
    const std::string line = SplitLines(out.str()).at(2);
    EXPECT_EQ(line.substr(0, line.find(' ')), row.shown) << out.str();
  }
}

TEST(TableTest, ShortenPathKeepsTheLeafAndItsFathersWhole) {
  const std::string path = "GEN.1/Asm1960.1/Part98018.1";
  const struct {
    int width;
    const char* shown;
  } rows[] = {
      {27, "GEN.1/Asm1960.1/Part98018.1"},  // fits
      {23, "…/Asm1960.1/Part98018.1"},
      {22, "…/Part98018.1"},                // the father no longer fits
      {12, "…Part98018.1"},                 // nor "…/" and the leaf: the path's end
      {1, "…"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.width);
    EXPECT_EQ(ShortenPath(path, row.width), row.shown);
  }
  EXPECT_EQ(ShortenPath("Écrou-très-long.1", 9), "…s-long.1");  // characters, not bytes
}

TEST(TableTest, RowNumbersOfAnyWidthKeepTheColumnsAligned) {
  Table table;
  table.AddColumn("#", 0, true);
  table.AddColumn("PATH", 1, false, 8, true);
  for (int k = 1; k <= 10000; k *= 10) table.AddRow({std::to_string(k), "R/P" + std::to_string(k)});
  std::ostringstream out;
  table.Print(out, 30);
  std::set<size_t> starts;  // where the second column begins
  for (const std::string& line : SplitLines(out.str())) {
    size_t start = line.find_first_not_of(" #-0123456789");
    if (start != std::string::npos) starts.insert(start);  // not the rule
  }
  EXPECT_EQ(starts.size(), 1u) << out.str();
}

TEST(TableTest, WrapListBreaksBetweenItemsAtTheWidth) {
  const std::vector<std::string> items = {"1 REMOVED", "22 VERSION", "333 POSITION", "4 ADDED"};
  const struct {
    int width;
    const char* text;
  } rows[] = {
      {0, "9 differences: 1 REMOVED, 22 VERSION, 333 POSITION, 4 ADDED\n"},
      {40, "9 differences: 1 REMOVED, 22 VERSION,\n  333 POSITION, 4 ADDED\n"},
      {5, "9 differences:\n  1 REMOVED,\n  22 VERSION,\n  333 POSITION,\n  4 ADDED\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.width);
    EXPECT_EQ(WrapList("9 differences:", items, row.width), row.text);
  }
  EXPECT_EQ(WrapList("", {"a", "b"}, 0), "a, b\n");
}

// What a command made is destroyed when it is done, unless the executable
// leaves the session to the end of the process: then it is left with it.
TEST(ToolSessionTest, LeftAtExitOnlyWithTheSession) {
  struct Counted {
    explicit Counted(int& ioDestroyed) : destroyed(ioDestroyed) {}
    ~Counted() { ++destroyed; }
    int& destroyed;
  };
  int destroyed = 0;
  ToolSession::LeaveAtExit(std::make_unique<Counted>(destroyed));
  EXPECT_EQ(destroyed, 1);
  ToolSession::LeaveSessionAtExit(true);
  ToolSession::LeaveAtExit(std::make_unique<Counted>(destroyed));
  ToolSession::LeaveSessionAtExit(false);
  EXPECT_EQ(destroyed, 1);
}

TEST(TerminalTest, WidthComesFromTheTerminalOnlyAndWideLiftsIt) {
  const struct {
    bool wide, terminal;
    const char* columns;
    int window, width;
  } rows[] = {
      {false, false, "80", 120, 0},    // a file or a pipe: no limit
      {false, true, nullptr, 120, 120},
      {false, true, "90", 120, 90},    // COLUMNS wins over the window
      {false, true, "", 0, 80},        // nothing known
      {false, true, "abc", 100, 100},  // COLUMNS that is no number
      {true, true, "90", 120, 0},      // --wide
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.columns ? row.columns : "(unset)") + " " + std::to_string(row.window));
    EXPECT_EQ(ChooseWidth(row.wide, row.terminal, row.columns, row.window), row.width);
  }
}

// What a TerminalProgress draws, as the lines a terminal would keep.
class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::tmpfile();
    progress_ = std::make_unique<TerminalProgress>(file_);
    KRVWD7UtiDlgProgress::SetObserver(progress_.get());
  }
  void TearDown() override {
    KRVWD7UtiDlgProgress::SetObserver(nullptr);
    progress_.reset();
    std::fclose(file_);
  }
  // A bar of iSteps items, stepped iDone times, then ended.
  static void Bar(const char* iTitle, int iSteps, int iDone) {
    KRVWD7UtiDlgProgress bar(nullptr, "Bar", iTitle);
    bar.InitProgressBar(1, iSteps, 1);
    for (int i = 0; i < iDone; ++i) bar.StepIt();
    bar.EndProgressBar();
  }
  // Each finished line, and the percentages drawn on it in order.
  std::vector<std::pair<std::string, std::vector<int>>> Lines() {
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
    std::vector<std::pair<std::string, std::vector<int>>> lines;
    for (const std::string& line : SplitLines(text)) {
      std::vector<int> percents;
      std::string title;
      for (const std::string& draw : SplitLines(line, '\r')) {
        if (draw.empty()) continue;
        title = draw.substr(0, draw.find(" ["));
        percents.push_back(std::stoi(draw.substr(draw.rfind(']') + 1)));
      }
      lines.emplace_back(title, percents);
    }
    return lines;
  }
  std::FILE* file_ = nullptr;
  std::unique_ptr<TerminalProgress> progress_;
};

TEST_F(ProgressTest, APhaseOfTwoBarsIsOneLineThatRisesTo100) {
  {
    ProgressPhase phase(progress_.get(), "Reading both", 2);
    Bar("Reading the product structure", 10, 10);
    Bar("Reading the product structure", 4, 4);
  }
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].first, "Reading both");
  const std::vector<int>& percents = lines[0].second;
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.front(), 0);
  EXPECT_EQ(percents.back(), 100);
}

TEST_F(ProgressTest, ABarThatStopsShortStillEndsAt100OnItsOwnLine) {
  Bar("Comparing the black box with its PSN", 100, 77);  // steps skipped
  Bar("Another", 3, 3);
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].first, "Comparing the black box with its PSN");
  EXPECT_EQ(lines[0].second.back(), 100);
  EXPECT_EQ(lines[1].first, "Another");
}

class DiffCommandTest : public CommandTest {};

TEST_F(DiffCommandTest, JsonCountsEveryEntryAndAddedProduct) {
  CommandRun run = Diff(kExamples + "demo.json", true);
  ASSERT_EQ(run.code, kExitDifferences) << run.err;
  nlohmann::json doc = run.Json();
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
}

TEST_F(DiffCommandTest, TableKeepsDocumentIdsWholeAndWrapsTheSummary) {
  CommandRun run = Diff(kExamples + "demo.json", false, 80);
  ASSERT_EQ(run.code, kExitDifferences) << run.err;
  EXPECT_NE(run.out.find("document 00000000000002A7 -> 00000000000002B7"), std::string::npos)
      << run.out;
  size_t summary = run.out.find("9 difference(s):");
  ASSERT_NE(summary, std::string::npos);
  const std::vector<std::string> lines = SplitLines(run.out.substr(summary));
  for (const std::string& line : lines) EXPECT_LE(TextWidth(line), 80) << line;
  EXPECT_GE(lines.size(), 2u);
}

TEST_F(DiffCommandTest, ReportReplacesTheFileOnlyWhenTheComparisonSucceeded) {
  krvwd7_test::TempFolder folder;
  const std::string file = folder / "report.html";
  WriteFile(file, "old");
  // A failed comparison writes nothing and leaves the old file.
  nlohmann::json failing = nlohmann::json::parse(ReadFile(kSource + "/tests/cli/small-pair.json"));
  failing["faults"] = nlohmann::json::parse(R"([{"op": "GetReplacingClinks", "rc": "E_FAIL"}])");
  WriteFile(folder / "failing.json", failing.dump());
  EXPECT_EQ(Diff(folder / "failing.json", false, 0, file).code, kExitFailed);
  EXPECT_EQ(ReadFile(file), "old");
  // Written: the whole page, and no temporary file left beside it.
  CommandRun run = Diff(kExamples + "demo.json", false, 0, file);
  EXPECT_EQ(run.code, kExitDifferences) << run.err;
  const std::string text = ReadFile(file);
  EXPECT_EQ(text.rfind("</html>\n"), text.size() - 8);
  EXPECT_NE(text.find("\"blackBox\":\"BB-CAR.CATProduct\""), std::string::npos);
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"failing.json", "report.html"}));
}

}  // namespace
}  // namespace krvwd7
