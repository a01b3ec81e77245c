// Helpers of the tests that run krvwd7's commands in-process: the bundled
// examples, one run's exit code and outputs, a diff of a session, and a
// fixture that checks that the commands leave no object behind.
#ifndef KRVWD7_TESTS_COMMANDTESTSUPPORT_H_
#define KRVWD7_TESTS_COMMANDTESTSUPPORT_H_

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "CATBaseUnknown.h"
#include "Commands.h"
#include "TestSessions.h"

namespace krvwd7 {

using krvwd7_test::SplitLines;
using krvwd7_test::TempName;

const std::string kSource = KRVWD7_SOURCE_DIR;
const std::string kExamples = kSource + "/examples/";

struct CommandRun {
  int code;
  std::string out, err;
  nlohmann::json Json() const { return nlohmann::json::parse(out); }
};

// Runs a command with iOptions.
template <class Options>
CommandRun RunCommand(int (*iCommand)(const Options&, std::ostream&, std::ostream&),
                      Options iOptions) {
  std::ostringstream out, err;
  const int code = iCommand(iOptions, out, err);
  return {code, out.str(), err.str()};
}

// diff of iSession in batch, as text or (iJson) JSON.
inline CommandRun Diff(const std::string& iSession, bool iJson = false, int iWidth = -1,
                       const std::string& iHtml = "") {
  DiffOptions options;
  options.common.session = iSession;
  options.common.json = iJson;
  options.common.batch = true;
  options.common.width = iWidth;
  options.html = iHtml;
  return RunCommand(&RunDiff, options);
}

// Checks that each test leaves as many live objects as it found.
class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override { live_ = CATBaseUnknown::LiveObjects(); }
  void TearDown() override {
    EXPECT_EQ(CATBaseUnknown::LiveObjects(), live_) << "the command left objects behind";
  }

 private:
  long live_ = 0;
};

}  // namespace krvwd7

#endif  // KRVWD7_TESTS_COMMANDTESTSUPPORT_H_
