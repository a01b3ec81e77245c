// The bounded fault sweep: for every operation of the library, the first
// calls and the last call of each host point it uses fail in turn
// (`make sweep` fails every call).
#include <gtest/gtest.h>

#include "FaultSweep.h"
#include "TestSessions.h"

namespace {

class FaultSweepTest : public krvwd7_test::LeakCheckedTest,
                       public ::testing::WithParamInterface<krvwd7_test::SweepOperation> {};

TEST_P(FaultSweepTest, EveryFailedCallGivesADocumentedResultAndASoundSession) {
  const krvwd7_test::SweepReport report = krvwd7_test::Sweep(GetParam(), 2);
  EXPECT_GT(report.runs, 0) << "the operation calls no fault point";
  std::string failures;
  for (const std::string& failure : report.failures) failures += failure + "\n";
  EXPECT_TRUE(report.failures.empty()) << report.failures.size() << " failure(s):\n" << failures;
}

INSTANTIATE_TEST_SUITE_P(
    Library, FaultSweepTest,
    ::testing::ValuesIn(krvwd7_test::LibraryOperations(KRVWD7_SOURCE_DIR)),
    [](const ::testing::TestParamInfo<krvwd7_test::SweepOperation>& iInfo) {
      std::string name;
      for (char c : iInfo.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

}  // namespace
