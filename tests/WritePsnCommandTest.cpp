// krvwd7 write-psn run in-process on the bundled example, with its old PSN
// file copied to a temporary folder.
#include <gtest/gtest.h>

#include "CommandTestSupport.h"
#include "KRVWD7UtiAtomicFile.h"
#include "PSNFileTestSupport.h"

namespace krvwd7 {
namespace {

using krvwd7_test::ReadFile;
using krvwd7_test::WriteFile;

class WritePsnCommandTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    old_file_ = folder_ / "old.psn";
    WriteFile(old_file_, ReadFile(kExamples + "psn-old.psn"));
    SetSession("", "");
  }

  // The example session with its old file in the folder, and iEnvironment
  // (a JSON object's members) and iName as the black box's PSN file name
  // ("" keeps the example's).
  void SetSession(const std::string& iEnvironment, const std::string& iPSNFilename) {
    nlohmann::json session = nlohmann::json::parse(ReadFile(kExamples + "psn.json"));
    session["documents"][0]["root"]["parameters"]["BBPSNFilename"] =
        iPSNFilename.empty() ? old_file_ : iPSNFilename;
    if (!iEnvironment.empty()) session["environment"] = nlohmann::json::parse(iEnvironment);
    session_ = folder_ / "session.json";
    WriteFile(session_, session.dump());
  }

  CommandRun WritePsn(const std::string& iName, bool iJson = false, const std::string& iEditor = "") {
    WritePsnOptions options;
    options.common.session = session_;
    options.common.json = iJson;
    options.common.batch = true;
    options.name = iName;
    options.editor = iEditor;
    return RunCommand(&RunWritePsn, options);
  }

  krvwd7_test::TempFolder folder_;
  std::string old_file_, session_;
};

TEST_F(WritePsnCommandTest, PrintsTheFileThenWhatWentIn) {
  const CommandRun run = WritePsn(folder_ / "pump");
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_EQ(run.out, folder_ / "pump.psn" + "\n" +
                         "  links             10\n"
                         "  document links    5\n"
                         "  selected objects  5\n"
                         "  collapsed parts   2 carried over of 3 in " + old_file_ + "\n");
  const CommandRun json = WritePsn(folder_ / "pump", true);
  ASSERT_EQ(json.code, kExitOk) << json.err;
  const nlohmann::json doc = json.Json();
  EXPECT_EQ(doc["file"], folder_ / "pump.psn");
  EXPECT_EQ(doc["collapsedParts"], 2);
  EXPECT_EQ(doc["oldCollapsedParts"], 3);
  EXPECT_EQ(doc["oldFile"], old_file_);
}

TEST_F(WritePsnCommandTest, DefaultNameIsTheBlackBoxsOwnFile) {
  SetSession(R"({"SOURCE_DATE_EPOCH": "0"})", "");
  ASSERT_EQ(WritePsn("").code, kExitOk);
  const std::string first = ReadFile(old_file_);
  EXPECT_NE(first.find("FILE_DESCRIPTION(('" + old_file_ + "'),'1');"), std::string::npos);
  // The second write reads the first (its document links come back as
  // links); a third writes the same bytes as the second.
  ASSERT_EQ(WritePsn("").code, kExitOk);
  const std::string second = ReadFile(old_file_);
  EXPECT_NE(second, first);
  ASSERT_EQ(WritePsn("").code, kExitOk);
  EXPECT_EQ(ReadFile(old_file_), second);
}

TEST_F(WritePsnCommandTest, SessionEnvironmentFixesTheClockBeforeTheProcess) {
  setenv("SOURCE_DATE_EPOCH", "bad", 1);
  SetSession(R"({"SOURCE_DATE_EPOCH": "86400"})", "");
  const CommandRun run = WritePsn(folder_ / "new.psn");
  unsetenv("SOURCE_DATE_EPOCH");
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(ReadFile(folder_ / "new.psn").find("'1970-01-02T00:00:00+00:00'"), std::string::npos);

  SetSession(R"({"SOURCE_DATE_EPOCH": "-1"})", "");
  const CommandRun bad = WritePsn(folder_ / "bad.psn");
  EXPECT_EQ(bad.code, kExitUsage);
  EXPECT_EQ(bad.err, "krvwd7: SOURCE_DATE_EPOCH: '-1' is not a whole number of seconds\n");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "bad.psn"));
}

}  // namespace
}  // namespace krvwd7
