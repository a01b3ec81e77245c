// Puts the host's process-wide switches back after every test, so that no
// test can leave a fault, counted fault-point calls, an environment
// override, a trace sink, a progress observer, an interactive application
// or changed black-box settings behind for the next one.
#include <gtest/gtest.h>

#include "CATApplication.h"
#include "CATError.h"
#include "CATGetEnv.h"
#include "CATGetSystemInfo.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "KRVWD7UtiAtomicFile.h"
#include "KRVWD7UtiDlgProgress.h"
#include "KRVWD7UtiTracer.h"
#include "MemFaults.h"

namespace {

class HostReset : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    MemFaults::Clear();
    MemFaults::ResetCalls();
    CATClearEnvOverrides();
    CATSetSystemOSType(-1);
    CATApplication::SetMainApplication(nullptr);
    KRVWD7UtiDlgProgress::SetObserver(nullptr);
    KRVWD7UtiTracer::Off();
    CATError::ClearLastError();
    KRVWD7ResetBlackBoxSettings();
    KRVWD7UtiAtomicFile::FailStepForTesting(KRVWD7UtiAtomicFile::kNoStep);
  }
};

const bool g_installed = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new HostReset);
  return true;
}();

}  // namespace

namespace {

// The two run in this order: the second sees what the first left behind.
TEST(HostResetTest, FirstLeavesSwitchesOn) {
  MemFaults::Add(MemFaultPoint::kGetProperty, E_FAIL);
  CATSetEnvOverride("KRV_WD7_RETRIEVEDIFFERENCES2", "");
  HRESULT rc = S_OK;
  EXPECT_TRUE(MemFaults::Hit(MemFaultPoint::kGetProperty, rc));
}

TEST(HostResetTest, NextTestFindsThemOff) {
  HRESULT rc = S_OK;
  EXPECT_FALSE(MemFaults::Hit(MemFaultPoint::kGetProperty, rc));
  EXPECT_EQ(CATGetEnv("KRV_WD7_RETRIEVEDIFFERENCES2"), nullptr);
}

}  // namespace
