// KRVEWD7BlackBoxServices::UpdatePSNFile on in-memory black boxes: whole
// files, the steps' edge cases, results, trace, the atomic target and
// repeated writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include "CATGetEnv.h"
#include "CATGetSystemInfo.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "KRVWD7PSNFileText.h"
#include "PSNFileTestSupport.h"
#include "TestSessions.h"

namespace krvwd7_test {
namespace {

const std::string kA = MemBuilder::Hex16(0xA), kB = MemBuilder::Hex16(0xB),
                  kC = MemBuilder::Hex16(0xC), kD = MemBuilder::Hex16(0xD),
                  kE = MemBuilder::Hex16(0xE), kF = MemBuilder::Hex16(0xF);

// The rows a file of iTarget begins with, at 2023-11-14 22:13:20 UTC.
std::string Beginning(const std::string& iTarget) {
  return "PSN\nISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('" + iTarget +
         "'),'1');\nFILE_NAME('" + iTarget +
         "','2023-11-14T22:13:20+00:00',('VPM graph session'),$,$,$,$);\n"
         "FILE_SCHEMA(('psnsav'));\nENDSEC;\nDATA;\n#1=Version(6);\n";
}

const char kRootPart[] =
    "=RootPart('PSNENV','PART_LIST',\"00000000000000001\",\"03030303030303030\") ;\n";

std::string Link(int iEntity, const std::string& iId) {
  return "#" + std::to_string(iEntity) + "=Clink(\"0" + iId + "\") ;\n";
}

// The lines of iText that hold iMarker.
std::vector<std::string> LinesWith(const std::string& iText, const std::string& iMarker) {
  std::vector<std::string> lines;
  for (const std::string& line : SplitLines(iText)) {
    if (line.find(iMarker) != std::string::npos) lines.push_back(line);
  }
  return lines;
}

class UpdatePSNFileTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    CATSetEnvOverride("SOURCE_DATE_EPOCH", "1700000000");
  }
  void TearDown() override {
    krvwd7_core::SetPSNFileStepsForTesting(nullptr);
    HostTest::TearDown();
  }

  HRESULT Update(const std::string& iName) {
    return KRVEWD7BlackBoxServices().UpdatePSNFile(iName.c_str());
  }

  // The black box of the whole-file test: two components sharing link A
  // (a model and a cached-graphic document), one without printable id,
  // one without document; its old file links B, E, F and A and has three
  // collapsed parts.
  void SmallBlackBox() {
    const std::string old_file = folder_ / "old.psn";
    MemProduct* root = NewBlackBox(session(), old_file);
    const std::string cgr = CgrStorage("/cache/", 0xD2, 0xC2, "DOCUMENT");
    NewComponent(session(), root, "C1", {0xA, 0xB}, VpmStorage(0xD1, 0xC1, "CAD_MODEL"));
    NewComponent(session(), root, "C2", {0xA, 0xC}, cgr);
    NewComponent(session(), root, "C3", {0xE}, VpmStorage(0xD3, 0xC3, "CAD_MODEL"), false);
    NewComponent(session(), root, "C4", {0xD}, "");
    WriteFile(old_file, "PSN\n#2=Clink(\"0" + kB + "\") ;\n#3=Clink(\"0" + kE +
                            "\") ;\n#4=Clink(\"0" + kF + "\") ;\n#5=Clink(\"0" + kA +
                            "\") ;\n#6=CollapsedPart(1,(#3,#4),()) ;\n"
                            "#7=CollapsedPart(1,(#2,#9),()) ;\n"
                            "#8=CollapsedPart(1,(#2,#5),()) ;\n");
  }

  TempFolder folder_;
};

// --- Whole files ----------------------------------------------------------------------------

TEST_F(UpdatePSNFileTest, WritesEveryRowOfASmallBlackBox) {
  SmallBlackBox();
  EXPECT_EQ(Update(folder_ / "new"), S_OK);
  const std::string target = folder_ / "new.psn";
  // Links: the components' A, B, C, D (A once), then the old file's E, F.
  // C1 reads #9,#3,#2 (its document link, then B and A); C2 #10,#4,#2.
  // Old parts: (E,F) renumbered; (B,#9) keeps the reference that named no
  // old link; (B,A) is dropped, C1's selected list holds #3,#2.
  EXPECT_EQ(ReadFile(target),
            Beginning(target) + Link(2, kA) + Link(3, kB) + Link(4, kC) + Link(5, kD) +
                Link(6, kE) + Link(7, kF) + "#8" + kRootPart + Link(9, "00000000000000C1") +
                Link(10, "00000000000000C2") +
                "#11=SelectedObj('models',$,(#9,#3,#2)) ;\n"
                "#12=SelectedObj('docs',$,(#10,#4,#2)) ;\n"
                "#13=CollapsedPart(1,(#6,#7),()) ;\n"
                "#14=CollapsedPart(1,(#3,#9),()) ;\n"
                "ENDSEC;\nEND-ISO-10303-21;\n");
  EXPECT_EQ(KRVEWD7BlackBoxServices::GetPSNTargetFilename((folder_ / "new").c_str()).ToStdString(),
            target);
  EXPECT_EQ(folder_.Files(), (std::vector<std::string>{"new.psn", "old.psn"}));
}

TEST_F(UpdatePSNFileTest, TracesEveryStep) {
  MemProduct* root = NewBlackBox(session(), folder_ / "old.psn");
  NewComponent(session(), root, "C1", {0xA, 0xB}, VpmStorage(0xD1, 0xC1, "CAD_MODEL"));
  NewComponent(session(), root, "C2", {}, "", false);
  WriteFile(folder_ / "old.psn", "#2=Clink(\"0" + kE + "\") ;\n#3=CollapsedPart(1,(#2),()) ;\n");
  KRVWD7UtiTracer::ClearLines();
  const std::string target = folder_ / "new.psn";
  ASSERT_EQ(Update(target), S_OK);
  const std::string id = MemBuilder::PrintableId(0x10, {0xA, 0xB});
  EXPECT_EQ(
      KRVWD7UtiTracer::Lines(),
      (std::vector<std::string>{
          ">> KRVEWD7BlackBoxServices::UpdatePSNFile", "Number of children = 2",
          "#2=Clink(\"0" + kE + "\") ;\n",
          "\tClink identified:'#2'=Clink('\"0" + kE + "\"') ;\n",
          "#3=CollapsedPart(1,(#2),()) ;\n",
          "\tCollapsedPart identified:'#3'=CollapsedPart('1,(#2),()') ;\n", "\n", "\n",
          "Initial Clinks:1\n", "\t1:" + kE + "\n", "Initial CollapsedParts:1\n",
          "\t1:1,(" + kE + "),()\n", "\n", ">> SetPSNFilename",
          "Input file name=[" + target + "]",
          "1. Get default PSN directory based on setting", "Default Directory=[]",
          "2. Case default directory does not exist",
          "File name after default directory management=[" + target + "]",
          "3. Add extension if the user doesn't specify it",
          "Final file name=[" + target + "]", "<< SetPSNFilename", "PSN file created",
          "Write beginning of PSN file", "Build clink list",
          "Component 1 [C1 (C1)] has a BBPrintableId property = [" + id + "]",
          "Component 2 has not a BBPrintableId property",
          "Write assembly links's clinks to PSN file", "Write root part id to PSN file",
          "For each model / document, get model's compid",
          "printableIdExistenceList size = 2", "Current treated document index = 1",
          "Current treated document has a printable Id", "usTable=[CAD_MODEL         ]",
          "printableIdExistenceList size = 2", "Current treated document index = 2",
          "Current treated document has not a printable Id",
          "Write selected objects to PSN file", "Write collapsed parts to PSN file",
          "Write end of PSN file", "<< KRVEWD7BlackBoxServices::UpdatePSNFile"}));
}

// --- Edge cases of the steps ------------------------------------------------------------

TEST_F(UpdatePSNFileTest, NoActiveDocumentGivesAnEmptyFile) {
  const std::string target = folder_ / "none.psn";
  WriteFile(target, "old content\n");
  EXPECT_EQ(Update(target), S_OK);
  EXPECT_EQ(ReadFile(target), "");
  // The result is then the default directory's query.
  MemFaults::Add(MemFaultPoint::kGetKRVWD7BlackBoxSettingCtrl, E_OUTOFMEMORY);
  EXPECT_EQ(Update(target), E_OUTOFMEMORY);
  EXPECT_EQ(folder_.Files(), std::vector<std::string>{"none.psn"});
}

TEST_F(UpdatePSNFileTest, RootWithoutComponentsOrWithNoneLoaded) {
  const std::string old_file = folder_ / "old.psn";
  MemProduct* root = NewBlackBox(session(), old_file);
  WriteFile(old_file, "#2=Clink(\"0" + kE + "\") ;\n#3=CollapsedPart(1,(#2),()) ;\n");
  const std::string target = folder_ / "new.psn";
  // No child at all: no list, an empty file.
  EXPECT_EQ(Update(target), S_OK);
  EXPECT_EQ(ReadFile(target), "");
  // Children, none loaded: an empty list, and the old file's entries.
  NewComponent(session(), root, "C1", {0xA}, "")->SetLoaded(false);
  EXPECT_EQ(Update(target), S_OK);
  EXPECT_EQ(ReadFile(target), Beginning(target) + Link(2, kE) + "#3" + kRootPart +
                                  "#4=CollapsedPart(1,(#2),()) ;\nENDSEC;\nEND-ISO-10303-21;\n");
}

TEST_F(UpdatePSNFileTest, CachedGraphicsUseTheSystemSeparator) {
  MemProduct* root = NewBlackBox(session(), "");
  NewComponent(session(), root, "C1", {0xA}, CgrStorage("C:\\cache\\", 0xD1, 0xC1, "CAD_MODEL"));
  const std::string target = folder_ / "new.psn";
  CATSetSystemOSType(CATOSTypeWindows);
  ASSERT_EQ(Update(target), S_OK);
  EXPECT_EQ(LinesWith(ReadFile(target), "SelectedObj"),
            std::vector<std::string>{"#5=SelectedObj('models',$,(#4,#2)) ;"});
  EXPECT_EQ(LinesWith(ReadFile(target), "#4="),
            std::vector<std::string>{"#4=Clink(\"000000000000000C1\") ;"});
  // On a "/" system the same name has no separator: the fields shift.
  CATSetSystemOSType(CATOSTypeLinux);
  ASSERT_EQ(Update(target), S_OK);
  EXPECT_EQ(LinesWith(ReadFile(target), "SelectedObj"),
            std::vector<std::string>{"#5=SelectedObj('docs',$,(#4,#2)) ;"});
}

TEST_F(UpdatePSNFileTest, ShortIdentifiersGiveEmptyFields) {
  MemProduct* root = NewBlackBox(session(), "");
  root->Properties().Set("BBPSNPrintableId", "0123456789");
  MemProduct* short_id = NewComponent(session(), root, "C1", {}, "AB");
  short_id->Properties().Set("BBPrintableId", "too short");
  const std::string target = folder_ / "new.psn";
  ASSERT_EQ(Update(target), S_OK);
  EXPECT_EQ(ReadFile(target), Beginning(target) +
                                  "#2=RootPart('','PART_LIST',\"00123456789\",\"03030303030303030\") ;\n" +
                                  Link(3, "") + "#4=SelectedObj('docs',$,(#3,)) ;\n" +
                                  "ENDSEC;\nEND-ISO-10303-21;\n");
}

TEST_F(UpdatePSNFileTest, DefaultDirectoryNamesAreUsedAsGiven) {
  // "D:\psn\part.psn" is one file name in the working folder here.
  NewBlackBox(session(), "");
  Settings()->SetPSNDirectory("D:\\psn");
  const std::string here = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(folder_.Path().c_str()), 0);
  const HRESULT rc = Update("part");
  ASSERT_EQ(chdir(here.c_str()), 0);
  EXPECT_EQ(rc, S_OK);
  EXPECT_EQ(folder_.Files(), std::vector<std::string>{"D:\\psn\\part.psn"});
}

// --- Results and the atomic target -----------------------------------------------------

TEST_F(UpdatePSNFileTest, ResultIsThatOfThePSNPrintableId) {
  MemProduct* root = NewBlackBox(session(), "");
  NewComponent(session(), root, "C1", {0xA}, "");
  const std::string target = folder_ / "new.psn";
  root->Properties().Erase("BBPSNPrintableId");
  EXPECT_EQ(Update(target), S_FALSE);
  EXPECT_EQ(LinesWith(ReadFile(target), "RootPart").size(), 1u);
  // A failing read: its result, and the file written all the same.
  MemFaults::Add(MemFaultPoint::kGetProperty, E_OUTOFMEMORY, "BB");
  std::remove(target.c_str());
  EXPECT_EQ(Update(target), E_OUTOFMEMORY);
  EXPECT_EQ(LinesWith(ReadFile(target), "END-ISO").size(), 1u);
  // A root that is no black box.
  MemFaults::Clear();
  MemFaults::Add(MemFaultPoint::kGetParameter, S_FALSE, "BB");  // neither marker parameter
  EXPECT_EQ(Update(target), E_FAIL);
  EXPECT_EQ(LinesWith(ReadFile(target), "=RootPart('','PART_LIST',\"0\",").size(), 1u);
}

// --- Repeated writes and the plain steps ------------------------------------------------

TEST_F(UpdatePSNFileTest, WrittenOverItselfAFileKeepsItsLinksAndParts) {
  const std::string file = folder_ / "bb.psn";
  GenerateBlackBox(session(), 300, file);
  ASSERT_EQ(Update(file), S_OK);
  const std::string first = ReadFile(file);
  ASSERT_EQ(Update(file), S_OK);
  const std::string second = ReadFile(file);
  ASSERT_EQ(Update(file), S_OK);
  EXPECT_EQ(ReadFile(file), second);  // the third write changes nothing

  // Collapsed parts are kept.
  auto parts = [](const std::string& iText) {
    std::vector<std::string> parts;
    for (const std::string& line : LinesWith(iText, "=CollapsedPart(")) {
      parts.push_back(line.substr(line.find('=')));
    }
    return parts;
  };
  EXPECT_FALSE(parts(first).empty());
  EXPECT_EQ(parts(second), parts(first));
}

TEST_F(UpdatePSNFileTest, PlainStepsWriteTheSameBytes) {
  static const krvwd7_core::PSNFileSteps kPlain = {&PlainReplaceLinks, &PlainDropCovered};
  for (int count : {0, 1, 37, 400}) {
    SCOPED_TRACE(count);
    session().Close();
    const std::string old_file = folder_ / ("old" + std::to_string(count) + ".psn");
    GenerateBlackBox(session(), count, old_file);
    const std::string linear = folder_ / "linear.psn";
    const std::string plain = folder_ / "plain.psn";
    krvwd7_core::SetPSNFileStepsForTesting(nullptr);
    ASSERT_EQ(Update(linear), S_OK);
    krvwd7_core::SetPSNFileStepsForTesting(&kPlain);
    ASSERT_EQ(Update(plain), S_OK);
    const std::string linear_bytes = ReadFile(linear);
    // The files differ only in their own names.
    EXPECT_EQ(linear_bytes, Replaced(ReadFile(plain), plain, linear));
    if (count == 400) {
      EXPECT_GT(LinesWith(linear_bytes, "CollapsedPart").size(), 5u);
      EXPECT_LT(LinesWith(linear_bytes, "CollapsedPart").size(), 40u);  // some dropped
    }
  }
}

}  // namespace
}  // namespace krvwd7_test
