#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "CATApplication.h"
#include "CATGetEnv.h"
#include "CATGetSystemInfo.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "MemBuilder.h"
#include "MemFaults.h"
#include "MemSession.h"
#include "PSNFileTestSupport.h"
#include "TestSessions.h"

namespace {

using krvwd7_test::ReadFile;

// A head of 58 characters and one clink.
const std::string kId =
    "0000000000000A010000000000000B01VPMENV  PART_LIST         00000000000000C1";

std::string Session(const std::string& iDocuments, const std::string& iExtra = "") {
  return R"({"format": "krvwd7-session/1", )" + iExtra + R"("documents": [)" + iDocuments + "]}";
}

const char kRootDoc[] =
    R"({"name": "BB", "root": {"partNumber": "ROOT", "children": [
        {"name": "Bolt.1", "ref": {"partNumber": "BOLT"}}]}})";

std::string TempPath(const std::string& iName) { return krvwd7_test::TempName("-" + iName); }

class SessionFileTest : public krvwd7_test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    // The batch and interactive applications live for the process once
    // made: make them before counting.
    CATApplication::MainApplication();
    {
      MemSession warm_up;
      warm_up.LoadFromText(R"({"format": "krvwd7-session/1", "interactive": true})", "w");
    }
    CountLiveObjects();
  }
  void TearDown() override {
    session_.Close();
    LeakCheckedTest::TearDown();
  }
  MemSession session_;
};

TEST_F(SessionFileTest, MalformedFilesAreRefusedWithTheirPlace) {
  struct Row {
    const char* name;
    std::string text, message;
  };
  const Row rows[] = {
      {"bad JSON", "{\"format\": \"krvwd7-session/1\",\n \"documents\": [}",
       "t.json:2:16: invalid JSON: "},
      {"not an object", "[]", "t.json: expected an object, got an array"},
      {"missing format", R"({"documents": []})", "t.json: format: missing required field"},
      {"wrong format", R"({"format": "other"})",
       "t.json: format: expected \"krvwd7-session/1\", got 'other'"},
      {"unknown key", Session("", R"("colour": 1, )"), "t.json: colour: unknown key"},
      {"missing name", Session(R"({"root": {}})"), "t.json: documents[0].name: missing required field"},
      {"wrong type", Session(R"({"name": 3})"),
       "t.json: documents[0].name: expected a string, got a number"},
      {"short position",
       Session(R"({"name": "BB", "root": {"children": [{"name": "A", "position": [1,0,0,0,1,0,0,0,1], "ref": {}}]}})"),
       "t.json: documents[0].root.children[0].position: expected 12 numbers, got 9"},
      {"long position with a text in it",
       Session(R"({"name": "BB", "root": {"children": [{"name": "A", "position": [1,0,"0",0,1,0,0,0,1,0,0,0,0], "ref": {}}]}})"),
       "t.json: documents[0].root.children[0].position: expected 12 numbers, got 13"},
      {"text in a position",
       Session(R"({"name": "BB", "root": {"children": [{"name": "A", "position": [1,0,0,0,1,0,0,0,1,0,"0",null], "ref": {}}]}})"),
       "t.json: documents[0].root.children[0].position[10]: expected a number, got a string"},
      {"bad printable id",
       Session(R"({"name": "BB", "root": {"vpm": {"printableId": "0123456789"}}})"),
       "t.json: documents[0].root.vpm.printableId: printable identifier must be a 58-character "
       "head followed by 16-character clinks, got 10 characters"},
      {"unknown ref id",
       Session(R"({"name": "BB", "root": {"children": [{"name": "A", "ref": "P9"}]}})"),
       "t.json: documents[0].root.children[0].ref: unknown reference id 'P9'"},
      {"duplicate ref id",
       Session("", R"("references": [{"id": "P1"}, {"id": "P1"}], )"),
       "t.json: references[1].id: duplicate reference id 'P1'"},
      {"duplicate part number",
       Session(R"({"name": "BB", "root": {"partNumber": "X", "children": [{"name": "A", "ref": {"partNumber": "X"}}]}})"),
       "t.json: documents[0].root.children[0].ref.partNumber: duplicate part number 'X'"},
      {"shared sub-assembly",
       Session(R"({"name": "BB", "root": {"children": [{"name": "A", "ref": "S"}, {"name": "B", "ref": "S"}]}})",
               R"("references": [{"id": "S", "partNumber": "SUB", "children": [{"name": "P", "ref": {}}]}], )"),
       "t.json: documents[0].root.children[1].ref: reference 'SUB' has children and is already "
       "used by another instance"},
      {"reference in itself",
       Session("", R"("references": [{"id": "S", "partNumber": "SUB", "children": [{"name": "P", "ref": "S"}]}], )"),
       "t.json: references[0].children[0].ref: reference 'SUB' would contain itself"},
      {"duplicate storage", Session(R"({"name": "A"}, {"name": "B", "storage": "A"})"),
       "t.json: documents[1].storage: duplicate document storage name 'A'"},
      {"bad node type",
       Session(R"({"name": "BB", "root": {"children": [{"name": "A", "nodeType": 12, "ref": {}}]}})"),
       "t.json: documents[0].root.children[0].nodeType: expected an integer from 0 to 9, got 12"},
      {"name on a reference",
       Session(R"({"name": "BB", "root": {"children": [{"name": "A", "ref": {"name": "X"}}]}})"),
       "t.json: documents[0].root.children[0].ref.name: only a document root has a name"},
      {"empty root name", Session(R"({"name": "BB", "root": {"name": ""}})"),
       "t.json: documents[0].root.name: empty root name"},
      {"bad fault", Session("", R"("faults": [{"op": "GetProperty", "rc": "E_WHAT"}], )"),
       "t.json: faults[0].rc: unknown result name 'E_WHAT'"},
      {"misspelt fault point", Session("", R"("faults": [{"op": "GetPropety", "rc": "E_FAIL"}], )"),
       "t.json: faults[0].op: unknown fault point 'GetPropety' (the fault points are listed in "
       "docs/fault-points.md)"},
      {"fault that neither answers nor kills",
       Session("", R"("faults": [{"op": "File.Commit", "kill": false}], )"),
       "t.json: faults[0].rc: missing required field"},
      {"fault path without document",
       Session("", R"("faults": [{"op": "GetProperty", "rc": "E_FAIL", "path": "A.1"}], )"),
       "t.json: faults[0].path: a path needs its \"document\""},
      {"short clink", Session("", R"("replacements": [{"old": "AB", "new": "0000000000000001"}], )"),
       "t.json: replacements[0].old: a clink has 16 characters, got 2"},
      {"duplicate key",
       Session(R"({"name": "BB", "root": {"partNumber": "A", "partNumber": "B"}})"),
       "t.json: documents[0].root: duplicate key 'partNumber'"},
      {"duplicate key written with an escape",
       R"({"format": "krvwd7-session/1", "form\u0061t": "x"})",
       "t.json: duplicate key 'format'"},
      {"duplicate name in a map",
       Session(R"({"name": "BB", "root": {"properties": {"P": "1", "Q": "2", "P": "3"}}})"),
       "t.json: documents[0].root.properties: duplicate key 'P'"},
      {"number out of range", "{\"format\": \"krvwd7-session/1\",\n \"os\": 1e999}",
       "t.json:2:8: invalid JSON: number out of range: 1e999"},
      {"integer beyond a double", "{\"os\": 1" + std::string(400, '0') + "}",
       "t.json:1:8: invalid JSON: number out of range: 1000000000000000000000000000000000000000..."},
      {"ill-formed UTF-8", "{\"format\": \"\xC3\x28\"}", "t.json:1:13: invalid JSON: "},
      {"truncated", "{\"format\": \"krvwd7-session/1\", \"documents\": [{\"name\": \"A\"",
       "t.json:1:58: invalid JSON: syntax error while parsing object - unexpected end of input; "
       "expected ',' or '}'"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MemResult result = session_.LoadFromText(row.text, "t.json");
    EXPECT_FALSE(result.ok);
    if (row.message.back() == ' ') {
      EXPECT_EQ(result.error.substr(0, row.message.size()), row.message) << result.error;
    } else {
      EXPECT_EQ(result.error, row.message);
    }
    EXPECT_TRUE(session_.IsEmpty());
    EXPECT_EQ(result.error.find("json.exception"), std::string::npos) << result.error;
  }
}

// Numbers as written: short integers are read in place, longer ones and
// the others as the text says; a value is the nearest double either way,
// and only a number without fraction or exponent counts as an integer.
TEST_F(SessionFileTest, NumbersReadAsWritten) {
  const struct {
    const char* token;
    double value;
  } rows[] = {
      {"0", 0.0},
      {"-0", -0.0},
      {"-2", -2.0},
      {"9999999999999999999", 9999999999999999999.0},
      {"18446744073709551615", 18446744073709551615.0},
      {"18446744073709551616", 18446744073709551616.0},
      {"-9223372036854775808", -9223372036854775808.0},
      {"-9223372036854775809", -9223372036854775809.0},
      {"12.5", 12.5},
      {"-2E-2", -0.02},
      {"1e3", 1000.0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.token);
    const std::string text = Session(std::string(R"({"name": "BB", "root": {"children": [)") +
                                     R"({"name": "A.1", "position": [1,0,0,0,1,0,0,0,1,)" +
                                     row.token + R"(,0,0], "ref": {}}]}})");
    MemSession session;
    MemResult result = session.LoadFromText(text, "t.json");
    ASSERT_TRUE(result) << result.error;
    double coef[12];
    session.ProductDocuments()[0]->Root()->FindChild("A.1")->Position().GetCoef(coef);
    EXPECT_EQ(std::memcmp(&coef[9], &row.value, sizeof row.value), 0) << coef[9];
  }
  for (const char* os : {"4.0", "4e0", "-0.0"}) {
    SCOPED_TRACE(os);
    MemSession session;
    EXPECT_EQ(session.LoadFromText(Session("", std::string(R"("os": )") + os + ", "), "t.json").error,
              "t.json: os: expected an integer, got a number");
  }
  MemSession session;
  EXPECT_TRUE(session.LoadFromText(Session("", R"("os": 4, )"), "t.json"));
}

// Strings are checked several bytes at a time: a byte that needs a look of
// its own is found at every place in a long string, and what is valid
// there reads back as written.
TEST_F(SessionFileTest, StringBytesAreCheckedWhereverTheyStand) {
  const std::string head = R"({"format": "krvwd7-session/1", "environment": {"A": ")";
  struct Case {
    const char* name;
    std::string bytes;  // put at the place under test
    const char* error;  // "" when the text is valid
    std::string value;  // the value read back when valid
  };
  const Case cases[] = {
      {"control character", "\x01", "control character U+0001 must be escaped", ""},
      {"ill-formed byte", "\xFF", "ill-formed UTF-8 byte", ""},
      {"escape", "\\n", "", "\n"},
      {"two-byte character", "\xC3\xA9", "", "\xC3\xA9"},
      {"escaped quote", "\\\"", "", "\""},
  };
  for (const Case& c : cases) {
    for (size_t at = 0; at < 19; ++at) {
      SCOPED_TRACE(std::string(c.name) + " after " + std::to_string(at) + " bytes");
      const std::string before(at, 'x');
      const std::string text = head + before + c.bytes + "yyyyyyyyy\"}}";
      MemSession session;
      MemResult result = session.LoadFromText(text, "t.json");
      if (*c.error != '\0') {
        EXPECT_EQ(result.error, "t.json:1:" + std::to_string(head.size() + at + 1) +
                                    ": invalid JSON: syntax error while parsing value - "
                                    "invalid string: " + c.error);
      } else {
        ASSERT_TRUE(result) << result.error;
        EXPECT_EQ(session.Environment().at("A"), before + c.value + "yyyyyyyyy");
      }
    }
  }
}

TEST_F(SessionFileTest, FilesThatCannotBeReadGiveTheSystemsReason) {
  const std::string directory = ::testing::TempDir();
  EXPECT_EQ(session_.Load(directory).error, directory + ": cannot read the file: Is a directory");
  const std::string file = TempPath("plain.json");
  std::ofstream(file) << Session(kRootDoc);
  EXPECT_EQ(session_.Load(file + "/inside.json").error,
            file + "/inside.json: cannot open the file: Not a directory");
  ASSERT_TRUE(session_.Load(file));
  std::remove(file.c_str());
}

// A file read from disk lets the text behind the reader go as it reads
// (several megabytes at a time). A file of some megabytes whose keys come
// in unusual orders, with values read after the long arrays that follow
// them, loads as the same text loads from memory, where nothing is let go.
TEST_F(SessionFileTest, ALargeFileLoadsAsTheSameTextInMemory) {
  std::string leaves;
  for (int i = 0; i < 200000; ++i) {
    if (i > 0) leaves += ", ";
    const std::string name = "\"P." + std::to_string(i + 1) + "\"";
    leaves += i % 2 ? R"({"ref": "p", "name": )" + name + "}" : R"({"name": )" + name + R"(, "ref": "p"})";
  }
  const std::string text = Session(
      R"({"root": {"kind": "component", "partNumber": "ROOT", "children": [
          {"name": "A.1", "ref": {"kind": "product", "children": [)" + leaves + R"(],
           "partNumber": "A", "revision": "B"}, "position": [1,0,0,0,1,0,0,0,1,5,6,7]},
          {"ref": {"partNumber": "C", "kind": "model"}, "name": "C.1"}]}, "name": "BB"})",
      R"("references": [{"id": "p", "partNumber": "P", "kind": "part"}], )");
  ASSERT_GT(text.size(), size_t{5} << 20);
  const std::string file = TempPath("large.json");
  std::ofstream(file) << text;

  MemResult loaded = session_.Load(file);
  std::remove(file.c_str());
  ASSERT_TRUE(loaded) << loaded.error;
  const std::string from_file = session_.SaveToText();
  MemProduct* a = session_.FindByPartNumber("A", session_.ProductDocuments()[0]);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Kind(), MemKind::kProduct);
  EXPECT_EQ(a->Revision(), "B");
  EXPECT_EQ(a->Children().size(), 200000u);
  EXPECT_EQ(a->Children().back()->InstanceName(), "P.200000");
  EXPECT_EQ(session_.ProductDocuments()[0]->Root()->Kind(), MemKind::kComponent);

  ASSERT_TRUE(session_.LoadFromText(text, "large.json"));
  EXPECT_EQ(session_.SaveToText(), from_file);
}

// A document whose root holds iLevels instances, each inside the previous.
std::string Nested(int iLevels) {
  std::string root = R"({"partNumber": "ROOT")";
  for (int i = 0; i < iLevels; ++i) {
    root += R"(, "children": [{"name": "c.1", "ref": {"partNumber": "P)" + std::to_string(i) + "\"";
  }
  for (int i = 0; i < iLevels; ++i) root += "}}]";
  return Session(R"({"name": "Deep", "root": )" + root + "}}");
}

TEST_F(SessionFileTest, StructuresDeeperThanAThousandLevelsAreRefused) {
  EXPECT_TRUE(session_.LoadFromText(Nested(1000), "deep.json"));
  const MemResult refused = session_.LoadFromText(Nested(1001), "deep.json");
  ASSERT_FALSE(refused);
  // The place keeps its start and its end, not the thousand levels between.
  EXPECT_EQ(refused.error.rfind("deep.json: documents[0].root.children[0].ref.children[0]", 0), 0u)
      << refused.error;
  EXPECT_NE(refused.error.find(" ... "), std::string::npos);
  EXPECT_LT(refused.error.size(), 400u);
  EXPECT_NE(refused.error.find("ref.children[0]: the product structure is nested deeper than "
                               "1000 levels"),
            std::string::npos);
}

TEST_F(SessionFileTest, AFailedLoadChangesNothing) {
  ASSERT_TRUE(session_.LoadFromText(
      Session(kRootDoc, R"("environment": {"KRV_WD7_FILE_BASED": "MODE4_ON_A_FILEBASE"}, )"), "a.json"));
  MemProduct* root = session_.Documents().front()->Root();
  // An error deep in the second file.
  MemResult result = session_.LoadFromText(
      Session(R"({"name": "Other", "root": {"children": [{"name": "A", "ref": "nope"}]}})",
              R"("environment": {"KRV_WD7_FILE_BASED": "OFF"}, "os": 4, )"),
      "b.json");
  EXPECT_FALSE(result.ok);
  ASSERT_EQ(session_.Documents().size(), 1u);
  EXPECT_EQ(session_.Documents().front()->Root(), root);
  EXPECT_EQ(root->Children().front()->InstanceName(), "Bolt.1");
  ASSERT_NE(CATGetEnv("KRV_WD7_FILE_BASED"), nullptr);
  EXPECT_STREQ(CATGetEnv("KRV_WD7_FILE_BASED"), "MODE4_ON_A_FILEBASE");
}

TEST_F(SessionFileTest, GlobalsAreAppliedAndUndoneOnClose) {
  ASSERT_TRUE(session_.LoadFromText(
      Session(kRootDoc, R"("environment": {"KRV_WD7_TEST_VAR": "on"}, "os": 4, "interactive": true,
                          "settings": {"psnDirectory": "D:\\PSN", "version": {"source": 1, "attribute": 3}},
                          "faults": [{"op": "GetProperty", "rc": "E_FAIL", "product": "Bolt.1", "call": 2},
                                     {"op": "File.Commit", "kill": true}], )"),
      "g.json"));
  EXPECT_STREQ(CATGetEnv("KRV_WD7_TEST_VAR"), "on");
  CATSystemInfo info;
  ASSERT_EQ(CATGetSystemInfo(&info), 0);
  EXPECT_EQ(info.OSType, 4);
  EXPECT_TRUE(CATApplication::MainApplication()->IsAKindOf(CATInteractiveApplication::ClassName()));
  ASSERT_EQ(MemFaults::All().size(), 2u);
  EXPECT_EQ(MemFaults::All()[0].call, 2);
  EXPECT_FALSE(MemFaults::All()[0].kill);
  EXPECT_NE(session_.SaveToText().find(R"("kill": true)"), std::string::npos);
  // The PSN directory and the version attribute of the settings.
  auto settings = [] {
    CATUnicodeString directory;
    int attribute = 0;
    krvwd7_test::Settings()->GetPSNDirectory(directory);
    krvwd7_test::Settings()->GetVersionAttribute(attribute);
    return directory.ToStdString() + " " + std::to_string(attribute);
  };
  EXPECT_EQ(settings(), "D:\\PSN 3");
  session_.Close();
  EXPECT_EQ(settings(), " 2");
  EXPECT_EQ(CATGetEnv("KRV_WD7_TEST_VAR"), nullptr);
  ASSERT_EQ(CATGetSystemInfo(&info), 0);
  EXPECT_EQ(info.OSType, CATOSTypeLinux);
  EXPECT_FALSE(CATApplication::MainApplication()->IsAKindOf(CATInteractiveApplication::ClassName()));
  EXPECT_TRUE(MemFaults::All().empty());
}

const char kRich[] = R"({
  "format": "krvwd7-session/1",
  "replacements": [{"old": "00000000000000C1", "new": "00000000000000C9", "env": "VPMENV"}],
  "references": [
    {"id": "bolt", "partNumber": "BOLT", "revision": "B",
     "shapes": {"Default": {"document": "BOLT.CATPart", "path": "/p/BOLT.CATPart"}},
     "userProperties": {"Material": "Steel"}},
    {"id": "spare", "partNumber": "SPARE"}
  ],
  "documents": [
    {"name": "BB", "storage": "bb.CATProduct", "docId": "D1", "displayName": "Black box",
     "root": {"partNumber": "ROOT", "name": "Car black box",
              "parameters": {"BBNote": "note", "BBPSNFilename": "./psn.txt"},
              "properties": {"BBVersion": "2", "BBType": "2"},
              "children": [
        {"name": "Écrou ünïcode.1", "position": [1,0,0,0,1,0,0,0,1,10.5,0,-2],
         "properties": {"BBPrintableId": "0000000000000A010000000000000B01VPMENV  PART_LIST         00000000000000C1"},
         "origin": "ORIGIN", "color": "#FF0000", "shown": false, "loaded": false, "mode": "visu",
         "ref": {"partNumber": "SUB", "kind": "component", "children": [
            {"name": "Bolt.1", "ref": "bolt", "vpm": {"printableId": "0000000000000A010000000000000B01VPMENV  PART_LIST         00000000000000C1", "env": "VPMENV", "modelRevision": "A"}},
            {"name": "Bolt.2", "ref": "bolt", "nodeType": 9}]}},
        {"name": "Bolt.3", "ref": "bolt"}]}},
    {"name": "PSN", "pdm": true, "root": {"partNumber": "PSN-ROOT"}}
  ],
  "currentDocument": "PSN"
})";

TEST_F(SessionFileTest, SaveAndLoadRoundTrip) {
  MemResult loaded = session_.LoadFromText(kRich, "rich.json");
  ASSERT_TRUE(loaded) << loaded.error;
  std::string first = session_.SaveToText();
  ASSERT_TRUE(session_.LoadFromText(first, "first.json"));
  EXPECT_EQ(session_.SaveToText(), first);
  // The reloaded state is the one described.
  std::vector<MemDocument*> documents = session_.ProductDocuments();
  ASSERT_EQ(documents.size(), 2u);
  MemProduct* root = documents[0]->Root();
  EXPECT_EQ(root->FindProperty("BBType"), "2");
  EXPECT_EQ(root->DisplayName(), "Car black box");
  EXPECT_EQ(documents[1]->Root()->DisplayName(), "PSN-ROOT");  // unnamed: its part number
  EXPECT_NE(first.find("\"name\": \"Car black box\""), std::string::npos);
  MemProduct* sub = root->FindChild("Écrou ünïcode.1");
  ASSERT_NE(sub, nullptr);
  double coef[12];
  sub->Position().GetCoef(coef);
  EXPECT_DOUBLE_EQ(coef[9], 10.5);
  EXPECT_EQ(sub->Origin(), "ORIGIN");
  EXPECT_FALSE(sub->Graphic().shown);
  EXPECT_FALSE(sub->IsLoaded());
  EXPECT_EQ(sub->Mode(), MemMode::kVisu);
  EXPECT_EQ(sub->NodeType(), 2);
  MemProduct *bolt1 = sub->FindChild("Bolt.1"), *bolt3 = root->FindChild("Bolt.3");
  ASSERT_TRUE(bolt1 && bolt3);
  EXPECT_EQ(bolt1->Reference(), bolt3->Reference());  // shared, written once
  EXPECT_EQ(bolt1->Vpm().ModelRevision(), "A");
  EXPECT_EQ(sub->FindChild("Bolt.2")->NodeType(), 9);
  EXPECT_EQ(bolt1->UserProperties().Find("Material"), "Steel");
  ASSERT_NE(session_.FindByPartNumber("SPARE"), nullptr);  // declared, unused, kept
  ASSERT_NE(session_.FindReplacing("00000000000000C1", "VPMENV  "), nullptr);
  EXPECT_EQ(session_.CurrentEditor(), documents[1]->Editor());
  EXPECT_TRUE(documents[1]->IsPdm());
  EXPECT_EQ(documents[0]->DisplayName(), "Black box");
  EXPECT_EQ(first.find("\"partNumber\": \"BOLT\""), first.rfind("\"partNumber\": \"BOLT\""));
}

TEST_F(SessionFileTest, SaveIsAtomic) {
  ASSERT_TRUE(session_.LoadFromText(Session(kRootDoc), "s.json"));
  std::string path = TempPath("atomic.json");
  ASSERT_TRUE(session_.Save(path));
  std::string before = ReadFile(path);
  // The temporary file cannot be made: the save fails, the file is intact.
  std::string blocker = path + ".tmp" + std::to_string(::getpid());
  ASSERT_EQ(::mkdir(blocker.c_str(), 0700), 0);
  ASSERT_TRUE(session_.LoadFromText(Session(R"({"name": "Other", "root": {}})"), "o.json"));
  MemResult result = session_.Save(path);
  EXPECT_FALSE(result.ok);
  // (Named as the save begins, or, written unnamed, as it ends.)
  EXPECT_EQ(result.error.rfind(path + ": cannot create " + blocker, 0), 0u) << result.error;
  EXPECT_EQ(ReadFile(path), before);
  ::rmdir(blocker.c_str());
  // Loading the saved file gives the first session back.
  ASSERT_TRUE(session_.Load(path));
  EXPECT_EQ(session_.ProductDocuments().front()->Name(), "BB");
  std::remove(path.c_str());
  EXPECT_EQ(session_.Load(path).error, path + ": cannot open the file: No such file or directory");
}

// Each step of a save fails in turn (the write after its first block, so a
// part of the temporary file exists): the old file keeps its bytes and no
// temporary file is left.
TEST_F(SessionFileTest, AFailingSaveStepLeavesTheOldFile) {
  ASSERT_TRUE(session_.LoadFromText(Session(kRootDoc), "s.json"));
  const std::string path = TempPath("steps.json");
  ASSERT_TRUE(session_.Save(path));
  const std::string before = ReadFile(path);
  const std::string temporary = path + ".tmp" + std::to_string(::getpid());
  ASSERT_TRUE(session_.LoadFromText(Session(R"({"name": "Other", "root": {}})"), "o.json"));
  for (MemFaultPoint point : {MemFaultPoint::kFileCreate, MemFaultPoint::kFileWrite,
                              MemFaultPoint::kFileCommit}) {
    SCOPED_TRACE(MemFaultPointName(point));
    MemFaults::Clear();
    MemFaults::Add(point, E_FAIL, "", 1);
    EXPECT_FALSE(session_.Save(path).ok);
    EXPECT_EQ(MemFaults::Hits(point), 1);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_NE(::access(temporary.c_str(), F_OK), 0) << "temporary file left";
  }
  MemFaults::Clear();
  EXPECT_TRUE(session_.Save(path).ok);
  EXPECT_NE(ReadFile(path), before);
  std::remove(path.c_str());
}

TEST_F(SessionFileTest, ExamplesAndSavedFilesMatchTheSchema) {
  if (std::system("/usr/bin/python3 -c 'import jsonschema' 2>/dev/null") != 0) {
    GTEST_SKIP() << "python3 with jsonschema is not installed";
  }
  std::string dir = KRVWD7_SOURCE_DIR;
  ASSERT_TRUE(session_.Load(dir + "/examples/demo.json"));
  std::string saved = TempPath("schema.json");
  ASSERT_TRUE(session_.Save(saved));
  ASSERT_TRUE(session_.LoadFromText(kRich, "rich.json"));  // a named root
  std::string rich = TempPath("rich-schema.json");
  ASSERT_TRUE(session_.Save(rich));
  std::string command = "/usr/bin/python3 " + dir + "/scripts/check-session-schema";
  for (const char* example : {"demo", "uptodate", "flattened", "version1"}) {
    command += " " + dir + "/examples/" + example + ".json";
  }
  EXPECT_EQ(std::system((command + " " + saved + " " + rich).c_str()), 0);
  // The schema refuses what the loader refuses.
  for (const char* document : {R"({"name": "BB", "root": {"colour": "red"}})",
                               R"({"name": "BB", "root": {"children": [{"name": "A", "ref": {"name": "X"}}]}})"}) {
    SCOPED_TRACE(document);
    std::string bad = TempPath("bad-schema.json");
    std::ofstream(bad) << Session(document);
    EXPECT_NE(std::system(("python3 " + dir + "/scripts/check-session-schema " + bad +
                           " >/dev/null").c_str()), 0);
    std::remove(bad.c_str());
  }
  std::remove(saved.c_str());
  std::remove(rich.c_str());
}

}  // namespace
