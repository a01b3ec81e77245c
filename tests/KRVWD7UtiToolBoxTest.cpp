// Tests of the maker's tracer, timer, VPM services, document, selection and
// copy-paste services, and the JSON layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "CATFormat.h"
#include "CATFrmEditor.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiJsonLayout.h"
#include "KRVWD7UtiJsonText.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiTimer.h"
#include "KRVWD7UtiTracer.h"
#include "KRVWD7UtiVPMServices.h"
#include "MemBuilder.h"
#include "PSNFileTestSupport.h"
#include "TestSessions.h"

namespace {

const auto H = krvwd7_test::Handle;
using CCP = KRVWD7UtiPrdCCPServices;
using VPM = KRVWD7UtiVPMServices;

// --- Tracer: one suite run against the memory sink (0) and the file sink (1).

class KRVWD7UtiTracerTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    path_ = krvwd7_test::TempName(".txt");
    std::remove(path_.c_str());
    if (GetParam() == 0) {
      KRVWD7UtiTracer::ToMemory();
    } else {
      ASSERT_TRUE(KRVWD7UtiTracer::ToFile(path_.c_str()));
    }
  }
  void TearDown() override { std::remove(path_.c_str()); }
  // What the sink holds so far (the file is flushed after every line).
  std::vector<std::string> Lines() const {
    if (GetParam() == 0) return KRVWD7UtiTracer::Lines();
    return krvwd7_test::SplitLines(krvwd7_test::ReadFile(path_));
  }
  std::string path_;
};

TEST_P(KRVWD7UtiTracerTest, PrefixIsDroppedForOneLineOnly) {
  const std::string long_text(3000, 'x');
  KRVWD7UtiTracer::SetNoFileLine();
  KRVWD7UtiTracer::Print(">> KRVWD7PrdInfoListServices::BuildPrdInfoList");
  KRVWD7UtiTracer::Print("with prefix", "/a/b/Source.cpp", 42);
  KRVWD7UtiTracer::SetNoFileLine();
  KRVWD7UtiTracer::PrintV("Nb of Child found = %d [%s]", 3, "x");
  KRVWD7UtiTracer::PrintV("%s", "no location");
  KRVWD7UtiTracer::SetNoFileLine();
  KRVWD7UtiTracer::Print(CATUnicodeString("Pièce"));
  KRVWD7UtiTracer::SetNoFileLine();
  KRVWD7UtiTracer::PrintV("c1=%s|", long_text.c_str());  // beyond any buffer
  const std::vector<std::string> expected = {
      ">> KRVWD7PrdInfoListServices::BuildPrdInfoList", "Source.cpp(42): with prefix",
      "Nb of Child found = 3 [x]", "?(0): no location", "Pièce", "c1=" + long_text + "|"};
  EXPECT_EQ(Lines(), expected);
}

TEST_P(KRVWD7UtiTracerTest, OffDropsLinesAndTheFlag) {
  KRVWD7UtiTracer::Off();
  EXPECT_FALSE(KRVWD7UtiTracer::IsOn());
  KRVWD7UtiTracer::SetNoFileLine();
  KRVWD7UtiTracer::PrintV("dropped %d", 1);  // uses up the flag
  EXPECT_FALSE(KRVWD7UtiTracer::ToFile("/nonexistent-dir/trace.txt"));
  EXPECT_FALSE(KRVWD7UtiTracer::IsOn());
  KRVWD7UtiTracer::ToMemory();
  KRVWD7UtiTracer::Print("kept", "File.cpp", 7);
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), std::vector<std::string>{"File.cpp(7): kept"});
}

// The observer sees every line, prefix included, with the sink on or off.
TEST_P(KRVWD7UtiTracerTest, ObserverSeesEveryLineWhateverTheSink) {
  struct Observer : KRVWD7TraceObserver {
    void OnLine(const std::string& iLine) override { seen.push_back(iLine); }
    std::vector<std::string> seen;
  } observer;
  KRVWD7UtiTracer::SetObserver(&observer);
  KRVWD7UtiTracer::Print("both", "F.cpp", 1);
  KRVWD7UtiTracer::Off();
  EXPECT_TRUE(KRVWD7UtiTracer::IsOn()) << "the observer still listens";
  KRVWD7UtiTracer::SetNoFileLine();
  KRVWD7UtiTracer::PrintV("INFORMATION: %s !", "observed only");
  KRVWD7UtiTracer::SetObserver(nullptr);
  EXPECT_FALSE(KRVWD7UtiTracer::IsOn());
  KRVWD7UtiTracer::Print("nowhere");
  EXPECT_EQ(observer.seen, (std::vector<std::string>{"F.cpp(1): both",
                                                     "INFORMATION: observed only !"}));
  EXPECT_EQ(Lines(), std::vector<std::string>{"F.cpp(1): both"});
}

INSTANTIATE_TEST_SUITE_P(Sinks, KRVWD7UtiTracerTest, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& iInfo) {
                           return std::string(iInfo.param == 0 ? "Memory" : "File");
                         });

// --- Timer ----------------------------------------------------------------------

TEST(KRVWD7UtiTimerTest, ElapsedTextInSecondsOrMilliseconds) {
  KRVWD7UtiTimer timer;
  CATUnicodeString seconds, millis;
  timer.GetElapsedTimeString(seconds, 1);
  timer.GetElapsedTimeString(millis, 0);
  // Three decimals then " s"; whole milliseconds then " ms".
  EXPECT_EQ(seconds.SearchSubString("."), seconds.GetLengthInChar() - 6) << seconds;
  EXPECT_EQ(seconds.SubString(seconds.GetLengthInChar() - 2, 2), " s");
  EXPECT_EQ(millis.SubString(millis.GetLengthInChar() - 3, 3), " ms") << millis;
}

// --- VPM services -----------------------------------------------------------------

class KRVWD7UtiVPMServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    S().Close();
    MemBuilder build(S());
    root_ = build.Document("PSN.CATProduct", "PSN-ROOT", true)->Root();
    bolt_ = build.Part(root_, "Bolt.1", "BOLT");
    bolt_->Vpm() = MemVpm{MemBuilder::PrintableId(1, {0xA1}), "VPMENV/VPMENV", "C"};
    S().AddReplacement({Hex(0xA1), Hex(0xB1), ""});
    S().AddReplacement({Hex(0xA2), Hex(0xB2), "ENV2"});
  }
  void TearDown() override { S().Close(); }
  static MemSession& S() { return MemSession::Current(); }
  static std::string Hex(uint64_t iValue) { return MemBuilder::Hex16(iValue); }
  static CATUnicodeString U(uint64_t iValue) { return Hex(iValue).c_str(); }

  MemProduct *root_ = nullptr, *bolt_ = nullptr;
};

TEST_F(KRVWD7UtiVPMServicesTest, ReplacingClinksAlignedWithTheInput) {
  const CATListValCATUnicodeString clinks = {U(0xA1), "", U(0xA2), U(0xA2), U(0xA3)};
  const CATListValCATUnicodeString envs = {"ANY", "", "ENV2    ", "ENV3", "ENV2"};
  CATListValCATUnicodeString replacing = {"stale"};
  ASSERT_EQ(VPM::GetReplacingClinks(clinks, envs, replacing), S_OK);
  EXPECT_EQ(replacing, CATListValCATUnicodeString({U(0xB1), "NotReplaced", U(0xB2),
                                                   "NotReplaced", "NotReplaced"}));
  EXPECT_EQ(VPM::GetReplacingClinks(clinks, {"ENV2"}, replacing), E_INVALIDARG);
  EXPECT_EQ(replacing.Size(), 0);
}

TEST_F(KRVWD7UtiVPMServicesTest, ReplacedClinksMustBeAmongTheOldOnes) {
  const CATListValCATUnicodeString links = {U(0xB1), U(0xB2), U(0xB2), "", U(0xB1)};
  const CATListValCATUnicodeString coids = {U(1), U(1), U(1), U(1), U(1)};
  const CATListValCATUnicodeString envs = {"ENV1", "ENV2", "ENV9", "ENV1", "ENV1"};
  CATListValCATUnicodeString replaced;
  ASSERT_EQ(VPM::GetReplacingClinks2(links, coids, envs, {U(0xA1), U(0xA2)}, replaced), S_OK);
  EXPECT_EQ(replaced, CATListValCATUnicodeString({U(0xA1), U(0xA2), "NotReplaced",
                                                  "NotReplaced", U(0xA1)}));
  // An old clink that is not asked about is not answered.
  ASSERT_EQ(VPM::GetReplacingClinks2(links, coids, envs, {U(0xA2)}, replaced), S_OK);
  EXPECT_EQ(replaced[1], "NotReplaced");
  EXPECT_EQ(replaced[2], U(0xA2));
  EXPECT_EQ(VPM::GetReplacingClinks2(links, {U(1)}, envs, {}, replaced), E_INVALIDARG);
}

// --- Documents, selection, copy and paste ------------------------------------------

class KRVWD7UtiDocServicesTest : public krvwd7_test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    S().Close();
    MemBuilder build(S());
    bb_doc_ = build.Document("BB.CATProduct", "BB");
    psn_doc_ = build.Document("PSN.CATProduct", "PSN", true);
    bb_ = bb_doc_->Root();
    asm_ = build.Assembly(bb_, "Asm.1", "ASM");
    asm_->SetPosition(MemBuilder::Translation(100, 0, 0));
    bolt_ = build.Part(asm_, "Bolt.1", "BOLT");
    bolt_->SetPosition(MemBuilder::Translation(1, 2, 3));
    dest_ = build.Assembly(bb_, "Dest.1", "DEST");
    dest_->SetPosition(MemBuilder::Translation(0, 50, 0));
  }
  static MemSession& S() { return MemSession::Current(); }
  MemDocument *bb_doc_, *psn_doc_;
  MemProduct *bb_, *asm_, *bolt_, *dest_;
  const CATFormat* prod_cont_ = CATFormat::GetRegisteredFormat("CATProdCont");
};

TEST_F(KRVWD7UtiDocServicesTest, SelectionHoldsNoDuplicate) {
  CATFrmEditor* editor = nullptr;
  ASSERT_EQ(KRVWD7UtiEditorServices::GetFrmEditor(psn_doc_, editor), S_OK);
  EXPECT_EQ(KRVWD7UtiSOServices::AddInCSO(H(bolt_), editor, nullptr), S_OK);
  EXPECT_EQ(KRVWD7UtiSOServices::AddInCSO(H(bolt_), editor, nullptr), S_OK);
  EXPECT_EQ(editor->Selection().Size(), 1);
  CATBaseUnknown_var root;
  EXPECT_EQ(KRVWD7UtiPrdDocServices::RetrieveRootProduct(S().NewShapeDocument("a.cgr"),
                                                         root), E_FAIL);  // no root
}

// Flattening drives the moves and adding drives the copies; these are the
// conversion it relies on and the refusals.
TEST_F(KRVWD7UtiDocServicesTest, MovesKeepTheAbsolutePositionAndRefuseLoops) {
  CATBaseUnknown_var moved;
  ASSERT_EQ(CCP::CutAndPaste(prod_cont_, H(bolt_), H(dest_), moved), S_OK);
  EXPECT_EQ(bolt_->Father(), dest_);
  EXPECT_EQ(KRVWD7UtiPrdServices::IsSimilarPosition(
                bolt_->Position(), MemBuilder::Translation(101, -48, 3), 1e-9), 1);
  // Into itself or below itself, or with no format: refused, nothing moved.
  EXPECT_EQ(CCP::CutAndPaste(prod_cont_, H(asm_), H(asm_), moved), E_FAIL);
  EXPECT_EQ(CCP::DragAndDrop(nullptr, H(asm_), H(dest_), moved), E_INVALIDARG);
  EXPECT_EQ(CCP::CopyAndPaste(prod_cont_, H(dest_), H(bolt_), moved), E_FAIL);
  EXPECT_EQ(asm_->Father(), bb_);
}

// --- JSON layout: the text reaches the sink whole, in order, in large
// blocks, and nothing follows a refused block.

class BlockRecorder : public KRVWD7UtiJsonLayout {
 public:
  explicit BlockRecorder(size_t iRefuseAt = SIZE_MAX) : refuse_at_(iRefuseAt) {}
  std::vector<std::string> blocks;

 private:
  bool WriteBlock(const char* iData, size_t iSize) override {
    blocks.emplace_back(iData, iSize);
    return blocks.size() < refuse_at_;
  }
  size_t refuse_at_;
};

// An array of iCount objects {"n": i}, about 20 bytes each.
void WriteItems(KRVWD7UtiJsonLayout& ioOut, int iCount) {
  ioOut.BeginArray();
  for (int i = 0; i < iCount; ++i) ioOut.BeginObject().Key("n").Integer(i).EndObject();
  ioOut.EndArray();
}

TEST(KRVWD7UtiJsonLayoutTest, LargeTextArrivesWholeInBlocks) {
  BlockRecorder out;
  WriteItems(out, 20000);
  ASSERT_TRUE(out.Finish());
  ASSERT_GE(out.blocks.size(), 3u);
  std::string text;
  for (size_t k = 0; k < out.blocks.size(); ++k) {
    if (k + 1 < out.blocks.size()) {
      EXPECT_GE(out.blocks[k].size(), size_t{64} << 10) << "block " << k;
    }
    text += out.blocks[k];
  }
  EXPECT_EQ(text.substr(0, 27), "[\n  {\n    \"n\": 0\n  },\n  {\n ");
  EXPECT_EQ(text.substr(text.size() - 23), "{\n    \"n\": 19999\n  }\n]\n");
}

// Numbers: the shortest digits that read back, always with a fraction or an
// exponent; integers up to 15 digits in full, larger ones with an exponent.
TEST(KRVWD7UtiJsonTextTest, DoublesHaveAFractionOrAnExponent) {
  const struct {
    double value;
    const char* text;
  } rows[] = {
      {0.0, "0.0"},
      {-0.0, "-0.0"},
      {1.0, "1.0"},
      {-4287.0, "-4287.0"},
      {999999999999999.0, "999999999999999.0"},
      {1e15, "1e+15"},
      {9007199254740992.0, "9.007199254740992e+15"},
      {12.5, "12.5"},
      {-0.02, "-0.02"},
      {0.0001, "0.0001"},
      {1e-5, "1e-05"},
      {0.1 + 0.2, "0.30000000000000004"},
      {std::nan(""), "null"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(KRVWD7UtiJsonText::DoubleText(row.value), row.text);
  }
}

TEST(KRVWD7UtiJsonLayoutTest, NothingFollowsARefusedBlock) {
  BlockRecorder out(1);
  WriteItems(out, 20000);
  EXPECT_FALSE(out.Finish());
  EXPECT_EQ(out.blocks.size(), 1u);
}

}  // namespace
