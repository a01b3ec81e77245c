// KRVEWD7BlackBoxServices::IsUpToDate on small sessions.
#include "KRVEWD7BlackBoxServices.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "KRVWD7UtiTracer.h"
#include "MemBuilder.h"
#include "MemSession.h"
#include "TestSessions.h"

namespace {

// What a row changes in the reference session: a black box of type 1 (or
// 2) holding one bolt, and its PSN holding the same bolt.
struct Case {
  const char* name;
  bool bb_pdm = true;
  bool psn_pdm = true;
  const char* bb_version = "2";  // "" for no "BBVersion" (version 1)
  int type = 1;
  const char* psn_part_number = "PSN";
  bool note = true;        // the black-box marker
  bool psn_root = true;    // false: the PSN document has no product
  double psn_bolt_x = 0;   // position of the PSN bolt
  HRESULT rc = S_OK;
  unsigned char up_to_date = 1;
};

std::string Replaced(std::string iText, const std::string& iKey, const std::string& iValue) {
  for (size_t at = iText.find(iKey); at != std::string::npos; at = iText.find(iKey, at)) {
    iText.replace(at, iKey.size(), iValue);
    at += iValue.size();
  }
  return iText;
}

std::string SessionText(const Case& iCase) {
  std::string bolt_bb =
      R"({"name": "Bolt.1", "properties": {"BBPrintableId": "$BOLT", "BBVpmEnv": "E1/E2"},
          "ref": "bolt"})";
  std::string bb_children =
      iCase.type == 2
          ? R"([{"name": "PSN.1", "properties": {"BBPrintableId": "$ROOT", "BBVpmEnv": "E1"},
                 "ref": {"partNumber": "PSN", "kind": "component", "children": [)" +
                bolt_bb + "]}}]"
          : "[" + bolt_bb + "]";
  std::string bb_properties = R"("BBType": "$TYPE", "BBPSNPartNumber": "$PN")";
  if (*iCase.bb_version) bb_properties += R"(, "BBVersion": "$VERSION")";
  std::string psn_document =
      iCase.psn_root
          ? R"({"name": "PSN.CATProduct", "pdm": $PSNPDM, "root": {"partNumber": "PSN",
                "vpm": {"printableId": "$ROOT", "env": "E1"},
                "children": [{"name": "Bolt.1", "position": [1,0,0, 0,1,0, 0,0,1, $X,0,0],
                  "vpm": {"printableId": "$BOLT", "env": "E1"}, "ref": "bolt"}]}})"
          : R"({"name": "PSN.CATProduct", "pdm": $PSNPDM})";
  std::string text = R"({
    "format": "krvwd7-session/1",
    "settings": {"version": {"source": 2, "property": "Version"}},
    "references": [{"id": "bolt", "partNumber": "BOLT", "revision": "A",
                    "userProperties": {"Version": "1"}}],
    "documents": [
      {"name": "BB.CATProduct", "pdm": $BBPDM, "root": {"partNumber": "BB",
        "properties": {$BBPROPS}, $NOTE "children": $BBCHILDREN}},
      $PSNDOC
    ]})";
  text = Replaced(text, "$PSNDOC", psn_document);
  text = Replaced(text, "$BBCHILDREN", bb_children);
  text = Replaced(text, "$BBPROPS", bb_properties);
  text = Replaced(text, "$NOTE", iCase.note ? R"("parameters": {"BBNote": "n"},)" : "");
  text = Replaced(text, "$BBPDM", iCase.bb_pdm ? "true" : "false");
  text = Replaced(text, "$PSNPDM", iCase.psn_pdm ? "true" : "false");
  text = Replaced(text, "$VERSION", iCase.bb_version);
  text = Replaced(text, "$TYPE", std::to_string(iCase.type));
  text = Replaced(text, "$PN", iCase.psn_part_number);
  text = Replaced(text, "$X", std::to_string(iCase.psn_bolt_x));
  text = Replaced(text, "$ROOT", MemBuilder::PrintableId(1, {}));
  text = Replaced(text, "$BOLT", MemBuilder::PrintableId(1, {0xB1}));
  return text;
}

class IsUpToDateTest : public krvwd7_test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    MemSession::Current();  // lives for the process once made
  }
};

TEST_F(IsUpToDateTest, ChecksAndAnswers) {
  typedef void (*Change)(Case&);
  const std::pair<const char*, Change> changes[] = {
      {"up to date, type 1", [](Case&) {}},
      {"up to date, type 2", [](Case& c) { c.type = 2; }},
      {"moved bolt, type 1", [](Case& c) { c.psn_bolt_x = 5, c.up_to_date = 0; }},
      {"moved bolt, type 2", [](Case& c) { c.type = 2, c.psn_bolt_x = 5, c.up_to_date = 0; }},
      {"version 1 black box", [](Case& c) { c.bb_version = "", c.rc = E_INVALIDARG; }},
      {"version 3 black box", [](Case& c) { c.bb_version = "3", c.rc = E_INVALIDARG; }},
      {"not a black box", [](Case& c) { c.note = false, c.rc = E_INVALIDARG; }},
      {"black box not from VPM", [](Case& c) { c.bb_pdm = false, c.rc = E_INVALIDARG; }},
      {"PSN not from VPM", [](Case& c) { c.psn_pdm = false, c.rc = E_INVALIDARG; }},
      {"no PSN root", [](Case& c) { c.psn_root = false, c.rc = E_FAIL; }},
      {"type 2 without the PSN node",
       [](Case& c) { c.type = 2, c.psn_part_number = "OTHER", c.rc = E_FAIL; }},
      {"unknown type", [](Case& c) { c.type = 3, c.rc = E_FAIL; }},
  };
  std::vector<Case> rows;
  for (const auto& change : changes) {
    rows.emplace_back();
    rows.back().name = change.first;
    change.second(rows.back());
  }
  for (const Case& row : rows) {
    SCOPED_TRACE(row.name);
    MemSession& session = MemSession::Current();
    MemResult loaded = session.LoadFromText(SessionText(row), row.name);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    CATDocument* bb = session.FindDocument("BB.CATProduct");
    CATDocument* psn = session.FindDocument("PSN.CATProduct");
    ASSERT_TRUE(bb && psn);
    KRVEWD7BlackBoxServices services;
    unsigned char up_to_date = 7;
    EXPECT_EQ(services.IsUpToDate(*bb, *psn, up_to_date), row.rc);
    EXPECT_EQ(up_to_date, row.up_to_date);
    session.Close();
  }
}

TEST_F(IsUpToDateTest, WritesNoTraceOfItsOwn) {
  Case one;
  one.name = "traced";
  ASSERT_TRUE(MemSession::Current().LoadFromText(SessionText(one), "t").ok);
  KRVWD7UtiTracer::ToMemory();
  KRVEWD7BlackBoxServices services;
  unsigned char up_to_date = 0;
  EXPECT_EQ(services.IsUpToDate(*MemSession::Current().FindDocument("BB.CATProduct"),
                                *MemSession::Current().FindDocument("PSN.CATProduct"),
                                up_to_date),
            S_OK);
  for (const std::string& line : KRVWD7UtiTracer::Lines()) {
    EXPECT_EQ(line.find("IsUpToDate"), std::string::npos) << line;
  }
  EXPECT_FALSE(KRVWD7UtiTracer::Lines().empty());
  KRVWD7UtiTracer::Off();
}

}  // namespace
