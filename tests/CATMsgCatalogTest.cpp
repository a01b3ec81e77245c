// Message catalogs and the host's error mechanism.
#include "CATMsgCatalog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "CATError.h"
#include "CATGetEnv.h"
#include "CATInternalError.h"

namespace {

TEST(CATMsgCatalogTest, ShipsEveryKeyTheLibraryUses) {
  // Read the shipped catalogs afresh: none of their lines may be malformed.
  CATMsgCatalog::ClearCache();
  testing::internal::CaptureStderr();
  const char* const kKeys[][2] = {
      {"KRVWD7CoreServices", "BuildPrdInfoList"},
      {"KRVWD7CoreServices", "BlackBoxDiffIdentificationInProgress"},
      {"KRVWD7CoreServices", "SwitchToProductModeInProgress"},
      {"KRVWD7", "BPCVersion"},
      {"KRVEWD7BlackBoxServices", "BlackBoxFlattenInProgress"},
      {"KRVEWD7BlackBoxServices", "BlackBoxMigrateInProgress"},
      {"KRVWD7CopyPosition", "ErrId1"},
  };
  for (const auto& key : kKeys) {
    EXPECT_EQ(CATMsgCatalog::HasKey(key[0], key[1]), 1) << key[0] << " " << key[1];
  }
  struct Range {
    const char* catalog;
    const char* keys;  // digits of the ErrId keys
  };
  const Range kErrors[] = {{"KRVWD7IdentifyInPSN", "1234789"},
                           {"KRVWD7AddToBB", "01234567"},
                           {"KRVWD7UpdatePosition", "134"},
                           {"KRVWD7MoveToPersonalizedStructure", "012345678"}};
  for (const Range& range : kErrors) {
    for (const char* d = range.keys; *d; ++d) {
      std::string key = std::string("ErrId") + *d;
      EXPECT_EQ(CATMsgCatalog::HasKey(range.catalog, key.c_str()), 1)
          << range.catalog << " " << key;
    }
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  // The migrated note reads "<note> (<MigrateFrom><part number>)": the text
  // must leave a blank before the part number.
  const CATUnicodeString from = CATMsgCatalog::BuildMessage("KRVEWD7BlackBoxServices",
                                                            "MigrateFrom");
  ASSERT_GT(from.GetLengthInChar(), 1);
  EXPECT_EQ(from.SubString(from.GetLengthInChar() - 1, 1), " ");
}

class CATMsgCatalogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/krvwd7-catalogs-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    std::ofstream(dir_ + "/Test.CATNls") << "// comment\n"
                                         << "Hello = \"Hello /P1, /P2!\";\n"
                                         << "Broken = \"no end\n"
                                         << "Quoted = \"a \\\"b\\\"\"; // trailing\n"
                                         << "Hello = \"second definition\";\n";
    CATSetEnvOverride("KRVWD7_CATALOGS", dir_.c_str());
    CATMsgCatalog::ClearCache();
  }
  void TearDown() override {
    CATMsgCatalog::ClearCache();
    std::remove((dir_ + "/Test.CATNls").c_str());
    rmdir(dir_.c_str());
  }
  std::string dir_;
};

TEST_F(CATMsgCatalogFileTest, SubstitutesParametersAndKeepsTheFirstDefinition) {
  const CATUnicodeString params[] = {"Anna", "Bob"};
  EXPECT_EQ(CATMsgCatalog::BuildMessage("Test", "Hello", params, 2), "Hello Anna, Bob!");
  // A parameter that was not given stays as written.
  EXPECT_EQ(CATMsgCatalog::BuildMessage("Test", "Hello", params, 1), "Hello Anna, /P2!");
  EXPECT_EQ(CATMsgCatalog::BuildMessage("Test", "Quoted"), "a \"b\"");
}

TEST_F(CATMsgCatalogFileTest, MissingKeysAndCatalogsGiveTheDefault) {
  const CATUnicodeString params[] = {"7"};
  EXPECT_EQ(CATMsgCatalog::BuildMessage("Nope", "Any", params, 1, "n=/P1"), "n=7");
}

TEST_F(CATMsgCatalogFileTest, ReportsAMalformedLineWithItsPlaceAndSkipsIt) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(CATMsgCatalog::HasKey("Test", "Quoted"), 1);  // the line after it
  const std::string report = testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find(dir_ + "/Test.CATNls:3:"), std::string::npos) << report;
  // Read once: a second use reports nothing again.
  testing::internal::CaptureStderr();
  EXPECT_EQ(CATMsgCatalog::HasKey("Test", "Broken"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(CATErrorTest, GetReturnKeepsTheLastErrorUntilCleared) {
  long live = CATBaseUnknown::LiveObjects();
  CATError::ClearLastError();
  CATInternalError* first = new CATInternalError("ErrId1", "KRVWD7CopyPosition");
  EXPECT_EQ(CATError::GetReturn(2, first, nullptr, "a.cpp", 7), E_FAIL);
  EXPECT_EQ(CATError::LastError(), first);
  EXPECT_NE(first->GetNLSMessage().SearchSubString("flattened"), -1);
  CATInternalError* second = new CATInternalError("NoSuchKey", "KRVWD7CopyPosition");
  EXPECT_EQ(CATError::GetReturn(2, second, nullptr, "b.cpp", 9), E_FAIL);  // releases the first
  EXPECT_EQ(second->GetNLSMessage(), "NoSuchKey");  // the key when no text
  EXPECT_EQ(CATError::GetReturn(2, nullptr, nullptr, "c.cpp", 1), E_FAIL);
  EXPECT_EQ(CATError::LastError(), second);
  EXPECT_EQ(CATError::LastErrorLine(), 9);
  CATError::ClearLastError();
  EXPECT_EQ(CATBaseUnknown::LiveObjects(), live);
}

}  // namespace
